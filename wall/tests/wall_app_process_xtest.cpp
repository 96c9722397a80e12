// The wall program itself, started from the installation folder: one instance per user, driven
// through its window endpoint, ended by a command.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QLocalSocket>
#include <QProcess>
#include <string>
#include "app/wall_platform.h"
#include "platform/native_path.h"
#include "platform/program_messages.h"
#include "requirements.h"
#include "wall_app_support.h"

using halvix_test::Utf16WithTerminator;
using halvix_test::WaitUntil;

namespace {

QString WallProgram() {
    return halvix_test::InstallFolder() + QStringLiteral("/Halvix");
}

// Empty when the wall program can run here; otherwise what is missing.
std::string MissingForTheWall(const QString& program) {
    if (std::string missing = vantor_test::MissingDisplay(); !missing.empty()) {
        return missing;
    }
    if (!QFileInfo(program).isExecutable()) {
        return "needs the assembled installation folder with Halvix";
    }
    return {};
}

}  // namespace

TEST(WallProcess, RunsOnceServesCommandsAndEndsOnCommandOne) {
    const QString program = WallProgram();
    if (const std::string missing = MissingForTheWall(program); !missing.empty()) {
        GTEST_FAIL() << missing;
    }
    halvix_test::PrivateEndpoints endpoints;
    QProcess wall;
    wall.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    wall.setWorkingDirectory(QFileInfo(program).absolutePath());
    wall.start(program, {});
    ASSERT_TRUE(wall.waitForStarted());
    ASSERT_TRUE(WaitUntil([] { return vantor::EndpointExists(u"Lumarin", 100); }, 20000));

    QProcess second;
    second.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    second.start(program, {});
    ASSERT_TRUE(second.waitForFinished(10000));  // exits at once and quietly
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(vantor::EndpointExists(u"Lumarin"));

    vantor_test::TestFolder pictures;
    QImage picture(800, 600, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(QString::fromStdString((pictures.path() / "12-5-3.jpg").string()), "JPG"));
    const QByteArray folder = Utf16WithTerminator(vantor::FromNativePath(pictures.path().string()).GetBase());
    const QByteArray media = Utf16WithTerminator(u"MEDIAMODE");
    std::int64_t handled = 0;
    EXPECT_TRUE(vantor::SendCopyData(u"Lumarin", 0, folder.constData(),
                                     static_cast<std::uint32_t>(folder.size()), 5000, &handled));
    EXPECT_EQ(handled, 1);
    EXPECT_TRUE(vantor::SendCopyData(u"Lumarin", 0, media.constData(), 20));
    // A malformed frame does not hurt the wall.
    QLocalSocket raw;
    raw.connectToServer(vantor::EndpointPath(u"Lumarin"));
    ASSERT_TRUE(raw.waitForConnected(2000));
    raw.write(vantor::EncodeCopyData(0, folder.constData(), 5));
    EXPECT_TRUE(raw.waitForDisconnected(5000));
    EXPECT_TRUE(vantor::EndpointExists(u"Lumarin"));

    EXPECT_TRUE(vantor::SendProgramMessage(u"Lumarin", vantor::kMessageCommand, 1));
    ASSERT_TRUE(wall.waitForFinished(20000));
    EXPECT_EQ(wall.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(wall.exitCode(), 0);
    EXPECT_FALSE(vantor::EndpointExists(u"Lumarin"));
}

TEST(WallPlatform, AWaylandSessionRunsTheWallThroughItsXDisplay) {
    using halvix::WallPlatform;
    EXPECT_EQ(WallPlatform({"", ":0", "wayland-0", "wayland"}), "xcb");
    EXPECT_EQ(WallPlatform({"", ":0", "", "wayland"}), "xcb");
    EXPECT_EQ(WallPlatform({"wayland", ":0", "wayland-0", ""}), "xcb");
    EXPECT_EQ(WallPlatform({"wayland-egl", ":1", "", ""}), "xcb");
    EXPECT_EQ(WallPlatform({"", ":0", "", "x11"}), "");                 // an X session: Qt picks xcb itself
    EXPECT_EQ(WallPlatform({"offscreen", ":0", "wayland-0", ""}), "");  // named on purpose
    EXPECT_EQ(WallPlatform({"", "", "wayland-0", "wayland"}), "");      // no X display: "no 3D support"
}

// The program on a Wayland desktop whose session asks Qt for Wayland: it still comes up, on the X
// display, and serves its endpoint.
TEST(WallProcess, StartsOnAWaylandDesktopThroughTheXDisplay) {
    const QString program = WallProgram();
    if (const std::string missing = MissingForTheWall(program); !missing.empty()) {
        GTEST_FAIL() << missing;
    }
    halvix_test::PrivateEndpoints endpoints;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "wayland");
    environment.insert("WAYLAND_DISPLAY", "vantor-no-such-compositor");
    environment.insert("XDG_SESSION_TYPE", "wayland");
    QProcess wall;
    wall.setProcessEnvironment(environment);
    wall.setProcessChannelMode(QProcess::ForwardedChannels);
    wall.start(program, {});
    ASSERT_TRUE(wall.waitForStarted());
    EXPECT_TRUE(WaitUntil(
        [&] { return vantor::EndpointExists(u"Lumarin", 100) || wall.state() == QProcess::NotRunning; },
        20000));
    EXPECT_TRUE(vantor::EndpointExists(u"Lumarin")) << "the wall did not come up";
    vantor::SendProgramMessage(u"Lumarin", vantor::kMessageCommand, 1);
    if (!wall.waitForFinished(20000)) {
        wall.kill();
        wall.waitForFinished();
    }
}
