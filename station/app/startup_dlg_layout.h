#pragma once
// The main menu as designed: a borderless pop-up of 379 x 221 dialog units with five picture
// buttons in a row along the bottom third, under the background's title.
#include <array>
#include "layout/control_table.h"

namespace travenor {

inline constexpr int IDD_STARTUP = 134;
inline constexpr int IDC_SIGN = 1;
inline constexpr int IDC_LOTTERY = 2;
inline constexpr int IDC_QUIT = 4;
inline constexpr int IDC_MANAGE = 5;
inline constexpr int IDC_PHOTOWALL = 1039;

using vantor::ControlEntry;
using vantor::ControlKind;

inline constexpr std::array<ControlEntry, 5> kStartUpControls{{
    {IDC_SIGN, ControlKind::PushButton, u"拍照", {16, 160, 60, 42}},
    {IDC_LOTTERY, ControlKind::PushButton, u"抽奖", {88, 160, 60, 42}},
    {IDC_PHOTOWALL, ControlKind::PushButton, u"相册墙", {160, 160, 60, 42}},
    {IDC_MANAGE, ControlKind::PushButton, u"管理", {232, 160, 60, 42}},
    {IDC_QUIT, ControlKind::PushButton, u"退出", {304, 160, 60, 42}},
}};

inline constexpr vantor::DialogTemplate kStartUpDialog{IDD_STARTUP, {379, 221}, kStartUpControls};

// The face picture of each button, relative to the installation folder.
struct ButtonFace {
    int id;
    const char16_t* file;
};

inline constexpr std::array<ButtonFace, 5> kStartUpFaces{{
    {IDC_SIGN, u"images\\wedding\\MainWindow\\sign.jpg"},
    {IDC_LOTTERY, u"images\\wedding\\MainWindow\\lottery.jpg"},
    {IDC_MANAGE, u"images\\wedding\\MainWindow\\manage.jpg"},
    {IDC_QUIT, u"images\\wedding\\MainWindow\\quit.jpg"},
    {IDC_PHOTOWALL, u"images\\wedding\\MainWindow\\photowall.jpg"},
}};

inline constexpr char16_t kStartUpBackground[] = u"images//wedding//background.jpg";
inline constexpr char16_t kStartUpTitle[] = u"Vantor";

}  // namespace travenor
