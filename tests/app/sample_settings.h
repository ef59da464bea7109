// A Settings.ini for the main window's tests: captions in English and
// Simplified Chinese, an empty Close caption in Traditional Chinese, and texts
// both in the language sections and in "Default".
#pragma once

inline constexpr const char* kSettings = R"(
[english]
PopMenu1=Close
PopMenu2=Start at login
PopMenu3=Language
Hint=Corvane
LT_Title=LT Key
CPI_Title=Mouse CPI
RT_Title=RT Mode
RT1=Standard
[ChineseS]
PopMenu1=关闭
PopMenu2=开机启动
PopMenu3=语言
Hint=Corvane 通知
CPI_Title=鼠标 CPI
RT_Title=RT 模式
[ChineseT]
PopMenu1=
PopMenu2=開機啟動
PopMenu3=語言
[Default]
LT1=OFF
RT1=not the language's
RT2=Rapid Trigger
CPI1=CPI 400
CPI3=CPI 1600
)";
