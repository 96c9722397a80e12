#pragma once
// The seat search window as designed: 459 x 294 dialog units, the search field, the matches and
// the two buttons on the left, the guest's details and the seating plan on the right.
#include <array>
#include "layout/control_table.h"

namespace vantor {

inline constexpr int IDD_SEARCH = 1000;
inline constexpr int IDC_SEARCH_HINT = 1009;
inline constexpr int IDC_SEARCH_FIELD = 1000;
inline constexpr int IDC_SEARCH_MATCHES = 1002;
inline constexpr int IDC_SEARCH_KEYBOARD = 1005;
inline constexpr int IDC_SEARCH_EXIT = 1008;
inline constexpr int IDC_SEARCH_PICTURE = 1006;
inline constexpr int IDC_SEARCH_DETAILS = 1007;
inline constexpr char16_t kSeatPlanPath[] = u"images\\wedding\\SeatPos.jpg";

inline constexpr std::array<ControlEntry, 7> kSearchControls{{
    {IDC_SEARCH_HINT, ControlKind::Label, u"请输入关键字进行模糊查询", {3, 13, 115, 8}},
    {IDC_SEARCH_FIELD, ControlKind::Edit, u"", {3, 27, 116, 14}},
    {IDC_SEARCH_MATCHES, ControlKind::ListView, u"", {3, 44, 116, 139}},
    {IDC_SEARCH_KEYBOARD, ControlKind::PushButton, u"屏幕键盘", {3, 185, 115, 31}},
    {IDC_SEARCH_EXIT, ControlKind::PushButton, u"退出", {3, 218, 115, 20}},
    {IDC_SEARCH_PICTURE, ControlKind::Frame, u"", {122, 58, 337, 236}},
    {IDC_SEARCH_DETAILS, ControlKind::Frame, u"", {122, 1, 336, 55}},
}};
inline constexpr DialogTemplate kSearchDialog{IDD_SEARCH, {459, 294}, kSearchControls};

}  // namespace vantor
