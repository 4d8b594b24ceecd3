// Bad clipboard texts through the real Ctrl+B path: each gets its prompts, refusals or moves,
// and the first of them appears promptly even for ten megabytes.
#include "ui/step_box.h"
#include "ui/ui_fixture.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <random>

namespace {

QString repeated(const QString& piece, qsizetype bytes) {
    QString out;
    out.reserve(bytes + piece.size());
    while (out.size() < bytes) {
        out += piece;
    }
    return out;
}

QString randomText(qsizetype bytes) {
    std::mt19937 rng(7);
    QString out;
    out.reserve(bytes);
    const QString alphabet = QStringLiteral("0123456789,,.-+ eE\n\r\tabc中，１２");
    for (qsizetype i = 0; i < bytes; ++i) {
        out += alphabet[static_cast<qsizetype>(rng() % static_cast<unsigned>(alphabet.size()))];
    }
    return out;
}

struct ClipboardCase {
    const char* name;
    std::function<QString()> text;
    bool answer;         // the answer to every prompt
    int prompts;         // -1: at least one
    int moves;           // swaps made; -1: at least one (the replay is then stopped)
    QString firstPrompt; // the expected start of the first prompt, when given
};

class ClipboardInput : public uitest::WindowTest,
                       public ::testing::WithParamInterface<ClipboardCase> {};

// Guards against a crash, a hang or a wrong reading for texts no player writes on purpose.
TEST_P(ClipboardInput, GetsItsPromptsAndMovesPromptly) {
    const ClipboardCase& c = GetParam();
    QGuiApplication::clipboard()->setText(c.text());

    QElapsedTimer sinceKey;
    qint64 firstResponse = -1;
    int prompts = 0, moves = 0;
    QStringList promptTexts;
    const auto responded = [&] {
        if (firstResponse < 0) {
            firstResponse = sinceKey.elapsed();
        }
    };
    QObject::connect(window.get(), &ui::MainWindow::cuePlayed, [&](engine::SoundCue cue) {
        if (cue != engine::SoundCue::Swap) {
            return;
        }
        responded();
        // A long valid script is stopped after its first move; the rest would take hours.
        if (++moves == 1 && c.moves < 0 && window->replayPanel() != nullptr) {
            window->replayPanel()->stopButton()->click();
        }
    });
    uitest::BoxAnswerer answerer([&](const QString& text) {
        if (text.startsWith(QStringLiteral("第 "))) {
            responded();
            ++prompts;
            promptTexts << text.left(80);
            return c.answer ? QStringLiteral("Yes") : QStringLiteral("No");
        }
        return QString(); // the report: OK
    });

    sinceKey.start();
    QTest::keyClick(window->stepBox(), Qt::Key_B, Qt::ControlModifier);
    ASSERT_TRUE(uitest::waitFor([&] {
        return window->replayPanel() == nullptr && ui::openMessageBoxes().isEmpty() &&
               !window->game().replayActive;
    })) << "the replay did not end";

    if (c.prompts >= 0) {
        EXPECT_EQ(prompts, c.prompts) << promptTexts.join(" | ").toStdString();
    } else {
        EXPECT_GE(prompts, 1);
    }
    if (c.moves >= 0) {
        EXPECT_EQ(moves, c.moves);
    } else {
        EXPECT_GE(moves, 1);
    }
    if (!c.firstPrompt.isEmpty()) {
        ASSERT_FALSE(promptTexts.isEmpty());
        EXPECT_TRUE(promptTexts.front().startsWith(c.firstPrompt))
            << promptTexts.front().toStdString();
    }
    if (firstResponse >= 0) {
        std::printf("%s: first prompt or move after %lld ms\n", c.name,
                    static_cast<long long>(firstResponse));
        // A bound for hangs only; the figure itself is measured by the benchmark.
        EXPECT_LT(firstResponse, 5000);
    }
    EXPECT_FALSE(window->game().state.busy);
}

const QString kRange = QStringLiteral("第 1 步出错(数字超出范围");

const ClipboardCase kCases[] = {
    {"empty", [] { return QString(); }, true, 0, 0, {}},
    {"blanks", [] { return QStringLiteral("  \t  "); }, false, 1, 0, kRange},
    {"line_feeds", [] { return QStringLiteral("\n\n\n"); }, true, 3, 0, kRange},
    {"byte_order_mark", [] { return QStringLiteral("\uFEFF1,91\n91,11\n"); }, true, 0, 2, {}},
    {"lone_surrogates",
     [] {
         return QStringLiteral("1,91\n") + QChar(0xD800) + QStringLiteral("5,6\n") + QChar(0xDC00);
     },
     true,
     2,
     1,
     {}},
    {"ten_mb_valid",
     [] { return repeated(QStringLiteral("1,91\n91,11\n"), 10 << 20); },
     true,
     0,
     -1,
     {}},
    {"ten_mb_random", [] { return randomText(10 << 20); }, false, 1, 0, kRange},
    {"one_mb_line", [] { return repeated(QStringLiteral("1"), 1 << 20) + ",5"; }, false, 1, 0,
     kRange},
    {"four_hundred_digits", [] { return QString(400, QChar('9')) + QStringLiteral(",5"); }, false,
     1, 0, kRange},
};

INSTANTIATE_TEST_SUITE_P(Texts, ClipboardInput, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

} // namespace
