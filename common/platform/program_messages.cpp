#include "platform/program_messages.h"

#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QSysInfo>
#include <QTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QVariant>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstddef>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include "text/narrow_text.h"

namespace vantor {
namespace {

Q_LOGGING_CATEGORY(lcMessages, "vantor.platform.messages")

constexpr std::uint32_t kKindCopyData = 1;
constexpr std::uint32_t kKindMessage = 2;
constexpr qint64 kCopyDataHeaderBytes = 4 + 8 + 4;
constexpr qint64 kMessageFrameBytes = 4 + 4 + 8 + 8;
constexpr qint64 kReplyBytes = 8;
constexpr qint64 kLongestFrameBytes = kCopyDataHeaderBytes + kMaxCopyDataBytes;
const char* const kBusyProperty = "vantorHandling";

// A folder only the user can enter: created 0700, or an existing one of ours tightened to 0700.
bool MakePrivateFolder(const QByteArray& path) {
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::getuid()) {
        return false;
    }
    if ((info.st_mode & 077) != 0 && ::chmod(path.constData(), 0700) != 0) {
        return false;
    }
    return true;
}

// $HOME, else the home folder of the user's account.
QByteArray HomeFolder() {
    QByteArray home = qgetenv("HOME");
    if (home.isEmpty()) {
        if (const passwd* account = ::getpwuid(::getuid());
            account != nullptr && account->pw_dir != nullptr) {
            home = account->pw_dir;
        }
    }
    return home;
}

template <typename T>
void Append(QByteArray& out, T value) {
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

template <typename T>
T Take(const char* at) {
    return qFromLittleEndian<T>(at);
}

// Writes one frame and waits for the reply, all within timeout_ms.
bool Exchange(const tstring& title, const QByteArray& frame, int timeout_ms, std::int64_t* result) {
    const QString path = EndpointPath(title);
    if (path.isEmpty()) {
        return false;
    }
    QDeadlineTimer deadline(timeout_ms);
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(static_cast<int>(deadline.remainingTime()))) {
        return false;
    }
    socket.write(frame);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(static_cast<int>(deadline.remainingTime()))) {
            return false;
        }
    }
    while (socket.bytesAvailable() < kReplyBytes) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            return false;
        }
    }
    std::array<char, kReplyBytes> reply{};
    socket.read(reply.data(), kReplyBytes);
    if (result) {
        *result = Take<qint64>(reply.data());
    }
    socket.disconnectFromServer();
    return true;
}

}  // namespace

QString ProgramMessageFolder() {
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        struct stat info {};
        if (::stat(runtime.constData(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid()) {
            const QByteArray folder = runtime + "/vantor";
            if (MakePrivateFolder(folder)) {
                return QString::fromLocal8Bit(folder);
            }
        }
    }
    // The host's name keeps two machines that share a home (NFS) from meeting in one folder.
    const QByteArray home = HomeFolder();
    if (!home.isEmpty()) {
        const QByteArray folder = home + "/.vantor-" + QSysInfo::machineHostName().toLocal8Bit();
        if (MakePrivateFolder(folder)) {
            return QString::fromLocal8Bit(folder);
        }
    }
    const QByteArray folder = "/tmp/vantor-" + QByteArray::number(::getuid());
    if (MakePrivateFolder(folder)) {
        return QString::fromLocal8Bit(folder);
    }
    qCWarning(lcMessages, "no private folder for the programs' endpoints: %s is not this user's",
              folder.constData());
    return QString();
}

QString EndpointPath(const tstring& title) {
    const QString folder = ProgramMessageFolder();
    if (folder.isEmpty() || title.IsEmpty()) {
        return QString();
    }
    QString name = QString::fromStdString(WideToUtf8(title.GetBase()));
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return folder + QLatin1Char('/') + name + QStringLiteral(".endpoint");
}

QByteArray EncodeCopyData(std::uint64_t dwData, const void* data, std::uint32_t cbData) {
    QByteArray frame;
    Append<quint32>(frame, kKindCopyData);
    Append<quint64>(frame, dwData);
    Append<quint32>(frame, cbData);
    if (data && cbData > 0) {
        frame.append(static_cast<const char*>(data), static_cast<qsizetype>(cbData));
    }
    return frame;
}

QByteArray EncodeMessage(std::uint32_t message, std::uint64_t wParam, std::uint64_t lParam) {
    QByteArray frame;
    Append<quint32>(frame, kKindMessage);
    Append<quint32>(frame, message);
    Append<quint64>(frame, wParam);
    Append<quint64>(frame, lParam);
    return frame;
}

ProgramMessageServer::ProgramMessageServer(Handler handler, QObject* parent, EndpointLimits limits)
    : QObject(parent), handler_(std::move(handler)), limits_(limits), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] { Accept(); });
}

ProgramMessageServer::~ProgramMessageServer() {
    Close();
}

bool ProgramMessageServer::Listen(const tstring& title) {
    Close();
    const QString path = EndpointPath(title);
    if (path.isEmpty() || EndpointExists(title)) {
        return false;
    }
    QLocalServer::removeServer(path);
    return server_->listen(path);
}

void ProgramMessageServer::Close() {
    if (server_->isListening()) {
        server_->close();
    }
}

bool ProgramMessageServer::IsListening() const {
    return server_->isListening();
}

void ProgramMessageServer::Accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        socket->setParent(this);
        if (connections_ >= limits_.max_connections) {
            qCWarning(lcMessages, "endpoint full (%d connections): a connection is refused", connections_);
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++connections_;
        connect(socket, &QObject::destroyed, this, [this] { --connections_; });
        // Closes the connection when nothing has arrived for a while and no handler is running on it.
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        idle->setInterval(limits_.idle_close_ms);
        connect(idle, &QTimer::timeout, socket, [socket, idle] {
            if (socket->property(kBusyProperty).toBool()) {
                idle->start();
                return;
            }
            socket->abort();
            socket->deleteLater();
        });
        idle->start();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, idle] {
            idle->start();
            ReadFrom(socket);
        });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (socket->bytesAvailable() > 0) {
            ReadFrom(socket);
        }
    }
}

// Handles every complete frame waiting on the socket. A handler may run a nested event loop (a
// message box); frames arriving meanwhile wait until it returns, so replies keep their order.
void ProgramMessageServer::ReadFrom(QLocalSocket* socket) {
    if (socket->property(kBusyProperty).toBool()) {
        return;
    }
    QPointer<QLocalSocket> guard(socket);
    socket->setProperty(kBusyProperty, true);
    auto drop = [&] {
        socket->abort();
        socket->deleteLater();
    };
    while (guard) {
        const DecodedFrame frame = DecodeFrame(socket->peek(kLongestFrameBytes));
        if (frame.status == DecodedFrame::Status::Incomplete) {
            break;
        }
        if (frame.status == DecodedFrame::Status::Malformed) {
            drop();
            return;
        }
        socket->skip(frame.size);
        const ProgramMessage& message = frame.message;
        const std::int64_t result = handler_ ? handler_(message) : 0;
        if (!guard) {
            return;
        }
        QByteArray reply;
        Append<qint64>(reply, result);
        socket->write(reply);
        socket->flush();
    }
    if (guard) {
        socket->setProperty(kBusyProperty, false);
    }
}

DecodedFrame DecodeFrame(const QByteArray& bytes) {
    DecodedFrame frame;
    if (bytes.size() < 4) {
        return frame;
    }
    const char* at = bytes.constData();
    const std::uint32_t kind = Take<quint32>(at);
    if (kind == kKindCopyData) {
        if (bytes.size() < kCopyDataHeaderBytes) {
            return frame;
        }
        const std::uint32_t cbData = Take<quint32>(at + 12);
        if (cbData % 2 != 0 || cbData > kMaxCopyDataBytes) {
            frame.status = DecodedFrame::Status::Malformed;
            return frame;
        }
        if (bytes.size() < kCopyDataHeaderBytes + cbData) {
            return frame;
        }
        frame.message.kind = ProgramMessage::Kind::CopyData;
        frame.message.dwData = Take<quint64>(at + 4);
        frame.message.data = bytes.mid(kCopyDataHeaderBytes, cbData);
        frame.size = kCopyDataHeaderBytes + cbData;
    } else if (kind == kKindMessage) {
        if (bytes.size() < kMessageFrameBytes) {
            return frame;
        }
        frame.message.kind = ProgramMessage::Kind::Message;
        frame.message.message = Take<quint32>(at + 4);
        frame.message.wParam = Take<quint64>(at + 8);
        frame.message.lParam = Take<quint64>(at + 16);
        frame.size = kMessageFrameBytes;
    } else {
        frame.status = DecodedFrame::Status::Malformed;
        return frame;
    }
    frame.status = DecodedFrame::Status::Complete;
    return frame;
}

bool EndpointExists(const tstring& title, int timeout_ms) {
    const QString path = EndpointPath(title);
    if (path.isEmpty()) {
        return false;
    }
    QLocalSocket socket;
    socket.connectToServer(path);
    const bool answered = socket.waitForConnected(timeout_ms);
    socket.abort();
    return answered;
}

bool SendCopyData(const tstring& title, std::uint64_t dwData, const void* data, std::uint32_t cbData,
                  int timeout_ms, std::int64_t* result) {
    if ((!data && cbData > 0) || cbData % 2 != 0 || cbData > kMaxCopyDataBytes) {
        return false;  // the receiver would drop it
    }
    return Exchange(title, EncodeCopyData(dwData, data, cbData), timeout_ms, result);
}

bool SendProgramMessage(const tstring& title, std::uint32_t message, std::uint64_t wParam,
                        std::uint64_t lParam, int timeout_ms, std::int64_t* result) {
    return Exchange(title, EncodeMessage(message, wParam, lParam), timeout_ms, result);
}

SingleInstanceLock::SingleInstanceLock(const QString& programName)
    : SingleInstanceLock(programName, ProgramMessageFolder()) {}

SingleInstanceLock::SingleInstanceLock(const QString& programName, const QString& folder) {
    if (!folder.isEmpty()) {
        const QByteArray path =
            (folder + QLatin1Char('/') + programName + QStringLiteral(".lock")).toLocal8Bit();
        fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            acquired_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
            if (acquired_ || errno == EWOULDBLOCK) {
                return;
            }
            ::close(fd_);  // a file system without locks: take the socket name instead
            fd_ = -1;
        }
    }
    // A name in the abstract socket space is released by the kernel when the process ends.
    fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ < 0) {
        acquired_ = true;
        return;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = "vantor-" + QByteArray::number(::getuid()) + "-" + programName.toUtf8() + ".lock";
    const auto length =
        std::min<std::size_t>(static_cast<std::size_t>(name.size()), sizeof(address.sun_path) - 1);
    std::memcpy(address.sun_path + 1, name.constData(), length);  // sun_path[0] == 0: abstract
    const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
    acquired_ = ::bind(fd_, reinterpret_cast<const sockaddr*>(&address), size) == 0 || errno != EADDRINUSE;
}

SingleInstanceLock::~SingleInstanceLock() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

}  // namespace vantor
