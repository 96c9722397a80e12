#pragma once
// Messages between the programs. A program window that other programs may drive has an endpoint
// named after its window title: a local socket in a per-user folder that only its owner can
// enter. "Is there a top-level window titled X" is "does endpoint X answer", and sending it a
// message is a synchronous exchange: the sender writes one frame and waits for the receiver's
// acknowledgement, which carries the handler's result.
//
// Frames, little-endian:
//   copy data:  u32 kind = 1, u64 dwData, u32 cbData, cbData bytes
//   message:    u32 kind = 2, u32 message, u64 wParam, u64 lParam
//   reply:      i64 result
// A frame that is short, declares an odd or too large cbData, or has an unknown kind is dropped and
// its connection closed.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include "tarquel_export.h"
#include "text/tstring.h"

class QLocalServer;
class QLocalSocket;

namespace vantor {

// Message numbers with a fixed meaning for every endpoint.
inline constexpr std::uint32_t kMessageCommand = 0x0111;     // a command: wParam is the command id
inline constexpr std::uint32_t kMessageShowNormal = 0x0018;  // show the window at its normal size
inline constexpr std::uint32_t kMessageActivate = 0x0006;    // bring the window to the foreground

// The largest copy-data payload an endpoint accepts (a path of 32767 UTF-16 units and terminator).
inline constexpr std::uint32_t kMaxCopyDataBytes = 65536;

struct ProgramMessage {
    enum class Kind { CopyData, Message };
    Kind kind = Kind::CopyData;
    std::uint64_t dwData = 0;   // copy data
    QByteArray data;            // copy data: exactly cbData bytes
    std::uint32_t message = 0;  // message
    std::uint64_t wParam = 0;
    std::uint64_t lParam = 0;
};

// The per-user folder of endpoints and lock files, created with mode 0700 when missing:
// $XDG_RUNTIME_DIR/vantor; without a runtime folder of the user's, "<home>/.vantor-<host name>" (a
// place no other user can claim first, as one can in /tmp); as the last resort /tmp/vantor-<uid>
// when it is the user's own. Empty when none can be made private.
QString ProgramMessageFolder();
// The socket path of the endpoint for a window title.
QString EndpointPath(const tstring& title);

// How many connections an endpoint serves at once, and how long one may stay open with nothing to
// do (a sender connects, sends, reads the reply and goes; one that lingers holds a place).
struct EndpointLimits {
    int max_connections = 16;
    int idle_close_ms = 5000;
};

// Listens for one window title while it exists. Handlers run on the thread that owns the server
// (the window's thread); the reply is sent when the handler returns. A connection beyond the
// limit is closed at once, an idle one after its time.
class TARQUEL_API ProgramMessageServer : public QObject {
  public:
    using Handler = std::function<std::int64_t(const ProgramMessage&)>;

    explicit ProgramMessageServer(Handler handler, QObject* parent = nullptr, EndpointLimits limits = {});
    ~ProgramMessageServer() override;
    ProgramMessageServer(const ProgramMessageServer&) = delete;
    ProgramMessageServer& operator=(const ProgramMessageServer&) = delete;

    // Starts listening as the given title. Fails when the folder cannot be made or another live
    // endpoint already answers to the title; a stale socket left by a dead process is replaced.
    bool Listen(const tstring& title);
    void Close();
    bool IsListening() const;

  private:
    void Accept();
    void ReadFrom(QLocalSocket* socket);

    Handler handler_;
    EndpointLimits limits_;
    QLocalServer* server_;  // child of this
    int connections_ = 0;   // sockets accepted and not yet destroyed
};

// True when an endpoint for the title answers.
TARQUEL_API bool EndpointExists(const tstring& title, int timeout_ms = 300);

// Sends copy data and waits for the reply. False when no endpoint answers, the frame cannot be
// written or no reply comes within the time-out, and for data no endpoint accepts (an odd or too
// large byte count); *result receives the handler's result.
bool SendCopyData(const tstring& title, std::uint64_t dwData, const void* data, std::uint32_t cbData,
                  int timeout_ms = 5000, std::int64_t* result = nullptr);

// Sends a plain message and waits for the reply, like SendCopyData.
TARQUEL_API bool SendProgramMessage(const tstring& title, std::uint32_t message, std::uint64_t wParam = 0,
                                    std::uint64_t lParam = 0, int timeout_ms = 5000,
                                    std::int64_t* result = nullptr);

// The first frame of bytes received on a connection: complete (its message and byte count),
// incomplete (more bytes must come) or malformed (the connection is to be closed).
struct DecodedFrame {
    enum class Status { Incomplete, Complete, Malformed };
    Status status = Status::Incomplete;
    qint64 size = 0;  // bytes the complete frame takes
    ProgramMessage message;
};
DecodedFrame DecodeFrame(const QByteArray& bytes);

// Encodes frames (also used by tests to build malformed ones).
QByteArray EncodeCopyData(std::uint64_t dwData, const void* data, std::uint32_t cbData);
QByteArray EncodeMessage(std::uint32_t message, std::uint64_t wParam, std::uint64_t lParam);

// A per-user lock named after the program, held from construction to destruction: flock on a file
// in ProgramMessageFolder(), or, when no private folder can be made, a name in the abstract socket
// space. Only one live process can hold a given name.
class TARQUEL_API SingleInstanceLock {
  public:
    explicit SingleInstanceLock(const QString& programName);
    // The lock file in `folder`; an empty folder takes the socket name.
    SingleInstanceLock(const QString& programName, const QString& folder);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;
    SingleInstanceLock(SingleInstanceLock&&) = delete;
    SingleInstanceLock& operator=(SingleInstanceLock&&) = delete;

    // False when another process holds the lock. When neither a lock file nor a socket name can be
    // had at all the program runs unguarded rather than not at all, and this is true.
    bool Acquired() const { return acquired_; }

  private:
    int fd_ = -1;  // the locked file or the bound socket
    bool acquired_ = false;
};

}  // namespace vantor
