// Files from outside (downloaded scenes, odd scene folders, playlists naming
// anything at all) get a bounded, clean outcome: refused or shown empty,
// never a crash, a hang, gigabytes of memory or a write somewhere else.

#include "HostileArchive.h"
#include "JpegTestSupport.h"
#include "ReliabilityTestSupport.h"

#include "CAppTypeQt.h"
#include "CSceneImageProvider.h"
#include "CSceneViewModel.h"
#include "CatalogueBuilder.h"
#include "CPlaylistViewModel.h"
#include "QObjectListModel.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

using namespace Reliability;

namespace {

using JpegTest::jpeg;
using JpegTest::jpegClaiming;

QByteArray nestedArrays(int depth)
{
    return QByteArray(depth, '[') + QByteArray(depth, ']');
}

QByteArray nestedObjects(int depth)
{
    return QByteArray("{\"a\":").repeated(depth) + "1" + QByteArray(depth, '}');
}

QStringList sceneNames(const QList<CSceneViewModel *> &scenes)
{
    QStringList names;
    for (const CSceneViewModel *scene : scenes)
        names.append(scene->name());
    names.sort();
    return names;
}

bool isFifo(const QString &path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISFIFO(info.st_mode);
}

} // namespace

class tst_HostileInput : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void sceneMetadataBeyondTheLimitIsRefused_data();
    void sceneMetadataBeyondTheLimitIsRefused();
    void thumbnailBeyondTheLimitsIsNull_data();
    void thumbnailBeyondTheLimitsIsNull();
    void duplicateEntryNamesResolveToTheFirst();
    void nestedOrHugeJson_data();
    void nestedOrHugeJson();
    void undecodableEntryNamesKeepTheirBytes_data();
    void undecodableEntryNamesKeepTheirBytes();
    void undecodableFileNameIsListedButNeverWritten();
    void overlongEntryNamesAreNeverWritten_data();
    void overlongEntryNamesAreNeverWritten();
    void oddSceneDirectoryEntries();
    void playlistEntriesOutsideTheSceneDirectories();

private:
    QScopedPointer<QTemporaryDir> m_dir;
    QString path(const QString &name) const { return m_dir->filePath(name); }
};

void tst_HostileInput::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void tst_HostileInput::sceneMetadataBeyondTheLimitIsRefused_data()
{
    QTest::addColumn<QByteArray>("archive");
    const QByteArray metadata = sceneJson(QStringLiteral("Liar"));
    QTest::addRow("declares 4 GB") << hostileArchive({{"scene.json", metadata, true, true, 0xFFFFFFF0LL}});
    QTest::addRow("declares 2 MB") << hostileArchive({{"scene.json", metadata, false, true, 2 * 1024 * 1024}});
    // A few kilobytes in the archive, 64 MB once inflated, declared as 200 bytes.
    QByteArray bomb = metadata;
    bomb.insert(1, "\"pad\": \"" + QByteArray(64 * 1024 * 1024, ' ') + "\",");
    QTest::addRow("inflates far beyond what it declares") << hostileArchive({{"scene.json", bomb, true, true, 200}});
    QByteArray large = metadata;
    large.insert(1, "\"pad\": \"" + QByteArray(2 * 1024 * 1024, 'x') + "\",");
    QTest::addRow("2 MB of metadata, declared honestly") << hostileArchive({{"scene.json", large}});
}

void tst_HostileInput::sceneMetadataBeyondTheLimitIsRefused()
{
    QFETCH(QByteArray, archive);
    const QString file = path(QStringLiteral("liar.kvc"));
    QVERIFY(writeFile(file, archive));
    for (const bool keepContent : {false, true}) {
        CScene scene;
        QVERIFY(!scene.Load(file, keepContent));
        QVERIFY(scene.GetName().isEmpty());
        QCOMPARE(scene.GetPath(), file);
        // An edit of a scene that did not load leaves the file alone.
        scene.tagList.append(QStringLiteral("edit"));
        QVERIFY(!scene.Save(file, false));
        QCOMPARE(readFile(file), archive);
    }
}

void tst_HostileInput::thumbnailBeyondTheLimitsIsNull_data()
{
    QTest::addColumn<QByteArray>("archive");
    const QByteArray small = jpeg(8, 8, Qt::red);
    QTest::addRow("entry declares 4 GB") << hostileArchive({{"thumbnail.jpg", small, false, true, 0xFFFFFFF0LL}});
    QTest::addRow("entry inflates to 100 MB")
        << hostileArchive({{"thumbnail.jpg", small + QByteArray(100 * 1024 * 1024, '\0'), true, true, 300}});
    QTest::addRow("header claims 20000 x 20000") << hostileArchive({{"thumbnail.jpg", jpegClaiming(20000, 20000), false}});
    QTest::addRow("header claims 65000 x 2") << hostileArchive({{"thumbnail.jpg", jpegClaiming(65000, 2), false}});
    QTest::addRow("header claims 0 x 0") << hostileArchive({{"thumbnail.jpg", jpegClaiming(0, 0), false}});
}

void tst_HostileInput::thumbnailBeyondTheLimitsIsNull()
{
    QFETCH(QByteArray, archive);
    const QString file = path(QStringLiteral("liar.kvc"));
    QVERIFY(writeFile(file, archive));
    CSceneImageProvider provider;
    QSize size(-1, -1);
    const QImage image = provider.requestImage(file + QStringLiteral("#thumbnail.jpg"), &size, QSize());
    QVERIFY(image.isNull());
    QCOMPARE(size, QSize(0, 0));
}

void tst_HostileInput::duplicateEntryNamesResolveToTheFirst()
{
    const QString file = path(QStringLiteral("twins.kvc"));
    QVERIFY(writeFile(file, hostileArchive({
        {"scene.json", sceneJson(QStringLiteral("First"))},
        {"thumbnail.jpg", jpeg(8, 8, Qt::red), false},
        {"other.jpg", jpeg(2, 2, Qt::green), false},
        {"scene.json", sceneJson(QStringLiteral("Second"))},
        {"thumbnail.jpg", jpeg(4, 4, Qt::blue), false},
    })));

    // Whatever was asked before, the first entry of a name answers.
    CSceneImageProvider provider;
    const QStringList order = {QStringLiteral("thumbnail.jpg"), QStringLiteral("other.jpg"),
                               QStringLiteral("missing.jpg"), QStringLiteral("thumbnail.jpg"),
                               QStringLiteral("scene.json"), QStringLiteral("thumbnail.jpg")};
    for (const QString &entry : order) {
        QSize size;
        const QImage image = provider.requestImage(file + QLatin1Char('#') + entry, &size, QSize());
        if (entry == QLatin1String("thumbnail.jpg"))
            QCOMPARE(image.size(), QSize(8, 8));
    }
    for (int round = 0; round < 3; ++round) {
        for (const bool keepContent : {false, true}) {
            CScene scene;
            QVERIFY(scene.Load(file, keepContent));
            QCOMPARE(scene.GetName(), QStringLiteral("First"));
        }
    }

    // A tag edit keeps both twins, in their order, and the first still wins.
    CScene scene;
    QVERIFY(scene.Load(file, true));
    scene.tagList.append(QStringLiteral("edited"));
    QVERIFY(scene.Save(file, false));
    CScene reread;
    QVERIFY(reread.Load(file, false));
    QCOMPARE(reread.GetName(), QStringLiteral("First"));
    QSize size;
    QCOMPARE(provider.requestImage(file + QStringLiteral("#thumbnail.jpg"), &size, QSize()).size(), QSize(8, 8));
}

void tst_HostileInput::nestedOrHugeJson_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("json");
    for (const QString &kind : {QStringLiteral("scene"), QStringLiteral("playlist"), QStringLiteral("config")}) {
        QTest::addRow("%s: 200000 nested arrays", qPrintable(kind)) << kind << nestedArrays(200000);
        QTest::addRow("%s: 100000 nested objects", qPrintable(kind)) << kind << nestedObjects(100000);
    }
    QByteArray hugeScene = sceneJson(QStringLiteral("Huge"));
    hugeScene.insert(1, "\"tagsOfOld\": [" + QByteArray("\"t\",").repeated(300000) + "\"t\"],");
    QTest::addRow("scene: 1.2 MB of metadata") << QStringLiteral("scene") << hugeScene;
    const QByteArray entry = "{\"id\": \"x\", \"path\": \"/scenes/x.kvc\", \"typeFlags\": 1},";
    QTest::addRow("playlist: 20 MB") << QStringLiteral("playlist")
        << "{\"standalone\": [" + entry.repeated(20 * 1024 * 1024 / entry.size()) + "{}]}";
    QTest::addRow("config: 2 MB") << QStringLiteral("config")
        << "{\"pad\": \"" + QByteArray(2 * 1024 * 1024, 'x') + "\"}";
}

// Every reader refuses these: the scene does not load, the playlist stays
// empty and the configuration keeps its defaults, both moving the file aside.
void tst_HostileInput::nestedOrHugeJson()
{
    QFETCH(QString, kind);
    QFETCH(QByteArray, json);
    if (kind == QLatin1String("scene")) {
        const QString file = path(QStringLiteral("deep.kvc"));
        QVERIFY(writeFile(file, hostileArchive({{"scene.json", json}, {"thumbnail.jpg", "x"}})));
        CScene scene;
        QVERIFY(!scene.Load(file, false));
        QVERIFY(!scene.Load(file, true));
    } else if (kind == QLatin1String("playlist")) {
        const QString file = path(QStringLiteral("deep.kvp"));
        QVERIFY(writeFile(file, json));
        CPlaylist playlist;
        QVERIFY(!playlist.Load(file));
        QCOMPARE(playlist.totalScenes(), 0);
        QVERIFY(!QFileInfo::exists(file));
        QCOMPARE(readFile(playlist.SetAsidePath()), json);
    } else {
        const QString file = path(QStringLiteral("config.json"));
        QVERIFY(writeFile(file, json));
        CCfg config;
        QVERIFY(!config.Load(file));
        QCOMPARE(config.minSceneTime, CCfg().minSceneTime);
        QVERIFY(!QFileInfo::exists(file));
        const QStringList aside = QDir(m_dir->path()).entryList({QStringLiteral("config.json.corrupt-*")});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(readFile(path(aside.first())), json);
    }
}

void tst_HostileInput::undecodableEntryNamesKeepTheirBytes_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("utf8Flag");
    QTest::addRow("legacy code page") << QByteArray("caf\x82.txt") << false;
    QTest::addRow("invalid UTF-8, flagged as UTF-8") << QByteArray("\xff\xfe.bin") << true;
    QTest::addRow("NUL inside") << QByteArray("nul\0inside.txt", 15) << true;
    QTest::addRow("NUL alone") << QByteArray("\0", 1) << true;
    QTest::addRow("plain UTF-8") << QByteArray("caf\xc3\xa9.txt") << true;
}

// Names a scene author's archiver stored in a legacy code page, as bytes that
// are no UTF-8 at all, or with a NUL inside: the scene still loads for
// browsing, and a tag edit either carries the entry over under the very same
// bytes or is refused with the file untouched.
void tst_HostileInput::undecodableEntryNamesKeepTheirBytes()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, utf8Flag);
    const QString file = path(QStringLiteral("names.kvc"));
    const QByteArray original = hostileArchive({
        {"scene.json", sceneJson(QStringLiteral("Names"))},
        {name, "content under an odd name", true, utf8Flag},
        {"ok.txt", "plain"},
    });
    QVERIFY(writeFile(file, original));

    CScene browsing;
    QVERIFY(browsing.Load(file, false));
    QCOMPARE(browsing.GetName(), QStringLiteral("Names"));

    CScene scene;
    bool saved = false;
    if (scene.Load(file, true)) {
        scene.tagList.append(QStringLiteral("edited"));
        saved = scene.Save(file, false);
    }
    const QByteArray rewritten = readFile(file);
    if (!saved) {
        QCOMPARE(rewritten, original);
        return;
    }
    QCOMPARE(storedNames(rewritten), storedNames(original));
    CScene reread;
    QVERIFY(reread.Load(file, true));
    QVERIFY(reread.tagList.contains(QStringLiteral("edited")));
}

void tst_HostileInput::overlongEntryNamesAreNeverWritten_data()
{
    QTest::addColumn<QString>("name");
    QTest::addRow("65535 bytes, the most a zip name holds") << QString(65535, QLatin1Char('n'));
    QTest::addRow("65536 bytes") << QString(65536, QLatin1Char('n'));
    QTest::addRow("200000 bytes") << QString(200000, QLatin1Char('n'));
    QTest::addRow("a NUL inside") << QStringLiteral("before") + QChar(0) + QStringLiteral("after.txt");
}

// The zip writer cannot store a name longer than 16 bits of length, and takes
// names as C strings; such an entry must be refused, never written with a
// cut length field or a cut name.
void tst_HostileInput::overlongEntryNamesAreNeverWritten()
{
    QFETCH(QString, name);
    const QString file = path(QStringLiteral("long.kvc"));
    CScene scene;
    scene.SetName(QStringLiteral("Long"));
    scene.SetEntry(name, QByteArrayLiteral("content"));
    if (!scene.Save(file, true)) {
        QVERIFY(!QFileInfo::exists(file));
        return;
    }
    CScene reread;
    QVERIFY(reread.Load(file, true));
    QCOMPARE(reread.GetName(), QStringLiteral("Long"));
    // QuaZip looks up no name longer than 256 characters: walk the entries.
    QuaZip zip(file);
    QVERIFY(zip.open(QuaZip::mdUnzip));
    QStringList names;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFileInfo64 info;
        QVERIFY(zip.getCurrentFileInfo(&info));
        names.append(info.name);
    }
    QVERIFY(names.contains(name));
}

// A scene file whose name is not valid in the file system's encoding is
// listed like any file that fails to load; editing it never writes a file
// under some other name.
void tst_HostileInput::undecodableFileNameIsListedButNeverWritten()
{
    const QString scenes = path(QStringLiteral("scenes"));
    QVERIFY(QDir().mkpath(scenes));
    const QByteArray rawName = QFile::encodeName(scenes) + "/\xff\xfe-scene.kvc";
    const QByteArray archive = hostileArchive({{"scene.json", sceneJson(QStringLiteral("Raw"))}});
    {
        FILE *handle = std::fopen(rawName.constData(), "wb");
        QVERIFY(handle);
        std::fwrite(archive.constData(), 1, size_t(archive.size()), handle);
        std::fclose(handle);
    }
    const QStringList before = QDir(scenes).entryList(QDir::Files);

    // Qt cannot name such a file again, so it is not listed at all; were it
    // listed, its edits must not create a file under the garbled name.
    const QList<CSceneViewModel *> listed = Catalogue::buildSceneList(scenes, path(QStringLiteral("none")));
    QVERIFY(listed.size() <= 1);
    for (CSceneViewModel *scene : listed) {
        scene->addTag(QStringLiteral("edited"));
        scene->setRelicensingPossible(false);
    }
    QCOMPARE(QDir(scenes).entryList(QDir::Files), before);
    QCOMPARE(::access(rawName.constData(), F_OK), 0);
    qDeleteAll(listed);
    ::unlink(rawName.constData());   // QTemporaryDir cannot name it either
}

// Symbolic link loops, a pipe, a device, a dangling link, a folder and an
// empty file named like scenes: the walk ends, lists the real scene once
// and never opens the pipe (which would block it for ever).
void tst_HostileInput::oddSceneDirectoryEntries()
{
    const QString scenes = path(QStringLiteral("scenes"));
    const QString nested = scenes + QStringLiteral("/nested");
    QVERIFY(QDir().mkpath(nested));
    QVERIFY(writeFile(nested + QStringLiteral("/good.kvc"),
                      hostileArchive({{"scene.json", sceneJson(QStringLiteral("Good"))}})));
    QVERIFY(QFile::link(scenes, nested + QStringLiteral("/loop")));
    QVERIFY(QFile::link(QStringLiteral(".."), nested + QStringLiteral("/up")));
    QVERIFY(QFile::link(scenes + QStringLiteral("/self.kvc"), scenes + QStringLiteral("/self.kvc")));
    QVERIFY(QFile::link(scenes + QStringLiteral("/nowhere"), scenes + QStringLiteral("/dangling.kvc")));
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), scenes + QStringLiteral("/zero.kvc")));
    QVERIFY(QDir().mkpath(scenes + QStringLiteral("/folder.kvc")));
    QVERIFY(writeFile(scenes + QStringLiteral("/empty.kvc"), QByteArray()));
    QVERIFY(writeFile(scenes + QStringLiteral("/locked.kvc"), QByteArrayLiteral("PK")));
    QVERIFY(QFile::setPermissions(scenes + QStringLiteral("/locked.kvc"), QFileDevice::Permissions()));
    const QString pipe = scenes + QStringLiteral("/pipe.kvc");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);

    const QList<CSceneViewModel *> listed = Catalogue::buildSceneList(scenes, path(QStringLiteral("none")));
    const QStringList names = sceneNames(listed);
    QCOMPARE(names.count(QStringLiteral("Good")), 1);
    for (const QString &name : names)
        QVERIFY(name.isEmpty() || name == QLatin1String("Good"));

    // Edits of the entries that are no scene files write nothing.
    for (CSceneViewModel *scene : listed) {
        if (scene->name().isEmpty())
            scene->addTag(QStringLiteral("edited"));
    }
    QVERIFY(isFifo(pipe));
    QVERIFY(QFileInfo(scenes + QStringLiteral("/folder.kvc")).isDir());
    QCOMPARE(QFileInfo(scenes + QStringLiteral("/empty.kvc")).size(), 0);
    QCOMPARE(QFileInfo(scenes + QStringLiteral("/zero.kvc")).symLinkTarget(), QStringLiteral("/dev/zero"));
    QVERIFY(!QFileInfo::exists(scenes + QStringLiteral("/nowhere")));
    qDeleteAll(listed);
}

// A playlist may name any path at all. Only scenes of the catalogue are ever
// shown or touched; the paths it names elsewhere are never opened, and the
// next write of the playlist drops them.
void tst_HostileInput::playlistEntriesOutsideTheSceneDirectories()
{
    const QString user = path(QStringLiteral("user"));
    const QString scenes = user + QStringLiteral("/scenes");
    const QString playlists = user + QStringLiteral("/playlists");
    const QString outside = path(QStringLiteral("outside"));
    QVERIFY(QDir().mkpath(scenes) && QDir().mkpath(playlists) && QDir().mkpath(outside));
    qputenv("KELVRA_USER_DIR", QFile::encodeName(user));
    qputenv("KELVRA_APP_DIR", QFile::encodeName(path(QStringLiteral("app"))));
    CAppTypeQt app(nullptr, QString());

    const QString good = scenes + QStringLiteral("/good.kvc");
    QVERIFY(writeFile(good, hostileArchive({{"scene.json", sceneJson(QStringLiteral("Good"))}})));
    const QString stranger = outside + QStringLiteral("/stranger.kvc");
    const QByteArray strangerBytes = hostileArchive({{"scene.json", sceneJson(QStringLiteral("Stranger"))}});
    QVERIFY(writeFile(stranger, strangerBytes));
    const QString pipe = outside + QStringLiteral("/pipe.kvc");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0644), 0);

    const QString list = playlists + QStringLiteral("/Mixed.kvp");
    const auto entry = [](const QString &id, const QString &scenePath) {
        return QStringLiteral("{\"id\": \"%1\", \"path\": \"%2\", \"typeFlags\": 0}").arg(id, scenePath);
    };
    QVERIFY(writeFile(list, QStringLiteral("{\"standalone\": [%1, %2, %3, %4, %5, %6]}")
                                .arg(entry(QString(), stranger), entry(QStringLiteral("Stranger.id"), stranger),
                                     entry(QString(), pipe), entry(QString(), QStringLiteral("/dev/zero")),
                                     entry(QString(), scenes + QStringLiteral("/../../outside/stranger.kvc")),
                                     entry(QString(), good))
                                .toUtf8()));

    const QList<CSceneViewModel *> catalogue = Catalogue::buildSceneList(scenes, path(QStringLiteral("app/scenes")));
    QCOMPARE(sceneNames(catalogue), QStringList{QStringLiteral("Good")});
    QObjectListModel all;
    all.setObjects({catalogue.first()});

    CPlaylistViewModel playlist(list, QStringLiteral("Mixed"), PlaylistDirectory(playlists));
    QCOMPARE(playlist.scenesSelected(), 6);
    playlist.resolveScenes(&all);
    QCOMPARE(playlist.sceneList(), catalogue);
    playlist.save(true);

    CPlaylist written;
    QVERIFY(written.Load(list));
    // The entries that match no catalogue scene stay as they were; the
    // good scene is filed under its own type.
    QCOMPARE(written.totalScenes(), 6);
    QStringList kept;
    for (const PlaylistEntry *entry : written.standaloneEntries)
        kept.append(entry->scenePath);
    QCOMPARE(kept, (QStringList{stranger, stranger, pipe, QStringLiteral("/dev/zero"),
                                scenes + QStringLiteral("/../../outside/stranger.kvc")}));
    QCOMPARE(written.backgroundEntries.size(), 1);
    QCOMPARE(written.backgroundEntries.first()->scenePath, good);
    QCOMPARE(readFile(stranger), strangerBytes);
    QVERIFY(isFifo(pipe));
    QCOMPARE(QDir(outside).entryList(QDir::Files | QDir::System), (QStringList{QStringLiteral("pipe.kvc"), QStringLiteral("stranger.kvc")}));
    qDeleteAll(catalogue);
}

QTEST_GUILESS_MAIN(tst_HostileInput)
#include "tst_hostileinput.moc"
