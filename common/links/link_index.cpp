#include "links/link_index.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <filesystem>

#include "platform/native_path.h"
#include "platform/whole_file.h"
#include "storage/storage_layout.h"

namespace vantor::links {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
constexpr std::string_view kIndexExtension = ".txt";

bool IsLowerHex(std::string_view text, std::size_t length) {
    return text.size() == length && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

// A number of `min`..`max` digits without a leading zero (a lone "0" allowed) at the front of
// `text`; the rest after it, nothing when there is none.
std::optional<std::string_view> SkipNumber(std::string_view text, std::size_t min, std::size_t max) {
    std::size_t digits = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
        ++digits;
    }
    if (digits < min || digits > max || (digits > 1 && text[0] == '0')) {
        return std::nullopt;
    }
    return text.substr(digits);
}

// Numbers of the given digit counts separated by `separator`, and nothing after them.
bool IsNumberSequence(std::string_view text, std::initializer_list<std::pair<std::size_t, std::size_t>> parts,
                      char separator) {
    bool first = true;
    for (const auto& [min, max] : parts) {
        if (!first) {
            if (text.empty() || text[0] != separator) {
                return false;
            }
            text.remove_prefix(1);
        }
        first = false;
        const std::optional<std::string_view> rest = SkipNumber(text, min, max);
        if (!rest) {
            return false;
        }
        text = *rest;
    }
    return text.empty();
}

std::string RandomHex(SecureRandom& random, std::size_t bytes, bool& ok) {
    std::array<std::uint8_t, 32> buffer{};
    if (!random.Fill(std::span(buffer.data(), bytes))) {
        ok = false;
        return {};
    }
    std::string hex;
    for (std::size_t i = 0; i < bytes; ++i) {
        hex += kHexDigits[buffer[i] >> 4];
        hex += kHexDigits[buffer[i] & 0xf];
    }
    return hex;
}

tstring Ascii(std::string_view text) {
    return tstring(std::u16string(text.begin(), text.end()));
}

tstring DayFolder(const tstring& storage_root, const LinkEntry& entry) {
    return storage_root + u"\\" + Ascii(entry.day);
}

}  // namespace

bool IsToken(std::string_view text) {
    return IsLowerHex(text, 2 * kTokenBytes);
}

bool IsPictureId(std::string_view text) {
    return IsLowerHex(text, 2 * kIdBytes);
}

bool IsDayName(std::string_view text) {
    return IsNumberSequence(text, {{4, 4}, {1, 2}, {1, 2}}, '-');
}

bool IsStemName(std::string_view text) {
    const std::size_t tilde = text.find('~');
    if (tilde != std::string_view::npos && !IsNumberSequence(text.substr(tilde + 1), {{1, 3}}, '-')) {
        return false;
    }
    return IsNumberSequence(text.substr(0, tilde), {{1, 2}, {1, 2}, {1, 2}}, '-');
}

std::optional<LinkEntry> NewLinkEntry(SecureRandom& random, std::string day, std::string stem) {
    bool ok = true;
    LinkEntry entry{RandomHex(random, kTokenBytes, ok), RandomHex(random, kIdBytes, ok), std::move(day),
                    std::move(stem)};
    if (!ok || !IsDayName(entry.day) || !IsStemName(entry.stem)) {
        return std::nullopt;
    }
    return entry;
}

std::string FormatLinkLine(const LinkEntry& entry) {
    return entry.token + ' ' + entry.id + ' ' + entry.day + ' ' + entry.stem + '\n';
}

std::vector<LinkEntry> ParseLinkIndex(std::string_view bytes) {
    std::vector<LinkEntry> entries;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        if (end == std::string_view::npos) {
            break;  // a torn last line
        }
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end + 1);
        if (!line.empty() && line.back() == ' ') {
            continue;  // the writer never ends a record with a blank
        }
        std::array<std::string_view, 4> fields;
        std::size_t count = 0;
        while (count < fields.size() && !line.empty()) {
            const std::size_t blank = line.find(' ');
            fields[count++] = line.substr(0, blank);
            line = blank == std::string_view::npos ? std::string_view() : line.substr(blank + 1);
        }
        if (count == fields.size() && line.empty() && IsToken(fields[0]) && IsPictureId(fields[1]) &&
            IsDayName(fields[2]) && IsStemName(fields[3])) {
            entries.push_back(LinkEntry{std::string(fields[0]), std::string(fields[1]),
                                        std::string(fields[2]), std::string(fields[3])});
        }
    }
    return entries;
}

tstring LinksFolder(const tstring& storage_root) {
    return storage_root + u"\\" + kLinksFolder;
}

tstring LinkIndexFile(const tstring& storage_root, std::string_view day, int station) {
    std::string name(day);
    if (station != kMainStation) {
        name += '~' + std::to_string(station);
    }
    return LinksFolder(storage_root) + u"\\" + Ascii(name) + Ascii(kIndexExtension);
}

std::optional<std::string> IndexFileDay(std::string_view name) {
    const std::size_t tilde = name.find('~');
    if (tilde != std::string_view::npos) {
        const std::string_view station = name.substr(tilde + 1);
        if (!IsNumberSequence(station, {{1, 2}}, '-') || station == "0" || station == "1") {
            return std::nullopt;
        }
    }
    const std::string_view day = name.substr(0, tilde);
    return IsDayName(day) ? std::optional<std::string>(day) : std::nullopt;
}

tstring FramedPictureOf(const tstring& storage_root, const LinkEntry& entry) {
    return WithTemplateFolder(DayFolder(storage_root, entry)) + u"\\" + Ascii(entry.stem) + u".jpg";
}

tstring PlainPhotoOf(const tstring& storage_root, const LinkEntry& entry) {
    return NoTemplateFolder(DayFolder(storage_root, entry)) + u"\\" + Ascii(entry.stem) + u".jpg";
}

tstring VoiceMessageOf(const tstring& storage_root, const LinkEntry& entry) {
    return AudioFolder(DayFolder(storage_root, entry)) + u"\\" + Ascii(entry.stem) + u".wav";
}

bool RecordLink(const tstring& storage_root, const LinkEntry& entry) {
    if (!IsToken(entry.token) || !IsPictureId(entry.id) || !IsDayName(entry.day) || !IsStemName(entry.stem) ||
        !EnsureFolder(LinksFolder(storage_root))) {
        return false;
    }
    const int station = SignInStation(Ascii(entry.stem)).value_or(kMainStation);
    return AppendSynced(ToNativePath(LinkIndexFile(storage_root, entry.day, station)), FormatLinkLine(entry));
}

std::string PersonalLink(std::string_view host, int port, std::string_view token) {
    return "http://" + std::string(host) + ':' + std::to_string(port) + "/p/" + std::string(token);
}

std::string GalleryLink(std::string_view host, int port) {
    return "http://" + std::string(host) + ':' + std::to_string(port) + "/g";
}

bool LinkIndex::Reload(const tstring& storage_root) {
    namespace fs = std::filesystem;
    std::map<std::string, DayFile, std::less<>> seen;
    bool changed = false;
    for (const fs::path& path : FolderEntries(ToNativePath(LinksFolder(storage_root)))) {
        const std::string name = path.filename().string();
        if (seen.size() >= kMaxIndexFiles || !name.ends_with(kIndexExtension)) {
            continue;
        }
        const std::string day = name.substr(0, name.size() - kIndexExtension.size());
        struct stat status {};
        if (!IndexFileDay(day) || ::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
            continue;
        }
        const std::int64_t modified =
            static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
        const auto known = days_.find(day);
        if (known != days_.end() && known->second.size == static_cast<std::uint64_t>(status.st_size) &&
            known->second.modified_ns == modified) {
            seen.emplace(day, std::move(known->second));
            continue;
        }
        DayFile file{static_cast<std::uint64_t>(status.st_size), modified, {}};
        if (const std::optional<std::string> bytes = ReadWholeFile(path.string(), kMaxIndexFileBytes)) {
            file.entries = ParseLinkIndex(*bytes);
        }
        seen.emplace(day, std::move(file));
        changed = true;
    }
    changed = changed || seen.size() != days_.size();
    days_ = std::move(seen);
    Rebuild();  // the lookups point into days_, whose nodes were just replaced
    return changed;
}

void LinkIndex::Rebuild() {
    by_token_.clear();
    by_id_.clear();
    by_picture_.clear();
    for (const auto& [name, file] : days_) {
        const std::optional<std::string> day = IndexFileDay(name);
        for (const LinkEntry& entry : file.entries) {
            // A record names the folder it was written in; one copied into another day's file
            // does not count.
            if (entry.day != day) {
                continue;
            }
            by_token_.emplace(entry.token, &entry);
            by_id_.emplace(entry.id, &entry);
            by_picture_.insert_or_assign(entry.day + '/' + entry.stem, &entry);
        }
    }
}

const LinkEntry* LinkIndex::ByToken(std::string_view token) const {
    const auto found = by_token_.find(token);
    return found == by_token_.end() ? nullptr : found->second;
}

const LinkEntry* LinkIndex::ById(std::string_view id) const {
    const auto found = by_id_.find(id);
    return found == by_id_.end() ? nullptr : found->second;
}

const LinkEntry* LinkIndex::ByPicture(std::string_view day, std::string_view stem) const {
    const auto found = by_picture_.find(std::string(day) + '/' + std::string(stem));
    return found == by_picture_.end() ? nullptr : found->second;
}

std::vector<LinkEntry> LinkIndex::Day(std::string_view day) const {
    std::vector<LinkEntry> entries;
    for (const auto& [name, file] : days_) {
        if (IndexFileDay(name) != day) {
            continue;
        }
        for (auto it = file.entries.rbegin(); it != file.entries.rend(); ++it) {
            if (it->day == day && ByPicture(it->day, it->stem) == &*it) {
                entries.push_back(*it);
            }
        }
    }
    // Every station's records of the day together, newest first; a station's own order within a
    // second.
    std::stable_sort(entries.begin(), entries.end(), [](const LinkEntry& a, const LinkEntry& b) {
        return ParseSignInStem(Ascii(a.stem)).value_or(0) > ParseSignInStem(Ascii(b.stem)).value_or(0);
    });
    return entries;
}

std::size_t LinkIndex::Size() const {
    return by_token_.size();
}

}  // namespace vantor::links
