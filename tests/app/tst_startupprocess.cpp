#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLibraryInfo>
#include <QLocalServer>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "CCfg.h"
#include "CPlaylist.h"
#include "CScene.h"
#include "EngineTestSupport.h"
#include "SingleInstance.h"

#include <memory>

// Runs the real program as a user would, from a private copy of the
// application directory: the executable, a qt/ folder holding only the
// QtQuick and QtQuick.Window modules, and the test interface
// "Kelvra.Config.rcc" beside it; the working directory is another one. The
// application directory seen by the program is where the executable file
// lies, so the executable is copied rather than linked.
class tst_StartupProcess : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void startsOpensTheWindowAndQuits();
    void importCopiesIntoTheUserScenes_data();
    void importCopiesIntoTheUserScenes();
    void secondImportKeepsTheFirstCopy();
    void missingPackageIsReported();
    void engineThatCannotStartIsReported();
    void helpIsTheToolkits();
    void unknownOptionIsTheToolkits();
    void interfaceWithoutWindowEndsTheRun_data();
    void interfaceWithoutWindowEndsTheRun();
    void sessionReachesPlaylistConfigurationAndPlayer();
    void interfaceComesOnlyFromTheProgramsDirectory_data();
    void interfaceComesOnlyFromTheProgramsDirectory();
    void secondStartHandsOverToTheRunningOne_data();
    void secondStartHandsOverToTheRunningOne();
    void lockHeldWithoutAnAnswerEndsTheRun_data();
    void lockHeldWithoutAnAnswerEndsTheRun();
    void lockLeftByAKilledProgramIsTakenOver();

private:
    struct Run
    {
        int exitCode = -1;
        QProcess::ExitStatus exitStatus = QProcess::CrashExit;
        QString out;
        QString err;
    };
    Run run(const QStringList &arguments, const QString &rccVariant = QStringLiteral("window"),
            const QString &userDir = QString(), const QString &appDir = QString());
    QProcessEnvironment environment(const QString &applicationDir, const QString &userDir) const;
    void placeInterface(const QString &applicationDir, const QString &rccVariant) const;
    // A program left running on the test user directory with its window open.
    std::unique_ptr<QProcess> startRunningProgram();
    static void endRunningProgram(QProcess &process);
    static bool copyTree(const QString &from, const QString &to);
    QString logText() const;
    QString importDir() const { return m_user->filePath(QStringLiteral("scenes/Imported")); }

    QTemporaryDir m_appDir;
    QString m_program;
    std::unique_ptr<QTemporaryDir> m_work;
    std::unique_ptr<QTemporaryDir> m_user;
};

bool tst_StartupProcess::copyTree(const QString &from, const QString &to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (!QDir().mkpath(QFileInfo(target).absolutePath()) || !QFile::copy(source, target))
            return false;
    }
    return true;
}

void tst_StartupProcess::initTestCase()
{
    QVERIFY(m_appDir.isValid());
    m_program = m_appDir.filePath(QStringLiteral("KelvraConfig"));
    QVERIFY(QFile::copy(QStringLiteral(KELVRA_TEST_PROGRAM), m_program));
    QVERIFY(QFile::setPermissions(m_program, QFile::permissions(m_program) | QFile::ExeOwner));

    const QString toolkitModules = QLibraryInfo::location(QLibraryInfo::Qml2ImportsPath);
    QVERIFY(copyTree(toolkitModules + "/QtQuick.2", m_appDir.filePath("qt/QtQuick.2")));
    QVERIFY(copyTree(toolkitModules + "/QtQuick/Window.2", m_appDir.filePath("qt/QtQuick/Window.2")));
}

void tst_StartupProcess::init()
{
    m_work.reset(new QTemporaryDir);
    m_user.reset(new QTemporaryDir);
    QVERIFY(m_work->isValid() && m_user->isValid());
}

void tst_StartupProcess::placeInterface(const QString &applicationDir, const QString &rccVariant) const
{
    const QString rcc = applicationDir + QStringLiteral("/Kelvra.Config.rcc");
    QFile::remove(rcc);
    if (!rccVariant.isEmpty())
        QVERIFY(QFile::copy(QStringLiteral(KELVRA_TEST_RCC_DIR "/%1.rcc").arg(rccVariant), rcc));
}

QProcessEnvironment tst_StartupProcess::environment(const QString &applicationDir, const QString &userDir) const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("QT_QUICK_BACKEND", "software");
    environment.insert("KELVRA_APP_DIR", applicationDir);
    // The stand-in player records its command line and ends without a window.
    environment.insert("KELVRA_PLAYER_HEADLESS", "1");
    environment.insert("KELVRA_USER_DIR", userDir.isEmpty() ? m_user->path() : userDir);
    // The catalogue's view models live until the process ends by design; a
    // sanitizer build must not turn that into a failed exit code.
    const QString asan = environment.value("ASAN_OPTIONS");
    environment.insert("ASAN_OPTIONS", asan.isEmpty() ? QStringLiteral("detect_leaks=0")
                                                      : asan + QStringLiteral(":detect_leaks=0"));
    // The test documents share one URL, qrc:/qml/Main.qml, and a fresh
    // checkout gives them one timestamp, so the toolkit's compiled-document
    // cache would hand one variant's document to the next run.
    environment.insert("QML_DISABLE_DISK_CACHE", "1");
    environment.remove("QML2_IMPORT_PATH");
    environment.remove("QML_IMPORT_PATH");
    return environment;
}

// A program killed by a test leaves its socket behind; nothing else would
// ever remove it, as every test has a user directory of its own.
void tst_StartupProcess::cleanup()
{
    QLocalServer::removeServer(SingleInstance::serverName(m_user->path()));
}

tst_StartupProcess::Run tst_StartupProcess::run(const QStringList &arguments, const QString &rccVariant,
                                                const QString &userDir, const QString &appDir)
{
    const QString applicationDir = appDir.isEmpty() ? m_appDir.path() : appDir;
    placeInterface(applicationDir, rccVariant);

    QProcess process;
    process.setProcessEnvironment(environment(applicationDir, userDir));
    process.setWorkingDirectory(m_work->path());
    process.start(applicationDir + QStringLiteral("/KelvraConfig"), arguments);
    Run result;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return result;
    }
    result.exitCode = process.exitCode();
    result.exitStatus = process.exitStatus();
    result.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    result.err = QString::fromLocal8Bit(process.readAllStandardError());
    return result;
}

std::unique_ptr<QProcess> tst_StartupProcess::startRunningProgram()
{
    placeInterface(m_appDir.path(), QStringLiteral("stay"));
    std::unique_ptr<QProcess> process(new QProcess);
    process->setProcessEnvironment(environment(m_appDir.path(), QString()));
    process->setWorkingDirectory(m_work->path());
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->start(m_appDir.filePath(QStringLiteral("KelvraConfig")), QStringList());
    QByteArray output;
    for (int waited = 0; waited < 600 && !output.contains("kelvra-test window"); ++waited) {
        if (!process->waitForReadyRead(100) && process->state() == QProcess::NotRunning)
            break;
        output += process->readAll();
    }
    if (!output.contains("kelvra-test window")) {
        qWarning("the running program did not come up: %s", output.constData());
        endRunningProgram(*process);
        return nullptr;
    }
    return process;
}

void tst_StartupProcess::endRunningProgram(QProcess &process)
{
    process.kill();
    process.waitForFinished();
}

QString tst_StartupProcess::logText() const
{
    return QString::fromLocal8Bit(EngineTest::readFile(m_user->filePath(QStringLiteral("logconfig.txt"))));
}

static const char windowLine[] = "kelvra-test window";

void tst_StartupProcess::startsOpensTheWindowAndQuits()
{
    const Run result = run({});
    QVERIFY2(result.exitStatus == QProcess::NormalExit, qPrintable(result.err));
    QCOMPARE(result.exitCode, 0);

    // The test document reports its window: maximized (4), titled by the program.
    QVERIFY2(result.err.contains(QStringLiteral("kelvra-test window visibility=4 title=Kelvra v2.5.1 scenes=0")),
             qPrintable(result.err));
    QVERIFY(!QFileInfo::exists(importDir()));

    const QRegularExpression banner(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}: "
                       "-{26} Starting Configuration v2\\.5\\.1\\.3 -{26}$"),
        QRegularExpression::MultilineOption);
    QVERIFY2(banner.match(logText()).hasMatch(), qPrintable(logText()));
    // The engine was started with the configuration tool's profile.
    QVERIFY2(logText().contains(QStringLiteral("profile 290")), qPrintable(logText()));
    // The quit handler saved the configuration on the way out.
    QVERIFY(QFile::exists(m_user->filePath(QStringLiteral("config.json"))));
}

void tst_StartupProcess::importCopiesIntoTheUserScenes_data()
{
    QTest::addColumn<QString>("package");
    QTest::addColumn<QString>("copy");
    QTest::addRow("package suffix") << "night.sky.kvd" << "night.sky.kvc";
    QTest::addRow("other suffix") << "aurora.zip" << "aurora.kvc";
    QTest::addRow("no suffix") << "storm" << "storm.kvc";
}

void tst_StartupProcess::importCopiesIntoTheUserScenes()
{
    QFETCH(QString, package);
    QFETCH(QString, copy);
    QVERIFY(EngineTest::writeFile(m_work->filePath(package), "not a real scene"));

    // Named relative to the working directory, as typed on a command line.
    const Run result = run({QStringLiteral("-i"), package});
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.contains(windowLine), qPrintable(result.err));  // no player window outside Windows

    QCOMPARE(EngineTest::readFile(importDir() + '/' + copy), QByteArray("not a real scene"));
    // The unreadable package is still listed as a scene at the next start.
    QVERIFY2(result.err.contains(QStringLiteral("scenes=1")), qPrintable(result.err));
}

void tst_StartupProcess::secondImportKeepsTheFirstCopy()
{
    const QString package = m_work->filePath(QStringLiteral("night.sky.kvd"));
    QVERIFY(EngineTest::writeFile(package, "first"));
    QCOMPARE(run({QStringLiteral("-i"), package}).exitCode, 0);

    QVERIFY(EngineTest::writeFile(package, "second"));
    const Run second = run({QStringLiteral("-i"), package});
    QCOMPARE(second.exitCode, 0);
    QVERIFY(!second.err.contains(QStringLiteral("Unable to find")));

    QCOMPARE(EngineTest::readFile(importDir() + QStringLiteral("/night.sky.kvc")), QByteArray("first"));
}

void tst_StartupProcess::missingPackageIsReported()
{
    const Run result = run({QStringLiteral("-i"), QStringLiteral("./gone/night.sky.kvd")});
    QCOMPARE(result.exitStatus, QProcess::NormalExit);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.contains(
                 QStringLiteral("Kelvra: Unable to find the \"./gone/night.sky.kvd\" file to import\n")),
             qPrintable(result.err));
    QCOMPARE(result.err.count(QStringLiteral("Unable to find")), 1);
    QVERIFY(!result.err.contains(windowLine));
    QVERIFY(!QFileInfo::exists(importDir()));
    QVERIFY(!QFile::exists(m_user->filePath(QStringLiteral("config.json"))));
    QVERIFY(logText().contains(QStringLiteral("Starting Configuration")));
}

void tst_StartupProcess::engineThatCannotStartIsReported()
{
    // The user directory would lie below a regular file: it cannot be made.
    const QString blocker = m_user->filePath(QStringLiteral("blocker"));
    QVERIFY(EngineTest::writeFile(blocker, QByteArray()));

    const Run result = run({}, QStringLiteral("window"), blocker + QStringLiteral("/Kelvra"));
    QCOMPARE(result.exitStatus, QProcess::NormalExit);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.contains(QStringLiteral("Failed to init config: Failed to init config\n")),
             qPrintable(result.err));
    QVERIFY(!result.err.contains(windowLine));
}

void tst_StartupProcess::helpIsTheToolkits()
{
    const Run result = run({QStringLiteral("--help")});
    QCOMPARE(result.exitStatus, QProcess::NormalExit);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.out.contains(QRegularExpression(
                 QStringLiteral("-i <file>\\s+\\.kvd file to import into the user scenes directory"))),
             qPrintable(result.out));
    QVERIFY(result.out.contains(QStringLiteral("--help")));
    QVERIFY(!result.out.contains(QStringLiteral("--version")));
    // Ended before the application object: no log was opened.
    QVERIFY(!QFile::exists(m_user->filePath(QStringLiteral("logconfig.txt"))));
}

void tst_StartupProcess::unknownOptionIsTheToolkits()
{
    const Run result = run({QStringLiteral("--colour"), QStringLiteral("blue")});
    QCOMPARE(result.exitStatus, QProcess::NormalExit);
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains(QStringLiteral("Unknown option 'colour'.")), qPrintable(result.err));
    QVERIFY(!result.err.contains(windowLine));
    QVERIFY(!QFile::exists(m_user->filePath(QStringLiteral("logconfig.txt"))));
}

void tst_StartupProcess::interfaceWithoutWindowEndsTheRun_data()
{
    QTest::addColumn<QString>("rccVariant");
    QTest::addRow("root is an item") << "itemroot";
    QTest::addRow("no main document") << "nomain";
    QTest::addRow("no resource file") << "";
    QTest::addRow("module not shipped beside the program") << "foreignmodule";
}

void tst_StartupProcess::interfaceWithoutWindowEndsTheRun()
{
    QFETCH(QString, rccVariant);
    const Run result = run({}, rccVariant);
    QCOMPARE(result.exitStatus, QProcess::NormalExit);
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains(QStringLiteral("Error: Root item has to be a Window.")), qPrintable(result.err));
    // Nothing saved, but the log was written out and closed.
    QVERIFY(!QFile::exists(m_user->filePath(QStringLiteral("config.json"))));
    QVERIFY(logText().contains(QStringLiteral("Starting Configuration")));
}

// The whole chain a user relies on, through the real program, its QML
// interface and the stand-in player: the selection reaches the playlist file,
// a changed setting the configuration, and the preview the player.
void tst_StartupProcess::sessionReachesPlaylistConfigurationAndPlayer()
{
    QTemporaryDir appDir;
    QVERIFY(appDir.isValid());
    QVERIFY(QFile::copy(m_program, appDir.filePath("KelvraConfig")));
    QVERIFY(QFile::copy(QStringLiteral(KELVRA_TEST_PLAYER), appDir.filePath("Kelvra.exe")));
    for (const QString &program : {QStringLiteral("KelvraConfig"), QStringLiteral("Kelvra.exe")})
        QVERIFY(QFile::setPermissions(appDir.filePath(program), QFile::permissions(m_program)));
    QVERIFY(copyTree(m_appDir.filePath("qt"), appDir.filePath("qt")));

    QVERIFY(QDir(appDir.path()).mkpath("scenes"));
    struct SceneSpec { const char *file; const char *id; const char *name; quint32 flags; quint16 year; };
    const SceneSpec specs[] = {
        {"aurora.kvc", "e2e.aurora", "Aurora", CScene::Background, 2026},
        {"borealis.kvc", "e2e.borealis", "Borealis", CScene::Postprocessing, 2025},
        {"aurora-glow.kvc", "e2e.glow", "Aurora Glow", CScene::Foreground, 2024},
    };
    for (const SceneSpec &spec : specs) {
        CScene scene;
        scene.SetId(QLatin1String(spec.id));
        scene.SetName(QLatin1String(spec.name));
        scene.typeFlags = spec.flags;
        scene.sceneDate.year = spec.year;
        scene.sceneDate.month = 1;
        scene.sceneDate.day = 1;
        QVERIFY(scene.Save(appDir.filePath(QStringLiteral("scenes/") + QLatin1String(spec.file)), true));
    }
    QVERIFY(QDir(appDir.path()).mkpath("playlists"));
    QVERIFY(CPlaylist().Save(appDir.filePath("playlists/Evening.kvp")));

    const Run result = run({}, QStringLiteral("endtoend"), QString(), appDir.path());
    QVERIFY2(result.exitStatus == QProcess::NormalExit, qPrintable(result.err));
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.contains("kelvra-test selected=2"), qPrintable(result.err));

    // The two scenes the search showed, and only they, are in the playlist.
    CPlaylist playlist;
    QVERIFY(playlist.Load(m_user->filePath("playlists/Evening.kvp")));
    QStringList ids;
    for (const QList<PlaylistEntry *> *list : {&playlist.backgroundEntries, &playlist.foregroundEntries,
                                               &playlist.postprocessingEntries, &playlist.transitionEntries,
                                               &playlist.standaloneEntries})
        for (const PlaylistEntry *entry : *list)
            ids << entry->sceneId;
    ids.sort();
    QCOMPARE(ids, (QStringList{"e2e.aurora", "e2e.glow"}));

    CCfg saved;
    QVERIFY(saved.Load(m_user->filePath("config.json")));
    QCOMPARE(saved.transitionTime, 7.5f);

    // The player is started detached; give it a moment to write its record.
    QFile record(m_user->filePath("player-invocations.txt"));
    QTRY_VERIFY_WITH_TIMEOUT(record.exists() && record.size() > 0, 20000);
    QVERIFY(record.open(QIODevice::ReadOnly));
    const QString expected = QStringLiteral("\"-f\" \"--scene\" \"[apppath]scenes/special/PostprocessingBackground.kvc;;%1\"\n")
                                 .arg(QDir::cleanPath(appDir.path()) + "/scenes/borealis.kvc");
    QCOMPARE(QString::fromUtf8(record.readAll()), expected);
}

void tst_StartupProcess::interfaceComesOnlyFromTheProgramsDirectory_data()
{
    QTest::addColumn<QString>("besideProgram");
    QTest::addColumn<QString>("inWorkingDirectory");
    QTest::addColumn<int>("exitCode");
    QTest::addRow("started from elsewhere, foreign file there") << "window" << "itemroot" << 0;
    QTest::addRow("planted file only") << "" << "window" << 1;
}

// A file of the interface's name in the directory the user started from is
// neither needed nor run.
void tst_StartupProcess::interfaceComesOnlyFromTheProgramsDirectory()
{
    QFETCH(QString, besideProgram);
    QFETCH(QString, inWorkingDirectory);
    QFETCH(int, exitCode);
    QVERIFY(QFile::copy(QStringLiteral(KELVRA_TEST_RCC_DIR "/%1.rcc").arg(inWorkingDirectory),
                        m_work->filePath(QStringLiteral("Kelvra.Config.rcc"))));

    const Run result = run({}, besideProgram);
    QCOMPARE(result.exitStatus, QProcess::NormalExit);
    QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(result.err.contains(windowLine), exitCode == 0);
}

void tst_StartupProcess::secondStartHandsOverToTheRunningOne_data()
{
    QTest::addColumn<bool>("withImport");
    QTest::addRow("window only") << false;
    QTest::addRow("with an import") << true;
}

void tst_StartupProcess::secondStartHandsOverToTheRunningOne()
{
    QFETCH(bool, withImport);
    std::unique_ptr<QProcess> first = startRunningProgram();
    QVERIFY(first);
    QVERIFY(EngineTest::writeFile(m_work->filePath(QStringLiteral("night.sky.kvd")), "handed over"));
    // Named relative to the second start's working directory, which the
    // running program does not share.
    const QStringList arguments = withImport ? QStringList{QStringLiteral("-i"), QStringLiteral("night.sky.kvd")}
                                             : QStringList{};
    const Run second = run(arguments, QStringLiteral("stay"));
    QCOMPARE(second.exitStatus, QProcess::NormalExit);
    QCOMPARE(second.exitCode, 0);
    QVERIFY2(!second.err.contains(windowLine), qPrintable(second.err));
    QVERIFY2(!second.err.contains(QStringLiteral("Kelvra:")), qPrintable(second.err));

    QTRY_VERIFY2_WITH_TIMEOUT(logText().contains(QStringLiteral("Another start handed over to this one; 1 window(s) "
                                                                "brought forward")),
                              qPrintable(logText()), 10000);
    QCOMPARE(logText().count(QStringLiteral("Starting Configuration")), 1);
    QCOMPARE(EngineTest::readFile(importDir() + QStringLiteral("/night.sky.kvc")),
             withImport ? QByteArray("handed over") : QByteArray());
    QCOMPARE(first->state(), QProcess::Running);
    endRunningProgram(*first);
}

void tst_StartupProcess::lockHeldWithoutAnAnswerEndsTheRun_data()
{
    QTest::addColumn<bool>("listening");
    QTest::addRow("nobody listens") << false;
    QTest::addRow("the listener never answers") << true;
}

// Another program holds the lock (this test, alive) but does not answer: the
// start reports it and neither writes nor imports anything.
void tst_StartupProcess::lockHeldWithoutAnAnswerEndsTheRun()
{
    QFETCH(bool, listening);
    QLockFile lock(SingleInstance::lockFilePath(m_user->path()));
    QVERIFY(lock.tryLock(0));
    QLocalServer silent;
    if (listening) {
        QLocalServer::removeServer(SingleInstance::serverName(m_user->path()));
        QVERIFY(silent.listen(SingleInstance::serverName(m_user->path())));
    }
    QVERIFY(EngineTest::writeFile(m_work->filePath(QStringLiteral("night.sky.kvd")), "scene"));

    const Run result = run({QStringLiteral("-i"), QStringLiteral("night.sky.kvd")});
    QCOMPARE(result.exitStatus, QProcess::NormalExit);
    QCOMPARE(result.exitCode, 0);
    QVERIFY2(result.err.contains(QStringLiteral("is already running for")), qPrintable(result.err));
    QVERIFY2(result.err.contains(QStringLiteral("does not answer")), qPrintable(result.err));
    QVERIFY(!result.err.contains(windowLine));
    QVERIFY(!QFile::exists(m_user->filePath(QStringLiteral("logconfig.txt"))));
    QVERIFY(!QFileInfo::exists(importDir()));
}

// A program killed outright leaves its lock file and its socket behind; the
// next start takes both over and is reachable in turn.
void tst_StartupProcess::lockLeftByAKilledProgramIsTakenOver()
{
    std::unique_ptr<QProcess> killed = startRunningProgram();
    QVERIFY(killed);
    endRunningProgram(*killed);
    QVERIFY(QFile::exists(SingleInstance::lockFilePath(m_user->path())));

    std::unique_ptr<QProcess> next = startRunningProgram();
    QVERIFY(next);
    const Run third = run({}, QStringLiteral("stay"));
    QCOMPARE(third.exitCode, 0);
    QVERIFY2(!third.err.contains(QStringLiteral("does not answer")), qPrintable(third.err));
    QTRY_VERIFY_WITH_TIMEOUT(logText().contains(QStringLiteral("Another start handed over")), 10000);
    endRunningProgram(*next);
}

QTEST_GUILESS_MAIN(tst_StartupProcess)
#include "tst_startupprocess.moc"
