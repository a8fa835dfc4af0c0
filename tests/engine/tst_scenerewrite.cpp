// Edits of scene archives: only an archive with a single reading is
// rewritten, from the very file that was read, and the rewrite keeps every
// other entry as it was stored.

#include "ZipTestSupport.h"

#include "HostileArchive.h"

#include <CScene.h>

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <zlib.h>

using namespace EngineTest;
using Reliability::HostileEntry;
using Reliability::HostileOptions;

namespace {

const QString kAmbiguous = QStringLiteral("the archive's layout is ambiguous");
const QString kOverlap = QStringLiteral("the archive's entries overlap");

quint32 le(const QByteArray &bytes, int at, int width)
{
    quint32 value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes.at(at + i));
    return value;
}

// Every entry but "scene.json" as stored, without what a rewrite may change
// (the version needed, the offset): the central record's fields, name,
// extra field and comment, and the local header's fields and extra field.
// Then the archive's comment.
QList<QByteArray> storedEntries(const QByteArray &archive)
{
    QList<QByteArray> result;
    const int end = archive.lastIndexOf("PK\x05\x06");
    if (end < 0)
        return result;
    int at = int(le(archive, end + 16, 4));
    for (quint32 i = 0, count = le(archive, end + 10, 2); i < count; ++i) {
        const int nameLength = int(le(archive, at + 28, 2));
        const int recordLength = 46 + nameLength + int(le(archive, at + 30, 2)) + int(le(archive, at + 32, 2));
        const QByteArray name = archive.mid(at + 46, nameLength);
        const int local = int(le(archive, at + 42, 4));
        if (name != "scene.json") {
            const int localExtra = int(le(archive, local + 28, 2));
            result.append(archive.mid(at + 4, 2) + archive.mid(at + 8, 34) + archive.mid(at + 46, recordLength - 46)
                          + "|" + archive.mid(local + 6, 20) + archive.mid(local + 30 + nameLength, localExtra));
        }
        at += recordLength;
    }
    result.append(archive.mid(end + 22));
    return result;
}

// A deflate stream of gigabytes of zeros made of one flushed block repeated:
// an entry too large for 32-bit sizes in a few megabytes.
QByteArray zerosDeflated(int mebibytes, quint32 *crc)
{
    const QByteArray zeros(1024 * 1024, '\0');
    z_stream stream {};
    deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray block(int(deflateBound(&stream, uLong(zeros.size()))) + 64, Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(zeros.constData()));
    stream.avail_in = uInt(zeros.size());
    stream.next_out = reinterpret_cast<Bytef *>(block.data());
    stream.avail_out = uInt(block.size());
    deflate(&stream, Z_FULL_FLUSH);
    block.resize(int(stream.total_out));
    deflateEnd(&stream);
    const uLong blockCrc = crc32(crc32(0, Z_NULL, 0), reinterpret_cast<const Bytef *>(zeros.constData()), uInt(zeros.size()));
    uLong total = crc32(0, Z_NULL, 0);
    for (int i = 0; i < mebibytes; ++i)
        total = crc32_combine(total, blockCrc, zeros.size());
    *crc = quint32(total);
    return block.repeated(mebibytes) + QByteArray("\x03\x00", 2);   // an empty final block ends it
}

} // namespace

class tst_SceneRewrite : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("scene-%1.kvc").arg(m_counter++));
    }

    void archivesWithoutOneReadingAreNotEdited_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("browsedName");   // what the zip library reads
        QTest::addColumn<QString>("reason");
        const QByteArray shown = Reliability::sceneJson(QStringLiteral("Shown"));
        const QByteArray hidden = Reliability::sceneJson(QStringLiteral("Hidden"));
        QTest::addRow("zip64 records hidden in content")
            << Reliability::decoyZip64Archive(shown, hidden) << "Hidden" << kAmbiguous;
        QTest::addRow("two end records reaching the end")
            << Reliability::twoEndRecordsArchive(shown, hidden) << "Shown" << kAmbiguous;
        QTest::addRow("bytes before the archive")
            << QByteArray("#!/bin/sh\nexit 0\n") + Reliability::hostileArchive({{"scene.json", shown}})
            << "Shown" << kAmbiguous;
        HostileEntry renamed {"scene.json", shown};
        QByteArray localName = Reliability::hostileArchive({renamed, {"a.txt", "content"}});
        localName.replace(localName.indexOf("a.txt"), 5, "b.txt");   // the local header's copy
        QTest::addRow("local header naming another entry") << localName << "Shown" << kAmbiguous;
        // A tag edit copying every record would write the entry 50 times.
        QTest::addRow("one entry listed 50 times")
            << Reliability::sharedEntryArchive(shown, randomBytes(100000, 5), 50) << "Shown" << kOverlap;
    }

    void archivesWithoutOneReadingAreNotEdited()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, browsedName);
        QFETCH(QString, reason);
        QVERIFY(writeFile(m_path, bytes));

        CScene browsing;
        QVERIFY(browsing.Load(m_path, false));
        QCOMPARE(browsing.GetName(), browsedName);
        browsing.tagList.append(QStringLiteral("Edited"));
        QVERIFY(!browsing.Save(m_path, false));
        QCOMPARE(browsing.LastError(), reason);
        QVERIFY(!browsing.Save(m_dir.filePath(QStringLiteral("copy.kvc")), true));

        CScene editing;
        QVERIFY(!editing.Load(m_path, true));
        QCOMPARE(editing.LastError(), reason);
        QCOMPARE(readFile(m_path), bytes);
    }

    void fileChangedAfterLoadIsNotMixed_data()
    {
        QTest::addColumn<bool>("inPlace");
        QTest::addColumn<bool>("keepContent");
        QTest::addRow("another file renamed over it, edit") << false << true;
        QTest::addRow("another file renamed over it, browse") << false << false;
        QTest::addRow("rewritten in place") << true << true;
    }

    void fileChangedAfterLoadIsNotMixed()
    {
        QFETCH(bool, inPlace);
        QFETCH(bool, keepContent);
        QVERIFY(writeFile(m_path, Reliability::hostileArchive({{"scene.json", Reliability::sceneJson("First")},
                                                               {"first.bin", "first content"}})));
        CScene scene;
        QVERIFY(scene.Load(m_path, keepContent));
        const QByteArray other = Reliability::hostileArchive({{"scene.json", Reliability::sceneJson("Second")},
                                                              {"second.bin", "second content, longer"}});
        if (inPlace) {
            QVERIFY(writeFile(m_path, other));
        } else {
            const QString next = m_path + QStringLiteral(".next");
            QVERIFY(writeFile(next, other));
            QVERIFY(QFile::remove(m_path));
            QVERIFY(QFile::rename(next, m_path));
        }
        scene.tagList.append(QStringLiteral("Edited"));
        QVERIFY(!scene.Save(m_path, false));
        QCOMPARE(scene.LastError(), QStringLiteral("the file changed after it was read"));
        QCOMPARE(readFile(m_path), other);

        // Read again, the same edit goes through, and says nothing went wrong.
        QVERIFY(scene.Load(m_path, true));
        scene.tagList.append(QStringLiteral("Edited"));
        QVERIFY(scene.Save(m_path, false));
        QVERIFY(scene.LastError().isEmpty());
        QCOMPARE(entryData(m_path, QStringLiteral("second.bin")), QByteArray("second content, longer"));
        // The object now holds the file it wrote: a second save is no change of file.
        QVERIFY(scene.Save(m_path, false));
    }

    void rewriteKeepsEntriesAsStored()
    {
        const QByteArray timestamp("\x55\x54\x05\x00\x01\x12\x34\x56\x78", 9);
        HostileEntry content {"content/data.bin", randomBytes(3000, 9), true, false};
        content.localExtra = timestamp;
        content.centralExtra = timestamp;
        content.comment = "kept as it was";
        content.madeBy = 0x0A14;
        content.extraFlags = 0x0002;
        content.dosTime = 0x7BBF;
        content.dosDate = 0x5A29;
        HostileEntry undated {"notes.txt", "plain notes", false, true};
        undated.dosDate = 0;
        HostileOptions options;
        options.comment = QByteArray("archive comment, raw \xe9 bytes");
        const QByteArray before =
            Reliability::hostileArchive({{"scene.json", Reliability::sceneJson("Kept")}, content, undated}, options);
        QVERIFY(writeFile(m_path, before));

        CScene scene;
        QVERIFY(scene.Load(m_path, true));
        scene.tagList.append(QStringLiteral("Edited"));
        QVERIFY(scene.Save(m_path, false));
        const QByteArray after = readFile(m_path);
        QCOMPARE(storedEntries(after), storedEntries(before));
        QVERIFY(scene.Load(m_path, true));
        QVERIFY(scene.GetTags().contains(QStringLiteral("Edited")));
    }

    void longestArchiveCommentIsReadAndKept()
    {
        HostileOptions options;
        options.comment = QByteArray(65535, 'c');
        QVERIFY(writeFile(m_path, Reliability::hostileArchive({{"scene.json", Reliability::sceneJson("Long")},
                                                               {"a.bin", "a"}}, options)));
        for (bool keepContent : {false, true}) {
            CScene scene;
            QVERIFY2(scene.Load(m_path, keepContent), qPrintable(scene.LastError()));
            QCOMPARE(scene.GetName(), QStringLiteral("Long"));
        }
        CScene scene;
        QVERIFY(scene.Load(m_path, true));
        QVERIFY(scene.Save(m_path, false));
        QCOMPARE(readFile(m_path).right(65535), options.comment);
    }

    // Archivers that always write zip64 end records: such a scene is edited
    // like any other, and the records go with the rewrite (nothing needs them).
    void zip64EndRecordsAreEdited()
    {
        HostileOptions options;
        options.zip64Records = true;
        const QByteArray before = Reliability::hostileArchive(
            {{"scene.json", Reliability::sceneJson("Sixty-four")}, {"a.bin", randomBytes(5000, 3)}}, options);
        QVERIFY(writeFile(m_path, before));
        CScene scene;
        QVERIFY2(scene.Load(m_path, true), qPrintable(scene.LastError()));
        scene.tagList.append(QStringLiteral("Edited"));
        QVERIFY2(scene.Save(m_path, false), qPrintable(scene.LastError()));
        QCOMPARE(storedEntries(readFile(m_path)), storedEntries(before));
        QVERIFY(!readFile(m_path).contains("PK\x06\x07"));
    }

    // An entry over 4 GiB makes the rewrite a zip64 archive; the entries
    // copied into it must still be readable by Info-ZIP's unzip.
    void zip64RewriteStaysReadable()
    {
        const QString unzip = QStandardPaths::findExecutable(QStringLiteral("unzip"));
        if (unzip.isEmpty())
            QSKIP("unzip is not installed (scripts/deps installs it)");
        quint32 crc = 0;
        const QByteArray huge = zerosDeflated(4097, &crc);
        const qint64 hugeSize = qint64(4097) * 1024 * 1024;

        // scene.json, a small deflated entry, then the huge one with zip64 sizes.
        const QByteArray json = Reliability::sceneJson(QStringLiteral("Huge"));
        QByteArray bytes = Reliability::hostileArchive({{"scene.json", json}, {"small.txt", QByteArray("small ").repeated(50)}});
        const int directoryAt = int(le(bytes, bytes.size() - 6, 4));
        QByteArray directory = bytes.mid(directoryAt, bytes.size() - 22 - directoryAt);
        bytes.truncate(directoryAt);
        const quint32 hugeAt = quint32(bytes.size());
        QByteArray zip64Extra;
        Reliability::put16(zip64Extra, 1);
        Reliability::put16(zip64Extra, 16);
        Reliability::put64(zip64Extra, quint64(hugeSize));
        Reliability::put64(zip64Extra, quint64(huge.size()));
        const auto header = [&](QByteArray &out, bool central) {
            Reliability::put32(out, central ? 0x02014B50 : 0x04034B50);
            if (central)
                Reliability::put16(out, 0x031E);
            Reliability::put16(out, 45);
            Reliability::put16(out, 0);
            Reliability::put16(out, 8);
            Reliability::put16(out, 0);
            Reliability::put16(out, 0x21);
            Reliability::put32(out, crc);
            Reliability::put32(out, 0xFFFFFFFF);
            Reliability::put32(out, 0xFFFFFFFF);
            Reliability::put16(out, 8);
            Reliability::put16(out, quint16(zip64Extra.size()));
        };
        header(bytes, false);
        bytes += "zero.bin" + zip64Extra + huge;
        header(directory, true);
        Reliability::put16(directory, 0);
        Reliability::put16(directory, 0);
        Reliability::put16(directory, 0);
        Reliability::put32(directory, 0100644u << 16);
        Reliability::put32(directory, hugeAt);
        directory += "zero.bin" + zip64Extra;
        const quint32 newDirectoryAt = quint32(bytes.size());
        bytes += directory;
        Reliability::put32(bytes, 0x06054B50);
        Reliability::put32(bytes, 0);
        Reliability::put16(bytes, 3);
        Reliability::put16(bytes, 3);
        Reliability::put32(bytes, quint32(directory.size()));
        Reliability::put32(bytes, newDirectoryAt);
        Reliability::put16(bytes, 0);
        QVERIFY(writeFile(m_path, bytes));

        CScene scene;
        QVERIFY2(scene.Load(m_path, true), qPrintable(scene.LastError()));
        scene.tagList.append(QStringLiteral("Edited"));
        QVERIFY2(scene.Save(m_path, false), qPrintable(scene.LastError()));

        QProcess process;
        process.start(unzip, {QStringLiteral("-t"), m_path, QStringLiteral("scene.json"), QStringLiteral("small.txt")});
        QVERIFY(process.waitForFinished(60000));
        const QString output = QString::fromLocal8Bit(process.readAllStandardOutput() + process.readAllStandardError());
        QVERIFY2(process.exitCode() == 0, qPrintable(output));
        QVERIFY2(!output.contains(QStringLiteral("warning")), qPrintable(output));
        QCOMPARE(rawEntries(m_path).last().uncompressedSize, quint64(hugeSize));
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
    int m_counter = 0;
};

QTEST_GUILESS_MAIN(tst_SceneRewrite)
#include "tst_scenerewrite.moc"
