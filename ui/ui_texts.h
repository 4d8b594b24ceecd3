// The window layer's player-facing texts, in UTF-8.
#pragma once

#include "engine/texts.h"

#include <string>

namespace ui::texts {

inline std::string defaultTitle() {
    return std::string(engine::texts::kProgramName) + " v" +
           std::string(engine::texts::kProgramVersion) + " - 数字角力游戏  官网：" +
           std::string(engine::texts::kMakerWebAddress);
}

inline std::string formTitle() {
    return std::string(engine::texts::kProgramName) + " v" +
           std::string(engine::texts::kProgramVersion) + " - 数字角力游戏";
}

inline std::string trayTip() {
    return std::string(engine::texts::kProgramName) + " - 数字角力游戏";
}

inline std::string releasePageUrl() {
    return std::string(engine::texts::kMakerWebAddress) +
           std::string(engine::texts::kReleasePagePath);
}

inline std::string aboutText() {
    return std::string(engine::texts::kProgramName) + " v" +
           std::string(engine::texts::kProgramVersion) +
           " - 数字角力游戏\r\n\r\n纵横对调，相加消格，以消掉全部方格为胜。\r\n\r\n官网：" +
           std::string(engine::texts::kMakerWebAddress);
}

inline constexpr const char* kRules =
    "以纵横的方式，将任意两个数字方格对调（分别点击两个方格），并相加其数值，如有超过一百的，再减去"
    "一百，得最后结果，并据此隐匿去结果数值对应的方格。\r\n\r\n"
    "游戏不限时间，直到将全部方格全部消去或用户自己选择终止，游戏才算结束。\r\n\r\n"
    "总共有 100 个方格，以消掉全部为最终的获胜！\r\n\r\n"
    "为了避免懒惰型的“一百溜”作弊行为（就是一直用 100 跟其他匹配），故限定每间隔 2 次以上 100 "
    "以外数的对调之后，100 才允许被参与对调一次。\r\n\r\n"
    "消掉全部的最后对弈：台面上只剩下两个可以对调的方格，并且此两格的相加等于一百，如此才可以两个"
    "同时消散，力捧全球冠军之杯！\r\n\r\n"
    "游戏以方格多寡和所用时间而分优劣，方格越少以及使用的时间越短代表成绩越高。\r\n\r\n"
    "游戏方法：右键点击菜单项“新游戏”可以开始新的一局，然后点击任意格可以正式开始游戏并计时，右键点"
    "击菜单项“终止清算”可以结束游戏并计算您的当前游戏成绩！";

// The pop-up menu.
inline constexpr const char* kMenuFile = "文件";
inline constexpr const char* kMenuNewGame = "新游戏";
inline constexpr const char* kMenuSettle = "终止清算";
inline constexpr const char* kMenuRules = "规则...";
inline constexpr const char* kMenuAbout = "关于...";
inline constexpr const char* kMenuReleasePage = "发布页(更新)...";
inline constexpr const char* kMenuQuiet = "安静模式";
inline constexpr const char* kMenuKeepOnTop = "保持最前";
inline constexpr const char* kMenuSolutions = "成功走法";
inline constexpr const char* kMenuMySteps = "演示我的步骤...";
inline constexpr const char* kMenuExit = "退出";
inline constexpr const char* kMenuCancel = "取消此菜单";

// The replay panel.
inline constexpr const char* kPanelStop = "终止演示";
inline constexpr const char* kPanelPause = "暂停演示";
inline constexpr const char* kPanelResume = "继续演示";
inline constexpr const char* kPanelExit = "退出程序";

} // namespace ui::texts
