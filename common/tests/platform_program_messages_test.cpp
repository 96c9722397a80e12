// Messages between the programs: the endpoint folder, synchronous sends between two processes,
// malformed frames, plain messages and the single-instance lock.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLocalSocket>
#include <QProcess>
#include <QtEndian>
#include <sys/stat.h>
#include <algorithm>
#include <memory>
#include <thread>
#include <vector>
#include "platform/program_messages.h"
#include "text/qt_text.h"
#include "test_folder.h"
#include "ui_wait.h"

using namespace vantor;

namespace {

constexpr char kReceiverVariable[] = "VANTOR_TEST_RECEIVER";

// Every test gets its own endpoint folder, so a wall running on the machine is never addressed.
class ProgramMessagesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = qgetenv("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime_.path().string()));
    }
    void TearDown() override { qputenv("XDG_RUNTIME_DIR", saved_); }

    vantor_test::TestFolder runtime_;
    QByteArray saved_;
};

QByteArray Utf16WithTerminator(const std::u16string& text) {
    return QByteArray(reinterpret_cast<const char*>(text.c_str()),
                      static_cast<qsizetype>((text.size() + 1) * 2));
}

// Runs work on another thread while this one serves the endpoint, until the work is done.
template <typename Work>
void WhileServing(Work work) {
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
    });
    vantor_test::WaitUntil([&] { return done.load(); }, 15000);
    worker.join();
}

// Writes raw bytes to an endpoint and tells whether the receiver closed the connection without
// replying.
bool ReceiverDropsRawFrame(const tstring& title, const QByteArray& frame) {
    bool dropped = false;
    WhileServing([&] {
        QLocalSocket socket;
        socket.connectToServer(EndpointPath(title));
        if (!socket.waitForConnected(2000)) {
            return;
        }
        socket.write(frame);
        socket.waitForBytesWritten(2000);
        const bool replied = socket.waitForReadyRead(3000) && socket.bytesAvailable() > 0;
        dropped = !replied &&
                  (socket.state() == QLocalSocket::UnconnectedState || socket.waitForDisconnected(2000));
    });
    return dropped;
}

// Writes part of a frame and goes away.
void SendPartAndLeave(const tstring& title, const QByteArray& part) {
    WhileServing([&] {
        QLocalSocket socket;
        socket.connectToServer(EndpointPath(title));
        if (socket.waitForConnected(2000)) {
            socket.write(part);
            socket.waitForBytesWritten(2000);
            socket.disconnectFromServer();
        }
    });
}

}  // namespace

TEST_F(ProgramMessagesTest, EndpointFolderIsPrivate) {
    const QString folder = ProgramMessageFolder();
    ASSERT_FALSE(folder.isEmpty());
    struct stat info {};
    ASSERT_EQ(::stat(folder.toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_TRUE(EndpointPath(u"Lumarin").startsWith(folder + "/"));
    EXPECT_TRUE(EndpointPath(u"").isEmpty());
}

// Without a runtime folder the endpoints go into the user's home, not into /tmp where another user
// could have made "/tmp/vantor-<uid>" first.
TEST_F(ProgramMessagesTest, WithoutARuntimeFolderTheEndpointsLiveInTheHome) {
    vantor_test::TestFolder home;
    const QByteArray saved_home = qgetenv("HOME");
    qunsetenv("XDG_RUNTIME_DIR");
    qputenv("HOME", QByteArray::fromStdString(home.path().string()));
    const QString folder = ProgramMessageFolder();
    EXPECT_TRUE(folder.startsWith(QString::fromStdString(home.path().string()) + "/.vantor-"))
        << folder.toStdString();
    struct stat info {};
    ASSERT_EQ(::stat(folder.toLocal8Bit().constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    {
        ProgramMessageServer server([](const ProgramMessage&) { return 1; });
        EXPECT_TRUE(server.Listen(u"Lumarin"));
        EXPECT_TRUE(EndpointExists(u"Lumarin"));
        SingleInstanceLock first("Halvix");
        SingleInstanceLock second("Halvix");
        EXPECT_TRUE(first.Acquired());
        EXPECT_FALSE(second.Acquired());
    }
    qputenv("HOME", saved_home);
}

// With no private folder at all the single-instance lock still holds, through a socket name.
TEST_F(ProgramMessagesTest, TheSingleInstanceLockHoldsWithoutAFolder) {
    auto first = std::make_unique<SingleInstanceLock>("VantorProbe", QString());
    EXPECT_TRUE(first->Acquired());
    EXPECT_FALSE(SingleInstanceLock("VantorProbe", QString()).Acquired());
    EXPECT_TRUE(SingleInstanceLock("VantorOther", QString()).Acquired());
    first.reset();
    EXPECT_TRUE(SingleInstanceLock("VantorProbe", QString()).Acquired());
}

// A flood of connections that send nothing neither grows without bound nor shuts the sender out
// for long: connections beyond the limit are closed at once, idle ones after their time.
TEST_F(ProgramMessagesTest, ConnectionsAreCappedAndIdleOnesClosed) {
    ProgramMessageServer server([](const ProgramMessage&) { return 5; }, nullptr, EndpointLimits{4, 1500});
    ASSERT_TRUE(server.Listen(u"Lumarin"));
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    for (int i = 0; i < 10; ++i) {
        idle.push_back(std::make_unique<QLocalSocket>());
        idle.back()->connectToServer(EndpointPath(u"Lumarin"));
        ASSERT_TRUE(idle.back()->waitForConnected(2000));
    }
    auto open = [&] {
        return std::count_if(idle.begin(), idle.end(), [](const auto& socket) {
            return socket->state() == QLocalSocket::ConnectedState;
        });
    };
    EXPECT_TRUE(vantor_test::WaitUntil([&] { return open() == 4; }, 5000)) << open() << " still open";
    EXPECT_TRUE(vantor_test::WaitUntil([&] { return open() == 0; }, 5000)) << open() << " still open";
    std::int64_t result = 0;
    WhileServing([&] { SendProgramMessage(u"Lumarin", 1802, 0, 0, 5000, &result); });
    EXPECT_EQ(result, 5);
}

TEST_F(ProgramMessagesTest, NoEndpointMeansNoWindowAndFailedSends) {
    EXPECT_FALSE(EndpointExists(u"Nobody"));
    const char16_t text[] = u"x";
    EXPECT_FALSE(SendCopyData(u"Nobody", 0, text, sizeof(text), 500));
    EXPECT_FALSE(SendProgramMessage(u"Nobody", 1802, 0, 0, 500));
}

TEST_F(ProgramMessagesTest, OnlyOneLiveEndpointPerTitleAndStaleOnesAreReplaced) {
    {
        ProgramMessageServer first([](const ProgramMessage&) { return 0; });
        ASSERT_TRUE(first.Listen(u"Twice"));
        ProgramMessageServer second([](const ProgramMessage&) { return 0; });
        EXPECT_FALSE(second.Listen(u"Twice"));
        EXPECT_TRUE(EndpointExists(u"Twice"));
    }
    EXPECT_FALSE(EndpointExists(u"Twice"));
    // A socket file left by a process that died is not a live endpoint.
    const QByteArray stale = EndpointPath(u"Stale").toLocal8Bit();
    FILE* file = std::fopen(stale.constData(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    ProgramMessageServer server([](const ProgramMessage&) { return 0; });
    EXPECT_TRUE(server.Listen(u"Stale"));
}

// The receiver half of the two-process test: started by the test below as a second process.
TEST(ProgramMessagesChild, Receive) {
    const QByteArray title = qgetenv(kReceiverVariable);
    if (title.isEmpty()) {
        GTEST_SKIP() << "runs only as the receiving process";
    }
    bool quit = false;
    ProgramMessageServer server([&](const ProgramMessage& message) -> std::int64_t {
        if (message.kind == ProgramMessage::Kind::CopyData) {
            std::printf("copy %llu %lld %s\n", static_cast<unsigned long long>(message.dwData),
                        static_cast<long long>(message.data.size()), message.data.toHex().constData());
            std::fflush(stdout);
            return static_cast<std::int64_t>(message.data.size());
        }
        std::printf("message %u %llu %llu\n", message.message,
                    static_cast<unsigned long long>(message.wParam),
                    static_cast<unsigned long long>(message.lParam));
        std::fflush(stdout);
        quit = message.message == 0x0010;
        return 7;
    });
    ASSERT_TRUE(server.Listen(FromQt(QString::fromUtf8(title))));
    std::printf("ready\n");
    std::fflush(stdout);
    vantor_test::WaitUntil([&] { return quit; }, 20000);
}

TEST_F(ProgramMessagesTest, CopyDataTravelsBetweenProcessesAndTheSendWaitsForTheReply) {
    QProcess receiver;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kReceiverVariable, "Lumarin");
    receiver.setProcessEnvironment(environment);
    receiver.start(QCoreApplication::applicationFilePath(), {"--gtest_filter=ProgramMessagesChild.Receive"});
    ASSERT_TRUE(receiver.waitForStarted());
    ASSERT_TRUE(vantor_test::WaitUntil([&] { return EndpointExists(u"Lumarin", 100); }, 20000));

    const std::u16string folder = u"Storage\\2024-3-5\\WithTemplate";
    const QByteArray bytes = Utf16WithTerminator(folder);
    std::int64_t result = -1;
    ASSERT_TRUE(SendCopyData(u"Lumarin", 0, bytes.constData(), static_cast<std::uint32_t>(bytes.size()), 5000,
                             &result));
    EXPECT_EQ(result, bytes.size());  // the reply is the receiver's answer: the send was synchronous
    const QByteArray media = Utf16WithTerminator(u"MEDIAMODE");
    EXPECT_EQ(media.size(), 20);
    ASSERT_TRUE(SendCopyData(u"Lumarin", 1, media.constData(), 20, 5000, &result));
    EXPECT_EQ(result, 20);
    ASSERT_TRUE(SendProgramMessage(u"Lumarin", 1802, 3, 4, 5000, &result));
    EXPECT_EQ(result, 7);
    ASSERT_TRUE(SendProgramMessage(u"Lumarin", 0x0010));
    ASSERT_TRUE(receiver.waitForFinished(10000));

    const QList<QByteArray> lines = receiver.readAllStandardOutput().split('\n');
    QStringList received;
    for (const QByteArray& line : lines) {
        if (line.startsWith("copy ") || line.startsWith("message ")) {
            received << QString::fromLatin1(line);
        }
    }
    ASSERT_EQ(received.size(), 4);
    EXPECT_EQ(received[0], QString("copy 0 %1 %2").arg(bytes.size()).arg(QString::fromLatin1(bytes.toHex())));
    EXPECT_EQ(received[1], QString("copy 1 20 %1").arg(QString::fromLatin1(media.toHex())));
    EXPECT_EQ(received[2], "message 1802 3 4");
    EXPECT_EQ(received[3], "message 16 0 0");
}

TEST_F(ProgramMessagesTest, MalformedFramesAreDroppedAndTheEndpointKeepsServing) {
    int handled = 0;
    ProgramMessageServer server([&](const ProgramMessage&) {
        ++handled;
        return 1;
    });
    ASSERT_TRUE(server.Listen(u"Lumarin"));

    QByteArray unknownKind(24, '\0');
    qToLittleEndian<quint32>(9, unknownKind.data());
    EXPECT_TRUE(ReceiverDropsRawFrame(u"Lumarin", unknownKind));
    const char16_t text[] = u"abc";
    EXPECT_TRUE(ReceiverDropsRawFrame(u"Lumarin", EncodeCopyData(0, text, 7)));  // odd byte count
    EXPECT_TRUE(ReceiverDropsRawFrame(u"Lumarin", EncodeCopyData(0, nullptr, kMaxCopyDataBytes + 2)));
    SendPartAndLeave(u"Lumarin", EncodeCopyData(0, text, 8).left(10));  // short: the sender leaves
    SendPartAndLeave(u"Lumarin", QByteArray(2, '\x01'));
    EXPECT_EQ(handled, 0);

    // A good frame afterwards is served (sent from another thread: the endpoint lives on this one).
    bool sent = false;
    WhileServing([&] { sent = SendCopyData(u"Lumarin", 0, text, sizeof(text)); });
    EXPECT_TRUE(sent);
    EXPECT_EQ(handled, 1);
}

TEST_F(ProgramMessagesTest, SingleInstanceLockIsHeldUntilReleased) {
    auto first = std::make_unique<SingleInstanceLock>("Halvix");
    EXPECT_TRUE(first->Acquired());
    {
        SingleInstanceLock second("Halvix");
        EXPECT_FALSE(second.Acquired());
        SingleInstanceLock other("Travenor");
        EXPECT_TRUE(other.Acquired());
    }
    first.reset();
    SingleInstanceLock again("Halvix");
    EXPECT_TRUE(again.Acquired());
}
