#include "app/wall_command.h"

#include <cstring>
#include "platform/native_path.h"

namespace halvix {
namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

}  // namespace

tstring CopyDataText(const QByteArray& bytes) {
    std::u16string units;
    const qsizetype count = bytes.size() / 2;
    units.reserve(static_cast<std::size_t>(count));
    for (qsizetype i = 0; i < count; ++i) {
        char16_t unit = 0;
        std::memcpy(&unit, bytes.constData() + 2 * i, sizeof(unit));
        if (unit == 0) {
            break;
        }
        units.push_back(unit);
    }
    return tstring(std::move(units));
}

tstring TrimBlanks(const tstring& text) {
    const std::u16string& units = text.GetBase();
    std::size_t first = 0;
    std::size_t last = units.size();
    while (first < last && IsBlank(units[first])) {
        ++first;
    }
    while (last > first && IsBlank(units[last - 1])) {
        --last;
    }
    return tstring(units.substr(first, last - first));
}

WallCommand ParseWallCommand(std::uint64_t dwData, const QByteArray& bytes, const tstring& workingFolder) {
    WallCommand command;
    command.text = CopyDataText(bytes);
    // The mode words are compared as sent: " MEDIAMODE " is a folder of that name, not the mode.
    if (command.text == u"PPTMODE" || command.text == u"MEDIAMODE") {
        command.kind = WallCommand::Kind::ModeWord;
        return command;
    }
    command.kind = WallCommand::Kind::Folder;
    command.text = TrimBlanks(command.text);
    if (dwData == 0 && !vantor::IsAbsolutePath(command.text)) {
        command.text = workingFolder + tstring(u"\\") + command.text;
    }
    return command;
}

}  // namespace halvix
