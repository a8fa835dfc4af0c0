#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QString>
#include <QThread>
#include <QWaitCondition>

#include <cstdio>

// The log writer: a background thread that owns the log file and writes the
// finished lines handed to it, oldest first. Callers never touch the file.
class CLogWorkerThread : public QThread
{
public:
    CLogWorkerThread();
    ~CLogWorkerThread() override;

    // Queues one finished line unless 101 lines are already waiting.
    void Enqueue(const QByteArray &line);

    char fileName[200] = {};   // local 8-bit path; empty means logging is off
    FILE *file = nullptr;      // opened by the first accepted line
    bool flushEachLine = false;
    QWaitCondition wakeUp;
    QList<QByteArray> queue;
    QMutex mutex;              // guards file, queue and running
    bool running = true;

protected:
    void run() override;
};

// The process-wide asynchronous log. Plain class; reachable as gLog.
// Formatting happens on the caller's thread; the writer thread does the I/O.
class CLog
{
public:
    CLog();   // sets gLog
    ~CLog();  // writes every queued line, closes the file, clears gLog

    void Open(const QString &path);
    void SetFlushEachLine();
    void CloseFile();

    char firstError[512] = {};
    bool enabled = true;
    int lineCount = 0;
    QMutex mutex;              // guards firstError and lineCount
    CLogWorkerThread *writer = nullptr;

    Q_DISABLE_COPY(CLog)
};

extern CLog *gLog;

// printf-style; string arguments for %s are 8-bit char strings. Always false.
bool LogInfo(QString format, ...);
bool LogError(QString format, ...);
void WriteLine(const char *message, bool isError);
