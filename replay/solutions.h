// The three built-in solutions: menu captions and scripts.
#pragma once

#include <array>
#include <string_view>

namespace replay {

struct Solution {
    std::string_view caption;
    std::string_view script; // lines joined by CR LF, none after the last
};

extern const std::array<Solution, 3> kSolutions;

} // namespace replay
