#pragma once

// Helpers for the engine's file tests: whole-file reads and writes, content
// that does not compress, and a way to make writes fail.

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <QString>

#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace EngineTest {

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Bytes that do not compress, the same for the same seed.
inline QByteArray randomBytes(int size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(random.bounded(256));
    return bytes;
}

// While alive, this process cannot write past limit bytes into any file: the
// disk looks full, whoever the test runs as (a read-only directory does not
// stop root). Where the platform has no such limit, supported() is false.
#ifdef Q_OS_UNIX
class FileSizeLimit
{
public:
    static bool supported() { return true; }
    explicit FileSizeLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_FSIZE, &m_previous);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit reduced = m_previous;
        reduced.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &reduced);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_previous);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_previous {};
    void (*m_previousHandler)(int) = nullptr;
};
#else
class FileSizeLimit
{
public:
    static bool supported() { return false; }
    explicit FileSizeLimit(qint64) {}
};
#endif

} // namespace EngineTest
