#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>
#include <QWaitCondition>

#include <cstdio>
#include <type_traits>

// The log writer: a background thread that owns the log file and writes the
// finished lines handed to it, oldest first. Callers never touch the file.
// Created without a parent and owned by the log.
class CLogWorkerThread : public QThread
{
public:
    CLogWorkerThread();
    // Stops the thread (writing every queued line first) and closes the file.
    ~CLogWorkerThread() override;

    // Queues one finished line unless 101 lines are already waiting; a line
    // that does not fit is dropped without a report.
    void Enqueue(const QByteArray &line);

    char fileName[200] = {};   // local 8-bit path; empty means logging is off
    FILE *file = nullptr;      // opened by the first accepted line
    bool flushEachLine = false;
    QWaitCondition wakeUp;     // signalled when a line is queued and at shutdown
    QList<QByteArray> queue;   // finished lines waiting, oldest first
    QMutex mutex;              // guards fileName, file, flushEachLine, queue and running
    bool running = true;       // false asks the thread to end

    // Asks the thread to end once every queued line is written; safe to call
    // more than once and before the thread was ever started.
    void RequestStop();
    // With the mutex held: writes every queued line, then closes the file if
    // it is open, so no accepted line waits for a later one to reopen it.
    void CloseFileLocked();

protected:
    void run() override;

private:
    // With the mutex held: writes every queued line while the file is open.
    void WriteQueuedLinesLocked();
};

// The process-wide asynchronous log. Plain class; reachable as gLog.
// Formatting happens on the caller's thread; the writer thread does the I/O.
// Lines written before Open are dropped, but the first error is kept.
// The log must outlive every thread that writes to it: destroy it only after
// all other threads have ended.
class CLog
{
public:
    CLog();   // sets gLog
    ~CLog();  // writes every queued line, closes the file, clears gLog

    // Chooses the log file and starts the writer. A path longer than 200
    // characters, or 199 bytes in the local 8-bit encoding, or holding a NUL
    // character, is refused and nothing changes. An existing file larger than
    // 100000 bytes is deleted; a smaller one is appended to.
    void Open(const QString &path);
    // From now on every line is flushed to disk as soon as it is written.
    void SetFlushEachLine();
    // Writes the queued lines, then closes the file; the next accepted line
    // opens it again for appending.
    void CloseFile();

    char firstError[512] = {}; // the first error message of the run, at most 510 characters
    bool enabled = true;       // kept for callers; the log itself does not read it
    int lineCount = 0;         // lines accepted for writing; at most 1251
    QMutex mutex;              // guards firstError, lineCount and writer
    CLogWorkerThread *writer = nullptr;

    Q_DISABLE_COPY(CLog)
};

extern CLog *gLog;

#if defined(__GNUC__) || defined(__clang__)
#define KELVRA_PRINTF_FORMAT(formatIndex, firstArg) \
    __attribute__((format(printf, formatIndex, firstArg)))
#else
#define KELVRA_PRINTF_FORMAT(formatIndex, firstArg)
#endif

// printf-style logging; string arguments for %s are 8-bit char strings.
// Both always return false, so a caller can write `return LogError(...);`.
//
// The format is taken as `const char*` rather than QString: C++ only
// conditionally supports va_start after a parameter of class type, so a
// QString-format variadic function is not portable. Call sites such as
// LogInfo("text %s", str) use the `const char*` functions directly and get
// the compiler's printf checks. A QString format goes through the template
// below, which converts it to the local 8-bit encoding and only accepts
// arguments that can safely pass through `...` (numbers, pointers, enums);
// passing a QString or QByteArray for %s is a compile error instead of
// undefined behaviour. As with printf, text from outside (paths, file
// contents) belongs in an argument, LogInfo("%s", text), never in the format.
bool LogInfo(const char *format, ...) KELVRA_PRINTF_FORMAT(1, 2);
bool LogError(const char *format, ...) KELVRA_PRINTF_FORMAT(1, 2);

namespace KelvraLogDetail {
// Formats into the 1000-byte message buffer and writes the line.
bool FormatAndWrite(bool isError, const char *format, ...);

template <typename... Args>
constexpr bool allPassableThroughEllipsis()
{
    return (true && ... && (std::is_arithmetic<Args>::value || std::is_pointer<Args>::value
                            || std::is_enum<Args>::value || std::is_null_pointer<Args>::value));
}

template <typename Format>
using EnableIfQString = std::enable_if_t<std::is_same<std::decay_t<Format>, QString>::value, bool>;
} // namespace KelvraLogDetail

template <typename Format, typename... Args>
KelvraLogDetail::EnableIfQString<Format> LogInfo(const Format &format, Args... args)
{
    static_assert(KelvraLogDetail::allPassableThroughEllipsis<Args...>(),
                  "log arguments must be numbers or pointers; pass strings as const char*");
    return KelvraLogDetail::FormatAndWrite(false, format.toLocal8Bit().constData(), args...);
}

template <typename Format, typename... Args>
KelvraLogDetail::EnableIfQString<Format> LogError(const Format &format, Args... args)
{
    static_assert(KelvraLogDetail::allPassableThroughEllipsis<Args...>(),
                  "log arguments must be numbers or pointers; pass strings as const char*");
    return KelvraLogDetail::FormatAndWrite(true, format.toLocal8Bit().constData(), args...);
}

// Builds the timestamped line for one finished message, records a first
// error, and queues the line if the log accepts it.
void WriteLine(const char *message, bool isError);
