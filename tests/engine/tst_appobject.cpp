#include "EngineTestSupport.h"

#include <CAppTypeQt.h>
#include <CLog.h>

#include <QCoreApplication>
#include <QDirIterator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace EngineTest;

// The application object: where "[apppath]" and "[userpath]" lead, the
// start-up of the user directory and the log.
class tst_AppObject : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);   // the default user directory is a test one
    }

    void init()
    {
        m_root.reset(new QTemporaryDir);
        QVERIFY(m_root->isValid());
        m_app = m_root->path() + QStringLiteral("/app");
        m_user = m_root->path() + QStringLiteral("/user");
        QVERIFY(QDir().mkpath(m_app));
        qputenv("KELVRA_APP_DIR", m_app.toUtf8());
        qputenv("KELVRA_USER_DIR", m_user.toUtf8());
    }

    void cleanup()
    {
        qunsetenv("KELVRA_APP_DIR");
        qunsetenv("KELVRA_USER_DIR");
    }

    void resolvesPlaceholders_data()
    {
        QTest::addColumn<QString>("literal");
        QTest::addColumn<QString>("expected");   // %1 application, %2 user directory
        QTest::addRow("app subdirectory") << "[apppath]scenes" << "%1/scenes";
        QTest::addRow("app alone") << "[apppath]" << "%1";
        QTest::addRow("app with slashes around") << "[apppath]/scenes/" << "%1/scenes";
        QTest::addRow("app file") << "[apppath]playlists/Default.kvp" << "%1/playlists/Default.kvp";
        QTest::addRow("user file") << "[userpath]config.json" << "%2/config.json";
        QTest::addRow("user subdirectory") << "[userpath]scenes/Imported" << "%2/scenes/Imported";
        QTest::addRow("backslashes") << "[userpath]scenes\\Imported\\" << "%2/scenes/Imported";
        QTest::addRow("rest kept as written") << "[apppath]a/../b//c" << "%1/a/../b//c";
        QTest::addRow("no placeholder") << "/elsewhere/x.kvc" << "/elsewhere/x.kvc";
        QTest::addRow("placeholder not leading") << "x/[apppath]y" << "x/[apppath]y";
        QTest::addRow("placeholder in other case") << "[AppPath]y" << "[AppPath]y";
        QTest::addRow("empty") << "" << "";
    }

    void resolvesPlaceholders()
    {
        QFETCH(QString, literal);
        QFETCH(QString, expected);
        CAppTypeQt app(nullptr, QString());
        expected.replace(QLatin1String("%1"), m_app).replace(QLatin1String("%2"), m_user);
        QCOMPARE(app.ResolvePath(CPath(literal)).toString(), expected);
    }

    void environmentDirectoriesAreCleaned_data()
    {
        QTest::addColumn<QString>("appSpelling");   // %1 the temporary root
        QTest::addRow("trailing slash") << "%1/app/";
        QTest::addRow("doubled slashes") << "%1//app//";
        QTest::addRow("dot segments") << "%1/app/./../app";
        QTest::addRow("relative to the working directory") << "RELATIVE";
    }

    void environmentDirectoriesAreCleaned()
    {
        QFETCH(QString, appSpelling);
        const QString previous = QDir::currentPath();
        if (appSpelling == QLatin1String("RELATIVE")) {
            QDir::setCurrent(m_root->path());
            appSpelling = QStringLiteral("app");
        }
        qputenv("KELVRA_APP_DIR", appSpelling.arg(m_root->path()).toUtf8());
        CAppTypeQt app(nullptr, QString());
        QDir::setCurrent(previous);
        QCOMPARE(app.GetAppPath().toString(), m_app);
        QCOMPARE(app.ResolvePath("[apppath]scenes").toString(), m_app + QStringLiteral("/scenes"));
    }

    void resolvedPathsEqualDirectoryListings()
    {
        // The program finds scene files by listing a resolved directory and
        // compares them with resolved literals as strings.
        qputenv("KELVRA_APP_DIR", (m_root->path() + QStringLiteral("//app/")).toUtf8());
        CAppTypeQt app(nullptr, QString());
        const QString scenes = app.ResolvePath("[apppath]scenes");
        QVERIFY(QDir().mkpath(scenes + QStringLiteral("/Nature")));
        QVERIFY(writeFile(scenes + QStringLiteral("/Nature/aurora.kvc"), "x"));

        QDirIterator it(scenes, QDirIterator::Subdirectories);
        QStringList found;
        while (it.hasNext()) {
            const QString path = it.next();
            if (path.endsWith(QLatin1String(".kvc")))
                found << path;
        }
        QCOMPARE(found, QStringList{app.ResolvePath("[apppath]scenes/Nature/aurora.kvc").toString()});
        const QFileInfoList listed = QDir(app.ResolvePath("[apppath]scenes/Nature")).entryInfoList(QDir::Files);
        QCOMPARE(listed.size(), 1);
        QCOMPARE(listed.first().filePath(), app.ResolvePath("[apppath]scenes/Nature/aurora.kvc").toString());
    }

    void defaultDirectoriesWithoutEnvironment()
    {
        qunsetenv("KELVRA_APP_DIR");
        qunsetenv("KELVRA_USER_DIR");
        CAppTypeQt app(nullptr, QString());
        QCOMPARE(app.GetAppPath().toString(), QDir::cleanPath(QCoreApplication::applicationDirPath()));
        QCOMPARE(app.GetUserPath().toString(),
                 QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                                 + QStringLiteral("/Kelvra")));
    }

    void initCreatesUserDirectoryAndLoadsConfiguration()
    {
        qputenv("KELVRA_USER_DIR", (m_user + QStringLiteral("/nested/deeper")).toUtf8());
        CAppTypeQt app(nullptr, QString());
        QCOMPARE(gApp, &app);
        QCOMPARE(app.configPath, m_user + QStringLiteral("/nested/deeper/config.json"));
        QVERIFY(writeFile(m_user + QStringLiteral("/nested/deeper/config.json"), "{\"minSceneTime\": 42}"));
        app.startupFlags = 290;
        QVERIFY(app.Init());
        QVERIFY(QFileInfo(m_user + QStringLiteral("/nested/deeper")).isDir());
        QCOMPARE(app.Config()->minSceneTime, 42);
        QCOMPARE(app.ConfigPath(), app.configPath);
        // Nothing but the configuration is left in the user directory.
        QCOMPARE(QDir(m_user + QStringLiteral("/nested/deeper")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"config.json"});
    }

    void initFailsWhenTheUserDirectoryCannotBeMade()
    {
        QVERIFY(writeFile(m_root->filePath(QStringLiteral("a-file")), "x"));
        qputenv("KELVRA_USER_DIR", m_root->filePath(QStringLiteral("a-file/user")).toUtf8());
        CAppTypeQt app(nullptr, QString());
        QVERIFY(!app.Init());
    }

    void constructorOpensTheLogInTheUserDirectory()
    {
        {
            CLog log;
            CAppTypeQt app(&log, QStringLiteral("logconfig.txt"));
            LogInfo(QStringLiteral("engine test line"));
        }
        QVERIFY(readFile(m_user + QStringLiteral("/logconfig.txt")).contains("engine test line"));
        QCOMPARE(gApp, nullptr);
    }

    void leavesNativeEventsToQt()
    {
        CAppTypeQt app(nullptr, QString());
        long result = 0;
        QVERIFY(!app.nativeEventFilter("xcb_generic_event_t", nullptr, &result));
    }

private:
    QScopedPointer<QTemporaryDir> m_root;
    QString m_app;
    QString m_user;
};

QTEST_GUILESS_MAIN(tst_AppObject)
#include "tst_appobject.moc"
