// Which cues the rules ask for, in which order, at each event, and which of them the quiet-mode
// gate lets through, inside and outside a replay.
#include "support/recording_view.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using engine::Game;
using engine::SoundCue;
using Cues = std::vector<std::string>;

// The window's side of the cues: the pick blink starts with its Swap cue, and every cue goes
// through the gate before it would be played.
class GatedView : public testing_support::RecordingView {
public:
    bool quietMode = false;
    const Game* game = nullptr;
    Cues asked;
    Cues heard;

    void playCue(SoundCue cue) override {
        asked.push_back(testing_support::cueName(cue));
        if (engine::cueAudible(cue, quietMode, game->replayActive)) {
            heard.push_back(testing_support::cueName(cue));
        }
        RecordingView::playCue(cue);
    }
    void pickBlink(engine::TileRef a, engine::TileRef b) override {
        playCue(SoundCue::Swap);
        RecordingView::pickBlink(a, b);
    }
};

void pick(Game& g, int a) {
    engine::pickTile(g, {a});
}
void pair(Game& g, int a, int b) {
    pick(g, a);
    pick(g, b);
}
// The board two moves from the end: only tiles 10 and 90 (one column, summing to 100) left.
void lastTwo(Game& g) {
    for (int n = 1; n <= engine::kTileCount; ++n) {
        if (n != 10 && n != 90) {
            g.board.removeTile({n});
        }
    }
    g.state.counters.tilesRemoved = 98;
}

struct Scenario {
    const char* name;
    std::function<void(Game&)> setUp; // before the cues are counted
    std::function<void(Game&, GatedView&)> act;
    Cues played;       // outside a replay
    Cues playedReplay; // during a replay
};

const Scenario kScenarios[] = {
    {"first pick", nullptr, [](Game& g, GatedView&) { pick(g, 1); }, {"Click"}, {}},
    {"second pick that removes a tile",
     nullptr,
     [](Game& g, GatedView&) { pair(g, 1, 91); },
     {"Click", "Click", "Swap", "Removal"},
     {"Swap"}},
    {"illegal pair",
     nullptr,
     [](Game& g, GatedView&) { pair(g, 12, 91); },
     {"Click", "Click", "InvalidSwap"},
     {"InvalidSwap"}},
    {"missing result tile",
     [](Game& g) { pair(g, 91, 11); },
     [](Game& g, GatedView&) { pair(g, 91, 11); },
     {"Click", "Click", "Swap"},
     {"Swap"}},
    {"pick of the selected tile",
     nullptr,
     [](Game& g, GatedView&) { pair(g, 5, 5); },
     {"Click", "Click"},
     {}},
    {"deselect",
     nullptr,
     [](Game& g, GatedView&) {
         pick(g, 5);
         engine::rightClickTile(g, {5});
     },
     {"Click", "Deselect"},
     {"Deselect"}},
    {"clicks while the move is resolved",
     nullptr,
     [](Game& g, GatedView& v) {
         v.during = [&g](const std::string& call) {
             if (call.rfind("blink", 0) == 0 || call.rfind("flash", 0) == 0) {
                 pick(g, 50);
                 engine::rightClickTile(g, {1});
             }
         };
         pair(g, 1, 91);
         v.during = nullptr;
     },
     {"Click", "Click", "Swap", "Removal"},
     {"Swap"}},
    {"final pair",
     lastTwo,
     [](Game& g, GatedView&) { pair(g, 10, 90); },
     {"Click", "Click", "Swap", "Victory"},
     {"Swap", "Victory"}},
};

// Guards against a cue at the wrong moment, in the wrong order or missing, against the replay's
// leaving out Click and Removal, and against quiet mode letting anything but the replay's
// victory through.
TEST(CueTable, EachEventPlaysItsCuesAndQuietModeGatesThem) {
    for (const Scenario& s : kScenarios) {
        for (const bool replay : {false, true}) {
            for (const bool quiet : {false, true}) {
                SCOPED_TRACE(std::string(s.name) + (replay ? ", replay" : "") +
                             (quiet ? ", quiet" : ""));
                testing_support::FakeClock clock;
                GatedView view;
                Game game(view, clock);
                view.game = &game;
                view.quietMode = quiet;
                if (s.setUp) {
                    s.setUp(game);
                }
                game.replayActive = replay;
                view.asked.clear();
                view.heard.clear();
                s.act(game, view);

                const Cues& want = replay ? s.playedReplay : s.played;
                EXPECT_EQ(view.asked, want);
                Cues heardWhenQuiet;
                if (replay && !want.empty() && want.back() == "Victory") {
                    heardWhenQuiet = {"Victory"};
                }
                EXPECT_EQ(view.heard, quiet ? heardWhenQuiet : want);
            }
        }
    }
}

// Guards against cues out of step with the events they belong to: the Click comes before the
// pick is handled, the Swap after the step line and before the glide, the Removal after the
// flash and before the tile goes, the InvalidSwap before the refusal text, the Victory before
// its flash, and the Deselect before the tile is shown Normal.
TEST(CueTable, CuesComeAtTheirMomentAmongTheOtherEffects) {
    auto run = [](const std::function<void(Game&)>& setUp, const std::function<void(Game&)>& act) {
        testing_support::FakeClock clock;
        GatedView view;
        Game game(view, clock);
        view.game = &game;
        if (setUp) {
            setUp(game);
        }
        view.clear();
        act(game);
        Cues out;
        for (const auto& c : view.calls) {
            // The calls that show where a cue stands.
            for (const char* p : {"cue ", "look ", "append", "blink", "glide", "flash", "destroy",
                                  "title", "clearlog"}) {
                if (c.rfind(p, 0) == 0) {
                    out.push_back(c.substr(0, c.find(' ', std::string(p) == "cue " ? 4 : 0)));
                    break;
                }
            }
        }
        return out;
    };
    EXPECT_EQ(run(nullptr, [](Game& g) { pair(g, 1, 91); }),
              (Cues{"cue Click", "clearlog", "look", "cue Click", "look", "append", "cue Swap",
                    "blink", "glide", "title", "flash", "cue Removal", "destroy"}));
    EXPECT_EQ(run(nullptr, [](Game& g) { pair(g, 12, 91); }),
              (Cues{"cue Click", "clearlog", "look", "cue Click", "look", "cue InvalidSwap",
                    "title", "look", "look"}));
    EXPECT_EQ(run(nullptr,
                  [](Game& g) {
                      pick(g, 5);
                      engine::rightClickTile(g, {5});
                  }),
              (Cues{"cue Click", "clearlog", "look", "cue Deselect", "look"}));
    const Cues win = run(lastTwo, [](Game& g) { pair(g, 10, 90); });
    const auto victory = std::find(win.begin(), win.end(), "cue Victory");
    ASSERT_NE(victory, win.end());
    ASSERT_NE(victory + 1, win.end());
    EXPECT_EQ(*(victory + 1), "flash");
    EXPECT_EQ(*(victory - 1), "glide");
}

} // namespace
