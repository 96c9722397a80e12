// The wall's commands as they arrive: frames on a connection from the station, and the folder
// or mode word a copy-data frame carries.
//
// Input: the bytes received on one connection.
#include <QByteArray>
#include <cstdint>

#include "app/wall_command.h"
#include "fuzz_support.h"
#include "platform/program_messages.h"

using namespace vantor_fuzz;

namespace {

constexpr qsizetype kLongestFrame = 16 + vantor::kMaxCopyDataBytes;

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

void CheckCommand(const vantor::ProgramMessage& message) {
    const tstring working(u"\\opt\\Vantor");
    const halvix::WallCommand command = halvix::ParseWallCommand(message.dwData, message.data, working);
    const tstring sent = halvix::CopyDataText(message.data);
    FUZZ_CHECK(sent.GetBase().find(u'\0') == std::u16string::npos);
    FUZZ_CHECK(static_cast<qsizetype>(sent.GetBase().size()) <= message.data.size() / 2);
    if (command.kind == halvix::WallCommand::Kind::ModeWord) {
        FUZZ_CHECK(sent == u"PPTMODE" || sent == u"MEDIAMODE");
        FUZZ_CHECK(command.text == sent);
        return;
    }
    FUZZ_CHECK(sent != u"PPTMODE" && sent != u"MEDIAMODE");
    const std::u16string& folder = command.text.GetBase();
    FUZZ_CHECK(folder.empty() || !IsBlank(folder.back()));
    // The trimmed path stands at the end of the folder, after the working folder when relative.
    const std::u16string path = halvix::TrimBlanks(sent).GetBase();
    FUZZ_CHECK(folder.size() >= path.size() &&
               folder.compare(folder.size() - path.size(), path.size(), path) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray received(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    while (!received.isEmpty()) {
        const vantor::DecodedFrame frame = vantor::DecodeFrame(received);
        if (frame.status != vantor::DecodedFrame::Status::Complete) {
            // Once its header is whole, a frame that waits for more bytes is complete when they come.
            if (frame.status == vantor::DecodedFrame::Status::Incomplete && received.size() >= 16) {
                QByteArray completed = received;
                completed.append(kLongestFrame - completed.size(), '\0');
                FUZZ_CHECK(vantor::DecodeFrame(completed).status == vantor::DecodedFrame::Status::Complete);
            }
            break;
        }
        FUZZ_CHECK(frame.size > 0 && frame.size <= received.size());
        const vantor::ProgramMessage& message = frame.message;
        if (message.kind == vantor::ProgramMessage::Kind::CopyData) {
            FUZZ_CHECK(message.data.size() % 2 == 0 && message.data.size() <= vantor::kMaxCopyDataBytes);
            // The frame reads back as it would be sent.
            FUZZ_CHECK(vantor::EncodeCopyData(message.dwData, message.data.constData(),
                                              static_cast<std::uint32_t>(message.data.size())) ==
                       received.left(frame.size));
            CheckCommand(message);
        } else {
            FUZZ_CHECK(vantor::EncodeMessage(message.message, message.wParam, message.lParam) ==
                       received.left(frame.size));
        }
        received.remove(0, frame.size);
    }
    return 0;
}
