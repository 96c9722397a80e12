#pragma once
// Every setting the programs keep in files, in one place: the file, section, key and the value a
// missing key reads as. All code that reads or writes "Bin\config.ini" or "SetInfo.ini" names its
// keys through this table.
//
//   Bin\config.ini  [version]  "language "  1    language column of Bin\language.txt (installation)
//                   [config]   "MAXALPHA "  0    largest alpha of a frame's photo window (installation)
//                   [camera]   "width"      640  camera frame width, written by the management dialog
//                   [camera]   "height"     480  camera frame height, written by the management dialog
//                   [gallery]  "links"      1    personal links and their QR code after each save
//                   [gallery]  "gallery"    1    the event's gallery of today's pictures for phones
//                   [gallery]  "port"       8600 the photo server's TCP port
//                   [gallery]  "qrseconds"  30   how long the capture window shows a guest's QR code
//                   [gallery]  "code"       ""   event code the gallery asks for; empty: none
//                   [gallery]  "address"    ""   host name or address in the links; empty: the
//                                                address of the network with the default route
//                   [gallery]  "event"      ""   the event's name on the guests' pages
//                   [wall]     "live"       1    new pictures of the folder shown join the wall
//                                                at once, without a rebuild (0: only a refresh)
//                   [wall]     "announce"   1    the wall flies to each new picture and enlarges it
//                   [wall]     "announceseconds" 5  how long a new picture stays enlarged (1..60)
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

inline constexpr IntSetting kPersonalLinks{u"gallery", u"links", 1};
inline constexpr IntSetting kGalleryOn{u"gallery", u"gallery", 1};
inline constexpr IntSetting kGalleryPort{u"gallery", u"port", 8600};
inline constexpr IntSetting kLinkQrSeconds{u"gallery", u"qrseconds", 30};

inline constexpr IntSetting kLiveWall{u"wall", u"live", 1};
inline constexpr IntSetting kAnnounceArrivals{u"wall", u"announce", 1};
inline constexpr IntSetting kAnnounceSeconds{u"wall", u"announceseconds", 5};

// The station's number at an event with several stations: 1 is the main station (and every
// station of a single-station event), 2..99 the extra ones, whose sign-ins carry it in their names.
inline constexpr IntSetting kStationNumber{u"station", u"number", 1};
inline constexpr int kHighestStationNumber = 99;

// Sharing the storage with the other stations of the event through Syncthing (off: a station on
// its own): the port the stations connect to, and the port on 127.0.0.1 the station controls its
// Syncthing on. Neither is Syncthing's usual one, so a Syncthing of the machine's user can run too.
inline constexpr IntSetting kSyncOn{u"sync", u"on", 0};
inline constexpr IntSetting kSyncPort{u"sync", u"port", 22100};
inline constexpr IntSetting kSyncControlPort{u"sync", u"control", 18384};

inline constexpr std::array<IntSetting, 15> kConfigSettings{
    kLanguageNumber,  kMaxAlpha,      kCameraWidth,   kCameraHeight, kPersonalLinks,
    kGalleryOn,       kGalleryPort,   kLinkQrSeconds, kLiveWall,     kAnnounceArrivals,
    kAnnounceSeconds, kStationNumber, kSyncOn,        kSyncPort,     kSyncControlPort};

// A text setting of "Bin\config.ini".
struct TextSetting {
    const char16_t* section;
    const char16_t* key;
    const char16_t* fallback;
};

inline constexpr TextSetting kEventCode{u"gallery", u"code", u""};
inline constexpr TextSetting kLinkAddress{u"gallery", u"address", u""};
inline constexpr TextSetting kEventName{u"gallery", u"event", u""};

// The address the other stations reach this one at (empty: every address of the machine).
inline constexpr TextSetting kSyncAddress{u"sync", u"address", u""};

inline constexpr std::array<TextSetting, 4> kConfigTextSettings{kEventCode, kLinkAddress, kEventName,
                                                                kSyncAddress};

}  // namespace vantor::settings
