// Painting and mouse events of a tile component.
#include "tile_widget.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>

namespace ui {

int borderWidth(BorderStyle style) {
    switch (style) {
    case BorderStyle::ThinSunken:
        return 1;
    case BorderStyle::Sunken:
        return 2;
    case BorderStyle::Raised:
        return 3;
    }
    return 1;
}

QColor gradientColumn(const std::array<QColor, 3>& c, int x, int w) {
    const int half = w / 2;
    if (half == 0 || x >= 2 * half) {
        return c[2];
    }
    const QColor& start = x < half ? c[0] : c[1];
    const QColor& end = x < half ? c[1] : c[2];
    const int step = x < half ? x : x - half;
    // start + (end − start) × step / half, the product truncated toward zero
    const auto mix = [&](int a, int b) { return a + (b - a) * step / half; };
    return {mix(start.red(), end.red()), mix(start.green(), end.green()),
            mix(start.blue(), end.blue())};
}

namespace {

// One ring of a 3-D edge, `inset` pixels in from the tile's outline: the top and left lines in
// one colour, the bottom and right lines in the other.
void drawRing(QPainter& p, const QRect& outline, int inset, const QColor& topLeft,
              const QColor& bottomRight) {
    const QRect r = outline.adjusted(inset, inset, -inset, -inset);
    p.fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), topLeft);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), topLeft);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}

// Tells assistive technology whether a tile is the selected pick.
class TileAccessible : public QAccessibleWidget {
public:
    explicit TileAccessible(TileWidget* tile) : QAccessibleWidget(tile, QAccessible::Button) {}
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectable = true;
        s.selected = static_cast<const TileWidget*>(widget())->selectedLook();
        return s;
    }
};

QAccessibleInterface* tileAccessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("ui::TileWidget") && object && object->isWidgetType()) {
        return new TileAccessible(static_cast<TileWidget*>(object));
    }
    return nullptr;
}

} // namespace

TileWidget::TileWidget(QWidget* parent) : QWidget(parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(tileAccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
    setFocusPolicy(Qt::NoFocus);
}

TileWidget* TileWidget::clone() const {
    auto* copy = new TileWidget(parentWidget());
    copy->setGeometry(geometry());
    copy->setVisible(false);
    copy->setEnabled(isEnabled());
    copy->number_ = number_;
    copy->caption_ = caption_;
    copy->border_ = border_;
    copy->colours_ = colours_;
    copy->selected_ = selected_;
    copy->setAccessibleName(accessibleName());
    return copy;
}

void TileWidget::setNumber(int number) {
    number_ = number;
    setAccessibleName(QString::number(number));
}

void TileWidget::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TileWidget::setBorderStyle(BorderStyle style) {
    if (border_ != style) {
        border_ = style;
        update();
    }
}

void TileWidget::setColour(int index, const QColor& colour) {
    colours_.at(static_cast<std::size_t>(index)) = colour;
    update();
}

void TileWidget::setLook(engine::TileLook look) {
    switch (look) {
    case engine::TileLook::Normal:
        border_ = BorderStyle::ThinSunken;
        colours_[0] = colours_[2] = kYellow;
        break;
    case engine::TileLook::Selected:
        border_ = BorderStyle::Sunken;
        colours_[0] = colours_[2] = kBlue;
        break;
    case engine::TileLook::Hover:
        border_ = BorderStyle::Raised;
        break;
    }
    if (look != engine::TileLook::Hover) {
        const bool wasSelected = selected_;
        selected_ = look == engine::TileLook::Selected;
        if (wasSelected != selected_ && QAccessible::isActive()) {
            QAccessible::State changed;
            changed.selected = true;
            QAccessibleStateChangeEvent event(this, changed);
            QAccessible::updateAccessibility(&event);
        }
    }
    update();
}

QFont TileWidget::captionFont() {
    // The installed families are looked up once; the font itself holds no state across runs.
    static const QStringList families = [] {
        const QStringList installed = QFontDatabase::families();
        QStringList found;
        for (const char* name : {"SimSun", "宋体", "NSimSun", "WenQuanYi Zen Hei",
                                 "Noto Sans CJK SC", "Noto Serif CJK SC", "AR PL UMing CN"}) {
            if (installed.contains(QString::fromUtf8(name))) {
                found.append(QString::fromUtf8(name));
            }
        }
        return found;
    }();
    QFont font;
    if (!families.isEmpty()) {
        font.setFamilies(families);
    }
    font.setPixelSize(21);
    font.setWeight(QFont::Bold);
    return font;
}

// A tile's face depends only on its colours, border, caption and size; tiles share faces, so
// each distinct face is drawn once and then copied, which keeps the glide's and the blink's
// frames cheap. The face is drawn at the screen's pixel density, so it stays crisp when scaled.
void TileWidget::paintEvent(QPaintEvent*) {
    const qreal dpr = devicePixelRatioF();
    const QString key = QStringLiteral("quorvane-tile:%1:%2:%3:%4:%5x%6@%7:")
                            .arg(colours_[0].rgb())
                            .arg(colours_[1].rgb())
                            .arg(colours_[2].rgb())
                            .arg(static_cast<int>(border_))
                            .arg(width())
                            .arg(height())
                            .arg(dpr) +
                        caption_;
    QPixmap face;
    if (!QPixmapCache::find(key, &face)) {
        face = QPixmap(QSize(qRound(width() * dpr), qRound(height() * dpr)));
        face.setDevicePixelRatio(dpr);
        QPainter fp(&face);
        paintFace(fp);
        fp.end();
        QPixmapCache::insert(key, face);
    }
    QPainter p(this);
    p.drawPixmap(0, 0, face);
}

void TileWidget::paintFace(QPainter& p) const {
    const QRect outline = rect();
    const int b = borderWidth(border_);
    const QRect inner = outline.adjusted(b, b, -b, -b);
    for (int x = 0; x < inner.width(); ++x) {
        p.fillRect(QRect(inner.left() + x, inner.top(), 1, inner.height()),
                   gradientColumn(colours_, x, inner.width()));
    }
    switch (border_) {
    case BorderStyle::ThinSunken:
        drawRing(p, outline, 0, kEdgeShadow, kEdgeHighlight);
        break;
    case BorderStyle::Sunken:
        drawRing(p, outline, 0, kEdgeShadow, kEdgeHighlight);
        drawRing(p, outline, 1, kEdgeDarkShadow, kEdgeLight);
        break;
    case BorderStyle::Raised:
        drawRing(p, outline, 0, kEdgeLight, kEdgeDarkShadow);
        drawRing(p, outline, 1, kEdgeHighlight, kEdgeShadow);
        drawRing(p, outline, 2, kEdgeFace, kEdgeFace);
        break;
    }
    p.setFont(captionFont());
    p.setPen(kMagenta);
    p.drawText(inner, Qt::AlignCenter | Qt::TextSingleLine, caption_);
}

void TileWidget::mouseReleaseEvent(QMouseEvent* event) {
    emit released(this, event->button());
}

void TileWidget::mouseMoveEvent(QMouseEvent*) {
    emit mouseMoved(this);
}

} // namespace ui
