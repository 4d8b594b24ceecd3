// The step line format shared by the step log and replay scripts, and its reader.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace replay {

struct StepLine {
    int lineNumber = 0;   // 1-based, empty lines counted
    std::string lineText; // the line without its CR LF
    std::int32_t first = 0;
    std::int32_t second = 0;
};

// Cuts a UTF-8 script into lines at CR LF and reads two numbers from each. Never fails:
// whatever cannot be read becomes 0.
std::vector<StepLine> parseStepScript(std::string_view text);

// The clipboard's line ends to the script's: every LF not preceded by CR becomes CR LF.
std::string toScriptLineEnds(std::string_view text);

// A clipboard text as a script: a leading byte-order mark (an encoding marker that editors
// leave in front of the first line, not part of it) is dropped, and the line ends converted.
std::string scriptFromClipboard(std::string_view text);

} // namespace replay
