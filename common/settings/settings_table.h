#pragma once
// Every setting the programs keep in files, in one place: the file, section, key and the value a
// missing key reads as. All code that reads or writes "Bin\config.ini" or "SetInfo.ini" names its
// keys through this table.
//
//   Bin\config.ini  [version]  "language "  1    language column of Bin\language.txt (installation)
//                   [config]   "MAXALPHA "  0    largest alpha of a frame's photo window (installation)
//                   [camera]   "width"      640  camera frame width, written by the management dialog
//                   [camera]   "height"     480  camera frame height, written by the management dialog
//   SetInfo.ini     [CheatInfo] <picture file name>=<prize level name>   the lottery's preset winners
//
// The trailing blanks of "language " and "MAXALPHA " are part of the names as passed; the profile
// look-up ignores blanks around names, so the file may spell them without.
#include <array>

namespace vantor::settings {

inline constexpr char16_t kConfigFile[] = u"Bin\\config.ini";
inline constexpr char16_t kPresetFile[] = u"SetInfo.ini";
inline constexpr char16_t kPresetSection[] = u"CheatInfo";

// An integer setting of "Bin\config.ini".
struct IntSetting {
    const char16_t* section;
    const char16_t* key;
    int fallback;  // what a missing key means
};

inline constexpr IntSetting kLanguageNumber{u"version", u"language ", 1};
inline constexpr IntSetting kMaxAlpha{u"config", u"MAXALPHA ", 0};
inline constexpr IntSetting kCameraWidth{u"camera", u"width", 640};
inline constexpr IntSetting kCameraHeight{u"camera", u"height", 480};

inline constexpr std::array<IntSetting, 4> kConfigSettings{kLanguageNumber, kMaxAlpha, kCameraWidth,
                                                           kCameraHeight};

}  // namespace vantor::settings
