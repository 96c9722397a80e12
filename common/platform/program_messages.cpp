#include "platform/program_messages.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QVariant>
#include <QtEndian>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include "platform/narrow_text.h"

namespace vantor {
namespace {

constexpr std::uint32_t kKindCopyData = 1;
constexpr std::uint32_t kKindMessage = 2;
constexpr qint64 kCopyDataHeaderBytes = 4 + 8 + 4;
constexpr qint64 kMessageFrameBytes = 4 + 4 + 8 + 8;
constexpr qint64 kReplyBytes = 8;
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
    const QByteArray folder = "/tmp/vantor-" + QByteArray::number(::getuid());
    return MakePrivateFolder(folder) ? QString::fromLocal8Bit(folder) : QString();
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

ProgramMessageServer::ProgramMessageServer(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)), server_(new QLocalServer(this)) {
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
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadFrom(socket); });
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
    while (guard && socket->bytesAvailable() >= 4) {
        std::array<char, kMessageFrameBytes> head{};
        const qint64 got = socket->peek(head.data(), kMessageFrameBytes);
        const std::uint32_t kind = Take<quint32>(head.data());
        ProgramMessage message;
        if (kind == kKindCopyData) {
            if (got < kCopyDataHeaderBytes) {
                break;
            }
            const std::uint32_t cbData = Take<quint32>(head.data() + 12);
            if (cbData % 2 != 0 || cbData > kMaxCopyDataBytes) {
                drop();
                return;
            }
            if (socket->bytesAvailable() < kCopyDataHeaderBytes + cbData) {
                break;
            }
            socket->read(kCopyDataHeaderBytes);
            message.kind = ProgramMessage::Kind::CopyData;
            message.dwData = Take<quint64>(head.data() + 4);
            message.data = socket->read(cbData);
        } else if (kind == kKindMessage) {
            if (got < kMessageFrameBytes) {
                break;
            }
            socket->read(kMessageFrameBytes);
            message.kind = ProgramMessage::Kind::Message;
            message.message = Take<quint32>(head.data() + 4);
            message.wParam = Take<quint64>(head.data() + 8);
            message.lParam = Take<quint64>(head.data() + 16);
        } else {
            drop();
            return;
        }
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

SingleInstanceLock::SingleInstanceLock(const QString& programName) {
    const QString folder = ProgramMessageFolder();
    if (folder.isEmpty()) {
        acquired_ = true;
        return;
    }
    const QByteArray path = (folder + QLatin1Char('/') + programName + QStringLiteral(".lock")).toLocal8Bit();
    fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0) {
        acquired_ = true;
        return;
    }
    acquired_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
    if (!acquired_ && errno != EWOULDBLOCK) {
        acquired_ = true;  // a file system without locks: run unguarded
    }
}

SingleInstanceLock::~SingleInstanceLock() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

}  // namespace vantor
