#pragma once
// Where sign-ins are kept, relative to the working folder:
//   Storage\<year>-<month>-<day>\WithTemplate\<hour>-<minute>-<second>.jpg   composed pictures
//   Storage\<year>-<month>-<day>\NoTemplate\<hour>-<minute>-<second>.jpg     plain photos
//   Storage\<year>-<month>-<day>\Audio\<hour>-<minute>-<second>.wav          voice messages
// Numbers carry no leading zeros, so names do not sort by time as text; readers order by file
// time or by parsing the stem (ParseSignInStem). An extra station of a multi-station event (number
// N > 1) adds "~N" to its stems ("9-5-7~2.jpg", "9-5-7~2.wav"), so that every station's sign-ins
// can lie in one folder; the main station's names are unchanged.
#include <optional>
#include "platform/local_clock.h"
#include "tarquel_export.h"
#include "text/tstring.h"

namespace vantor {

inline constexpr char16_t kStorageRoot[] = u"Storage";
inline constexpr char16_t kWithTemplateFolder[] = u"WithTemplate";
inline constexpr char16_t kNoTemplateFolder[] = u"NoTemplate";
inline constexpr char16_t kAudioFolder[] = u"Audio";
inline constexpr char16_t kPhotoInProgressFile[] = u"temp.jpg";
inline constexpr char16_t kTemplateFolder[] = u"Template";
inline constexpr char16_t kLotteryFolder[] = u"lottery";

// "Storage\2024-3-5" for 5 March 2024.
TARQUEL_API tstring DatedFolder(const tstring& root, const LocalDateTime& day);
// The sub-folders of a dated folder.
TARQUEL_API tstring WithTemplateFolder(const tstring& datedFolder);
TARQUEL_API tstring NoTemplateFolder(const tstring& datedFolder);
TARQUEL_API tstring AudioFolder(const tstring& datedFolder);

inline constexpr int kMainStation = 1;

// "9-5-7" for 09:05:07, "9-5-7~2" at station 2.
TARQUEL_API tstring SignInStem(const LocalDateTime& time, int station = kMainStation);
// "<folder>\9-5-7.jpg" and "<folder>\9-5-7.wav" (with the station's "~N").
TARQUEL_API tstring PictureFile(const tstring& folder, const LocalDateTime& time, int station = kMainStation);
TARQUEL_API tstring VoiceFile(const tstring& audioFolder, const LocalDateTime& time,
                              int station = kMainStation);

// Seconds since midnight of a stem such as "9-5-7" or "9-5-7~2" (with or without extension);
// nothing for a name that is not a stem.
TARQUEL_API std::optional<int> ParseSignInStem(const tstring& name);
// The station that saved a sign-in of that name (kMainStation without "~N"); nothing for a name
// that is not a stem.
TARQUEL_API std::optional<int> SignInStation(const tstring& name);

// True when the folder exists (folder is a logic path).
bool FolderExists(const tstring& folder);
// Creates the folder and its parents when missing; true when it exists afterwards.
TARQUEL_API bool EnsureFolder(const tstring& folder);

// Creates the day folder of `day` under the root with its three sub-folders; sub-folders missing
// from an existing day folder are made again. True when all of them exist afterwards.
TARQUEL_API bool EnsureDayFolders(const tstring& root, const LocalDateTime& day);

// One day's folders of the storage, by the injected clock.
class TARQUEL_API StorageLayout {
  public:
    explicit StorageLayout(const Clock& clock, tstring root = tstring(kStorageRoot));

    const tstring& Root() const { return root_; }
    tstring TodayFolder() const;
    tstring TodayWithTemplate() const;
    tstring TodayNoTemplate() const;
    tstring TodayAudio() const;

    // Creates the storage root when missing.
    bool EnsureRoot() const;
    // Creates today's folder with its three sub-folders. Sub-folders that are missing from an
    // existing day folder are made again, so that no save of the day loses its file.
    bool EnsureTodayFolders() const;

  private:
    const Clock& clock_;
    tstring root_;
};

}  // namespace vantor
