// A tile component: the painted 50 × 50 label with its gradient, border and caption.
#pragma once

#include "engine/game.h"

#include <QColor>
#include <QWidget>

#include <array>

namespace ui {

enum class BorderStyle { ThinSunken, Sunken, Raised };

// The width of a border style inside the tile: 1, 2 or 3 pixels.
int borderWidth(BorderStyle style);
// The colour of column x (0 at the inner left edge) of a gradient over an inner width w.
QColor gradientColumn(const std::array<QColor, 3>& colours, int x, int w);

inline const QColor kYellow{255, 255, 0};
inline const QColor kBlue{0, 0, 255};
inline const QColor kWhite{255, 255, 255};
inline const QColor kMagenta{255, 0, 255};

// The 3-D edge colours of the borders.
inline const QColor kEdgeHighlight{255, 255, 255};
inline const QColor kEdgeLight{227, 227, 227};
inline const QColor kEdgeFace{240, 240, 240};
inline const QColor kEdgeShadow{160, 160, 160};
inline const QColor kEdgeDarkShadow{105, 105, 105};

class TileWidget : public QWidget {
    Q_OBJECT
public:
    explicit TileWidget(QWidget* parent);

    // A new tile of the same window with this one's properties (hidden, place, size, look).
    TileWidget* clone() const;

    int number() const { return number_; } // the tag; 0 for none
    void setNumber(int number);
    QString caption() const { return caption_; }
    void setCaption(const QString& caption);

    BorderStyle borderStyle() const { return border_; }
    void setBorderStyle(BorderStyle style);
    const std::array<QColor, 3>& colours() const { return colours_; }
    void setColour(int index, const QColor& colour);
    // Border and colours 1 and 3 as the look prescribes; Hover changes only the border.
    void setLook(engine::TileLook look);
    bool selectedLook() const { return selected_; }

    // Set by destroyComponent: the tile is hidden, no longer found, and deleted later.
    bool destroyed() const { return destroyed_; }
    void markDestroyed() { destroyed_ = true; }

    // The caption font: SimSun where installed, else a CJK-capable font; bold, 21 px.
    static QFont captionFont();

signals:
    void released(ui::TileWidget* tile, Qt::MouseButton button);
    void mouseMoved(ui::TileWidget* tile);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    // Draws the tile as its look says, in the tile's own coordinates.
    void paintFace(QPainter& p) const;

    int number_ = 0;
    QString caption_;
    BorderStyle border_ = BorderStyle::ThinSunken;
    std::array<QColor, 3> colours_{kYellow, kWhite, kYellow};
    bool selected_ = false;
    bool destroyed_ = false;
};

} // namespace ui
