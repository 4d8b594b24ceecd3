// The board's layout, captions, lookup, swaps and removal.
#include "engine/board.h"

#include <gtest/gtest.h>

using engine::Board;
using engine::TileRef;

// Guards against a wrong home-cell or caption rule (a tile in the wrong cell breaks every move).
TEST(Board, BuildsHundredTilesInHomeCellsWithCaptionsAndTags) {
    Board b;
    EXPECT_EQ(b.tileCount(), 100);
    struct Case {
        int n, row, column;
        const char *caption, *tag;
    } cases[] = {{1, 0, 0, "01", "1"},   {7, 0, 6, "07", "7"},   {10, 0, 9, "10", "10"},
                 {11, 1, 0, "11", "11"}, {91, 9, 0, "91", "91"}, {100, 9, 9, "100", "100"}};
    for (const auto& c : cases) {
        const auto& t = b.tile(TileRef{c.n});
        EXPECT_EQ(t.row, c.row) << c.n;
        EXPECT_EQ(t.column, c.column) << c.n;
        EXPECT_EQ(t.caption, c.caption);
        EXPECT_EQ(t.tag, c.tag);
        EXPECT_TRUE(t.onBoard && t.enabled);
        EXPECT_EQ(b.numberAt(c.row, c.column), c.n);
    }
}

// Guards against lookups that find removed tiles or numbers outside the board.
TEST(Board, FindTileRefusesOutOfRangeAndRemovedTiles) {
    Board b;
    EXPECT_FALSE(b.findTile(0));
    EXPECT_FALSE(b.findTile(101));
    EXPECT_FALSE(b.findTile(-5));
    ASSERT_TRUE(b.findTile(42));
    b.removeTile(TileRef{42});
    EXPECT_FALSE(b.findTile(42));
    EXPECT_EQ(b.numberAt(4, 1), 0);
    EXPECT_EQ(b.tileCount(), 99);
    // Nothing slides into the hole.
    EXPECT_EQ(b.tile(TileRef{43}).column, 2);
    b.removeTile(TileRef{42}); // a second removal changes nothing
    EXPECT_EQ(b.tileCount(), 99);
    b.buildBoard();
    EXPECT_EQ(b.tileCount(), 100);
    EXPECT_TRUE(b.findTile(42));
}

// Guards against legality judged at home cells instead of current cells.
TEST(Board, SwapMovesTilesAndLegalityFollowsCurrentCells) {
    Board b;
    const TileRef t1{1}, t2{2}, t91{91}, t100{100};
    EXPECT_TRUE(b.sameLine(t1, t91));
    b.swapCells(t1, t91);
    EXPECT_EQ(b.tile(t1).row, 9);
    EXPECT_EQ(b.tile(t1).column, 0);
    EXPECT_EQ(b.tile(t91).row, 0);
    EXPECT_EQ(b.numberAt(9, 0), 1);
    EXPECT_EQ(b.numberAt(0, 0), 91);
    EXPECT_TRUE(b.sameLine(t1, t100));
    EXPECT_FALSE(b.sameLine(t1, t2));
    EXPECT_EQ(b.tile(t1).caption, "01"); // captions and tags stay with their tiles
}
