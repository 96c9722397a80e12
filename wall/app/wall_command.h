#pragma once
// The wall's command messages: copy data whose bytes are UTF-16 text. The text ends at cbData
// bytes or at the first zero, whichever comes first. "PPTMODE" and "MEDIAMODE" (exactly as they
// stand, in capitals, nothing around them) are mode words; anything else is a folder, whose path
// is trimmed. With dwData 0 a folder that is not absolute is taken relative to the wall's working
// folder.
#include <QByteArray>
#include <cstdint>
#include "text/tstring.h"

namespace halvix {

struct WallCommand {
    enum class Kind { ModeWord, Folder };
    Kind kind = Kind::ModeWord;
    tstring text;  // the mode word, or the folder path (logic form, backslashes)
};

// The text of a copy-data payload: at most bytes.size() / 2 units, up to the first zero.
tstring CopyDataText(const QByteArray& bytes);

// Trims blanks, tabs, carriage returns and line feeds at both ends.
tstring TrimBlanks(const tstring& text);

WallCommand ParseWallCommand(std::uint64_t dwData, const QByteArray& bytes, const tstring& workingFolder);

}  // namespace halvix
