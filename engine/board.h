// The board of one game: 100 numbered tiles on a 10 x 10 grid, and the tile operations.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace engine {

inline constexpr int kBoardSide = 10;
inline constexpr int kTileCount = kBoardSide * kBoardSide;

// Names one tile of the current board by its number. It only means something while that tile
// is on the board; holders drop it when the tile is removed and when a new board is built.
struct TileRef {
    int number = 0;
    friend bool operator==(TileRef, TileRef) = default;
};

struct Tile {
    int number = 0;
    std::string caption; // "01".."09", "10".."100"
    std::string tag;     // "1".."100"
    int row = 0;
    int column = 0;
    bool onBoard = false;
    bool enabled = false;
};

// "07" for 7, "10" for 10, "100" for 100.
std::string tileCaption(int number);

class Board {
public:
    Board() { buildBoard(); }

    // Discards every tile and lays out 1..100 in their home cells, on the board and enabled.
    void buildBoard();

    // The tile on the board bearing number n, or none (removed, or n outside 1..100).
    std::optional<TileRef> findTile(int n) const;
    int tileCount() const { return count_; }

    // Same column, or else same row, at the tiles' current cells.
    bool sameLine(TileRef a, TileRef b) const;
    void swapCells(TileRef a, TileRef b);
    void removeTile(TileRef t);
    void setEnabled(TileRef t, bool enabled);

    // Read access; t must name a tile of this board (on it or removed).
    const Tile& tile(TileRef t) const { return tiles_.at(index(t)); }
    // The number of the tile in a cell, or 0 when the cell is empty.
    int numberAt(int row, int column) const {
        return cells_.at(static_cast<std::size_t>(row * kBoardSide + column));
    }

private:
    static std::size_t index(TileRef t) { return static_cast<std::size_t>(t.number - 1); }
    Tile& mut(TileRef t) { return tiles_.at(index(t)); }

    std::array<Tile, kTileCount> tiles_{};
    std::array<int, kTileCount> cells_{};
    int count_ = 0;
};

} // namespace engine
