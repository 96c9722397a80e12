#include "seat/guest_list.h"

#include <QChar>
#include <QLoggingCategory>
#include "platform/message_box.h"
#include "text/narrow_text.h"
#include "platform/native_path.h"
#include "platform/whole_file.h"

namespace vantor {
namespace {

Q_LOGGING_CATEGORY(lcGuests, "vantor.seat.guests")

constexpr std::size_t kLineBytes = 99;  // the 100-byte line buffer less its terminator

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

std::u16string TrimBlanks(std::u16string_view text) {
    std::size_t first = 0;
    std::size_t end = text.size();
    while (first < end && IsBlank(text[first])) {
        ++first;
    }
    while (end > first && IsBlank(text[end - 1])) {
        --end;
    }
    return std::u16string(text.substr(first, end - first));
}

// The next line of at most kLineBytes bytes from `position`, which moves past it.
std::string_view NextLine(std::string_view bytes, std::size_t& position, const std::string& codePage) {
    const std::string_view rest = bytes.substr(position);
    std::string_view line = rest.substr(0, kLineBytes);
    if (const std::size_t feed = line.find('\n'); feed != std::string_view::npos) {
        line = line.substr(0, feed + 1);
    } else if (line.size() == kLineBytes && rest.size() > kLineBytes) {
        // Cut by the size limit: a character the cut would split goes whole into the next read.
        const std::size_t complete = CompleteCharactersLength(line, codePage);
        if (complete > 0) {
            line = line.substr(0, complete);
        }
    }
    position += line.size();
    // Text ends at a zero byte, as it would in the line buffer.
    return line.substr(0, line.find('\0'));
}

// Whether a line starting with this character belongs to the list.
bool StartsAGuestLine(const std::u16string& line) {
    const char16_t first = line.front();
    if ((first >= u'0' && first <= u'9') || (first >= u'a' && first <= u'f') ||
        (first >= u'A' && first <= u'F')) {
        return true;
    }
    if (first >= 0x8140 && first <= 0xFEFE) {
        return true;
    }
    // A letter by Unicode's classification, which counts Chinese characters as letters whatever
    // the locale; a character outside the basic plane is classified whole.
    const QString text = QString::fromUtf16(line.data(), static_cast<qsizetype>(line.size()));
    return QChar::isLetter(text.toUcs4().value(0));
}

}  // namespace

GuestList ParseGuestList(std::string_view bytes, const std::string& codePage) {
    GuestList list;
    std::size_t position = 0;
    while (position < bytes.size()) {
        const std::u16string line = TrimBlanks(NarrowToWide(NextLine(bytes, position, codePage), codePage));
        if (line.empty() || !StartsAGuestLine(line)) {
            break;
        }
        const std::vector<tstring> pieces = tstring(line).Spilt(u"#", false);
        if (pieces.size() != 3) {
            list.malformed = tstring(TrimBlanks(pieces.front().GetBase()));
            break;
        }
        list.guests.push_back(GuestRecord{tstring(TrimBlanks(pieces[0].GetBase())).MakeLower(),
                                          tstring(TrimBlanks(pieces[1].GetBase())),
                                          tstring(TrimBlanks(pieces[2].GetBase()))});
    }
    return list;
}

std::vector<GuestRecord> LoadGuestList(const tstring& path) {
    const std::optional<std::string> bytes = ReadWholeFile(ToNativePath(path));
    if (!bytes) {
        qCWarning(lcGuests) << "cannot open the guest list" << ToNativePath(path).c_str();
        ShowMessageBox(tstring(u"无法打开宾客名单“") + path + tstring(u"”，查不到座位。"), u"信息提示",
                       MessageButtons::Ok, MessageIcon::Error);
        return {};
    }
    // The list is read in its own encoding: UTF-8 when it is, else the legacy code page (GBK).
    GuestList list = ParseGuestList(WithoutUtf8Mark(*bytes), TextFileCodePage(*bytes));
    if (list.malformed) {
        ShowMessageBox(*list.malformed, u"输入格式不对", MessageButtons::Ok, MessageIcon::Warning);
    }
    return std::move(list.guests);
}

std::vector<int> FindGuests(const std::vector<GuestRecord>& guests, const tstring& text) {
    std::vector<int> matches;
    const std::u16string wanted = tstring(text).MakeLower().GetBase();
    for (std::size_t i = 0; i < guests.size() && matches.size() < static_cast<std::size_t>(kMostMatches);
         ++i) {
        if (guests[i].keyword.GetBase().find(wanted) != std::u16string::npos) {
            matches.push_back(static_cast<int>(i));
        }
    }
    return matches;
}

}  // namespace vantor
