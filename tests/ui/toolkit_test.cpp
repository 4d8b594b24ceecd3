// The toolkit services: waits, the generator, placement arithmetic, message boxes, the glide
// plan and the gradient rule.
#include "ui_fixture.h"

#include "ui/glide_plan.h"
#include "ui/replay_panel.h"
#include "ui/toolkit.h"
#include "ui/ui_texts.h"

#include <QMessageBox>
#include <QPushButton>
#include <QStringEncoder>

namespace {

using uitest::FakeTime;

// Guards the last-turn rule: the clock is read before each sleep, so a wait of N lasts N + 10.
TEST(WaitPumping, SleepsInTenMillisecondTurnsUntilAReadingShowsN) {
    struct Case {
        int ms;
        bool result;
        std::size_t turns;
    };
    for (const Case c : {Case{-1, false, 0}, Case{0, true, 0}, Case{1, true, 2}, Case{20, true, 3},
                         Case{200, true, 21}}) {
        FakeTime time;
        const std::int64_t start = time.now;
        EXPECT_EQ(ui::waitPumping(time, time, c.ms), c.result) << c.ms;
        EXPECT_EQ(time.sleeps.size(), c.turns) << c.ms;
        EXPECT_EQ(time.now - start, static_cast<std::int64_t>(10 * c.turns)) << c.ms;
    }
}

TEST(WaitPumping, HandlesEventsDuringTheWaitAndStopsWhenAsked) {
    FakeTime time;
    bool delivered = false;
    QTimer::singleShot(0, [&] { delivered = true; });
    int asked = 0;
    ui::waitPumping(time, time, 1000, [&] { return ++asked == 2; });
    EXPECT_TRUE(delivered);
    EXPECT_EQ(time.sleeps.size(), 2u);
}

// Guards the generator against any change of its constants, bit selection or seeding: the
// values were worked out by hand from the LCG definition.
TEST(RandomGenerator, SeedsFromTheClockAndDrawsTheDefinedSequence) {
    FakeTime time;
    time.now = 1000;
    ui::RandomGenerator random(time);
    random.seedRandom(); // state 1000, then s = 100 + 1000 mod 256 = 332
    EXPECT_EQ(random.state(), 1000u);
    EXPECT_EQ(random.randomInt(0, 255), 232);
    EXPECT_EQ(random.randomInt(0, 255), 29);
    EXPECT_EQ(random.randomInt(0, 255), 225);
    random.seedRandom(); // the same clock reading, moved on by s
    EXPECT_EQ(random.state(), 1332u);
    EXPECT_EQ(random.randomInt(255, 0), 36); // bounds in either order
    EXPECT_EQ(random.randomInt(0, 255), 116);
    EXPECT_EQ(random.randomInt(0, 255), 122);
}

TEST(RandomGenerator, NegativeBoundsCountAsZero) {
    FakeTime time;
    time.now = 1000;
    ui::RandomGenerator random(time);
    random.seedRandom();
    EXPECT_EQ(random.randomInt(-5, -1), 0);
    random.seedRandom();
    for (int i = 0; i < 50; ++i) {
        const int v = random.randomInt(10, 3);
        EXPECT_GE(v, 3);
        EXPECT_LE(v, 10);
    }
}

TEST(Placement, CentresFifteenPixelsAboveTheMiddleAndTruncatesTowardZero) {
    EXPECT_EQ(ui::centredTopLeft({1920, 1080}, {570, 529}), QPoint(675, 260));
    EXPECT_EQ(ui::centredTopLeft({1280, 800}, {564, 500}), QPoint(358, 135));
    // A screen smaller than the window: negative, cut toward zero (-35.5 → -35, -79.5 → -79).
    EXPECT_EQ(ui::centredTopLeft({500, 400}, {571, 529}), QPoint(-35, -79));
}

TEST(Placement, PanelStandsCentredBelowTheMainWindow) {
    EXPECT_EQ(ui::panelTopLeft(QRect(100, 80, 627, 424), 343), QPoint(242, 504));
    // (-300) + 142.5 truncates to -157, not to the -158 of integer halving.
    EXPECT_EQ(ui::panelTopLeft(QRect(-300, 10, 628, 20), 343), QPoint(-157, 30));
}

TEST(GlidePlan, StepsAndDirectionsOfEachPick) {
    struct Case {
        int first, second;
        QPoint firstDelta;
    };
    const auto home = [](int n) { return QPoint((n - 1) % 10 * 50, (n - 1) / 10 * 50); };
    for (const Case c :
         {Case{1, 91, {0, 45}}, Case{1, 2, {5, 0}}, Case{3, 1, {-10, 0}}, Case{91, 1, {0, -45}}}) {
        const ui::GlidePlan plan = ui::planGlide(home(c.first), home(c.second));
        EXPECT_EQ(plan.firstDelta, c.firstDelta) << c.first << "/" << c.second;
        EXPECT_EQ(plan.secondDelta, -c.firstDelta) << c.first << "/" << c.second;
        // Ten frames bring each onto the other's origin.
        EXPECT_EQ(plan.firstOrigin + ui::kGlideFrames * plan.firstDelta, plan.secondOrigin);
    }
}

TEST(Gradient, ColumnsRunThroughTheThreeColoursWithTruncation) {
    const std::array<QColor, 3> c{QColor(255, 255, 0), QColor(255, 255, 255), QColor(0, 0, 255)};
    EXPECT_EQ(ui::gradientColumn(c, 0, 48), c[0]);
    EXPECT_EQ(ui::gradientColumn(c, 24, 48), c[1]); // the middle column is colour 2 exactly
    // Column 12, yellow toward white: blue 0 + 255·12/24 = 127.5, cut to 127.
    EXPECT_EQ(ui::gradientColumn(c, 12, 48), QColor(255, 255, 127));
    // Column 47 gets f = 23/24: (0 − 255)·23/24 = −244.375, cut toward zero to −244.
    EXPECT_EQ(ui::gradientColumn(c, 47, 48), QColor(11, 11, 255));
    // Odd width: the last column takes colour 3 itself.
    EXPECT_EQ(ui::gradientColumn(c, 44, 45), c[2]);
}

// ---- Message boxes ----

struct BoxCase {
    ui::Buttons buttons;
    QString press; // empty: close the box instead
    int answer;
};

TEST(MessageBox, ButtonsAndAnswers) {
    const QString ok = QMessageBox::tr("OK");
    for (const BoxCase& c : {BoxCase{ui::Buttons::Ok, "OK", ui::kAnswerOk},
                             BoxCase{ui::Buttons::Ok, "", ui::kAnswerOk},
                             BoxCase{ui::Buttons::OkCancel, "OK", ui::kAnswerOk},
                             BoxCase{ui::Buttons::OkCancel, "Cancel", ui::kAnswerCancel},
                             BoxCase{ui::Buttons::OkCancel, "", ui::kAnswerCancel},
                             BoxCase{ui::Buttons::YesNo, "Yes", ui::kAnswerYes},
                             BoxCase{ui::Buttons::YesNo, "No", ui::kAnswerNo},
                             BoxCase{ui::Buttons::YesNo, "", ui::kAnswerNo}}) {
        QMessageBox* seen = nullptr;
        QStringList captions;
        QTimer::singleShot(0, [&] {
            ASSERT_EQ(ui::openMessageBoxes().size(), 1);
            seen = qobject_cast<QMessageBox*>(ui::openMessageBoxes().front());
            for (QAbstractButton* b : seen->buttons()) {
                captions.append(b->text().remove('&'));
            }
            EXPECT_TRUE(seen->windowTitle().isEmpty());
            EXPECT_EQ(seen->icon(), QMessageBox::Warning);
            EXPECT_EQ(seen->windowModality(), Qt::NonModal);
            EXPECT_EQ(seen->parentWidget(), nullptr);
            EXPECT_TRUE(seen->windowFlags() & Qt::WindowStaysOnTopHint);
            EXPECT_EQ(seen->text(), "a\nb"); // CR LF shown as one line break
            if (c.press.isEmpty()) {
                seen->close();
                return;
            }
            for (QAbstractButton* b : seen->buttons()) {
                if (b->text().remove('&') == c.press) {
                    b->click();
                }
            }
        });
        EXPECT_EQ(ui::messageBox("a\r\nb", c.buttons), c.answer) << c.press.toStdString();
        const QStringList expected = c.buttons == ui::Buttons::Ok ? QStringList{"OK"}
                                     : c.buttons == ui::Buttons::OkCancel
                                         ? QStringList{"OK", "Cancel"}
                                         : QStringList{"Yes", "No"};
        for (const QString& e : expected) {
            EXPECT_TRUE(captions.contains(e)) << e.toStdString();
        }
    }
}

TEST(MessageBox, AnEndingProgramClosesOpenBoxesAndOpensNoMore) {
    QTimer::singleShot(0, [] { ui::setProgramEnding(true); });
    EXPECT_EQ(ui::messageBox("?", ui::Buttons::YesNo), ui::kAnswerNo);
    EXPECT_EQ(ui::messageBox("?", ui::Buttons::OkCancel), ui::kAnswerCancel);
    EXPECT_TRUE(ui::openMessageBoxes().isEmpty());
    ui::setProgramEnding(false);
}

// ---- Settings ----

TEST(FirstStartFlag, AbsentReadsEmpty) {
    uitest::setFirstStartFlag(QStringLiteral("假"));
    EXPECT_EQ(ui::readFirstStartFlag(), QStringLiteral("假"));
    uitest::setFirstStartFlag(std::nullopt);
    EXPECT_EQ(ui::readFirstStartFlag(), QString());
}

} // namespace

namespace {

// Guards the rules text against a slip in transcription: in GBK it is 762 bytes long.
TEST(Texts, TheRulesAre762BytesInGbk) {
    QStringEncoder gbk("GBK");
    ASSERT_TRUE(gbk.isValid());
    const QByteArray bytes = gbk.encode(QString::fromUtf8(ui::texts::kRules));
    EXPECT_FALSE(gbk.hasError());
    EXPECT_EQ(bytes.size(), 762);
}

} // namespace
