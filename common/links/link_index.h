#pragma once
// The personal links of the sign-ins. Each saved sign-in gets an unguessable token (its guest's
// page) and a picture id (its place in the event's gallery), recorded one line per sign-in in
//   Storage\Links\<year>-<month>-<day>.txt     "<token> <id> <day> <stem>\n"
// beside the day folders, outside every folder that the wall or the lottery scans. An extra
// station N of the event writes its own "<year>-<month>-<day>~N.txt", so that the stations'
// storages brought together keep every station's records and no file has two writers. A request
// names a token or an id, never a path: files are found through these records only, and a record
// names its files by a day and a stem that are checked to be exactly such names.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include "platform/system_random.h"
#include "storage/storage_layout.h"
#include "tarquel_export.h"
#include "text/tstring.h"

namespace vantor::links {

inline constexpr char16_t kLinksFolder[] = u"Links";
inline constexpr std::size_t kTokenBytes = 16;  // 128 bits
inline constexpr std::size_t kIdBytes = 8;
// Bounds of what a reader takes in: a day's file of at most 1 MB (about 14 000 sign-ins), at
// most 1000 day files.
inline constexpr std::uint64_t kMaxIndexFileBytes = 1 << 20;
inline constexpr std::size_t kMaxIndexFiles = 1000;

struct LinkEntry {
    std::string token;  // 32 lowercase hex digits
    std::string id;     // 16 lowercase hex digits
    std::string day;    // the day folder's name, "2026-12-9"
    std::string stem;   // the sign-in's file stem, "9-5-7" (a later station's "9-5-7~2")

    bool operator==(const LinkEntry&) const = default;
};

TARQUEL_API bool IsToken(std::string_view text);
TARQUEL_API bool IsPictureId(std::string_view text);
// "2026-12-9": a year of four digits, a month and a day of one or two, without leading zeros
// beyond what the storage writes.
TARQUEL_API bool IsDayName(std::string_view text);
// "9-5-7" or "9-5-7~2".
TARQUEL_API bool IsStemName(std::string_view text);

// A new record for the sign-in; nothing when the system's generator failed.
TARQUEL_API std::optional<LinkEntry> NewLinkEntry(SecureRandom& random, std::string day, std::string stem);

std::string FormatLinkLine(const LinkEntry& entry);
// The well-formed records of an index file, in file order. A line that is not exactly a record
// (a torn last line of a killed write, stray text) is skipped.
std::vector<LinkEntry> ParseLinkIndex(std::string_view bytes);

// "Storage\Links" and "Storage\Links\2026-12-9.txt" (station N > 1: "2026-12-9~N.txt") under a
// storage root (logic paths).
tstring LinksFolder(const tstring& storage_root);
tstring LinkIndexFile(const tstring& storage_root, std::string_view day, int station = kMainStation);
// The day an index file's name (without ".txt") is for; nothing for another name.
std::optional<std::string> IndexFileDay(std::string_view name);
// The files of a record under the storage root (logic paths).
TARQUEL_API tstring FramedPictureOf(const tstring& storage_root, const LinkEntry& entry);
TARQUEL_API tstring PlainPhotoOf(const tstring& storage_root, const LinkEntry& entry);
TARQUEL_API tstring VoiceMessageOf(const tstring& storage_root, const LinkEntry& entry);

// Appends the record to the index file of its day and of the station that saved it (by its stem),
// synced; false when it could not be written.
TARQUEL_API bool RecordLink(const tstring& storage_root, const LinkEntry& entry);

// "http://192.168.1.20:8600/p/<token>" and "http://192.168.1.20:8600/g".
TARQUEL_API std::string PersonalLink(std::string_view host, int port, std::string_view token);
TARQUEL_API std::string GalleryLink(std::string_view host, int port);

// Every record of a storage root, looked up by token, id or picture. Reload reads the day files
// again when they changed (a reader in another process than the writer).
class TARQUEL_API LinkIndex {
  public:
    // Reads the index files of the root that are new or changed since the last call; true when
    // anything changed.
    bool Reload(const tstring& storage_root);

    const LinkEntry* ByToken(std::string_view token) const;
    const LinkEntry* ById(std::string_view id) const;
    const LinkEntry* ByPicture(std::string_view day, std::string_view stem) const;
    // The day's records, newest first.
    std::vector<LinkEntry> Day(std::string_view day) const;
    std::size_t Size() const;

  private:
    struct DayFile {
        std::uint64_t size = 0;
        std::int64_t modified_ns = 0;
        std::vector<LinkEntry> entries;  // file order
    };
    void Rebuild();

    std::map<std::string, DayFile, std::less<>> days_;                 // by file name, "2026-12-9~2"
    std::map<std::string, const LinkEntry*, std::less<>> by_token_;    // into days_
    std::map<std::string, const LinkEntry*, std::less<>> by_id_;       // into days_
    std::map<std::string, const LinkEntry*, std::less<>> by_picture_;  // "<day>/<stem>"
};

}  // namespace vantor::links
