// The VantorGallery program as the station starts it: from the installation folder, with the
// address and port on its command line; it says why when it cannot listen.
#include <gtest/gtest.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QProcess>
#include <filesystem>
#include <thread>

#include "test_folder.h"

namespace {

QString Program() {
    return QString::fromStdString((vantor_test::InstallFolder() / "VantorGallery").string());
}

}  // namespace

TEST(GalleryProgram, ServesOnItsPortStopsOnTermAndExplainsATakenPort) {
    ASSERT_TRUE(std::filesystem::exists(Program().toStdString())) << "VantorGallery is not built";
    // A port held by a listening socket of the test.
    const int occupant = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(occupant, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(occupant, 4), 0);
    ASSERT_EQ(::getsockname(occupant, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const int taken = ntohs(address.sin_port);

    QProcess refused;
    refused.start(Program(), {"--bind", "127.0.0.1", "--port", QString::number(taken)});
    ASSERT_TRUE(refused.waitForFinished(10000));
    EXPECT_EQ(refused.exitCode(), 1);
    EXPECT_TRUE(refused.readAllStandardError().contains("cannot listen on 127.0.0.1 port " +
                                                        QByteArray::number(taken)));

    QProcess wrong;
    wrong.start(Program(), {"--port", "http"});
    ASSERT_TRUE(wrong.waitForFinished(10000));
    EXPECT_EQ(wrong.exitCode(), 2);
    EXPECT_TRUE(wrong.readAllStandardError().contains("usage: VantorGallery"));

    // A free port: the one the occupant had, once it is gone.
    ::close(occupant);
    QProcess served;
    served.start(Program(), {"--bind", "127.0.0.1", "--port", QString::number(taken)});
    ASSERT_TRUE(served.waitForStarted(10000));
    httplib::Client client("127.0.0.1", taken);
    client.set_connection_timeout(2);
    client.set_read_timeout(2);
    int status = 0;
    std::string type;
    for (int i = 0; i < 100 && status == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (auto answer = client.Get("/s/site.css")) {
            status = answer->status;
            type = answer->get_header_value("Content-Type");
        }
    }
    EXPECT_EQ(status, 200) << served.readAllStandardError().toStdString();
    EXPECT_EQ(type, "text/css; charset=utf-8");
    // Every thread of it, the workers answering phones among them, runs on idle cores only.
    const std::filesystem::path tasks = "/proc/" + std::to_string(served.processId()) + "/task";
    int threads = 0;
    for (const auto& task : std::filesystem::directory_iterator(tasks)) {
        ++threads;
        EXPECT_EQ(::sched_getscheduler(std::stoi(task.path().filename().string())), SCHED_IDLE)
            << "a thread of the photo server competes with the station";
    }
    EXPECT_GT(threads, 2);
    served.terminate();
    ASSERT_TRUE(served.waitForFinished(10000));
    EXPECT_EQ(served.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(served.exitCode(), 0);
}
