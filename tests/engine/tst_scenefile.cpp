#include "ZipTestSupport.h"

#include <CScene.h>

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <zlib.h>

using namespace EngineTest;

namespace {

const QString kMetadata = QStringLiteral("scene.json");

QByteArray metadataJson(const QJsonObject &object)
{
    return QJsonDocument(object).toJson();
}

QJsonObject typicalMetadata()
{
    return QJsonObject{
        {"id", "kv.test"}, {"name", "Test Scene"}, {"author", "Ada"},
        {"description", "A scene"}, {"license", "CC BY 4.0"},
        {"tags", QJsonArray{"Calm", "Water"}}, {"typeFlags", 2},
        {"relicensing", true}, {"date", "2024-05-06T07:08:09"},
    };
}

// A scene as an author's tool might write it: several methods and levels, a
// directory entry, comments, and content after the metadata.
QList<ZipEntry> richScene(const QJsonObject &metadata)
{
    ZipEntry thumbnail{QStringLiteral("thumbnail.jpg"), randomBytes(5000, 1), 0, 0, QString()};
    ZipEntry folder{QStringLiteral("content/"), QByteArray(), 0, 0, QString()};
    ZipEntry shader{QStringLiteral("content/main.frag"),
                    QByteArray("void main() { gl_FragColor = vec4(1.0); }\n").repeated(200),
                    Z_DEFLATED, 9, QStringLiteral("the fragment shader")};
    ZipEntry fast{QStringLiteral("content/mesh.bin"), randomBytes(70000, 2).repeated(2), Z_DEFLATED, 1, QString()};
    ZipEntry unicode{QStringLiteral("content/Grüße ✓.txt"), QByteArray("hello"), Z_DEFLATED,
                     Z_DEFAULT_COMPRESSION, QString()};
    ZipEntry meta{kMetadata, metadataJson(metadata), Z_DEFLATED, Z_DEFAULT_COMPRESSION, QString()};
    return {thumbnail, meta, folder, shader, fast, unicode};
}

// Patches the sizes the central directory declares for an entry.
void setDeclaredSizes(QByteArray &archive, const QString &name, quint32 compressed, quint32 uncompressed)
{
    const QByteArray utf8 = name.toUtf8();
    for (int at = archive.indexOf("PK\x01\x02"); at >= 0; at = archive.indexOf("PK\x01\x02", at + 4)) {
        const int nameLength = quint8(archive[at + 28]) | (quint8(archive[at + 29]) << 8);
        if (archive.mid(at + 46, nameLength) != utf8)
            continue;
        for (int i = 0; i < 4; ++i) {
            archive[at + 20 + i] = char((compressed >> (8 * i)) & 0xFF);
            archive[at + 24 + i] = char((uncompressed >> (8 * i)) & 0xFF);
        }
        return;
    }
    QFAIL("entry not found in the central directory");
}

void expectEmptyScene(const CScene &scene)
{
    QVERIFY(scene.GetId().isEmpty());
    QVERIFY(scene.GetName().isEmpty());
    QVERIFY(scene.GetAuthor().isEmpty());
    QVERIFY(scene.GetDesc().isEmpty());
    QVERIFY(scene.GetLicenseType().isEmpty());
    QVERIFY(scene.GetTags().isEmpty());
    QCOMPARE(scene.typeFlags, 0u);
    QCOMPARE(scene.sceneDate.year, quint16(0));
    QCOMPARE(scene.sceneDate.second, quint16(0));
}

} // namespace

class tst_SceneFile : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("scene-%1.kvc").arg(m_counter++));
    }

    void createdSceneReadsBack()
    {
        CScene scene;
        scene.SetId(QStringLiteral("kv.aurora"));
        scene.SetName(QStringLiteral("Aurora – Nordlicht ✦"));
        scene.SetAuthor(QStringLiteral("Mira"));
        scene.SetDesc(QStringLiteral("Green curtains\nof light"));
        scene.SetLicenseType(QStringLiteral("CC BY-SA 4.0"));
        scene.tagList = QStringList{QStringLiteral("Calm"), QStringLiteral("Calm"), QStringLiteral("Nature")};
        scene.typeFlags = 0x80000801u;
        scene.relicensingFlag = false;
        scene.sceneDate = SceneDate{2023, 12, 31, 23, 59, 58};
        scene.SetEntry(QStringLiteral("thumbnail.jpg"), randomBytes(1000, 3));
        scene.SetEntry(QStringLiteral("scene.json"), QByteArray("reserved, never written"));
        QVERIFY(scene.Save(m_path, true));

        CScene loaded;
        QVERIFY(loaded.Load(m_path, false));
        QCOMPARE(loaded.GetPath(), m_path);
        QCOMPARE(loaded.GetId(), scene.GetId());
        QCOMPARE(loaded.GetName(), scene.GetName());
        QCOMPARE(loaded.GetAuthor(), scene.GetAuthor());
        QCOMPARE(loaded.GetDesc(), scene.GetDesc());
        QCOMPARE(loaded.GetLicenseType(), scene.GetLicenseType());
        QCOMPARE(loaded.GetTags(), scene.tagList);
        QCOMPARE(loaded.typeFlags, 0x80000801u);
        QCOMPARE(loaded.relicensingFlag, false);
        QCOMPARE(loaded.sceneDate.year, quint16(2023));
        QCOMPARE(loaded.sceneDate.month, quint16(12));
        QCOMPARE(loaded.sceneDate.day, quint16(31));
        QCOMPARE(loaded.sceneDate.hour, quint16(23));
        QCOMPARE(loaded.sceneDate.minute, quint16(59));
        QCOMPARE(loaded.sceneDate.second, quint16(58));
        QCOMPARE(entryData(m_path, QStringLiteral("thumbnail.jpg")), randomBytes(1000, 3));

        // The metadata is a plain JSON object, one scene.json only.
        const QList<RawEntry> entries = rawEntries(m_path);
        QCOMPARE(entries.size(), 2);
        const QJsonObject json = QJsonDocument::fromJson(entryData(m_path, kMetadata)).object();
        QCOMPARE(json.value("date").toString(), QStringLiteral("2023-12-31T23:59:58"));
        QCOMPARE(json.value("typeFlags").toDouble(), double(0x80000801u));
    }

    void datesOutsideFourDigitsReadBack()
    {
        CScene scene;
        scene.sceneDate = SceneDate{65535, 13, 0, 99, 0, 7};   // odd, but what the record can hold
        QVERIFY(scene.Save(m_path, true));
        CScene loaded;
        QVERIFY(loaded.Load(m_path, false));
        QCOMPARE(loaded.sceneDate.year, quint16(65535));
        QCOMPARE(loaded.sceneDate.month, quint16(13));
        QCOMPARE(loaded.sceneDate.hour, quint16(99));
    }

    void editKeepsEveryOtherEntry_data()
    {
        QTest::addColumn<bool>("keepContent");
        QTest::addColumn<QString>("edit");
        QTest::addRow("tag added after loading for editing") << true << "addTag";
        QTest::addRow("tag removed after loading for editing") << true << "removeTag";
        QTest::addRow("relicensing cleared after loading for editing") << true << "relicensing";
        QTest::addRow("tag added after loading for browsing") << false << "addTag";
        QTest::addRow("nothing changed after loading for browsing") << false << "none";
    }

    void editKeepsEveryOtherEntry()
    {
        QFETCH(bool, keepContent);
        QFETCH(QString, edit);
        QJsonObject metadata = typicalMetadata();
        metadata.insert("shaderModel", 5);
        metadata.insert("future", QJsonObject{{"layers", QJsonArray{1, "two", true}}});
        QVERIFY(writeFile(m_path, makeArchive(richScene(metadata))));
        const QList<RawEntry> before = withoutFirst(rawEntries(m_path), kMetadata);
        QCOMPARE(before.size(), 5);

        CScene scene;
        QVERIFY(scene.Load(m_path, keepContent));
        if (edit == QLatin1String("addTag"))
            scene.tagList.append(QStringLiteral("Edited"));
        else if (edit == QLatin1String("removeTag"))
            scene.tagList.removeAll(QStringLiteral("Calm"));
        else if (edit == QLatin1String("relicensing"))
            scene.relicensingFlag = false;
        QVERIFY(scene.Save(m_path, false));

        QCOMPARE(withoutFirst(rawEntries(m_path), kMetadata), before);
        const QJsonObject saved = QJsonDocument::fromJson(entryData(m_path, kMetadata)).object();
        QCOMPARE(saved.value("shaderModel"), QJsonValue(5));
        QCOMPARE(saved.value("future"), metadata.value("future"));

        CScene reloaded;
        QVERIFY(reloaded.Load(m_path, true));
        QCOMPARE(reloaded.GetName(), QStringLiteral("Test Scene"));
        QCOMPARE(reloaded.GetTags().contains(QStringLiteral("Edited")), edit == QLatin1String("addTag"));
        QCOMPARE(reloaded.GetTags().contains(QStringLiteral("Calm")), edit != QLatin1String("removeTag"));
        QCOMPARE(reloaded.relicensingFlag, edit != QLatin1String("relicensing"));
    }

    // Qt holds JSON numbers as doubles; keys of a later version must come
    // back digit for digit after a tag edit.
    void unknownNumbersKeepEveryDigit()
    {
        QJsonObject metadata = typicalMetadata();
        metadata.insert("buildId", "@build");
        metadata.insert("future", QJsonObject{{"gamma", "@gamma"}});
        const QByteArray json = metadataJson(metadata)
                                    .replace("\"@build\"", "9007199254740993")
                                    .replace("\"@gamma\"", "0.1000000000000000055511151231257827");
        ZipEntry entry{kMetadata, json, Z_DEFLATED, Z_DEFAULT_COMPRESSION, QString()};
        QVERIFY(writeFile(m_path, makeArchive({entry})));
        CScene scene;
        QVERIFY(scene.Load(m_path, true));
        scene.tagList.append(QStringLiteral("Edited"));
        QVERIFY(scene.Save(m_path, false));
        const QByteArray saved = entryData(m_path, kMetadata);
        QVERIFY2(saved.contains("\"buildId\":9007199254740993"), saved.constData());
        QVERIFY2(saved.contains("{\"gamma\":0.1000000000000000055511151231257827}"), saved.constData());
    }

    // Indented, 520 nested arrays take more than the reader's 1 MiB.
    void deepUnknownKeySurvivesATagEdit()
    {
        const QByteArray deep = QByteArray(520, '[') + QByteArray(520, ']');
        const QByteArray json = metadataJson(typicalMetadata()).replace("{", "{\"deep\": " + deep + ",");
        QVERIFY(writeFile(m_path, makeArchive({ZipEntry{kMetadata, json, Z_DEFLATED, Z_DEFAULT_COMPRESSION, QString()}})));
        CScene scene;
        QVERIFY(scene.Load(m_path, true));
        scene.tagList.append(QStringLiteral("Edited"));
        QVERIFY(scene.Save(m_path, false));
        CScene reloaded;
        QVERIFY(reloaded.Load(m_path, false));
        QVERIFY(reloaded.GetTags().contains(QStringLiteral("Edited")));
        QVERIFY(entryData(m_path, kMetadata).contains("\"deep\":" + deep));
    }

    // Everything Save writes, Load takes back: metadata that would grow past
    // the reader's limit is not written and the scene says why.
    void metadataTooLargeToReadBackIsNotWritten()
    {
        QJsonObject metadata = typicalMetadata();
        metadata.insert("padding", QString());
        const int overhead = metadataJson(metadata).size();
        metadata.insert("padding", QString(int(SceneMetadataSchema::kMaxBytes) - overhead - 10, QLatin1Char('x')));
        QVERIFY(writeFile(m_path, makeArchive(richScene(metadata))));
        const QByteArray before = readFile(m_path);
        CScene scene;
        QVERIFY(scene.Load(m_path, true));
        scene.tagList.append(QString(200, QLatin1Char('t')));
        QVERIFY(!scene.Save(m_path, false));
        QCOMPARE(scene.LastError(), QStringLiteral("the scene's metadata would be too large"));
        QCOMPARE(readFile(m_path), before);
        scene.tagList.removeLast();
        QVERIFY(scene.Save(m_path, false));
        QVERIFY(scene.LastError().isEmpty());
    }

    void tagsBeyondTheBoundsAreCutAndNeverWritten_data()
    {
        QTest::addColumn<QStringList>("tags");
        QTest::addColumn<QStringList>("browsed");
        const QString longest(SceneMetadataSchema::kMaxTagLength, QLatin1Char('a'));
        QStringList most;
        for (int i = 0; i < SceneMetadataSchema::kMaxTags; ++i)
            most.append(QString::number(i) + longest.mid(QString::number(i).size()));
        QTest::addRow("at the bounds") << most << most;
        QTest::addRow("one tag too many") << (most + QStringList{QStringLiteral("extra")}) << most;
        QTest::addRow("one character too long")
            << QStringList{QStringLiteral("Calm"), longest + QLatin1Char('b')} << QStringList{QStringLiteral("Calm"), longest};
        const QString pairAtTheCut = longest.left(SceneMetadataSchema::kMaxTagLength - 1) + QStringLiteral("\U0001F600");
        QTest::addRow("cut before a surrogate pair")
            << QStringList{pairAtTheCut} << QStringList{pairAtTheCut.left(SceneMetadataSchema::kMaxTagLength - 1)};
    }

    void tagsBeyondTheBoundsAreCutAndNeverWritten()
    {
        QFETCH(QStringList, tags);
        QFETCH(QStringList, browsed);
        QJsonObject metadata = typicalMetadata();
        metadata.insert("tags", QJsonArray::fromStringList(tags));
        QVERIFY(writeFile(m_path, makeArchive(richScene(metadata))));
        const QByteArray before = readFile(m_path);
        const bool cut = tags != browsed;

        CScene scene;
        QVERIFY(scene.Load(m_path, false));
        QCOMPARE(scene.GetTags(), browsed);
        QCOMPARE(scene.TagsTruncated(), cut);
        QVERIFY(scene.Load(m_path, true));
        QCOMPARE(scene.TagsTruncated(), cut);
        if (cut) {
            QVERIFY(!scene.Save(m_path, false));
            QCOMPARE(scene.LastError(), QStringLiteral("the scene has more tags than this program edits"));
            QVERIFY(!scene.Save(m_path, true));
        } else {
            // The writer keeps to the same bounds: one more tag would not read back.
            scene.tagList.append(QStringLiteral("one more"));
            QVERIFY(!scene.Save(m_path, false));
            QVERIFY(!scene.LastError().isEmpty());
        }
        QCOMPARE(readFile(m_path), before);
    }

    void setEntryReplacesOnlyThatEntry()
    {
        QVERIFY(writeFile(m_path, makeArchive(richScene(typicalMetadata()))));
        const QList<RawEntry> before = rawEntries(m_path);
        CScene scene;
        QVERIFY(scene.Load(m_path, true));
        scene.SetEntry(QStringLiteral("thumbnail.jpg"), QByteArray("new picture"));
        scene.SetEntry(QStringLiteral("content/extra.txt"), QByteArray("added"));
        QVERIFY(scene.Save(m_path, false));

        const QList<RawEntry> after = rawEntries(m_path);
        QCOMPARE(after.size(), before.size() + 1);
        QCOMPARE(after.at(0).name, QStringLiteral("thumbnail.jpg"));   // replaced in place
        QCOMPARE(entryData(m_path, QStringLiteral("thumbnail.jpg")), QByteArray("new picture"));
        QCOMPARE(entryData(m_path, QStringLiteral("content/extra.txt")), QByteArray("added"));
        for (int i = 2; i < before.size(); ++i)
            QCOMPARE(after.at(i), before.at(i));
    }

    void saveAsNewCarriesTheLoadedContent_data()
    {
        QTest::addColumn<bool>("keepContent");
        QTest::addColumn<bool>("createNew");
        QTest::addRow("browsed, saved new") << false << true;
        QTest::addRow("edited, saved new") << true << true;
        QTest::addRow("edited, saved over nothing") << true << false;
    }

    void saveAsNewCarriesTheLoadedContent()
    {
        QFETCH(bool, keepContent);
        QFETCH(bool, createNew);
        QVERIFY(writeFile(m_path, makeArchive(richScene(typicalMetadata()))));
        CScene scene;
        QVERIFY(scene.Load(m_path, keepContent));
        const QString copy = m_dir.filePath(QStringLiteral("copy-%1.kvc").arg(m_counter++));
        QVERIFY(scene.Save(copy, createNew));
        QCOMPARE(withoutFirst(rawEntries(copy), kMetadata), withoutFirst(rawEntries(m_path), kMetadata));
    }

    void saveOverAnotherSceneKeepsItsContent()
    {
        // Rewriting an archive the object was not loaded from: that archive's
        // entries and unknown keys stay, the metadata becomes the object's.
        QJsonObject metadata = typicalMetadata();
        metadata.insert("engineHint", "keep me");
        QVERIFY(writeFile(m_path, makeArchive(richScene(metadata))));
        const QList<RawEntry> before = withoutFirst(rawEntries(m_path), kMetadata);
        CScene scene;
        scene.SetName(QStringLiteral("Renamed"));
        QVERIFY(scene.Save(m_path, false));
        QCOMPARE(withoutFirst(rawEntries(m_path), kMetadata), before);
        const QJsonObject saved = QJsonDocument::fromJson(entryData(m_path, kMetadata)).object();
        QCOMPARE(saved.value("name").toString(), QStringLiteral("Renamed"));
        QCOMPARE(saved.value("engineHint").toString(), QStringLiteral("keep me"));
    }

    void firstMetadataEntryWinsAndDuplicatesAreKept()
    {
        QJsonObject second = typicalMetadata();
        second.insert("name", "Second");
        QList<ZipEntry> entries = richScene(typicalMetadata());
        entries.append(ZipEntry{kMetadata, metadataJson(second), Z_DEFLATED, Z_DEFAULT_COMPRESSION, QString()});
        entries.append(ZipEntry{QStringLiteral("Scene.JSON"), QByteArray("{\"name\": \"Upper\"}"),
                                Z_DEFLATED, Z_DEFAULT_COMPRESSION, QString()});
        QVERIFY(writeFile(m_path, makeArchive(entries)));
        const QList<RawEntry> before = withoutFirst(rawEntries(m_path), kMetadata);

        for (bool keepContent : {false, true}) {
            CScene scene;
            QVERIFY(scene.Load(m_path, keepContent));
            QCOMPARE(scene.GetName(), QStringLiteral("Test Scene"));
        }
        CScene scene;
        QVERIFY(scene.Load(m_path, true));
        scene.SetName(QStringLiteral("Edited"));
        QVERIFY(scene.Save(m_path, false));
        QCOMPARE(withoutFirst(rawEntries(m_path), kMetadata), before);
        QVERIFY(scene.Load(m_path, false));
        QCOMPARE(scene.GetName(), QStringLiteral("Edited"));
    }

    void unusualButValidArchivesRead_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray json = metadataJson(typicalMetadata());
        QTest::addRow("usual layout") << makeArchive(richScene(typicalMetadata()));
        QTest::addRow("metadata stored") << makeArchive({ZipEntry{kMetadata, json, 0, 0, QString()}});
        QTest::addRow("metadata last") << makeArchive({ZipEntry{QStringLiteral("a.bin"), QByteArray(9000, 'a'),
                                                                Z_DEFLATED, 9, QString()},
                                                       ZipEntry{kMetadata, json, Z_DEFLATED, 1, QString()}});
        ArchiveOptions commented;
        commented.comment = QStringLiteral("made by hand");
        QTest::addRow("archive comment") << makeArchive({ZipEntry{kMetadata, json}}, commented);
        commented.comment = QString(65535, QLatin1Char('c'));
        QTest::addRow("longest archive comment") << makeArchive(richScene(typicalMetadata()), commented);
    }

    void unusualButValidArchivesRead()
    {
        // Browsing and editing read the same metadata, whichever way the
        // archive is laid out.
        QFETCH(QByteArray, bytes);
        QVERIFY(writeFile(m_path, bytes));
        for (bool keepContent : {false, true}) {
            CScene scene;
            QVERIFY(scene.Load(m_path, keepContent));
            QCOMPARE(scene.GetName(), QStringLiteral("Test Scene"));
            QCOMPARE(scene.GetTags(), QStringList({"Calm", "Water"}));
            QCOMPARE(scene.sceneDate.second, quint16(9));
        }
    }

    void metadataNameIsCaseSensitive()
    {
        QVERIFY(writeFile(m_path, makeArchive({ZipEntry{QStringLiteral("SCENE.JSON"),
                                                        metadataJson(typicalMetadata()), Z_DEFLATED,
                                                        Z_DEFAULT_COMPRESSION, QString()}})));
        CScene scene;
        QVERIFY(!scene.Load(m_path, false));
    }

    void unreadableFilesGiveAnEmptyScene_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = makeArchive(richScene(typicalMetadata()));
        QTest::addRow("empty file") << QByteArray();
        QTest::addRow("plain text") << QByteArray("this is not a zip archive\n");
        QTest::addRow("truncated to half") << good.left(good.size() / 2);
        QTest::addRow("central directory cut off") << good.left(good.size() - 30);
        QTest::addRow("no scene.json") << makeArchive({ZipEntry{QStringLiteral("thumbnail.jpg"),
                                                                QByteArray("x"), 0, 0, QString()}});

        auto withMetadata = [](const QByteArray &json) {
            return makeArchive({ZipEntry{kMetadata, json, Z_DEFLATED, Z_DEFAULT_COMPRESSION, QString()}});
        };
        QTest::addRow("metadata not JSON") << withMetadata("{\"name\": ");
        QTest::addRow("metadata an array") << withMetadata("[1, 2]");
        const QList<QPair<const char *, QJsonValue>> wrongTypes = {
            {"name", 5}, {"id", QJsonArray{}}, {"author", true}, {"description", QJsonValue::Null},
            {"license", 4.0}, {"tags", "Calm"}, {"tags", QJsonArray{"Calm", 3}},
            {"typeFlags", "2"}, {"typeFlags", -1}, {"typeFlags", 1.5}, {"typeFlags", 4294967296.0},
            {"relicensing", "yes"}, {"relicensing", 1}, {"date", 20240101},
            {"date", "yesterday"}, {"date", "2024-01-01 10:00:00"}, {"date", "2024-01-01T99999:00:00"},
        };
        for (const auto &wrong : wrongTypes) {
            QJsonObject metadata = typicalMetadata();
            metadata.insert(QLatin1String(wrong.first), wrong.second);
            QTest::addRow("%s is %s", wrong.first,
                          QJsonDocument(QJsonArray{wrong.second}).toJson(QJsonDocument::Compact).constData())
                << withMetadata(metadataJson(metadata));
        }

        QByteArray huge = withMetadata(metadataJson(typicalMetadata()));
        setDeclaredSizes(huge, kMetadata, 3000000000u, 3000000000u);
        QTest::addRow("metadata declared as 3 GB") << huge;

        // Small on the outside, more than the limit once inflated.
        QJsonObject padded = typicalMetadata();
        padded.insert("padding", QString(3 * 1024 * 1024, QLatin1Char(' ')));
        QTest::addRow("metadata inflating to 3 MiB") << withMetadata(metadataJson(padded));
        QByteArray lying = withMetadata(metadataJson(padded));
        setDeclaredSizes(lying, kMetadata, quint32(lying.size()), 100);
        QTest::addRow("metadata declared smaller than it inflates") << lying;

        QByteArray flipped = withMetadata(metadataJson(typicalMetadata()));
        flipped[40] = char(flipped[40] ^ 0x5A);   // inside the compressed metadata
        QTest::addRow("metadata bytes damaged") << flipped;
    }

    void unreadableFilesGiveAnEmptyScene()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(writeFile(m_path, bytes));
        for (bool keepContent : {false, true}) {
            CScene scene;
            scene.SetName(QStringLiteral("left over"));
            scene.tagList = QStringList{QStringLiteral("left over")};
            QVERIFY(!scene.Load(m_path, keepContent));
            expectEmptyScene(scene);
            QCOMPARE(scene.GetPath(), m_path);
        }
        // An edit of such a file is refused rather than written over it.
        CScene scene;
        scene.Load(m_path, true);
        scene.tagList.append(QStringLiteral("Edited"));
        QVERIFY(!scene.Save(m_path, false));
        QCOMPARE(readFile(m_path), bytes);
    }

    void pathsThatAreNotFiles_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addRow("missing") << "missing.kvc";
        QTest::addRow("directory") << ".";
    }

    void pathsThatAreNotFiles()
    {
        QFETCH(QString, relative);
        const QString path = m_dir.filePath(relative);
        CScene scene;
        QVERIFY(!scene.Load(path, true));
        expectEmptyScene(scene);
    }

    void entriesThatCannotBeCopiedBlockEdits_data()
    {
        // Editing needs every entry copied as it is stored. An encrypted entry
        // cannot be (its encryption header is not carried over); names and
        // comments written by an archiver that does not flag UTF-8 would be
        // stored as different bytes by a rewrite.
        QTest::addColumn<QByteArray>("bytes");
        const ZipEntry metadata{kMetadata, metadataJson(typicalMetadata())};
        ZipEntry locked{QStringLiteral("locked.bin"), QByteArray("secret content")};
        locked.password = "pw";
        QTest::addRow("encrypted entry") << makeArchive({metadata, locked});
        ArchiveOptions legacy;   // Latin-1 bytes, UTF-8 flag clear
        legacy.legacyCodec = "ISO-8859-1";
        const auto legacyEntry = [&](const QString &name, const QString &comment) {
            ZipEntry content{name, QByteArray("content")};
            content.comment = comment;
            return makeArchive({metadata, content}, legacy);
        };
        QTest::addRow("legacy code page name") << legacyEntry(QString::fromLatin1("caf\x82.txt"), QString());
        QTest::addRow("UTF-8 bytes without the flag")
            << legacyEntry(QString::fromLatin1("Gr\xc3\xbc\xc3\x9f" "e.txt"), QString());
        QTest::addRow("legacy comment")
            << legacyEntry(QStringLiteral("plain.txt"), QString::fromLatin1("d\xe9j\xe0 vu"));
    }

    void entriesThatCannotBeCopiedBlockEdits()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(!bytes.isEmpty());
        QVERIFY(writeFile(m_path, bytes));

        CScene browsing;
        QVERIFY(browsing.Load(m_path, false));
        browsing.tagList.append(QStringLiteral("Edited"));
        QVERIFY(!browsing.Save(m_path, false));
        QCOMPARE(readFile(m_path), bytes);
        CScene editing;
        QVERIFY(!editing.Load(m_path, true));
        QVERIFY(!editing.Save(m_path, false));
        QCOMPARE(readFile(m_path), bytes);
    }

    void metadataCommentDoesNotDecideBrowsing_data()
    {
        // A legacy comment on "scene.json" itself: the metadata reads the
        // same whether the archive takes the fast way (no archive comment)
        // or the zip library's (with one); an edit is refused either way.
        QTest::addColumn<QString>("archiveComment");
        QTest::addRow("usual layout") << QString();
        QTest::addRow("archive comment") << QStringLiteral("made by hand");
    }

    void metadataCommentDoesNotDecideBrowsing()
    {
        QFETCH(QString, archiveComment);
        ZipEntry metadata{kMetadata, metadataJson(typicalMetadata())};
        metadata.comment = QString::fromLatin1("d\xe9j\xe0 vu");
        ArchiveOptions options;
        options.legacyCodec = "ISO-8859-1";
        options.comment = archiveComment;
        const QByteArray bytes = makeArchive({metadata, ZipEntry{QStringLiteral("content.bin"), "content"}}, options);
        QVERIFY(writeFile(m_path, bytes));

        CScene browsing;
        QVERIFY(browsing.Load(m_path, false));
        QCOMPARE(browsing.GetName(), typicalMetadata().value("name").toString());
        browsing.tagList.append(QStringLiteral("Edited"));
        QVERIFY(!browsing.Save(m_path, false));
        CScene editing;
        QVERIFY(!editing.Load(m_path, true));
        QCOMPARE(readFile(m_path), bytes);
    }

    void namesTooLongForTheFormatAreRefused_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("fits");
        QTest::addRow("65535 bytes") << 65535 << true;
        QTest::addRow("65536 bytes") << 65536 << false;
        QTest::addRow("200000 bytes") << 200000 << false;
    }

    void namesTooLongForTheFormatAreRefused()
    {
        QFETCH(int, length);
        QFETCH(bool, fits);
        const QString name(length, QLatin1Char('n'));
        CScene scene;
        scene.SetName(QStringLiteral("Long"));
        scene.SetEntry(name, QByteArray("content"));
        QCOMPARE(scene.Save(m_path, true), fits);
        QCOMPARE(QFileInfo::exists(m_path), fits);
        if (fits) {
            QVERIFY(scene.Load(m_path, true));
            QCOMPARE(rawEntries(m_path).last().name, name);
        }
    }

    void failedWriteKeepsTheOldFile()
    {
        if (!FileSizeLimit::supported())
            QSKIP("no way to make writes fail here");
        QVERIFY(writeFile(m_path, makeArchive(richScene(typicalMetadata()))));
        const QByteArray before = readFile(m_path);
        const QStringList filesBefore = QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden);
        CScene scene;
        QVERIFY(scene.Load(m_path, true));
        scene.tagList.append(QStringLiteral("Edited"));
        {
            FileSizeLimit diskFull(4096);   // the archive is far larger
            QVERIFY(!scene.Save(m_path, false));
        }
        QCOMPARE(readFile(m_path), before);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), filesBefore);   // no temporary left
        // And the same object saves once the disk has room again.
        QVERIFY(scene.Save(m_path, false));
        QVERIFY(scene.Load(m_path, false));
        QVERIFY(scene.GetTags().contains(QStringLiteral("Edited")));
    }

    void saveIntoMissingDirectoryFails()
    {
        CScene scene;
        QVERIFY(!scene.Save(m_dir.filePath(QStringLiteral("no/such/dir/x.kvc")), true));
    }

    void licenseUrls_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("url");
        QTest::addRow("CC0") << "CC0" << "https://creativecommons.org/publicdomain/zero/1.0/";
        QTest::addRow("CC0 1.0") << "CC0 1.0" << "https://creativecommons.org/publicdomain/zero/1.0/";
        QTest::addRow("CC BY 4.0") << "CC BY 4.0" << "https://creativecommons.org/licenses/by/4.0/";
        QTest::addRow("CC BY-SA 4.0") << "CC BY-SA 4.0" << "https://creativecommons.org/licenses/by-sa/4.0/";
        QTest::addRow("CC BY-NC 4.0") << "CC BY-NC 4.0" << "https://creativecommons.org/licenses/by-nc/4.0/";
        QTest::addRow("CC BY-NC-SA 4.0") << "CC BY-NC-SA 4.0" << "https://creativecommons.org/licenses/by-nc-sa/4.0/";
        QTest::addRow("CC BY-ND 4.0") << "CC BY-ND 4.0" << "https://creativecommons.org/licenses/by-nd/4.0/";
        QTest::addRow("CC BY-NC-ND 4.0") << "CC BY-NC-ND 4.0" << "https://creativecommons.org/licenses/by-nc-nd/4.0/";
        QTest::addRow("CC BY 3.0") << "CC BY 3.0" << "https://creativecommons.org/licenses/by/3.0/";
        QTest::addRow("CC BY-NC-SA 3.0") << "CC BY-NC-SA 3.0" << "https://creativecommons.org/licenses/by-nc-sa/3.0/";
        QTest::addRow("case and spacing") << "  cc  by-sa 3.0 " << "https://creativecommons.org/licenses/by-sa/3.0/";
        QTest::addRow("empty") << "" << "";
        QTest::addRow("unknown") << "All rights reserved" << "";
        QTest::addRow("version missing") << "CC BY" << "";
    }

    void licenseUrls()
    {
        QFETCH(QString, type);
        QFETCH(QString, url);
        QCOMPARE(CScene::GetLicenseUrl(type), url);
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    int m_counter = 0;
};

QTEST_GUILESS_MAIN(tst_SceneFile)
#include "tst_scenefile.moc"
