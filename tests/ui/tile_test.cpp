// Tile looks as painted, the hover tracking, and the glide's frames.
#include "ui_fixture.h"

#include <QTest>

namespace {

using uitest::WindowTest;

QImage grabTile(ui::TileWidget* t) {
    return t->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QColor at(const QImage& image, int x, int y) {
    return QColor(image.pixel(x, y));
}

bool hasPixel(const QImage& image, const QRect& area, const QColor& colour) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (at(image, x, y) == colour) {
                return true;
            }
        }
    }
    return false;
}

// Guards the painting rules: gradient edges and middle, each border style's rings, the caption.
TEST_F(WindowTest, TilesPaintTheirLooks) {
    struct Ring {
        int inset;
        QColor topLeft, bottomRight;
    };
    struct Case {
        engine::TileLook look;
        int border;
        QColor edge;
        std::vector<Ring> rings;
    };
    const std::vector<Case> cases = {
        {engine::TileLook::Normal, 1, ui::kYellow, {{0, ui::kEdgeShadow, ui::kEdgeHighlight}}},
        {engine::TileLook::Selected,
         2,
         ui::kBlue,
         {{0, ui::kEdgeShadow, ui::kEdgeHighlight}, {1, ui::kEdgeDarkShadow, ui::kEdgeLight}}},
        {engine::TileLook::Hover,
         3,
         ui::kYellow,
         {{0, ui::kEdgeLight, ui::kEdgeDarkShadow},
          {1, ui::kEdgeHighlight, ui::kEdgeShadow},
          {2, ui::kEdgeFace, ui::kEdgeFace}}},
    };
    for (const Case& c : cases) {
        ui::TileWidget* t = tile(45);
        t->setLook(engine::TileLook::Normal);
        t->setLook(c.look);
        const QImage image = grabTile(t);
        const int b = c.border;
        const int w = 50 - 2 * b;
        const std::string label = std::to_string(b);
        EXPECT_EQ(at(image, b, 25), c.edge) << label;             // inner left column
        EXPECT_EQ(at(image, b + w / 2, 40), ui::kWhite) << label; // column 24 of the gradient
        EXPECT_EQ(at(image, b + w - 1, 5), ui::gradientColumn(t->colours(), w - 1, w)) << label;
        for (const Ring& r : c.rings) {
            EXPECT_EQ(at(image, 25, r.inset), r.topLeft) << label << " top " << r.inset;
            EXPECT_EQ(at(image, r.inset, 25), r.topLeft) << label << " left " << r.inset;
            EXPECT_EQ(at(image, 25, 49 - r.inset), r.bottomRight) << label << " bottom " << r.inset;
            EXPECT_EQ(at(image, 49 - r.inset, 25), r.bottomRight) << label << " right " << r.inset;
        }
        EXPECT_TRUE(hasPixel(image, QRect(b, b, w, w), ui::kMagenta)) << label;
    }
}

TEST_F(WindowTest, HoverRaisesEachTileOnceAndRestoresThePreviousBorder) {
    hover(12);
    hover(13);
    hover(13);
    EXPECT_EQ(tile(13)->borderStyle(), ui::BorderStyle::Raised);
    EXPECT_EQ(tile(12)->borderStyle(), ui::BorderStyle::ThinSunken);
    EXPECT_EQ(std::count(cues.begin(), cues.end(), engine::SoundCue::Hover), 2);
    hover(12);
    EXPECT_EQ(tile(13)->borderStyle(), ui::BorderStyle::ThinSunken);
    EXPECT_EQ(tile(12)->borderStyle(), ui::BorderStyle::Raised);
    EXPECT_EQ(tile(13)->colours()[0], ui::kYellow); // the colours stay
    EXPECT_EQ(window->lastHovered(), 12);
}

TEST_F(WindowTest, TheFirstPickNeitherRaisesNorSoundsAndKeepsItsColours) {
    hover(12);
    click(12);
    hover(13);
    EXPECT_EQ(tile(12)->borderStyle(), ui::BorderStyle::ThinSunken);
    EXPECT_EQ(tile(12)->colours()[0], ui::kBlue);
    cues.clear();
    hover(12);
    EXPECT_TRUE(cues.empty());
    EXPECT_EQ(tile(12)->borderStyle(), ui::BorderStyle::ThinSunken);
}

TEST_F(WindowTest, NoHoverWhileAMoveIsResolved) {
    hover(12);
    window->game().state.busy = true;
    cues.clear();
    hover(13);
    EXPECT_TRUE(cues.empty());
    EXPECT_EQ(tile(13)->borderStyle(), ui::BorderStyle::ThinSunken);
    EXPECT_EQ(window->lastHovered(), 12);
    window->game().state.busy = false;
}

TEST_F(WindowTest, AfterAMoveTheTileUnderThePointerHoversAgain) {
    hover(91);
    click(1);
    click(91); // removes 92; tile 1 now stands where 91 was clicked
    cues.clear();
    hover(1);
    EXPECT_EQ(tile(1)->borderStyle(), ui::BorderStyle::Raised);
    EXPECT_EQ(cues, std::vector<engine::SoundCue>{engine::SoundCue::Hover});
}

// Records each position a tile moves to.
class MoveRecorder : public QObject {
public:
    explicit MoveRecorder(QWidget* w) { w->installEventFilter(this); }
    std::vector<QPoint> positions;
    std::function<void()> onFirst;

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Move) {
            if (positions.empty() && onFirst) {
                onFirst();
            }
            positions.push_back(static_cast<QWidget*>(o)->pos());
        }
        return false;
    }
};

// Guards the glide's frames as the player sees them, and the stacking of the two picks.
TEST_F(WindowTest, TheGlideMovesBothTilesInTenEqualFramesSecondInFront) {
    struct Case {
        int first, second;
        QPoint step;
    };
    for (const Case c : {Case{1, 91, {0, 45}}, Case{1, 2, {5, 0}}, Case{3, 1, {-10, 0}}}) {
        engine::newGame(window->game());
        MoveRecorder first(tile(c.first));
        MoveRecorder second(tile(c.second));
        const QPoint start = tile(c.first)->pos();
        int firstIndex = -1, secondIndex = -1, highestOther = -1;
        first.onFirst = [&] {
            const QObjectList kids = window->children();
            for (int i = 0; i < kids.size(); ++i) {
                auto* t = qobject_cast<ui::TileWidget*>(kids[i]);
                if (t == tile(c.first)) {
                    firstIndex = i;
                } else if (t == tile(c.second)) {
                    secondIndex = i;
                } else if (t != nullptr && !t->destroyed()) {
                    highestOther = i;
                }
            }
        };
        click(c.first);
        click(c.second);
        const std::string label = std::to_string(c.first) + "/" + std::to_string(c.second);
        ASSERT_EQ(first.positions.size(), 10u) << label;
        ASSERT_EQ(second.positions.size(), 10u) << label;
        for (int f = 0; f < 10; ++f) {
            EXPECT_EQ(first.positions[f], start + (f + 1) * c.step) << label << " frame " << f;
        }
        EXPECT_EQ(second.positions.back(), start) << label;
        EXPECT_GT(secondIndex, firstIndex) << label;
        EXPECT_GT(firstIndex, highestOther) << label;
        EXPECT_EQ(window->glidePlan().firstDelta, c.step) << label;
    }
}

} // namespace
