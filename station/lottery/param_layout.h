#pragma once
// The lottery window as designed: a captionless pop-up of 389 x 224 dialog units, stretched to the
// whole screen when it opens. The picture area fills the left; the right strip holds the two lists
// with their red captions and the start, browse and return buttons.
#include <array>
#include "layout/control_table.h"

namespace travenor {

inline constexpr int IDD_LOTTERY = 132;
inline constexpr int IDC_LOTTERY_PICTURE = 1017;
inline constexpr int IDC_LOTTERY_START = 1020;
inline constexpr int IDC_LOTTERY_BROWSE = 1040;
inline constexpr int IDC_LOTTERY_RETURN = 1022;
inline constexpr int IDC_LOTTERY_LEVEL_CAPTION = 1027;
inline constexpr int IDC_LOTTERY_LEVEL = 1029;
inline constexpr int IDC_LOTTERY_COUNT_CAPTION = 1042;
inline constexpr int IDC_LOTTERY_COUNT = 1030;

using vantor::ControlEntry;
using vantor::ControlKind;

// Captions of the labels are language keys; the buttons carry their own.
inline constexpr std::array<ControlEntry, 8> kLotteryControls{{
    {IDC_LOTTERY_PICTURE, ControlKind::Frame, u"", {0, 0, 356, 224}},
    {IDC_LOTTERY_START, ControlKind::PushButton, u"开始", {357, 146, 25, 12}},
    {IDC_LOTTERY_BROWSE, ControlKind::PushButton, u"浏览", {357, 161, 25, 12}},
    {IDC_LOTTERY_RETURN, ControlKind::PushButton, u"返回", {357, 198, 25, 12}},
    {IDC_LOTTERY_LEVEL_CAPTION, ControlKind::Label, u"12", {359, 65, 27, 8}},
    {IDC_LOTTERY_LEVEL, ControlKind::DropDownList, u"", {357, 74, 25, 12}},
    {IDC_LOTTERY_COUNT_CAPTION, ControlKind::Label, u"13", {359, 91, 24, 10}},
    {IDC_LOTTERY_COUNT, ControlKind::DropDownList, u"", {357, 104, 25, 12}},
}};

inline constexpr vantor::DialogTemplate kLotteryDialog{IDD_LOTTERY, {389, 224}, kLotteryControls};

inline constexpr char16_t kLotteryStartCaption[] = u"开始";
inline constexpr char16_t kLotteryStopCaption[] = u"停止";
inline constexpr std::array<const char16_t*, 5> kWinnersPerDraw{u"1", u"4", u"9", u"16", u"25"};
// The level selected when the window opens (the seventh).
inline constexpr int kFirstLotteryLevel = 6;
inline constexpr int kRollingPeriod_ms = 20;

// Pictures and sound, relative to the installation folder.
inline constexpr char16_t kLotteryIdlePicture[] = u"images//wedding//start.jpg";
inline constexpr char16_t kLotteryErasePicture[] = u"images//signin//start.jpg";
inline constexpr char16_t kLotteryStripPicture[] = u"images\\wedding\\LotWindow\\rightBkground.jpg";
inline constexpr char16_t kLotteryStartFace[] = u"images\\wedding\\LotWindow\\start.jpg";
inline constexpr char16_t kLotteryStopFace[] = u"images\\wedding\\LotWindow\\stop.jpg";
inline constexpr char16_t kLotteryReturnFace[] = u"images\\wedding\\LotWindow\\quit.jpg";
inline constexpr char16_t kLotteryBrowseFace[] = u"images\\wedding\\LotWindow\\photo.jpg";
inline constexpr char16_t kLotterySound[] = u"Sound\\beginlot.wav";

}  // namespace travenor
