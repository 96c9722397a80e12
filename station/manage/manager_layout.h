#pragma once
// The management dialog as designed: a captioned dialog of 321 x 185 dialog units with the preset
// list on the left and the level, the three list buttons and the camera resolution on the right.
#include <array>
#include "layout/control_table.h"

namespace travenor {

inline constexpr int IDD_MANAGER = 137;
inline constexpr int IDC_MANAGER_FRAME = 1049;
inline constexpr int IDC_MANAGER_LIST = 1019;
inline constexpr int IDC_MANAGER_LEVEL_CAPTION = 1045;
inline constexpr int IDC_MANAGER_LEVEL = 1029;
inline constexpr int IDC_MANAGER_ADD = 1043;
inline constexpr int IDC_MANAGER_DELETE = 1044;
inline constexpr int IDC_MANAGER_DELETE_ALL = 3;
inline constexpr int IDC_MANAGER_RESOLUTION_CAPTION = 1046;
inline constexpr int IDC_MANAGER_RESOLUTION = 1030;
inline constexpr int IDC_MANAGER_STATIONS = 1031;
// The stations' button of a multi-station event, below the resolution list.
inline constexpr QRect kManagerStationsRect{259, 126, 58, 14};

using vantor::ControlEntry;
using vantor::ControlKind;

// Captions are language keys. A drop-down list's height is that of its closed box; the open list
// takes the room its entries need. The resolution list is wider than first drawn (48 units), so
// that "1024*768" fits beside the drop-down arrow.
inline constexpr std::array<ControlEntry, 9> kManagerControls{{
    {IDC_MANAGER_FRAME, ControlKind::GroupBox, u"36", {7, 0, 225, 122}},
    {IDC_MANAGER_LIST, ControlKind::ListView, u"", {16, 11, 215, 108}},
    {IDC_MANAGER_LEVEL_CAPTION, ControlKind::Label, u"12", {258, 4, 60, 9}},
    {IDC_MANAGER_LEVEL, ControlKind::DropDownList, u"", {258, 18, 51, 12}},
    {IDC_MANAGER_ADD, ControlKind::PushButton, u"2", {259, 36, 50, 14}},
    {IDC_MANAGER_DELETE, ControlKind::PushButton, u"3", {259, 55, 50, 14}},
    {IDC_MANAGER_DELETE_ALL, ControlKind::PushButton, u"4", {259, 75, 50, 14}},
    {IDC_MANAGER_RESOLUTION_CAPTION, ControlKind::Label, u"34", {259, 93, 49, 8}},
    {IDC_MANAGER_RESOLUTION, ControlKind::DropDownList, u"", {259, 104, 58, 12}},
}};

inline constexpr vantor::DialogTemplate kManagerDialog{IDD_MANAGER, {321, 185}, kManagerControls};

inline constexpr char16_t kManagerTitle[] = u"Vantor";
// The open dialog's filter: jpg files only.
inline constexpr char16_t kPresetPictureFilter[] = u"jpg文件(*.jpg)";

}  // namespace travenor
