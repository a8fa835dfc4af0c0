#include "CLog.h"
#include "CLogLocker.h"
#include "EngineTestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>
#include <thread>
#include <vector>

namespace {

using EngineTest::readFile;

// Lines as written, each with its newline if it had one.
QList<QByteArray> readLines(const QString &path)
{
    QList<QByteArray> lines;
    const QByteArray all = readFile(path);
    int start = 0;
    while (start < all.size()) {
        int end = all.indexOf('\n', start);
        end = end < 0 ? all.size() : end + 1;
        lines.append(all.mid(start, end - start));
        start = end;
    }
    return lines;
}

// The message part of a finished line: what follows the timestamp.
QByteArray messageOf(const QByteArray &line)
{
    const int prefix = int(strlen("2026-01-01 00:00:00.000: "));
    return line.mid(prefix);
}

bool queueIsEmpty(CLog &log)
{
    CLogLocker locker(log.writer->mutex);
    return log.writer->queue.isEmpty();
}

// A writer that is not running, so the lines handed to it stay queued until
// the test starts it.
CLogWorkerThread *installHeldWriter(CLog &log, const QString &path)
{
    auto *writer = new CLogWorkerThread;
    const QByteArray local = path.toLocal8Bit();
    qstrncpy(writer->fileName, local.constData(), sizeof writer->fileName);
    log.writer = writer;
    return writer;
}

} // namespace

class tst_Log : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void lineFormat_data();
    void lineFormat();
    void truncation_data();
    void truncation();
    void logWithoutLogObjectDoesNothing();

    void acceptsAtMost1251Lines();
    void queueHoldsAtMost101Lines_data();
    void queueHoldsAtMost101Lines();
    void linesQueuedBehindBusyWriterAreCappedAndWrittenAtShutdown();

    void sizeRuleAtOpen_data();
    void sizeRuleAtOpen();
    void pathLimitsAtOpen_data();
    void pathLimitsAtOpen();
    void reopenMovesLinesToNewFile();

    void firstErrorIsRecordedBeforeOpenAndNeverReplaced();
    void failedAppendOpenTurnsLoggingOffUntilNextOpen();
    void closeFileWritesQueuedLinesAndNextLineReopens();
    void flushEachLineMakesLinesVisibleAtOnce();
    void concurrentWritersKeepEveryLineWhole();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString logPath() const { return m_dir->filePath(QStringLiteral("log.txt")); }
};

void tst_Log::init()
{
    QVERIFY(!gLog);
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_Log::lineFormat_data()
{
    QTest::addColumn<bool>("isError");
    QTest::addColumn<QByteArray>("expectedMessage");
    QTest::addRow("information") << false << QByteArray("opened scene 7 of 9: demo\n");
    QTest::addRow("error") << true << QByteArray("!ERROR! : opened scene 7 of 9: demo\n");
}

void tst_Log::lineFormat()
{
    QFETCH(bool, isError);
    QFETCH(QByteArray, expectedMessage);
    const QDateTime before = QDateTime::currentDateTime();
    {
        CLog log;
        log.Open(logPath());
        const char *name = "demo";
        if (isError)
            QCOMPARE(LogError("opened scene %d of %d: %s", 7, 9, name), false);
        else
            QCOMPARE(LogInfo("opened scene %d of %d: %s", 7, 9, name), false);
    }
    const QDateTime after = QDateTime::currentDateTime();

    const QList<QByteArray> lines = readLines(logPath());
    QCOMPARE(lines.size(), 1);
    const QRegularExpression shape(QStringLiteral(
        "^(\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3}): (.*)$"),
                                   QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = shape.match(QString::fromLocal8Bit(lines.first()));
    QVERIFY2(match.hasMatch(), lines.first().constData());
    QCOMPARE(match.captured(2).toLocal8Bit(), expectedMessage);

    // The timestamp is the local wall-clock time of the call.
    const QDateTime stamp = QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    QVERIFY(stamp.isValid());
    QVERIFY2(stamp >= before.addMSecs(-1) && stamp <= after.addMSecs(1), qPrintable(match.captured(1)));
}

void tst_Log::truncation_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<bool>("viaWriteLine");
    QTest::addColumn<bool>("isError");
    QTest::addColumn<QByteArray>("expectedMessagePart");

    const QByteArray twoThousand = QByteArray(1000, 'a') + QByteArray(1000, 'b');
    QTest::addRow("formatted message keeps its first 999 characters")
        << twoThousand << false << false << twoThousand.left(999) + '\n';
    QTest::addRow("formatted message of exactly 999 characters is whole")
        << twoThousand.left(999) << false << true << "!ERROR! : " + twoThousand.left(999) + '\n';
    // 25 characters of timestamp leave 1024 for the message; the newline is lost.
    QTest::addRow("line keeps its first 1049 characters")
        << twoThousand << true << false << twoThousand.left(1024);
    QTest::addRow("error line keeps its first 1049 characters")
        << twoThousand << true << true << "!ERROR! : " + twoThousand.left(1014);
    QTest::addRow("line of exactly 1049 characters keeps its newline")
        << twoThousand.left(1023) << true << false << twoThousand.left(1023) + '\n';
}

void tst_Log::truncation()
{
    QFETCH(QByteArray, message);
    QFETCH(bool, viaWriteLine);
    QFETCH(bool, isError);
    QFETCH(QByteArray, expectedMessagePart);
    {
        CLog log;
        log.Open(logPath());
        if (viaWriteLine)
            WriteLine(message.constData(), isError);
        else if (isError)
            LogError("%s", message.constData());
        else
            LogInfo("%s", message.constData());
    }
    const QByteArray written = readFile(logPath());
    QCOMPARE(messageOf(written), expectedMessagePart);
    QVERIFY(written.size() <= 1049);
}

void tst_Log::logWithoutLogObjectDoesNothing()
{
    QCOMPARE(LogInfo("nobody listens %d", 1), false);
    QCOMPARE(LogError(QStringLiteral("nobody listens %d"), 2), false);
    WriteLine("nobody listens", true);
    QVERIFY(!gLog);

    auto *log = new CLog;
    QCOMPARE(gLog, log);
    delete log;
    QVERIFY(!gLog);
}

void tst_Log::acceptsAtMost1251Lines()
{
    {
        CLog log;
        log.Open(logPath());
        // Batches below the queue limit, so only the line cap drops lines.
        for (int i = 0; i < 1300; ++i) {
            LogInfo("line %d", i);
            if (i % 50 == 49)
                QTRY_VERIFY(queueIsEmpty(log));
        }
        QCOMPARE(log.lineCount, 1251);
    }
    const QList<QByteArray> lines = readLines(logPath());
    QCOMPARE(lines.size(), 1251);
    QCOMPARE(messageOf(lines.first()), QByteArray("line 0\n"));
    QCOMPARE(messageOf(lines.last()), QByteArray("line 1250\n"));
}

void tst_Log::queueHoldsAtMost101Lines_data()
{
    QTest::addColumn<int>("waiting");
    QTest::addColumn<int>("expectedWaiting");
    QTest::addRow("99 waiting: queued") << 99 << 100;
    QTest::addRow("100 waiting: queued") << 100 << 101;
    QTest::addRow("101 waiting: dropped") << 101 << 101;
}

void tst_Log::queueHoldsAtMost101Lines()
{
    QFETCH(int, waiting);
    QFETCH(int, expectedWaiting);
    CLogWorkerThread writer;
    for (int i = 0; i < waiting; ++i)
        writer.queue.append(QByteArray("old\n"));
    writer.Enqueue(QByteArray("new\n"));
    QCOMPARE(writer.queue.size(), expectedWaiting);
    QCOMPARE(writer.queue.last() == QByteArray("new\n"), expectedWaiting > waiting);
}

void tst_Log::linesQueuedBehindBusyWriterAreCappedAndWrittenAtShutdown()
{
    {
        CLog log;
        CLogWorkerThread *writer = installHeldWriter(log, logPath());
        for (int i = 0; i < 110; ++i)
            LogInfo("queued %d", i);
        // Every line was accepted, but only 101 found room in the queue.
        QCOMPARE(log.lineCount, 110);
        QCOMPARE(writer->queue.size(), 101);
        writer->start();
    }
    const QList<QByteArray> lines = readLines(logPath());
    QCOMPARE(lines.size(), 101);
    for (int i = 0; i < lines.size(); ++i)
        QCOMPARE(messageOf(lines.at(i)), QByteArray("queued ") + QByteArray::number(i) + '\n');
}

void tst_Log::sizeRuleAtOpen_data()
{
    QTest::addColumn<qint64>("existingSize");
    QTest::addColumn<bool>("kept");
    QTest::addRow("100000 bytes are kept") << qint64(100000) << true;
    QTest::addRow("100001 bytes are deleted") << qint64(100001) << false;
    QTest::addRow("empty file is kept") << qint64(0) << true;
}

void tst_Log::sizeRuleAtOpen()
{
    QFETCH(qint64, existingSize);
    QFETCH(bool, kept);
    QVERIFY(EngineTest::writeFile(logPath(), QByteArray(int(existingSize), 'x')));
    {
        CLog log;
        log.Open(logPath());
        QCOMPARE(QFile::exists(logPath()), kept);
        LogInfo("fresh");
    }
    const QByteArray written = readFile(logPath());
    const qint64 oldPart = kept ? existingSize : 0;
    QCOMPARE(written.left(int(oldPart)), QByteArray(int(oldPart), 'x'));
    QCOMPARE(messageOf(written.mid(int(oldPart))), QByteArray("fresh\n"));
}

void tst_Log::pathLimitsAtOpen_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("accepted");
    // Open only names the file; nothing is created for a path without lines.
    const QString base = QDir::tempPath() + QStringLiteral("/kelvra-log-limits/");
    const auto padded = [&](int characters, QChar fill) {
        return base + QString(characters - base.size(), fill);
    };
    QTest::addRow("199 bytes") << padded(199, QLatin1Char('a')) << true;
    QTest::addRow("200 characters, 200 bytes") << padded(200, QLatin1Char('a')) << false;
    QTest::addRow("201 characters") << padded(201, QLatin1Char('a')) << false;
    // Two-byte characters in UTF-8: few characters, too many bytes.
    const int ascii = 199 - 2 * 80;
    QTest::addRow("80 two-byte characters, 199 bytes")
        << padded(ascii, QLatin1Char('a')) + QString(80, QChar(0x00e9)) << true;
    QTest::addRow("81 two-byte characters, 201 bytes")
        << padded(ascii, QLatin1Char('a')) + QString(81, QChar(0x00e9)) << false;
    QTest::addRow("NUL inside the path") << base + QStringLiteral("log") + QChar(0) + QStringLiteral("x") << false;
}

void tst_Log::pathLimitsAtOpen()
{
    QFETCH(QString, path);
    QFETCH(bool, accepted);
    QVERIFY2(path.toLocal8Bit() == path.toUtf8(), "test needs a UTF-8 locale");

    CLog fresh;
    fresh.Open(path);
    QCOMPARE(fresh.writer != nullptr, accepted);
    if (accepted)
        QCOMPARE(QByteArray(fresh.writer->fileName), path.toLocal8Bit());

    // A refused path leaves an open log as it was.
    fresh.Open(logPath());
    fresh.Open(path);
    QCOMPARE(QByteArray(fresh.writer->fileName), (accepted ? path : logPath()).toLocal8Bit());
}

void tst_Log::reopenMovesLinesToNewFile()
{
    const QString second = m_dir->filePath(QStringLiteral("second.txt"));
    {
        CLog log;
        CLogWorkerThread *writer = installHeldWriter(log, logPath());
        LogInfo("for the first file");
        log.Open(second);
        QCOMPARE(log.writer, writer);
        LogInfo("for the second file");
    }
    QCOMPARE(messageOf(readFile(logPath())), QByteArray("for the first file\n"));
    QCOMPARE(messageOf(readFile(second)), QByteArray("for the second file\n"));
}

void tst_Log::firstErrorIsRecordedBeforeOpenAndNeverReplaced()
{
    {
        CLog log;
        LogInfo("information is not an error");
        QCOMPARE(QByteArray(log.firstError), QByteArray());
        LogError("scene %s is damaged", "demo.kvs");
        LogError("a later error");
        QCOMPARE(QByteArray(log.firstError), QByteArray("scene demo.kvs is damaged"));
        QCOMPARE(log.lineCount, 0);

        log.Open(logPath());
        LogError("after open");
        QCOMPARE(QByteArray(log.firstError), QByteArray("scene demo.kvs is damaged"));
    }
    // Nothing from before Open reached the file.
    const QList<QByteArray> lines = readLines(logPath());
    QCOMPARE(lines.size(), 1);
    QCOMPARE(messageOf(lines.first()), QByteArray("!ERROR! : after open\n"));

    CLog log;
    const QByteArray longError(600, 'e');
    LogError("%s", longError.constData());
    QCOMPARE(QByteArray(log.firstError), longError.left(510));
}

void tst_Log::failedAppendOpenTurnsLoggingOffUntilNextOpen()
{
    // A directory cannot be opened for appending.
    const QString directory = m_dir->filePath(QStringLiteral("folder"));
    QVERIFY(QDir().mkpath(directory));
    {
        CLog log;
        log.Open(directory);
        LogInfo("cannot be written");
        QCOMPARE(QByteArray(log.writer->fileName), QByteArray());
        QCOMPARE(log.lineCount, 1);
        LogInfo("logging is off");
        QCOMPARE(log.lineCount, 1);

        log.Open(logPath());
        LogInfo("logging is on again");
        QCOMPARE(log.lineCount, 2);
    }
    const QList<QByteArray> lines = readLines(logPath());
    QCOMPARE(lines.size(), 1);
    QCOMPARE(messageOf(lines.first()), QByteArray("logging is on again\n"));
    // Opening the directory as a log neither deleted nor replaced it.
    QVERIFY(QFileInfo(directory).isDir());
}

void tst_Log::closeFileWritesQueuedLinesAndNextLineReopens()
{
    CLog log;
    CLogWorkerThread *writer = installHeldWriter(log, logPath());
    LogInfo("before close");
    QCOMPARE(writer->queue.size(), 1);
    log.CloseFile();
    QVERIFY(!writer->file);
    QCOMPARE(messageOf(readFile(logPath())), QByteArray("before close\n"));

    QVERIFY(QFile::remove(logPath()));
    LogInfo("after close");
    QVERIFY(writer->file);
    log.CloseFile();
    QCOMPARE(messageOf(readFile(logPath())), QByteArray("after close\n"));

    log.CloseFile(); // closing a closed file changes nothing
    QVERIFY(!writer->file);
}

void tst_Log::flushEachLineMakesLinesVisibleAtOnce()
{
    CLog log;
    log.SetFlushEachLine(); // no writer yet: nothing to set
    log.Open(logPath());
    log.SetFlushEachLine();
    LogInfo("visible");
    QTRY_VERIFY(queueIsEmpty(log));
    // The writer flushed while holding its lock; taking it orders the read after the flush.
    CLogLocker locker(log.writer->mutex);
    QCOMPARE(messageOf(readFile(logPath())), QByteArray("visible\n"));
}

void tst_Log::concurrentWritersKeepEveryLineWhole()
{
    // 4 x 25 lines never exceed the queue limit, so no line may be lost.
    constexpr int threads = 4;
    constexpr int perThread = 25;
    {
        CLog log;
        log.Open(logPath());
        // std::thread rather than QThread: its join is visible to ThreadSanitizer.
        std::vector<std::thread> workers;
        for (int id = 0; id < threads; ++id) {
            workers.emplace_back([id] {
                for (int i = 0; i < perThread; ++i)
                    LogInfo("thread %d line %d", id, i);
            });
        }
        for (std::thread &worker : workers)
            worker.join();
    }
    const QList<QByteArray> lines = readLines(logPath());
    QCOMPARE(lines.size(), threads * perThread);
    QVector<int> nextLine(threads, 0);
    const QRegularExpression shape(QStringLiteral("^thread (\\d) line (\\d+)\n$"));
    for (const QByteArray &line : lines) {
        const QRegularExpressionMatch match = shape.match(QString::fromLatin1(messageOf(line)));
        QVERIFY2(match.hasMatch(), line.constData());
        const int id = match.captured(1).toInt();
        // Each thread's lines arrive in the order it wrote them.
        QCOMPARE(match.captured(2).toInt(), nextLine[id]++);
    }
}

QTEST_GUILESS_MAIN(tst_Log)
#include "tst_log.moc"
