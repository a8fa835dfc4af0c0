#include "CConfigViewModel.h"
#include "PlaylistTestSupport.h"

#include <QTextStream>
#include <QtTest>

// Starts the stand-in player for real, the way a preview and a playlist view
// do, and reads back the command lines it recorded.
class TestPlayerStart : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { env.tearDown(); }

    void previewAndViewReachThePlayer();

private:
    QStringList recordedLines() const;

    PlaylistTestEnvironment env;
};

void TestPlayerStart::initTestCase()
{
    env.setUp();
    PlayerLauncher::setStartFunction({});   // the real start
    const QString built = qEnvironmentVariable("KELVRA_TEST_APP_DIR") + QStringLiteral("/Kelvra.exe");
    if (!QFile::exists(built))
        QSKIP("the stand-in player is not built");
    const QString player = env.appDir + QStringLiteral("/Kelvra.exe");
    QVERIFY(QFile::copy(built, player));
    QVERIFY(QFile::setPermissions(player, QFile::permissions(built)));
    qputenv("KELVRA_PLAYER_HEADLESS", "1");
}

QStringList TestPlayerStart::recordedLines() const
{
    QFile file(env.userDir + QStringLiteral("/player-invocations.txt"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void TestPlayerStart::previewAndViewReachThePlayer()
{
    env.reset();
    CConfigViewModel viewModel(env.context());
    CSceneViewModel *scene = env.makeScene(QStringLiteral("Post.kvc"), QStringLiteral("p"), CScene::Postprocessing);
    viewModel.setActiveScene(scene);
    viewModel.previewSelectedSceneVR();
    QTRY_COMPARE_WITH_TIMEOUT(recordedLines().size(), 1, 30000);
    QCOMPARE(recordedLines().first(),
             QStringLiteral("\"-v\" \"--scene\" \"[apppath]scenes/special/PostprocessingBackground.kvc;;%1\"")
                 .arg(scene->filepath()));

    env.writePlaylist(env.playlistPath(QStringLiteral("My list")), {});
    viewModel.viewPlaylist(QStringLiteral("My list"), QStringLiteral("f"));
    QTRY_COMPARE_WITH_TIMEOUT(recordedLines().size(), 2, 30000);
    QCOMPARE(recordedLines().last(), QStringLiteral("\"-f\" \"--scene\" \"[userpath]playlists/My list.kvp\""));

    delete viewModel.filteredScenes();
    env.deleteCreatedScenes();
}

QTEST_GUILESS_MAIN(TestPlayerStart)
#include "tst_playerstart.moc"
