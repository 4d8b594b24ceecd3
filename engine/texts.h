// The player-facing texts of the rules, and the maker's contact details, in UTF-8.
#pragma once

#include <string_view>

namespace engine::texts {

// The maker's details are placeholders under a reserved example domain; each exists once here.
inline constexpr std::string_view kMakerWebAddress = "http://www.talbrisk.example";
inline constexpr std::string_view kReleasePagePath = "/info.asp?id=108";
inline constexpr std::string_view kMakerMessenger = "Talbrisk 即时通";
inline constexpr std::string_view kMakerMessengerNumber = "00000000";
inline constexpr std::string_view kMakerEmail = "author@talbrisk.example";

inline constexpr std::string_view kProgramName = "Talbrisk·Quorvane";
inline constexpr std::string_view kProgramVersion = "2.1";

inline constexpr std::string_view kAlreadySelected =
    "您已选定了该目标，请选定其他目标！(右键取消该目标)";
inline constexpr std::string_view kCannotSwap =
    "两者不能对调。对调的范围是纵横方格（详细请右键查询规则）";
inline constexpr std::string_view kResultGone = "(该结果数值对应的方格已经不存在)";
inline constexpr std::string_view kVictoryFlash = "王者归来，横扫全军";
inline constexpr std::string_view kConfirmNewGame =
    "您确定要开始新游戏吗？如果只是想结束游戏和获得最终成绩，那么可以执行【终止清算】命令";
inline constexpr std::string_view kVictoryLine = "\r\n\r\n您已消去全部方格，获得了最终的胜利！！！";
// The average per removed tile when no tile was removed: there is nothing to divide by.
inline constexpr std::string_view kNoAverage = "无（未消去方格）";

} // namespace engine::texts
