#include "EngineTestSupport.h"

#include <CAppTypeQt.h>
#include <CrashReporter.h>

#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
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
};

QTEST_GUILESS_MAIN(tst_CrashReporter)
#include "tst_crashreporter.moc"
