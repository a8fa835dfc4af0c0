#include "EngineTestSupport.h"

#include <CAppTypeQt.h>
#include <CrashReporter.h>

#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace EngineTest;

namespace {

void previousHandler(int) {}

using Handler = void (*)(int);

Handler currentHandler(int signalNumber)
{
    struct sigaction action = {};
    sigaction(signalNumber, nullptr, &action);
    return action.sa_handler;
}

} // namespace

class tst_CrashReporter : public QObject
{
    Q_OBJECT

private slots:
    void installAndUninstallAreRepeatable()
    {
        std::signal(SIGSEGV, previousHandler);
        for (int round = 0; round < 3; ++round) {
            CAppTypeQt::InstallCrashreporter();
            CAppTypeQt::InstallCrashreporter();
            QVERIFY(CrashReporter::IsInstalled());
            QVERIFY(currentHandler(SIGSEGV) != previousHandler);
            CAppTypeQt::UninstallCrashreporter();
            CAppTypeQt::UninstallCrashreporter();
            QVERIFY(!CrashReporter::IsInstalled());
            QVERIFY(currentHandler(SIGSEGV) == previousHandler);
        }
        std::signal(SIGSEGV, SIG_DFL);
    }

    void crashWritesAReportAndStillEndsTheProcess_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addRow("segmentation fault") << int(SIGSEGV);
        QTest::addRow("abort") << int(SIGABRT);
    }

    void crashWritesAReportAndStillEndsTheProcess()
    {
        QFETCH(int, signalNumber);
        QTemporaryDir dir;
        CrashReporter::SetReportDirectory(dir.path());
        const pid_t child = fork();
        if (child == 0) {
            CAppTypeQt::InstallCrashreporter();
            raise(signalNumber);
            _exit(0);   // not reached: the signal ends the child
        }
        QVERIFY(child > 0);
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), signalNumber);
        const QByteArray report = readFile(dir.filePath(QStringLiteral("crashreport.txt")));
        QVERIFY2(report.startsWith("Kelvra crashed: signal " + QByteArray::number(signalNumber) + "\n"),
                 report.constData());
        QVERIFY(report.count('\n') > 2);   // the backtrace follows
    }

    void oversizedReportKeepsItsNewestReports_data()
    {
        QTest::addColumn<int>("reports");
        QTest::addColumn<bool>("cut");
        QTest::addRow("within the bound") << 250 << false;
        QTest::addRow("past the bound") << 400 << true;
    }

    void oversizedReportKeepsItsNewestReports()
    {
        QFETCH(int, reports);
        QFETCH(bool, cut);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("crashreport.txt"));
        QByteArray content;
        for (int i = 0; i < reports; ++i) {
            content += "Kelvra crashed: signal 11\n";
            for (int frame = 0; frame < 5; ++frame)
                content += "./KelvraConfig(+0x" + QByteArray::number(i * 10 + frame, 16) + ") [0x55d0c0ffee]\n";
            content += "\n";
        }
        QCOMPARE(content.size() > CrashReporter::MaxReportBytes, cut);
        QVERIFY(writeFile(path, content));

        CrashReporter::SetReportDirectory(dir.path());
        CAppTypeQt::InstallCrashreporter();
        CAppTypeQt::UninstallCrashreporter();

        // Whole reports only, the newest intact.
        const QByteArray kept = readFile(path);
        QVERIFY(content.endsWith(kept) && kept.startsWith("Kelvra crashed: signal 11\n"));
        QCOMPARE(kept == content, !cut);
        QVERIFY(kept.size() <= (cut ? CrashReporter::KeptReportBytes : content.size()));
        QVERIFY(kept.size() > CrashReporter::KeptReportBytes / 2);
    }

    // A pipe where the report goes must not keep a crashing process alive.
    void pipeInPlaceOfTheReportDoesNotHoldTheCrash()
    {
        QTemporaryDir dir;
        QCOMPARE(mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("crashreport.txt"))).constData(), 0600), 0);
        CrashReporter::SetReportDirectory(dir.path());
        const pid_t child = fork();
        if (child == 0) {
            alarm(30);  // a child stuck in the handler ends by this signal instead
            CAppTypeQt::InstallCrashreporter();
            raise(SIGSEGV);
            _exit(0);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), SIGSEGV);
    }
};

QTEST_GUILESS_MAIN(tst_CrashReporter)
#include "tst_crashreporter.moc"
