#include "language/language.h"

#include <algorithm>
#include <climits>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/message_box.h"
#include "text/narrow_text.h"
#include "platform/native_path.h"
#include "platform/profile_file.h"
#include "settings/settings_table.h"

namespace vantor {
namespace {

constexpr char kBacktick = '`';

// Reads the whole file; false when it cannot be opened.
bool ReadAllBytes(const tstring& path, std::string& bytes) {
    std::ifstream file(ToNativePath(path), std::ios::binary);
    if (!file) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

// The leading decimal digits of text as a plain decimal number ("007" gives "7"); the value is
// capped at INT_MAX.
std::string DecimalKey(std::string_view text) {
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = std::min<long long>(value * 10 + (c - '0'), INT_MAX);
    }
    return std::to_string(value);
}

// The text of language `languageNumber` from the rest of a line starting at its first backtick:
// 2N-1 backticks are stepped over, then the text runs to the next one. A line holds no more
// columns than it has backticks, so the count is bounded by them; past the last backtick the rest
// stays as it is, which gives the last unclosed text to every higher language.
std::string LanguageText(std::string_view rest, int languageNumber) {
    const long long wanted = 2LL * std::max(languageNumber, 1) - 1;
    const long long available = static_cast<long long>(std::count(rest.begin(), rest.end(), kBacktick));
    for (long long drop = std::min(wanted, available); drop > 0 && !rest.empty(); --drop) {
        rest.remove_prefix(rest.find(kBacktick) + 1);
    }
    return std::string(rest.substr(0, rest.find(kBacktick)));
}

// Removes every leading c.
void DropLeading(std::string& line, char c) {
    line.erase(0, std::min(line.find_first_not_of(c), line.size()));
}

// Narrow text in `codePage` to a tstring of at most tstring::kFormatLimit units; the text ends
// at an embedded zero byte, as a C string would.
tstring FromNarrow(const std::string& narrow, const std::string& codePage) {
    tstring text;
    text.Format(u"%s", NarrowToWide(narrow.c_str(), codePage));
    return text;
}

// The code page of the file's bytes: a byte-order mark names it (and is removed, a UTF-16 file
// is turned into UTF-8); otherwise the content decides (UTF-8 when valid, else the legacy code
// page), so the shipped UTF-8 table reads right whatever VANTOR_CODEPAGE says.
std::string TakeEncoding(std::string& bytes) {
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        bytes.erase(0, 3);
        return "UTF-8";
    }
    if (bytes.compare(0, 2, "\xFF\xFE") == 0) {
        std::u16string wide((bytes.size() - 2) / 2, u'\0');
        for (std::size_t i = 0; i < wide.size(); ++i) {
            wide[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                            (static_cast<unsigned char>(bytes[3 + 2 * i]) << 8));
        }
        bytes = WideToUtf8(wide);
        return "UTF-8";
    }
    return TextFileCodePage(bytes);
}

}  // namespace

bool LanguageTable::Load(const tstring& path, int languageNumber) {
    std::string bytes;
    if (!ReadAllBytes(path, bytes)) {
        entries_.clear();
        ShowMessageBox(u"打开英文翻译字符串文件失败", u"信息提示");
        return false;
    }
    Parse(std::move(bytes), languageNumber);
    return true;
}

void LanguageTable::Parse(std::string bytes, int languageNumber) {
    entries_.clear();
    if (languageNumber < 1) {
        languageNumber = 1;
    }
    const std::string codePage = TakeEncoding(bytes);
    int lineNumber = 0;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }

        DropLeading(line, ' ');
        DropLeading(line, '\t');
        if (line.empty() || line[0] < '0' || line[0] > '9') {
            continue;
        }
        const std::size_t tick = line.find(kBacktick);
        if (tick == std::string::npos) {
            continue;  // a number with no text at all
        }
        tstring key = FromNarrow(DecimalKey(line), codePage);
        key.Trim(u' ');
        tstring text = FromNarrow(LanguageText(line.substr(tick), languageNumber), codePage);
        text.ReplaceAll(u"\\n", u"\n");

        if (!entries_.emplace(key, text).second) {
            tstring message;
            message.Format(u"字符索引%s重复,行号:%d", key, lineNumber);
            ShowMessageBox(message, u"tips");
        }
    }
}

tstring LanguageTable::Lookup(const char16_t* key) const {
    if (key == nullptr) {
        return tstring();
    }
    const auto found = entries_.find(tstring(key));
    if (found != entries_.end() && !found->second.IsEmpty()) {
        return found->second;
    }
    return tstring(key);
}

int ConfiguredLanguageNumber(const tstring& configPath) {
    const int number = static_cast<int>(
        GetPrivateProfileIntW(settings::kLanguageNumber.section, settings::kLanguageNumber.key,
                              settings::kLanguageNumber.fallback, configPath));
    return number < 1 ? 1 : number;
}

LanguageTable& ProcessLanguageTable() {
    static LanguageTable table;
    return table;
}

void LoadProcessLanguageTable() {
    ProcessLanguageTable().Load(u"Bin\\language.txt", ConfiguredLanguageNumber(settings::kConfigFile));
}

}  // namespace vantor

tstring GetLanStr(const char16_t* key) {
    return vantor::ProcessLanguageTable().Lookup(key);
}
