// The replay driver: prompts for bad lines, the picks of each step, the pause loop and the end.
#include "replay_driver.h"

#include "engine/texts.h"
#include "step_script.h"

namespace replay {

namespace {

constexpr std::string_view kAlreadyReplaying = "当前正在演示中，请先终止当前演示再开始新的演示！";
constexpr std::string_view kPromptHead = "第 ";
constexpr std::string_view kOutOfRange = " 步出错(数字超出范围，最小值 1；最大值 100)：";
constexpr std::string_view kTileMissing = " 步出错(数字不存在)：";
constexpr std::string_view kPromptTail = "\r\n\r\n请问是否继续自动演示？(继续则忽略此步)";

// A line shown in a prompt is cut after this many bytes: a box showing a megabyte-long line
// would take seconds to lay out and would not fit any screen.
constexpr std::size_t kShownLineBytes = 200;

std::string prompt(const StepLine& line, std::string_view middle) {
    std::string text(kPromptHead);
    text += std::to_string(line.lineNumber);
    text += middle;
    if (line.lineText.size() <= kShownLineBytes) {
        text += line.lineText;
    } else {
        std::size_t cut = kShownLineBytes;
        while (cut > 0 && (static_cast<unsigned char>(line.lineText[cut]) & 0xC0) == 0x80) {
            --cut; // never inside a UTF-8 character
        }
        text.append(line.lineText, 0, cut);
        text += "…";
    }
    text += kPromptTail;
    return text;
}

bool inRange(std::int32_t n) {
    return n >= 1 && n <= engine::kTileCount;
}

} // namespace

void ReplayDriver::startReplay(std::string_view text) {
    // A stopped replay is Idle already while it finishes its move and its settlement; until
    // replayActive is cleared it still owns the board, so a new replay is refused then too.
    if (state_ != ReplayState::Idle || game_.replayActive) {
        host_.showInfo(std::string(kAlreadyReplaying));
        return;
    }
    game_.replayActive = true;
    state_ = ReplayState::Running;
    host_.openPanel();
    endReplay(playLines(text));
}

ReplayDriver::Ending ReplayDriver::playLines(std::string_view text) {
    engine::GameState& s = game_.state;
    // A replay starts on a fresh board when tiles have been removed, and also when a move is
    // being resolved right now (Ctrl+B during its animation): the new game abandons that move.
    if (s.counters.tilesRemoved != 0 || s.busy) {
        engine::newGame(game_);
        if (host_.programEnding()) {
            return Ending::ProgramEnding;
        }
    }
    // A first pick the player left pending would pair with the script's first tile; it is
    // dropped so that the script plays as written.
    if (s.firstPick) {
        game_.view.setTileLook(*s.firstPick, engine::TileLook::Normal);
        s.firstPick.reset();
    }
    generation_ = game_.generation;

    for (const StepLine& line : parseStepScript(text)) {
        if (!inRange(line.first) || !inRange(line.second)) {
            if (const auto ending = askToContinue(prompt(line, kOutOfRange))) {
                return *ending;
            }
            continue;
        }
        // Both tiles are looked up before either is designated: a line with a missing tile
        // makes no pick at all.
        const auto first = game_.board.findTile(line.first);
        const auto second = first ? game_.board.findTile(line.second) : std::nullopt;
        if (!second) {
            if (const auto ending = askToContinue(prompt(line, kTileMissing))) {
                return *ending;
            }
            continue;
        }

        // The first designation can complete a pair the previous line left pending (a line
        // naming one tile twice). If that pick wins, the board is new and the second tile
        // named a tile of the old one, so the step ends there.
        bool won = engine::pickTile(game_, *first);
        if (!won) {
            if (const auto stop = interruption()) {
                return *stop;
            }
            won = engine::pickTile(game_, *second);
        }
        if (host_.programEnding()) {
            return Ending::ProgramEnding;
        }
        if (won) {
            return Ending::Played; // settled and reset inside the pick
        }
        if (const auto stop = interruption()) {
            return *stop;
        }

        // The panel's buttons act through the pumped events.
        while (state_ == ReplayState::Paused) {
            host_.sleepMs(10);
            host_.pumpEvents();
            if (const auto stop = interruption()) {
                return *stop;
            }
        }
        if (state_ == ReplayState::Idle) {
            return Ending::Played; // Stop
        }
    }
    return Ending::Played;
}

std::optional<ReplayDriver::Ending> ReplayDriver::askToContinue(const std::string& text) {
    const bool goOn = host_.askYesNo(text);
    if (const auto stop = interruption()) {
        return stop;
    }
    if (!goOn) {
        return Ending::Played;
    }
    return std::nullopt;
}

std::optional<ReplayDriver::Ending> ReplayDriver::interruption() const {
    if (host_.programEnding()) {
        return Ending::ProgramEnding;
    }
    // A new game or a settlement chosen from the menu while the replay waited: the replay's
    // game is over and the board is not its own any more.
    if (game_.generation != generation_) {
        return Ending::BoardReplaced;
    }
    return std::nullopt;
}

void ReplayDriver::endReplay(Ending ending) {
    // Only a replay that played to its end settles its game; when the board was replaced the
    // new board has nothing to report, and when the program is ending no box may open.
    if (ending == Ending::Played && game_.state.counters.tilesRemoved != 0) {
        engine::settle(game_);
    }
    state_ = ReplayState::Idle;
    host_.closePanel();
    game_.replayActive = false;
}

void ReplayDriver::onStepBoxKey(int keyCode, int modifiers) {
    if (keyCode != kKeyB || modifiers != kModCtrl) {
        return;
    }
    // The clipboard ends lines with LF alone; the script format separates them by CR LF.
    startReplay(scriptFromClipboard(host_.clipboardText()));
}

void ReplayDriver::showInstructions() {
    namespace texts = engine::texts;
    std::string text =
        "请先复制类似这样格式的文本到剪辑板：\r\n\r\n1,91\r\n91,11\r\n91,12\r\n91,13\r\n\r\n"
        "然后再到步骤编辑框中按下 Ctrl + B 组合键，就可以演示您自定义的走法了\r\n\r\n"
        "PS：当您的走法也成功消掉全部时，欢迎联系";
    text += texts::kMakerMessenger;
    text += "（";
    text += texts::kMakerMessengerNumber;
    text += "）或发送邮件（";
    text += texts::kMakerEmail;
    text += "）将您的走法步骤以及个人信息通知作者，作者将在下一个版本录入您的走法到成功走法库中，"
            "供展示给其他玩者观摩！";
    host_.showInfo(text);
}

} // namespace replay
