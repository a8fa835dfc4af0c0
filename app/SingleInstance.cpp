#include "SingleInstance.h"

#include "EngineSupport.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

namespace SingleInstance {

namespace {

const char kRequestPrefix[] = "KVCONFIG/1 ";
const char kShowCommand[] = "show";
const char kImportCommand[] = "import ";
const char kAccepted[] = "ok";
const char kRefused[] = "refused ";
const char kLockFileName[] = "kelvra-config.lock";
constexpr int kMaxSocketPathBytes = 100;

QString cleanDirectory(const QString &path)
{
    return QDir::cleanPath(QDir(QDir::fromNativeSeparators(path)).absolutePath());
}

// Base64 with a check that it really was: a strict decode that round-trips.
bool decodeBase64(const QByteArray &text, QByteArray *decoded)
{
    const auto result = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    if (!result)
        return false;
    *decoded = result.decoded;
    return true;
}

} // namespace

QString userDirectory()
{
    const QString fromEnvironment = qEnvironmentVariable("KELVRA_USER_DIR");
    return cleanDirectory(fromEnvironment.isEmpty() ? EngineSupport::DefaultUserDirectory() : fromEnvironment);
}

QString serverName(const QString &userDirectory)
{
    QString canonical = QFileInfo(userDirectory).canonicalFilePath();
    if (canonical.isEmpty())
        canonical = cleanDirectory(userDirectory);
#ifdef Q_OS_WIN
    canonical = canonical.toLower();
#endif
    const QByteArray digest = QCryptographicHash::hash(canonical.toUtf8(), QCryptographicHash::Sha256);
    const QString name = QStringLiteral("kelvra-config-") + QString::fromLatin1(digest.left(8).toHex());
#ifndef Q_OS_WIN
    // In the user's private runtime directory rather than the shared
    // temporary one, where another user could take the name first. A socket
    // path is limited to about 100 bytes.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QString inRuntime = runtime + QLatin1Char('/') + name;
    if (!runtime.isEmpty() && QFile::encodeName(inRuntime).size() < kMaxSocketPathBytes)
        return inRuntime;
#endif
    return name;
}

QString lockFilePath(const QString &userDirectory)
{
    return cleanDirectory(userDirectory) + QLatin1Char('/') + QLatin1String(kLockFileName);
}

UserDirectoryLock::UserDirectoryLock() = default;

UserDirectoryLock::~UserDirectoryLock()
{
    release();
}

UserDirectoryLock::Claim UserDirectoryLock::take(const QString &userDirectory)
{
    release();
    if (!QDir().mkpath(userDirectory))
        return Claim::Unavailable;
    std::unique_ptr<QLockFile> lock(new QLockFile(lockFilePath(userDirectory)));
    // Held for the whole run: it must never count as stale by its age, only
    // when the program that wrote it no longer runs. (By default a lock older
    // than 30 s is stale wherever the file system has no locks of its own.)
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        m_lock = std::move(lock);
        return Claim::Taken;
    }
    return lock->error() == QLockFile::LockFailedError ? Claim::HeldByAnother : Claim::Unavailable;
}

bool UserDirectoryLock::isHeld() const
{
    return m_lock && m_lock->isLocked();
}

void UserDirectoryLock::release()
{
    if (m_lock)
        m_lock->unlock();
    m_lock.reset();
}

QByteArray encodeRequest(const HandOverRequest &request)
{
    QByteArray line(kRequestPrefix);
    if (request.importPath.isEmpty())
        line += kShowCommand;
    else
        line += kImportCommand + request.importPath.toUtf8().toBase64();
    return line + '\n';
}

bool decodeRequest(const QByteArray &line, HandOverRequest *request)
{
    if (!line.startsWith(kRequestPrefix))
        return false;
    const QByteArray command = line.mid(int(sizeof(kRequestPrefix)) - 1);
    if (command == kShowCommand) {
        request->importPath.clear();
        return true;
    }
    if (!command.startsWith(kImportCommand))
        return false;
    QByteArray path;
    if (!decodeBase64(command.mid(int(sizeof(kImportCommand)) - 1), &path) || path.isEmpty()
        || path.contains('\0'))
        return false;
    const QString importPath = QString::fromUtf8(path);
    if (!QDir::isAbsolutePath(importPath))
        return false;
    request->importPath = importPath;
    return true;
}

HandOverServer::HandOverServer(QObject *parent)
    : QObject(parent)
    , m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    m_server->setMaxPendingConnections(maxConnections);
    connect(m_server, &QLocalServer::newConnection, this, &HandOverServer::acceptConnections);
}

HandOverServer::~HandOverServer() = default;

bool HandOverServer::listen(const QString &name)
{
    QLocalServer::removeServer(name);
    return m_server->listen(name);
}

void HandOverServer::setHandler(Handler handler)
{
    m_handler = std::move(handler);
}

void HandOverServer::acceptConnections()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        if (m_pending.size() >= maxConnections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        m_pending.insert(socket, QByteArray());
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { cutOff(socket); });
        // Only while the request is awaited: an answer that follows a long
        // import must not be cut off.
        QTimer::singleShot(requestTimeoutMs, socket, [this, socket] {
            if (m_pending.contains(socket))
                cutOff(socket);
        });
        if (socket->bytesAvailable() > 0)
            readRequest(socket);
    }
}

void HandOverServer::readRequest(QLocalSocket *socket)
{
    auto buffer = m_pending.find(socket);
    if (buffer == m_pending.end())
        return;
    // Never more than one request's worth is held, whatever is sent.
    buffer->append(socket->read(maxRequestBytes + 1 - buffer->size()));
    const int end = buffer->indexOf('\n');
    if (end < 0) {
        if (buffer->size() > maxRequestBytes)
            cutOff(socket);
        return;
    }

    HandOverRequest request;
    if (!decodeRequest(buffer->left(end), &request)) {
        cutOff(socket);
        return;
    }
    m_pending.erase(buffer);
    disconnect(socket, nullptr, this, nullptr);

    QString refusal = QStringLiteral("Kelvra Config is still starting; try again in a moment.");
    if (m_handler)
        refusal = m_handler(request);
    socket->write(refusal.isEmpty() ? QByteArray(kAccepted) + '\n'
                                    : QByteArray(kRefused) + refusal.toUtf8().toBase64() + '\n');
    // Closes once the answer is written.
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    socket->disconnectFromServer();
    if (socket->state() == QLocalSocket::UnconnectedState)
        socket->deleteLater();
}

void HandOverServer::cutOff(QLocalSocket *socket)
{
    m_pending.remove(socket);
    disconnect(socket, nullptr, this, nullptr);
    socket->abort();
    socket->deleteLater();
}

HandOverAnswer handOver(const QString &name, const HandOverRequest &request, int connectTimeoutMs,
                        int answerTimeoutMs)
{
    HandOverAnswer answer;
    const QByteArray line = encodeRequest(request);
    if (line.size() > maxRequestBytes)
        return answer;

    QLocalSocket socket;
    const QDeadlineTimer connectDeadline(connectTimeoutMs);
    for (;;) {
        socket.connectToServer(name);
        if (socket.waitForConnected(int(qMax<qint64>(connectDeadline.remainingTime(), 1))))
            break;
        socket.abort();
        if (connectDeadline.hasExpired())
            return answer;
        QThread::msleep(100);
    }

    socket.write(line);
    const QDeadlineTimer answerDeadline(answerTimeoutMs);
    QByteArray received;
    while (!received.contains('\n')) {
        if (received.size() > maxAnswerBytes || answerDeadline.hasExpired())
            return answer;
        if (socket.bytesAvailable() == 0
            && !socket.waitForReadyRead(int(qMax<qint64>(answerDeadline.remainingTime(), 1)))) {
            // The server closes after answering: what arrived may be complete.
            received += socket.readAll();
            if (!received.contains('\n'))
                return answer;
            break;
        }
        received += socket.read(maxAnswerBytes + 1 - received.size());
    }

    const QByteArray reply = received.left(received.indexOf('\n'));
    if (reply == kAccepted) {
        answer.status = HandOverAnswer::Status::Accepted;
    } else if (reply.startsWith(kRefused)) {
        QByteArray text;
        if (!decodeBase64(reply.mid(int(sizeof(kRefused)) - 1), &text))
            return answer;
        answer.status = HandOverAnswer::Status::Refused;
        answer.text = QString::fromUtf8(text);
    }
    return answer;
}

} // namespace SingleInstance
