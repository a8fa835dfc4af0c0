#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

// One configuration program per user directory. Two programs on the same
// directory would overwrite each other's configuration, playlists and log, so
// the first start holds a lock file there for its whole run and listens on a
// local socket named after the directory. A later start finds the lock held,
// hands its request (bring the window forward, import a package) to the
// running program over that socket and ends.
namespace SingleInstance {

// The user directory as the engine's application object resolves it
// (KELVRA_USER_DIR, else the default user directory), known before that
// object exists, because that object opens the log there.
QString userDirectory();

// The local socket's name for a user directory: the same for every spelling
// of an existing directory (it is made canonical first), in the user's
// runtime directory where there is one and its path is short enough.
QString serverName(const QString &userDirectory);

// "<userDirectory>/kelvra-config.lock"
QString lockFilePath(const QString &userDirectory);

// The lock on the user directory, held until release() or destruction.
class UserDirectoryLock
{
public:
    enum class Claim {
        Taken,          // ours now; a lock left by a program that died is taken over
        HeldByAnother,  // a running program holds it
        Unavailable,    // the directory cannot be made or written: nothing to protect
    };

    UserDirectoryLock();
    ~UserDirectoryLock();
    UserDirectoryLock(const UserDirectoryLock &) = delete;
    UserDirectoryLock &operator=(const UserDirectoryLock &) = delete;

    // Creates the directory when missing, then tries the lock once.
    Claim take(const QString &userDirectory);
    bool isHeld() const;
    void release();

private:
    std::unique_ptr<QLockFile> m_lock;
};

// What a later start asks of the running program. An empty importPath asks
// only for the window; otherwise it is an absolute path.
struct HandOverRequest
{
    QString importPath;
};

// The wire format, one line each way:
//   request "KVCONFIG/1 show\n" or "KVCONFIG/1 import <base64 of UTF-8 path>\n"
//   answer  "ok\n" or "refused <base64 of UTF-8 text>\n"
// Any local process can connect, so both sides bound what they read.
constexpr int maxRequestBytes = 32 * 1024;
constexpr int maxAnswerBytes = 32 * 1024;
QByteArray encodeRequest(const HandOverRequest &request);
// False for anything but one well-formed request line (without its "\n").
bool decodeRequest(const QByteArray &line, HandOverRequest *request);

// The running program's side. Until a handler is set, requests are refused.
class HandOverServer : public QObject
{
    Q_OBJECT
public:
    // Returns an empty string when the request was carried out, otherwise the
    // text the asking start shows to the user.
    using Handler = std::function<QString(const HandOverRequest &)>;

    // A connection that has not sent a whole request within this time is
    // dropped; at most this many are served at once, further ones are closed.
    static constexpr int requestTimeoutMs = 3000;
    static constexpr int maxConnections = 4;

    explicit HandOverServer(QObject *parent = nullptr);
    ~HandOverServer() override;

    // Only the holder of the user directory lock may call this: a socket file
    // left by a program that died is removed first. Readable and writable by
    // this user only.
    bool listen(const QString &name);
    void setHandler(Handler handler);

private:
    void acceptConnections();
    void readRequest(QLocalSocket *socket);
    void cutOff(QLocalSocket *socket);

    QLocalServer *m_server;
    Handler m_handler;
    QHash<QLocalSocket *, QByteArray> m_pending;
};

struct HandOverAnswer
{
    enum class Status {
        Accepted,
        Refused,   // text says why
        NoAnswer,  // nobody listening, or no whole answer in time
    };
    Status status = Status::NoAnswer;
    QString text;
};

// The later start's side: blocks for at most connectTimeoutMs to reach the
// server (a program that has just taken the lock may not listen yet) and
// answerTimeoutMs more for its answer.
HandOverAnswer handOver(const QString &name, const HandOverRequest &request, int connectTimeoutMs,
                        int answerTimeoutMs);

} // namespace SingleInstance
