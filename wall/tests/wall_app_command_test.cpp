// The wall's command messages: what a payload means, and the same end to end between two
// processes.
#include <gtest/gtest.h>

#include <QProcess>
#include "app/wall_command.h"
#include "platform/program_messages.h"
#include "text/qt_text.h"
#include "wall_app_support.h"

using namespace halvix;
using halvix_test::Utf16WithTerminator;

namespace {

constexpr char kReceiverVariable[] = "HALVIX_TEST_RECEIVER";
const tstring kWorking(u"\\opt\\Vantor");

WallCommand Parse(std::uint64_t dwData, const std::u16string& text) {
    return ParseWallCommand(dwData, Utf16WithTerminator(text), kWorking);
}

}  // namespace

TEST(WallCommand, ModeWordsAreNeverFoldersWhateverTheIdentifier) {
    for (std::uint64_t dwData : {0u, 1u, 7u}) {
        EXPECT_EQ(Parse(dwData, u"PPTMODE").kind, WallCommand::Kind::ModeWord);
        EXPECT_EQ(Parse(dwData, u"MEDIAMODE").kind, WallCommand::Kind::ModeWord);
    }
    // Only the exact words are modes; with anything around them they name a folder, trimmed.
    const WallCommand padded = Parse(0, u"  MEDIAMODE\r\n");
    EXPECT_EQ(padded.kind, WallCommand::Kind::Folder);
    EXPECT_EQ(padded.text, tstring(u"\\opt\\Vantor\\MEDIAMODE"));
    EXPECT_EQ(Parse(1, u" PPTMODE ").kind, WallCommand::Kind::Folder);
    EXPECT_EQ(Parse(1, u" PPTMODE ").text, tstring(u"PPTMODE"));
    EXPECT_EQ(Parse(1, u"MEDIAMODE\t").kind, WallCommand::Kind::Folder);
    const WallCommand lower = Parse(0, u"mediamode");
    EXPECT_EQ(lower.kind, WallCommand::Kind::Folder);
    EXPECT_EQ(lower.text, tstring(u"\\opt\\Vantor\\mediamode"));
    EXPECT_EQ(Parse(1, u"pptmode").text, tstring(u"pptmode"));
}

TEST(WallCommand, RelativeFoldersResolveAgainstTheWorkingFolderOnlyWithIdentifierZero) {
    EXPECT_EQ(Parse(0, u" Storage\\2024-3-5\\WithTemplate ").text,
              tstring(u"\\opt\\Vantor\\Storage\\2024-3-5\\WithTemplate"));
    EXPECT_EQ(Parse(0, u"/home/ann/photos").text, tstring(u"/home/ann/photos"));
    EXPECT_EQ(Parse(0, u"\\home\\ann").text, tstring(u"\\home\\ann"));
    EXPECT_EQ(Parse(0, u"D:\\event\\pictures").text, tstring(u"D:\\event\\pictures"));
    EXPECT_EQ(Parse(1, u"Storage\\x").text, tstring(u"Storage\\x"));
}

TEST(WallCommand, TheTextEndsAtTheTerminatorOrTheByteCount) {
    QByteArray bytes = Utf16WithTerminator(u"abc");
    bytes += Utf16WithTerminator(u"junk");
    EXPECT_EQ(CopyDataText(bytes), tstring(u"abc"));
    EXPECT_EQ(CopyDataText(Utf16WithTerminator(u"abcdef").left(6)), tstring(u"abc"));  // no terminator
    EXPECT_EQ(CopyDataText(QByteArray("a\0b", 3)), tstring(u"a"));  // odd: last byte unused
    EXPECT_EQ(CopyDataText(QByteArray()), tstring());
    EXPECT_EQ(TrimBlanks(u"\t x y \n"), tstring(u"x y"));
}

// The receiving half of the two-process test: an endpoint that reads each payload as the wall does.
TEST(WallCommandChild, Receive) {
    const QByteArray title = qgetenv(kReceiverVariable);
    if (title.isEmpty()) {
        GTEST_SKIP() << "runs only as the receiving process";
    }
    bool quit = false;
    vantor::ProgramMessageServer server([&](const vantor::ProgramMessage& message) -> std::int64_t {
        if (message.kind != vantor::ProgramMessage::Kind::CopyData) {
            quit = true;
            return 0;
        }
        const WallCommand command = ParseWallCommand(message.dwData, message.data, kWorking);
        std::printf("%s|%s\n", command.kind == WallCommand::Kind::ModeWord ? "mode" : "folder",
                    ToQt(command.text).toUtf8().constData());
        std::fflush(stdout);
        return 1;
    });
    ASSERT_TRUE(server.Listen(u"Lumarin"));
    halvix_test::WaitUntil([&] { return quit; }, 20000);
}

TEST(WallCommand, PayloadsKeepTheirMeaningBetweenProcesses) {
    halvix_test::PrivateEndpoints endpoints;
    QProcess wall;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kReceiverVariable, "1");
    wall.setProcessEnvironment(environment);
    wall.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=WallCommandChild.Receive"});
    ASSERT_TRUE(wall.waitForStarted());
    ASSERT_TRUE(halvix_test::WaitUntil([] { return vantor::EndpointExists(u"Lumarin", 100); }, 20000));

    const std::vector<std::pair<std::uint64_t, std::u16string>> sends = {
        {0, u"Storage\\2024-3-5\\WithTemplate"},
        {1, u"/home/ann/相册"},
        {0, u"MEDIAMODE"},
        {1, u"PPTMODE"},
        {0, u"mediamode"},
        {0, u"\\srv\\x "},
        {1, u" MEDIAMODE "},
    };
    for (const auto& [dwData, text] : sends) {
        const QByteArray bytes = Utf16WithTerminator(text);
        ASSERT_TRUE(vantor::SendCopyData(u"Lumarin", dwData, bytes.constData(),
                                         static_cast<std::uint32_t>(bytes.size())));
    }
    ASSERT_TRUE(vantor::SendProgramMessage(u"Lumarin", 0x0010));
    ASSERT_TRUE(wall.waitForFinished(10000));

    QStringList lines;
    for (const QByteArray& line : wall.readAllStandardOutput().split('\n')) {
        if (line.startsWith("mode|") || line.startsWith("folder|")) {
            lines << QString::fromUtf8(line);
        }
    }
    EXPECT_EQ(lines, QStringList({"folder|\\opt\\Vantor\\Storage\\2024-3-5\\WithTemplate",
                                  "folder|/home/ann/相册", "mode|MEDIAMODE", "mode|PPTMODE",
                                  "folder|\\opt\\Vantor\\mediamode", "folder|\\srv\\x", "folder|MEDIAMODE"}));
}
