// The recording view and clock of the tests.
#include "support/recording_view.h"

namespace testing_support {

using engine::SoundCue;
using engine::TileLook;
using engine::TileRef;

const char* cueName(SoundCue cue) {
    switch (cue) {
    case SoundCue::Click:
        return "Click";
    case SoundCue::Hover:
        return "Hover";
    case SoundCue::Deselect:
        return "Deselect";
    case SoundCue::Swap:
        return "Swap";
    case SoundCue::InvalidSwap:
        return "InvalidSwap";
    case SoundCue::Removal:
        return "Removal";
    case SoundCue::Victory:
        return "Victory";
    }
    return "?";
}

const char* lookName(TileLook look) {
    switch (look) {
    case TileLook::Normal:
        return "Normal";
    case TileLook::Selected:
        return "Selected";
    case TileLook::Hover:
        return "Hover";
    }
    return "?";
}

std::vector<std::string> RecordingView::callsStartingWith(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& c : calls) {
        if (c.rfind(prefix, 0) == 0) {
            out.push_back(c);
        }
    }
    return out;
}

void RecordingView::record(std::string entry) {
    calls.push_back(entry);
    if (during) {
        during(entry);
    }
}

void RecordingView::setTileLook(TileRef tile, TileLook look) {
    record("look " + std::to_string(tile.number) + " " + lookName(look));
}
void RecordingView::setTileEnabled(TileRef tile, bool enabled) {
    record(std::string(enabled ? "enable " : "disable ") + std::to_string(tile.number));
}
void RecordingView::destroyTile(TileRef tile) {
    record("destroy " + std::to_string(tile.number));
}
void RecordingView::setTitle(const std::string& text) {
    title = text;
    record("title " + text);
}
void RecordingView::playCue(SoundCue cue) {
    record(std::string("cue ") + cueName(cue));
}
void RecordingView::pickBlink(TileRef first, TileRef second) {
    record("blink " + std::to_string(first.number) + " " + std::to_string(second.number));
}
void RecordingView::swapGlide(TileRef first, TileRef second) {
    record("glide " + std::to_string(first.number) + " " + std::to_string(second.number));
}
void RecordingView::removalFlash(const std::string& text, TileRef tile,
                                 std::optional<TileRef> second) {
    std::string entry = "flash " + std::to_string(tile.number);
    if (second) {
        entry += " " + std::to_string(second->number);
    }
    record(entry + " " + text);
}
void RecordingView::showInfo(const std::string& text) {
    record("info " + text);
}
bool RecordingView::askOkCancel(const std::string& text) {
    record("okcancel " + text);
    return okCancelAnswer;
}
void RecordingView::clearStepLog() {
    stepLog.clear();
    record("clearlog");
}
void RecordingView::appendStepLine(const std::string& firstCaption,
                                   const std::string& secondCaption) {
    stepLog += firstCaption + "," + secondCaption + "\r\n";
    record("append " + firstCaption + "," + secondCaption);
}
void RecordingView::setSettleEnabled(bool enabled) {
    settleEnabled = enabled;
    record(std::string("settle ") + (enabled ? "on" : "off"));
}
void RecordingView::rebuildWindow() {
    ++rebuilds;
    record("rebuild");
}
void RecordingView::pumpEvents() {
    record("pump");
}

} // namespace testing_support
