// Helper process for the reliability tests: rewrites the user's files the way
// the program does, so a test can kill it at any moment or starve its writes.
//
//   kvsavechild loop <dir>
//       Rewrites <dir>/scene.kvc (a tag edit: Load(path, true) + Save(path,
//       false)), <dir>/list.kvp and <dir>/config.json for ever, each time with
//       the next version number: the scene's only tag is "v<n>", every
//       playlist entry's identifier is "v<n>", the configuration's
//       playlistToRun is "v<n>". Prints "ready" once the loop runs, then
//       "b" before and "e" after each save. Exits 3
//       if a save fails (nothing should make one fail here).
//   kvsavechild setup <dir>
//       Creates the three files (a 2 MB scene, a playlist of 200 entries, a
//       configuration with a key of the player's own), all at version 0.
//   kvsavechild fulldisk <dir> <bytes>
//       Limits every file this process writes to <bytes> (RLIMIT_FSIZE, with
//       SIGXFSZ ignored, so a write past it fails with EFBIG as on a full
//       disk), then edits the scene through its view model, saves the
//       playlist and the configuration, and prints what each save returned
//       and the scene's tags in memory. Exits 0 when it got that far.
//   kvsavechild session official|playlist|vanish|replaced
//       Starts the way the program does (engine object on KELVRA_APP_DIR and
//       KELVRA_USER_DIR, catalogue, active playlist), then: tags every scene
//       (official); selects every scene and quits (playlist); removes the
//       user directory, or puts a regular file in its place, and then tags,
//       selects, adds a playlist and quits (vanish, replaced). Prints each
//       scene's name and tags in memory, then "alive". Run by root, it first
//       becomes the unprivileged user "nobody", so that file permissions
//       count.

#include "ReliabilityTestSupport.h"

#include "CCfg.h"
#include "CPlaylist.h"
#include "CScene.h"
#include "CSceneViewModel.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>
#include <QRegularExpression>
#include <QStringList>

#include "CAppTypeQt.h"
#include "CConfigViewModel.h"
#include "CPlaylistViewModel.h"
#include "CatalogueBuilder.h"
#include "QObjectListModel.h"

#include <QDir>

#include <csignal>
#include <cstdio>
#include <grp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// "b" just before a save starts writing, "e" when it returned: the last
// letter a killed writer printed tells whether the kill hit a save.
void mark(char letter)
{
    std::fputc(letter, stdout);
    std::fflush(stdout);
}

int versionOf(const QStringList &tags)
{
    static const QRegularExpression pattern(QStringLiteral("^v(\\d+)$"));
    for (const QString &tag : tags) {
        const QRegularExpressionMatch match = pattern.match(tag);
        if (match.hasMatch())
            return match.captured(1).toInt();
    }
    return 0;
}

QString versionTag(int version)
{
    return QStringLiteral("v%1").arg(version);
}

bool editScene(const QString &path, int version)
{
    CScene scene;
    if (!scene.Load(path, true))
        return false;
    scene.tagList = QStringList{versionTag(version)};
    mark('b');
    const bool saved = scene.Save(path, false);
    mark('e');
    return saved;
}

bool rewritePlaylist(const QString &path, int version)
{
    CPlaylist playlist;
    if (!playlist.Load(path))
        return false;
    for (QList<PlaylistEntry *> *list : {&playlist.standaloneEntries, &playlist.backgroundEntries}) {
        for (PlaylistEntry *entry : *list)
            entry->sceneId = versionTag(version);
    }
    mark('b');
    const bool saved = playlist.Save(path);
    mark('e');
    return saved;
}

bool rewriteConfig(const QString &path, int version)
{
    CCfg config;
    if (!config.Load(path))
        return false;
    config.playlistToRun = versionTag(version);
    config.minSceneTime = version % 1000;
    mark('b');
    const bool saved = config.Save(path);
    mark('e');
    return saved;
}

int setUp(const QString &dir)
{
    QImage image(64, 36, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray thumbnail;
    QBuffer buffer(&thumbnail);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    const bool ok = Reliability::createScene(dir + QStringLiteral("/scene.kvc"), thumbnail, 2 * 1024 * 1024)
        && Reliability::createPlaylist(dir + QStringLiteral("/list.kvp"), 200)
        && Reliability::createConfig(dir + QStringLiteral("/config.json"));
    return ok ? 0 : 3;
}

int loop(const QString &dir)
{
    const QString scenePath = dir + QStringLiteral("/scene.kvc");
    const QString playlistPath = dir + QStringLiteral("/list.kvp");
    const QString configPath = dir + QStringLiteral("/config.json");
    CScene start;
    if (!start.Load(scenePath, false))
        return 2;
    int version = versionOf(start.tagList);
    std::printf("ready\n");
    std::fflush(stdout);
    for (;;) {
        ++version;
        if (!editScene(scenePath, version) || !rewritePlaylist(playlistPath, version)
            || !rewriteConfig(configPath, version)) {
            std::fprintf(stderr, "save %d failed\n", version);
            return 3;
        }
    }
}

int fullDisk(const QString &dir, rlim_t limit)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit fileSize {};
    getrlimit(RLIMIT_FSIZE, &fileSize);
    fileSize.rlim_cur = limit;
    if (setrlimit(RLIMIT_FSIZE, &fileSize) != 0)
        return 2;

    const QString scenePath = dir + QStringLiteral("/scene.kvc");
    // The program's own edit path: the file first, memory only once it is written.
    CSceneViewModel scene(scenePath, false);
    scene.addTag(QStringLiteral("full-disk"));
    CScene direct;
    bool sceneSaved = false;
    if (direct.Load(scenePath, true)) {
        direct.tagList.append(QStringLiteral("again"));
        sceneSaved = direct.Save(scenePath, false);
    }

    CPlaylist playlist;
    playlist.Load(dir + QStringLiteral("/list.kvp"));
    playlist.standaloneEntries.first()->sceneId = QStringLiteral("full-disk");
    const bool playlistSaved = playlist.Save(dir + QStringLiteral("/list.kvp"));

    CCfg config;
    config.Load(dir + QStringLiteral("/config.json"));
    config.playlistToRun = QStringLiteral("full-disk");
    const bool configSaved = config.Save(dir + QStringLiteral("/config.json"));

    std::printf("scene=%d playlist=%d config=%d tags=%s\n", sceneSaved, playlistSaved, configSaved,
                qPrintable(scene.tags().join(QLatin1Char(','))));
    return 0;
}

// Root ignores file permissions; the read-only cases need a user they bind.
bool dropPrivileges()
{
    if (geteuid() != 0)
        return true;
    const gid_t nobody = 65534;
    if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)
        return false;
    // A process that changed its user is not dumpable, and the leak checker
    // of a sanitizer build then cannot inspect it at exit.
    prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
    return true;
}

void printScenes(const CConfigViewModel &config)
{
    for (int row = 0; row < config.allScenes()->rowCount(); ++row) {
        const auto *scene = qobject_cast<CSceneViewModel *>(config.allScenes()->at(row));
        std::printf("%s: %s\n", qPrintable(scene->name()), qPrintable(scene->tags().join(QLatin1Char(','))));
    }
}

int session(const QString &what)
{
    if (!dropPrivileges())
        return 4;
    CAppTypeQt app(nullptr, QString());
    app.startupFlags = 290;
    if (!app.Init())
        return 5;
    Catalogue::applyDefaultPlaylistToRun(app);
    CConfigViewModel *config = Catalogue::createConfigViewModel(app);
    Catalogue::assembleCatalogue(app, *config);

    if (what == QLatin1String("vanish") || what == QLatin1String("replaced")) {
        const QString user = app.GetUserPath().toString();
        QDir(user).removeRecursively();
        if (what == QLatin1String("replaced")) {
            QFile stand(user);
            if (!stand.open(QIODevice::WriteOnly) || stand.write("not a directory\n") < 0)
                return 6;
        }
    }
    if (what != QLatin1String("playlist")) {
        for (int row = 0; row < config->allScenes()->rowCount(); ++row)
            qobject_cast<CSceneViewModel *>(config->allScenes()->at(row))->addTag(QStringLiteral("edited"));
    }
    if (what != QLatin1String("official")) {
        config->selectAllScenes();
        if (what != QLatin1String("playlist"))
            config->addPlaylist(QStringLiteral("Added"));
        CConfigViewModel::handleAboutToQuit();
    }
    printScenes(*config);
    std::printf("alive\n");
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("session"))
        return session(args.at(2));
    if (args.size() == 3 && args.at(1) == QLatin1String("setup"))
        return setUp(args.at(2));
    if (args.size() == 3 && args.at(1) == QLatin1String("loop"))
        return loop(args.at(2));
    if (args.size() == 4 && args.at(1) == QLatin1String("fulldisk"))
        return fullDisk(args.at(2), rlim_t(args.at(3).toULongLong()));
    std::fprintf(stderr, "usage: kvsavechild setup <dir> | loop <dir> | session <what> | fulldisk <dir> <bytes>\n");
    return 2;
}
