#include "EngineTestSupport.h"
#include "CConfigViewModel.h"
#include "CSceneViewModel.h"

#include <quazip.h>
#include <quazipfile.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

using SceneEdit = std::function<void(CSceneViewModel &)>;
Q_DECLARE_METATYPE(SceneEdit)

namespace {

const QByteArray thumbnailBytes("thumbnail bytes that every edit must carry over");
const QDateTime longAgo(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);

struct SceneFile
{
    QString name = QStringLiteral("Abyss");
    quint32 typeFlags = CScene::Background;
    QStringList tags{QStringLiteral("Space"), QStringLiteral("Dark")};
    bool relicensing = true;
};

bool writeScene(const QString &path, const SceneFile &content)
{
    CScene scene;
    scene.SetId(QStringLiteral("id-") + content.name);
    scene.SetName(content.name);
    scene.SetAuthor(QStringLiteral("Mira Sol"));
    scene.SetDesc(QStringLiteral("Deep blue waves"));
    scene.SetLicenseType(QStringLiteral("CC BY-SA 4.0"));
    scene.typeFlags = content.typeFlags;
    scene.relicensingFlag = content.relicensing;
    scene.tagList = content.tags;
    scene.SetEntry(QStringLiteral("thumbnail.jpg"), thumbnailBytes);
    return scene.Save(path, true);
}

CScene readScene(const QString &path)
{
    CScene scene;
    scene.Load(path, false);
    return scene;
}

QByteArray readEntry(const QString &archive, const QString &entry)
{
    QuaZipFile file(archive, entry);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Atomic saves replace the file, so a fresh modification time shows a write.
bool markOld(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(longAgo, QFileDevice::FileModificationTime);
}

bool wasRewritten(const QString &path)
{
    return QFileInfo(path).lastModified() > longAgo.addDays(1);
}

} // namespace

class TestSceneViewModel : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void showsMetadataOfFile();
    void typeFromFirstTypeBitSet_data();
    void typeFromFirstTypeBitSet();
    void unreadableFileStillGivesEmptyScene_data();
    void unreadableFileStillGivesEmptyScene();
    void licenceIconFromLicenceType_data();
    void licenceIconFromLicenceType();
    void editsAreWrittenToFileAtOnce_data();
    void editsAreWrittenToFileAtOnce();
    void failedEditLeavesSceneAsOnDisk_data();
    void failedEditLeavesSceneAsOnDisk();
    void settersEmitOnlyOnChange();
    void editsGoToNewFilepathThroughFreshCopy();
    void watcherHearsChangesBeforeTheSignals();

private:
    QString scenePath(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSceneViewModel::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSceneViewModel::showsMetadataOfFile()
{
    const QString path = scenePath(QStringLiteral("abyss.kvc"));
    SceneFile content;
    content.relicensing = false;
    QVERIFY(writeScene(path, content));

    const CSceneViewModel scene(path, true);
    QCOMPARE(scene.name(), QStringLiteral("Abyss"));
    QCOMPARE(scene.author(), QStringLiteral("Mira Sol"));
    QCOMPARE(scene.id(), QStringLiteral("id-Abyss"));
    QCOMPARE(scene.description(), QStringLiteral("Deep blue waves"));
    QCOMPARE(scene.tags(), (QStringList{QStringLiteral("Space"), QStringLiteral("Dark")}));
    QCOMPARE(scene.relicensingPossible(), false);
    QCOMPARE(scene.licenseImage(), QStringLiteral("icons/cc-by-sa.png"));
    QCOMPARE(scene.licenseUrl(), CScene::GetLicenseUrl(QStringLiteral("CC BY-SA 4.0")));
    QCOMPARE(scene.filepath(), path);
    QVERIFY(scene.official());
    QVERIFY(!scene.selected());
    QCOMPARE(scene.parent(), nullptr);

    QVERIFY(!CSceneViewModel(path, false).official());
    QVERIFY(!CSceneViewModel().official());
}

void TestSceneViewModel::typeFromFirstTypeBitSet_data()
{
    QTest::addColumn<quint32>("typeFlags");
    QTest::addColumn<QString>("type");
    QTest::addColumn<int>("index");

    QTest::addRow("no type bit") << quint32(0) << "Standalone" << 0;
    QTest::addRow("background") << quint32(1) << "Background" << 1;
    QTest::addRow("foreground") << quint32(2) << "Foreground" << 2;
    QTest::addRow("postprocessing") << quint32(4) << "Postprocessing" << 3;
    QTest::addRow("transition") << quint32(8) << "Transition" << 4;
    QTest::addRow("background wins over transition") << quint32(1 | 8) << "Background" << 1;
    QTest::addRow("foreground wins over postprocessing") << quint32(2 | 4) << "Foreground" << 2;
    QTest::addRow("other bits only") << quint32(0x800 | 0x10) << "Standalone" << 0;
    QTest::addRow("other bits with transition") << quint32(0x800 | 8) << "Transition" << 4;
}

void TestSceneViewModel::typeFromFirstTypeBitSet()
{
    QFETCH(quint32, typeFlags);
    QFETCH(QString, type);
    QFETCH(int, index);

    const QString path = scenePath(QStringLiteral("typed.kvc"));
    SceneFile content;
    content.typeFlags = typeFlags;
    QVERIFY(writeScene(path, content));

    const CSceneViewModel scene(path, false);
    QCOMPARE(scene.type(), type);
    QCOMPARE(scene.sceneTypeAsIndex(), index);
    QCOMPARE(scene.scene().typeFlags, typeFlags);
}

void TestSceneViewModel::unreadableFileStillGivesEmptyScene_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("exists");

    QTest::addRow("missing file") << QByteArray() << false;
    QTest::addRow("not an archive") << QByteArray("plain text, not a zip") << true;
    QTest::addRow("empty file") << QByteArray() << true;
}

void TestSceneViewModel::unreadableFileStillGivesEmptyScene()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, exists);

    const QString path = scenePath(QStringLiteral("broken.kvc"));
    if (exists) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    const CSceneViewModel scene(path, false);
    QCOMPARE(scene.name(), QString());
    QCOMPARE(scene.tags(), QStringList());
    QCOMPARE(scene.type(), QStringLiteral("Standalone"));
    QCOMPARE(scene.licenseImage(), QString());
    QCOMPARE(scene.filepath(), path);
}

void TestSceneViewModel::licenceIconFromLicenceType_data()
{
    QTest::addColumn<QString>("licence");
    QTest::addColumn<QString>("icon");

    QTest::addRow("no licence") << "" << "";
    QTest::addRow("version 4.0 after a space") << "Ab Cd 4.0" << "icons/ab-cd.png";
    QTest::addRow("version 3.0 after a hyphen") << "CC-BY-3.0" << "icons/cc-by.png";
    QTest::addRow("no version") << "Ab-Cd" << "icons/ab-cd.png";
    QTest::addRow("other version kept") << "Ab Cd 2.5" << "icons/ab-cd-2.5.png";
    QTest::addRow("version without separator kept") << "Ab4.0" << "icons/ab4.0.png";
    QTest::addRow("every space becomes a hyphen") << "CC  BY" << "icons/cc--by.png";
    QTest::addRow("lower case after the replacements") << "CC BY-SA 3.0" << "icons/cc-by-sa.png";
}

void TestSceneViewModel::licenceIconFromLicenceType()
{
    QFETCH(QString, licence);
    QFETCH(QString, icon);

    CSceneViewModel scene;
    scene.scene().SetLicenseType(licence);
    QCOMPARE(scene.licenseImage(), icon);
    QCOMPARE(scene.licenseUrl(), CScene::GetLicenseUrl(licence));
}

void TestSceneViewModel::editsAreWrittenToFileAtOnce_data()
{
    QTest::addColumn<QStringList>("initialTags");
    QTest::addColumn<SceneEdit>("edit");
    QTest::addColumn<QStringList>("expectedTags");
    QTest::addColumn<bool>("expectedRelicensing");
    QTest::addColumn<QByteArray>("expectedSignal");

    const QStringList spaceDark{QStringLiteral("Space"), QStringLiteral("Dark")};
    const QByteArray tagsSignal = QMetaMethod::fromSignal(&CSceneViewModel::tagsChanged).methodSignature();
    const QByteArray relicensingSignal = QMetaMethod::fromSignal(&CSceneViewModel::relicensingPossibleChanged).methodSignature();

    QTest::addRow("add new tag")
        << spaceDark << SceneEdit([](CSceneViewModel &s) { s.addTag(QStringLiteral("Calm")); })
        << QStringList{"Space", "Dark", "Calm"} << true << tagsSignal;
    QTest::addRow("add present tag lists it twice")
        << spaceDark << SceneEdit([](CSceneViewModel &s) { s.addTag(QStringLiteral("Space")); })
        << QStringList{"Space", "Dark", "Space"} << true << tagsSignal;
    QTest::addRow("remove tag")
        << spaceDark << SceneEdit([](CSceneViewModel &s) { s.removeTag(QStringLiteral("Space")); })
        << QStringList{"Dark"} << true << tagsSignal;
    QTest::addRow("remove tag listed twice removes both")
        << QStringList{"Space", "Dark", "Space"} << SceneEdit([](CSceneViewModel &s) { s.removeTag(QStringLiteral("Space")); })
        << QStringList{"Dark"} << true << tagsSignal;
    QTest::addRow("remove absent tag still writes")
        << spaceDark << SceneEdit([](CSceneViewModel &s) { s.removeTag(QStringLiteral("Calm")); })
        << spaceDark << true << tagsSignal;
    QTest::addRow("remove is case-sensitive")
        << spaceDark << SceneEdit([](CSceneViewModel &s) { s.removeTag(QStringLiteral("space")); })
        << spaceDark << true << tagsSignal;
    QTest::addRow("relicensing turned off")
        << spaceDark << SceneEdit([](CSceneViewModel &s) { s.setRelicensingPossible(false); })
        << spaceDark << false << relicensingSignal;
    QTest::addRow("relicensing set to current value still writes")
        << spaceDark << SceneEdit([](CSceneViewModel &s) { s.setRelicensingPossible(true); })
        << spaceDark << true << relicensingSignal;
}

void TestSceneViewModel::editsAreWrittenToFileAtOnce()
{
    QFETCH(QStringList, initialTags);
    QFETCH(SceneEdit, edit);
    QFETCH(QStringList, expectedTags);
    QFETCH(bool, expectedRelicensing);
    QFETCH(QByteArray, expectedSignal);

    const QString path = scenePath(QStringLiteral("abyss.kvc"));
    SceneFile content;
    content.tags = initialTags;
    QVERIFY(writeScene(path, content));
    CSceneViewModel scene(path, false);
    QVERIFY(markOld(path));
    QSignalSpy tagsChanged(&scene, &CSceneViewModel::tagsChanged);
    QSignalSpy relicensingChanged(&scene, &CSceneViewModel::relicensingPossibleChanged);

    edit(scene);

    const QByteArray tagsSignal = QMetaMethod::fromSignal(&CSceneViewModel::tagsChanged).methodSignature();
    QCOMPARE(tagsChanged.count(), expectedSignal == tagsSignal ? 1 : 0);
    QCOMPARE(relicensingChanged.count(), expectedSignal == tagsSignal ? 0 : 1);
    QCOMPARE(scene.tags(), expectedTags);
    QCOMPARE(scene.relicensingPossible(), expectedRelicensing);

    QVERIFY(wasRewritten(path));
    const CScene file = readScene(path);
    QCOMPARE(file.GetTags(), expectedTags);
    QCOMPARE(file.relicensingFlag, expectedRelicensing);
    QCOMPARE(file.GetName(), QStringLiteral("Abyss"));
    QCOMPARE(readEntry(path, QStringLiteral("thumbnail.jpg")), thumbnailBytes);
}

void TestSceneViewModel::failedEditLeavesSceneAsOnDisk_data()
{
    enum Failure { Corrupted, Gone, DiskFull };
    QTest::addColumn<SceneEdit>("edit");
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("reason");

    const SceneEdit add([](CSceneViewModel &s) { s.addTag(QStringLiteral("Calm")); });
    const SceneEdit remove([](CSceneViewModel &s) { s.removeTag(QStringLiteral("Space")); });
    const SceneEdit relicense([](CSceneViewModel &s) { s.setRelicensingPossible(false); });

    QTest::addRow("add tag, file corrupted") << add << int(Corrupted) << "read";
    QTest::addRow("remove tag, file corrupted") << remove << int(Corrupted) << "read";
    QTest::addRow("relicensing, file corrupted") << relicense << int(Corrupted) << "read";
    QTest::addRow("add tag, file gone") << add << int(Gone) << "read";
    QTest::addRow("relicensing, file gone") << relicense << int(Gone) << "read";
    QTest::addRow("add tag, disk full") << add << int(DiskFull) << "written";
    QTest::addRow("remove tag, disk full") << remove << int(DiskFull) << "written";
    QTest::addRow("relicensing, disk full") << relicense << int(DiskFull) << "written";
}

// Saving what a failed load left would replace the user's scene with an empty
// one; a failed save leaves the old file. Either way the scene goes on
// showing what its file holds, and the user is told which scene and why.
void TestSceneViewModel::failedEditLeavesSceneAsOnDisk()
{
    enum Failure { Corrupted, Gone, DiskFull };
    QFETCH(SceneEdit, edit);
    QFETCH(int, failure);
    QFETCH(QString, reason);
    if (failure == DiskFull && !EngineTest::FileSizeLimit::supported())
        QSKIP("no way to make writes fail here");

    const QString path = scenePath(QStringLiteral("abyss.kvc"));
    QVERIFY(writeScene(path, SceneFile()));
    CSceneViewModel scene(path, false);
    QByteArray onDisk("overwritten by something else");
    if (failure == Gone) {
        QVERIFY(QFile::remove(path));
    } else if (failure == Corrupted) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(onDisk);
    } else {
        onDisk = readBytes(path);
    }
    QSignalSpy tagsChanged(&scene, &CSceneViewModel::tagsChanged);
    QSignalSpy relicensingChanged(&scene, &CSceneViewModel::relicensingPossibleChanged);
    // The user hears of it through the program's one message signal.
    CConfigViewModel config;
    CConfigViewModel::setInstance(&config);
    QSignalSpy editFailed(&config, &CConfigViewModel::messageRaised);
    const std::unique_ptr<CScenesFilterViewModel> proxy(config.filteredScenes());

    {
        std::unique_ptr<EngineTest::FileSizeLimit> diskFull;
        if (failure == DiskFull)
            diskFull = std::make_unique<EngineTest::FileSizeLimit>(1);
        edit(scene);
    }

    QCOMPARE(tagsChanged.count() + relicensingChanged.count(), 0);
    QCOMPARE(scene.tags(), (QStringList{"Space", "Dark"}));
    QCOMPARE(scene.relicensingPossible(), true);
    QCOMPARE(editFailed.count(), 1);
    const QString message = editFailed.first().first().toString();
    QVERIFY2(message.contains(QStringLiteral("Abyss")), qPrintable(message));
    // The engine's own words when it has them, else the plain reason that
    // fits: a file that could not be read is not said to be unwritable.
    const QString why = message.section(QStringLiteral(": "), -1);
    QVERIFY2(!why.isEmpty() && why != message, qPrintable(message));
    if (why.startsWith(QLatin1String("the file could not be")))
        QVERIFY2(why.endsWith(reason), qPrintable(message));

    QCOMPARE(QFileInfo::exists(path), failure != Gone);
    if (failure != Gone)
        QCOMPARE(readBytes(path), onDisk);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), failure == Gone ? QStringList() : QStringList{"abyss.kvc"});
}

void TestSceneViewModel::settersEmitOnlyOnChange()
{
    const QString path = scenePath(QStringLiteral("abyss.kvc"));
    QVERIFY(writeScene(path, SceneFile()));
    CSceneViewModel scene(path, false);
    QSignalSpy selectedChanged(&scene, &CSceneViewModel::selectedChanged);
    QSignalSpy filepathChanged(&scene, &CSceneViewModel::filepathChanged);

    scene.setSelected(false);
    QCOMPARE(selectedChanged.count(), 0);
    scene.setSelected(true);
    scene.setSelected(true);
    QCOMPARE(selectedChanged.count(), 1);
    QVERIFY(scene.selected());

    scene.setFilepath(path);
    QCOMPARE(filepathChanged.count(), 0);
    scene.setFilepath(path.toUpper());
    QCOMPARE(filepathChanged.count(), 1);
    QCOMPARE(scene.filepath(), path.toUpper());
    QCOMPARE(selectedChanged.count(), 1);
}

// The view model's own scene was read for browsing; an edit rewrites the file
// at the current path from a fresh copy of that file, not from memory.
void TestSceneViewModel::editsGoToNewFilepathThroughFreshCopy()
{
    const QString oldPath = scenePath(QStringLiteral("abyss.kvc"));
    const QString newPath = scenePath(QStringLiteral("moved.kvc"));
    QVERIFY(writeScene(oldPath, SceneFile()));
    SceneFile other;
    other.name = QStringLiteral("Nebula");
    other.tags = QStringList{QStringLiteral("Gas")};
    QVERIFY(writeScene(newPath, other));

    CSceneViewModel scene(oldPath, false);
    scene.setFilepath(newPath);
    QCOMPARE(scene.name(), QStringLiteral("Abyss"));

    scene.addTag(QStringLiteral("Calm"));
    QCOMPARE(scene.tags(), (QStringList{"Space", "Dark", "Calm"}));
    const CScene moved = readScene(newPath);
    QCOMPARE(moved.GetName(), QStringLiteral("Nebula"));
    QCOMPARE(moved.GetTags(), (QStringList{"Gas", "Calm"}));
    QCOMPARE(readScene(oldPath).GetTags(), (QStringList{"Space", "Dark"}));
}

namespace {

// Notes each change and whether the scene's own signal had gone out yet.
class RecordingWatcher : public SceneWatcher
{
public:
    QStringList heard;
    QSignalSpy *spy = nullptr;

    void sceneChanged(CSceneViewModel *, Change change) override
    {
        static const char *names[] = {"selection", "tags", "relicensing"};
        heard.append(QString::fromLatin1(names[int(change)]) + QLatin1Char('/') + QString::number(spy->count()));
    }
};

} // namespace

// The configuration view model counts on hearing a change before QML
// re-reads the scene, and a scene outliving its watcher must not call it.
void TestSceneViewModel::watcherHearsChangesBeforeTheSignals()
{
    const QString path = scenePath(QStringLiteral("abyss.kvc"));
    QVERIFY(writeScene(path, SceneFile()));
    CSceneViewModel scene(path, false);
    QSignalSpy anySignal(&scene, &CSceneViewModel::selectedChanged);
    QSignalSpy tagsChanged(&scene, &CSceneViewModel::tagsChanged);
    QSignalSpy relicensingChanged(&scene, &CSceneViewModel::relicensingPossibleChanged);
    auto *watcher = new RecordingWatcher;
    watcher->spy = &anySignal;
    scene.setWatcher(watcher);

    scene.setSelected(true);
    scene.setSelected(true);
    watcher->spy = &tagsChanged;
    scene.addTag(QStringLiteral("Calm"));
    watcher->spy = &relicensingChanged;
    scene.setRelicensingPossible(false);
    QCOMPARE(watcher->heard, (QStringList{"selection/0", "tags/0", "relicensing/0"}));
    QCOMPARE(anySignal.count() + tagsChanged.count() + relicensingChanged.count(), 3);

    delete watcher;
    QCOMPARE(scene.watcher(), nullptr);
    scene.setSelected(false);
    QCOMPARE(anySignal.count(), 2);
}

QTEST_GUILESS_MAIN(TestSceneViewModel)
#include "tst_sceneviewmodel.moc"
