// Board layout, lookup, swaps and removal.
#include "board.h"

#include <cassert>
#include <utility>

namespace engine {

std::string tileCaption(int number) {
    std::string digits = std::to_string(number);
    return number < 10 ? "0" + digits : digits;
}

void Board::buildBoard() {
    cells_.fill(0);
    // Lay the tiles out as the window's set-up does: left to right, and a new row after every
    // number whose decimal text ends in "0".
    int row = 0;
    int column = 0;
    for (int n = 1; n <= kTileCount; ++n) {
        Tile& t = tiles_[static_cast<std::size_t>(n - 1)];
        t.number = n;
        t.caption = tileCaption(n);
        t.tag = std::to_string(n);
        t.row = row;
        t.column = column;
        t.onBoard = true;
        t.enabled = true;
        cells_[static_cast<std::size_t>(row * kBoardSide + column)] = n;
        if (t.tag.back() == '0') {
            ++row;
            column = 0;
        } else {
            ++column;
        }
    }
    count_ = kTileCount;
}

std::optional<TileRef> Board::findTile(int n) const {
    if (n < 1 || n > kTileCount || !tiles_[static_cast<std::size_t>(n - 1)].onBoard) {
        return std::nullopt;
    }
    return TileRef{n};
}

bool Board::sameLine(TileRef a, TileRef b) const {
    const Tile& ta = tile(a);
    const Tile& tb = tile(b);
    return ta.column == tb.column || ta.row == tb.row;
}

void Board::swapCells(TileRef a, TileRef b) {
    Tile& ta = mut(a);
    Tile& tb = mut(b);
    assert(ta.onBoard && tb.onBoard);
    std::swap(ta.row, tb.row);
    std::swap(ta.column, tb.column);
    cells_[static_cast<std::size_t>(ta.row * kBoardSide + ta.column)] = ta.number;
    cells_[static_cast<std::size_t>(tb.row * kBoardSide + tb.column)] = tb.number;
}

void Board::removeTile(TileRef t) {
    Tile& tile = mut(t);
    if (!tile.onBoard) {
        return;
    }
    tile.onBoard = false;
    cells_[static_cast<std::size_t>(tile.row * kBoardSide + tile.column)] = 0;
    --count_;
}

void Board::setEnabled(TileRef t, bool enabled) {
    mut(t).enabled = enabled;
}

} // namespace engine
