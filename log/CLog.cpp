#include "CLog.h"

#include "CLogLocker.h"

#include <QDateTime>
#include <QFileInfo>

#include <cstdarg>
#include <cstring>

CLog *gLog = nullptr;

namespace {

constexpr int kMessageBufferSize = 1000;    // 999 characters and the NUL
constexpr int kLineBufferSize = 1050;       // 1049 characters and the NUL
constexpr int kFirstErrorMaxLength = 510;
constexpr int kMaxAcceptedLineIndex = 1250; // lines 0..1250 are accepted: 1251 in all
constexpr int kMaxWaitingBeforeQueue = 100; // a line is queued while at most 100 wait
constexpr long kMaxKeptFileSize = 100000;
constexpr int kMaxPathCharacters = 200;
constexpr int kMaxPathBytes = 199;

// Formats into the fixed message buffer; longer output keeps its first 999
// characters. A format the C library rejects yields an empty message.
void FormatMessage(char (&buffer)[kMessageBufferSize], const char *format, va_list args)
{
    if (!format) {
        buffer[0] = '\0';
        return;
    }
    if (std::vsnprintf(buffer, sizeof buffer, format, args) < 0)
        buffer[0] = '\0';
}

bool FormatAndWriteV(bool isError, const char *format, va_list args)
{
    if (!gLog)
        return false;
    char message[kMessageBufferSize];
    FormatMessage(message, format, args);
    WriteLine(message, isError);
    return false;
}

} // namespace

// ---------------------------------------------------------------------------
// Writer thread

CLogWorkerThread::CLogWorkerThread()
{
    setObjectName(QStringLiteral("LogWorker"));
}

CLogWorkerThread::~CLogWorkerThread()
{
    RequestStop();
    wait();
    CLogLocker locker(mutex);
    // A writer that never ran still holds its queue: write it now.
    CloseFileLocked();
}

void CLogWorkerThread::RequestStop()
{
    // Under the mutex, so the writer cannot miss the wake-up between its
    // last look at the queue and its wait.
    CLogLocker locker(mutex);
    running = false;
    wakeUp.wakeAll();
}

void CLogWorkerThread::Enqueue(const QByteArray &line)
{
    {
        CLogLocker locker(mutex);
        if (queue.size() > kMaxWaitingBeforeQueue)
            return;
        queue.append(line);
    }
    wakeUp.wakeAll();
}

void CLogWorkerThread::WriteQueuedLinesLocked()
{
    while (file && !queue.isEmpty()) {
        const QByteArray line = queue.takeFirst();
        // Write errors are ignored: nothing could report them.
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), file);
        if (flushEachLine)
            std::fflush(file);
    }
}

void CLogWorkerThread::CloseFileLocked()
{
    WriteQueuedLinesLocked();
    if (file) {
        std::fclose(file);
        file = nullptr;
    }
}

void CLogWorkerThread::run()
{
    CLogLocker locker(mutex);
    // However the loop is left, the thread counts as no longer running.
    struct MarkStopped
    {
        bool &running;
        ~MarkStopped() { running = false; }
    } markStopped { running };

    for (;;) {
        WriteQueuedLinesLocked();
        if (!running)
            break;
        locker.Wait(wakeUp);
    }
}

// ---------------------------------------------------------------------------
// Log

CLog::CLog()
{
    gLog = this;
}

CLog::~CLog()
{
    CLogWorkerThread *ownWriter = nullptr;
    {
        CLogLocker locker(mutex);
        ownWriter = writer;
        writer = nullptr;
    }
    // The writer's destructor asks the thread to end, waits until it has
    // written every queued line, then closes the file.
    delete ownWriter;
    if (gLog == this)
        gLog = nullptr;
}

void CLog::Open(const QString &path)
{
    if (path.size() > kMaxPathCharacters)
        return;
    const QByteArray localPath = path.toLocal8Bit();
    // A NUL inside the path would silently name a different file.
    if (localPath.size() > kMaxPathBytes || localPath.contains('\0'))
        return;

    CLogWorkerThread *ownWriter = nullptr;
    {
        CLogLocker locker(mutex);
        if (!writer)
            writer = new CLogWorkerThread;
        ownWriter = writer;
    }

    {
        CLogLocker locker(ownWriter->mutex);
        // Lines queued for the previous file still belong to it.
        ownWriter->CloseFileLocked();
        std::memcpy(ownWriter->fileName, localPath.constData(), static_cast<size_t>(localPath.size()));
        ownWriter->fileName[localPath.size()] = '\0';

        // Only a regular file is measured and deleted: a directory can be
        // opened for reading on some systems and reports a huge size.
        if (!localPath.isEmpty() && QFileInfo(path).isFile()) {
            if (FILE *existing = std::fopen(ownWriter->fileName, "rb")) {
                long size = -1;
                if (std::fseek(existing, 0, SEEK_END) == 0)
                    size = std::ftell(existing);
                std::fclose(existing);
                if (size > kMaxKeptFileSize)
                    std::remove(ownWriter->fileName);
            }
        }
    }

    ownWriter->start(QThread::LowPriority);
}

void CLog::SetFlushEachLine()
{
    CLogLocker locker(mutex);
    if (!writer)
        return;
    CLogLocker writerLocker(writer->mutex);
    writer->flushEachLine = true;
}

void CLog::CloseFile()
{
    CLogWorkerThread *ownWriter = nullptr;
    {
        CLogLocker locker(mutex);
        ownWriter = writer;
    }
    if (!ownWriter)
        return;
    CLogLocker locker(ownWriter->mutex);
    ownWriter->CloseFileLocked();
}

// ---------------------------------------------------------------------------
// Formatting functions

void WriteLine(const char *message, bool isError)
{
    CLog *log = gLog;
    if (!log)
        return;
    if (!message)
        message = "";

    // The local wall-clock time, to the millisecond.
    const QDateTime now = QDateTime::currentDateTime();
    const QDate date = now.date();
    const QTime time = now.time();
    char line[kLineBufferSize];
    const char *format = isError ? "%4d-%02d-%02d %02d:%02d:%02d.%03d: !ERROR! : %s\n"
                                 : "%4d-%02d-%02d %02d:%02d:%02d.%03d: %s\n";
    // snprintf keeps the first 1049 characters; a cut line loses its newline.
    if (std::snprintf(line, sizeof line, format, date.year(), date.month(), date.day(), time.hour(),
                      time.minute(), time.second(), time.msec(), message)
        < 0)
        return;

    CLogWorkerThread *writer = nullptr;
    {
        CLogLocker locker(log->mutex);
        if (isError && log->firstError[0] == '\0') {
            std::strncpy(log->firstError, message, kFirstErrorMaxLength);
            log->firstError[kFirstErrorMaxLength] = '\0';
        }
        if (log->lineCount > kMaxAcceptedLineIndex)
            return;
        if (!log->writer)
            return;
        {
            // fileName changes under the writer's lock; the log's lock is
            // taken first, as everywhere.
            CLogLocker writerLocker(log->writer->mutex);
            if (log->writer->fileName[0] == '\0')
                return;
        }
        ++log->lineCount;
        writer = log->writer;
    }

    {
        CLogLocker locker(writer->mutex);
        if (!writer->file) {
            if (writer->fileName[0] != '\0')
                writer->file = std::fopen(writer->fileName, "a");
            if (!writer->file) {
                // Logging stays off until the next Open.
                writer->fileName[0] = '\0';
                return;
            }
        }
    }

    writer->Enqueue(QByteArray(line));
}

bool LogInfo(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    FormatAndWriteV(false, format, args);
    va_end(args);
    return false;
}

bool LogError(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    FormatAndWriteV(true, format, args);
    va_end(args);
    return false;
}

bool KelvraLogDetail::FormatAndWrite(bool isError, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    FormatAndWriteV(isError, format, args);
    va_end(args);
    return false;
}
