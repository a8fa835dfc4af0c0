#include "InvocationRecord.h"
#include "JpegTestSupport.h"
#include "PlayerCommandLine.h"
#include "PlayerProgram.h"
#include "PlayerWindow.h"

#include <CAppTypeQt.h>
#include <CPlaylist.h>
#include <CScene.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

bool WriteScene(const QString &path, const QString &name, const QString &author, const QImage &thumbnail)
{
    CScene scene;
    scene.SetId(QStringLiteral("test.") + name);
    scene.SetName(name);
    scene.SetAuthor(author);
    scene.typeFlags = CScene::Background;
    if (!thumbnail.isNull())
        scene.SetEntry(QStringLiteral("thumbnail.jpg"), JpegTest::jpeg(thumbnail));
    return QDir().mkpath(QFileInfo(path).path()) && scene.Save(path, true);
}

PlaylistEntry *Entry(const QString &path, int typeFlags)
{
    auto *entry = new PlaylistEntry;
    entry->scenePath = path;
    entry->typeFlags = typeFlags;
    return entry;
}

QStringList ReadRecordedLines(const QString &userDir)
{
    QFile file(QDir(userDir).filePath(QLatin1String(InvocationRecord::kFileName)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

class tst_Player : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void recordLine_data();
    void recordLine();
    void malformedLinesAreRefused_data();
    void malformedLinesAreRefused();
    void commandLine_data();
    void commandLine();

    void placeholdersAndListsBecomeSteps_data();
    void placeholdersAndListsBecomeSteps();
    void playlistScenesAreStepsOfTheirOwn();
    void missingPlaylistScenesAreSkippedAndLogged();
    void sceneCardReadsNameAuthorAndThumbnail();
    void windowShowsScenesInTurnAndClosesOnEscape();

    void playerRecordsEveryStart_data();
    void playerRecordsEveryStart();

private:
    std::unique_ptr<QTemporaryDir> m_appDir;
    std::unique_ptr<QTemporaryDir> m_userDir;
};

void tst_Player::init()
{
    m_appDir = std::make_unique<QTemporaryDir>();
    m_userDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_appDir->isValid() && m_userDir->isValid());
    qputenv("KELVRA_APP_DIR", QFile::encodeName(m_appDir->path()));
    qputenv("KELVRA_USER_DIR", QFile::encodeName(m_userDir->path()));
}

void tst_Player::recordLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("line");
    QTest::addRow("preview") << QStringList { "-f", "--scene", "[apppath]scenes/a.kvc" }
                             << R"("-f" "--scene" "[apppath]scenes/a.kvc")";
    QTest::addRow("blanks stay inside one argument")
        << QStringList { "-v", "--scene", "C:/My Scenes/a b.kvc" } << R"("-v" "--scene" "C:/My Scenes/a b.kvc")";
    QTest::addRow("quotes and backslashes are escaped")
        << QStringList { R"(C:\a "b".kvc)" } << R"("C:\\a \"b\".kvc")";
    QTest::addRow("line break is escaped") << QStringList { "a\nb" } << R"("a\nb")";
    QTest::addRow("empty argument") << QStringList { "-f", "" } << R"("-f" "")";
    QTest::addRow("non-ASCII kept as it is") << QStringList { QString::fromUtf8("Szene \u00fc") }
                                             << QString::fromUtf8("\"Szene \u00fc\"");
    QTest::addRow("no arguments") << QStringList() << QString();
}

void tst_Player::recordLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, line);
    QCOMPARE(InvocationRecord::FormatLine(arguments), line);
    QStringList parsed { "stale" };
    QVERIFY(InvocationRecord::ParseLine(line, &parsed));
    QCOMPARE(parsed, arguments);
}

void tst_Player::malformedLinesAreRefused_data()
{
    QTest::addColumn<QString>("line");
    QTest::addRow("unquoted") << "-f";
    QTest::addRow("two blanks") << R"("-f"  "x")";
    QTest::addRow("no blank") << R"("-f""x")";
    QTest::addRow("trailing blank") << R"("-f" )";
    QTest::addRow("unterminated") << R"("-f" "x)";
    QTest::addRow("bad escape") << R"("\q")";
}

void tst_Player::malformedLinesAreRefused()
{
    QFETCH(QString, line);
    QStringList parsed { "stale" };
    QVERIFY(!InvocationRecord::ParseLine(line, &parsed));
    QVERIFY(parsed.isEmpty());
}

void tst_Player::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("scene");
    QTest::addColumn<bool>("noWindow");
    QTest::addRow("normal") << QStringList { "-f", "--scene", "a.kvc" } << "Normal" << "a.kvc" << false;
    QTest::addRow("VR") << QStringList { "-v", "--scene", "a.kvc" } << "VR" << "a.kvc" << false;
    QTest::addRow("any word") << QStringList { "-preview", "--scene", "p.kvp" } << "preview" << "p.kvp" << false;
    QTest::addRow("scene before mode, headless")
        << QStringList { "--scene", "a.kvc", "--no-window", "-v" } << "VR" << "a.kvc" << true;
    QTest::addRow("scene value starting with a dash") << QStringList { "-f", "--scene", "-odd.kvc" } << "Normal"
                                                      << "-odd.kvc" << false;
    QTest::addRow("scene option without value") << QStringList { "-f", "--scene" } << "Normal" << "" << false;
    QTest::addRow("nothing") << QStringList() << "Normal" << "" << false;
}

void tst_Player::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, mode);
    QFETCH(QString, scene);
    QFETCH(bool, noWindow);
    const PlayerCommandLine commandLine = PlayerCommandLine::Parse(arguments);
    QCOMPARE(commandLine.ModeTitle(), mode);
    QCOMPARE(commandLine.sceneArgument, scene);
    QCOMPARE(commandLine.HasScene(), !scene.isEmpty());
    QCOMPARE(commandLine.noWindow, noWindow);
}

void tst_Player::placeholdersAndListsBecomeSteps_data()
{
    // Paths relative to the two directories; "A/" and "U/" stand for them.
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QList<QStringList>>("steps");
    QTest::addRow("one scene file") << "/data/x.kvc" << QList<QStringList> { { "/data/x.kvc" } };
    QTest::addRow("placeholder") << "[userpath]scenes/x.kvc" << QList<QStringList> { { "U/scenes/x.kvc" } };
    QTest::addRow("background then scene, one step")
        << "[apppath]scenes/special/PostprocessingBackground.kvc;;[userpath]scenes/pp.kvc"
        << QList<QStringList> { { "A/scenes/special/PostprocessingBackground.kvc", "U/scenes/pp.kvc" } };
    QTest::addRow("empty parts are skipped") << ";;/x.kvc;;;;" << QList<QStringList> { { "/x.kvc" } };
    QTest::addRow("missing playlist is a step of its own")
        << "[userpath]playlists/None.kvp" << QList<QStringList> { { "U/playlists/None.kvp" } };
    QTest::addRow("nothing") << "" << QList<QStringList>();
}

void tst_Player::placeholdersAndListsBecomeSteps()
{
    QFETCH(QString, argument);
    QFETCH(QList<QStringList>, steps);
    CAppTypeQt engine(nullptr, QString());
    for (QStringList &step : steps) {
        for (QString &path : step) {
            path.replace(QLatin1String("A/"), m_appDir->path() + QLatin1Char('/'));
            path.replace(QLatin1String("U/"), m_userDir->path() + QLatin1Char('/'));
        }
    }
    QCOMPARE(PlayerProgram::PlanSteps(argument, engine), steps);
}

void tst_Player::playlistScenesAreStepsOfTheirOwn()
{
    CAppTypeQt engine(nullptr, QString());
    const QString elsewhere = m_appDir->filePath(QStringLiteral("elsewhere"));
    QVERIFY(WriteScene(m_userDir->filePath(QStringLiteral("scenes/s.kvc")), QStringLiteral("s"), QString(), QImage()));
    QVERIFY(WriteScene(m_appDir->filePath(QStringLiteral("scenes/b1.kvc")), QStringLiteral("b1"), QString(), QImage()));
    QVERIFY(WriteScene(elsewhere + QStringLiteral("/b2.kvc"), QStringLiteral("b2"), QString(), QImage()));
    CPlaylist playlist;
    playlist.standaloneEntries.append(Entry(QStringLiteral("[userpath]scenes/s.kvc"), 0));
    playlist.backgroundEntries.append(Entry(QStringLiteral("[apppath]scenes/b1.kvc"), CScene::Background));
    playlist.backgroundEntries.append(Entry(elsewhere + QStringLiteral("/b2.kvc"), CScene::Background));
    const QString file = m_userDir->filePath(QStringLiteral("playlists/My List.kvp"));
    QVERIFY(QDir().mkpath(QFileInfo(file).path()));
    QVERIFY(playlist.Save(file));

    const QString app = m_appDir->path();
    const QString user = m_userDir->path();
    const QList<QStringList> expected {
        { app + "/scenes/b1.kvc" }, { elsewhere + "/b2.kvc" }, { user + "/scenes/s.kvc" }
    };
    QCOMPARE(PlayerProgram::PlanSteps(QStringLiteral("[userpath]playlists/My List.kvp"), engine), expected);
    // A scene before the playlist is a step of its own, not a layer of its scenes.
    QCOMPARE(PlayerProgram::PlanSteps(QStringLiteral("/first.kvc;;[userpath]playlists/My List.kvp"), engine),
             QList<QStringList> { { "/first.kvc" } } + expected);
}

// A playlist keeps scenes of a drive that is not mounted; the player passes
// over them and says so in its log.
void tst_Player::missingPlaylistScenesAreSkippedAndLogged()
{
    const QString present = m_userDir->filePath(QStringLiteral("scenes/Present.kvc"));
    const QString missing = QStringLiteral("/media/unmounted/Gone.kvc");
    QVERIFY(WriteScene(present, QStringLiteral("Present"), QString(), QImage()));
    const QString list = m_userDir->filePath(QStringLiteral("playlists/Mixed.kvp"));
    QVERIFY(QDir().mkpath(QFileInfo(list).path()));
    CPlaylist playlist;
    playlist.backgroundEntries.append(Entry(missing, CScene::Background));
    playlist.backgroundEntries.append(Entry(QStringLiteral("[userpath]scenes/Present.kvc"), CScene::Background));
    QVERIFY(playlist.Save(list));

    QStringList skipped;
    QCOMPARE(PlayerProgram::PlanSteps(list, CAppTypeQt(nullptr, QString()), &skipped),
             QList<QStringList> { { present } });
    QCOMPARE(skipped, QStringList { missing });

    QProcess process;
    process.start(qEnvironmentVariable("KELVRA_TEST_APP_DIR") + QStringLiteral("/Kelvra.exe"),
                  { "-f", "--scene", list, "--no-window" });
    QVERIFY(process.waitForFinished(30000));
    QFile log(m_userDir->filePath(QStringLiteral("logplayer.txt")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    QVERIFY2(text.contains(QStringLiteral("Skipped a missing scene: ") + missing), qPrintable(text));
    QVERIFY2(!text.contains(QStringLiteral("Skipped a missing scene: ") + present), qPrintable(text));
}

void tst_Player::sceneCardReadsNameAuthorAndThumbnail()
{
    QImage thumbnail(64, 36, QImage::Format_RGB32);
    thumbnail.fill(Qt::red);
    const QString path = m_userDir->filePath(QStringLiteral("scenes/Red Sky.kvc"));
    QVERIFY(WriteScene(path, QStringLiteral("Red Sky"), QStringLiteral("Ana"), thumbnail));

    const SceneCard card = SceneCard::Load(path);
    QVERIFY(card.loaded);
    QCOMPARE(card.name, QStringLiteral("Red Sky"));
    QCOMPARE(card.author, QStringLiteral("Ana"));
    QCOMPARE(card.thumbnail.size(), thumbnail.size());
    QVERIFY(qRed(card.thumbnail.pixel(32, 18)) > 200);

    const QString bare = m_userDir->filePath(QStringLiteral("scenes/Bare.kvc"));
    QVERIFY(WriteScene(bare, QStringLiteral("Bare"), QString(), QImage()));
    const SceneCard bareCard = SceneCard::Load(bare);
    QVERIFY(bareCard.loaded);
    QVERIFY(bareCard.thumbnail.isNull());

    QFile junk(m_userDir->filePath(QStringLiteral("scenes/Junk.kvc")));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("not a zip archive");
    junk.close();
    const SceneCard junkCard = SceneCard::Load(junk.fileName());
    QVERIFY(!junkCard.loaded);
    QCOMPARE(junkCard.name, QStringLiteral("Junk"));
}

void tst_Player::windowShowsScenesInTurnAndClosesOnEscape()
{
    QImage red(64, 36, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QString first = m_userDir->filePath(QStringLiteral("scenes/First.kvc"));
    const QString second = m_userDir->filePath(QStringLiteral("scenes/Second.kvc"));
    QVERIFY(WriteScene(first, QStringLiteral("First"), QStringLiteral("Ana"), red));
    QVERIFY(WriteScene(second, QStringLiteral("Second"), QStringLiteral("Ben"), QImage()));

    PlayerWindow window(QStringLiteral("VR"), { { first }, { second } });
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.StepCount(), 2);
    QCOMPARE(window.CurrentLayers().size(), 1);
    QCOMPARE(window.CurrentLayers().first().name, QStringLiteral("First"));
    window.ShowNextStep();
    QCOMPARE(window.CurrentLayers().first().name, QStringLiteral("Second"));
    window.ShowNextStep();
    QCOMPARE(window.CurrentStep(), 0);

    // The scene's thumbnail is what the middle of the window shows.
    QImage frame(800, 500, QImage::Format_RGB32);
    {
        QPainter painter(&frame);
        PlayerWindow::PaintFrame(painter, frame.rect(), QStringLiteral("VR"), window.CurrentLayers(), 0, 2);
    }
    QVERIFY(qRed(frame.pixel(400, 200)) > 200 && qGreen(frame.pixel(400, 200)) < 60);

    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(!window.isVisible());
}

void tst_Player::playerRecordsEveryStart_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("headlessByEnvironment");
    QTest::addColumn<int>("exitCode");
    QTest::addRow("preview, headless by environment")
        << QStringList { "-f", "--scene", "[apppath]scenes/special/PostprocessingBackground.kvc;;C:/a b.kvc" }
        << true << 0;
    QTest::addRow("playlist, headless by option")
        << QStringList { "-v", "--scene", "[userpath]playlists/My List.kvp", "--no-window" } << false << 0;
    QTest::addRow("no scene") << QStringList { "-f" } << true << 2;
}

void tst_Player::playerRecordsEveryStart()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, headlessByEnvironment);
    QFETCH(int, exitCode);
    const QString player = qEnvironmentVariable("KELVRA_TEST_APP_DIR") + QStringLiteral("/Kelvra.exe");
    QVERIFY2(QFileInfo(player).isExecutable(), qPrintable(player));

    // The user directory does not exist yet: the player makes it.
    const QString userDir = m_userDir->filePath(QStringLiteral("new user"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KELVRA_USER_DIR"), userDir);
    environment.remove(QStringLiteral("KELVRA_PLAYER_HEADLESS"));
    if (headlessByEnvironment)
        environment.insert(QStringLiteral("KELVRA_PLAYER_HEADLESS"), QStringLiteral("1"));

    for (int run = 0; run < 2; ++run) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(player, arguments);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), exitCode);
    }

    const QStringList lines = ReadRecordedLines(userDir);
    QCOMPARE(lines.size(), 2);
    for (const QString &line : lines) {
        QStringList recorded;
        QVERIFY(InvocationRecord::ParseLine(line, &recorded));
        QCOMPARE(recorded, arguments);
    }
}

QTEST_MAIN(tst_Player)
#include "tst_player.moc"
