// The fast zip reader must never disagree with the zip library: whatever it
// returns as Found, the library reads identically; every layout it does not
// know exactly is left to the library (Fallback).

#include "EngineTestSupport.h"

#include "HostileArchive.h"

#include "CScene.h"
#include "ZipFastPath.h"

#include <QBuffer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>

#include <zlib.h>

#include <utility>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

using namespace EngineTest;
using ZipFastPath::Outcome;

const QByteArray kMetadata = QByteArrayLiteral("scene.json");
constexpr qint64 kLimit = 1024 * 1024;

void put16(QByteArray &out, quint32 value)
{
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

void put32(QByteArray &out, quint32 value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

void put64(QByteArray &out, quint64 value)
{
    put32(out, quint32(value));
    put32(out, quint32(value >> 32));
}

QByteArray deflateRaw(const QByteArray &data)
{
    z_stream stream {};
    deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&stream, uLong(data.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(int(stream.total_out));
    deflateEnd(&stream);
    return out;
}

quint32 crcOf(const QByteArray &data)
{
    return quint32(crc32(crc32(0, Z_NULL, 0), reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size())));
}

// A zip writer with every knob the layouts below need.
struct Entry
{
    Entry() : Entry(QByteArray(), QByteArray()) {}
    Entry(QByteArray name, QByteArray data, quint16 method = 8, quint16 flags = 0, bool dataDescriptor = false,
          bool wrongCrc = false, QByteArray localExtra = QByteArray(), QByteArray centralExtra = QByteArray(),
          QByteArray localName = QByteArray())
        : name(std::move(name)), data(std::move(data)), method(method), flags(flags), dataDescriptor(dataDescriptor),
          wrongCrc(wrongCrc), localExtra(std::move(localExtra)), centralExtra(std::move(centralExtra)),
          localName(std::move(localName))
    {}

    QByteArray name;
    QByteArray data;
    quint16 method;
    quint16 flags;
    bool dataDescriptor;
    bool wrongCrc;
    QByteArray localExtra;
    QByteArray centralExtra;
    QByteArray localName;   // when set, the local header names something else
};

struct Archive
{
    QVector<Entry> entries;
    QByteArray prefix;      // bytes before the archive (self-extractor style)
    QByteArray comment;
    QByteArray trailing;
    bool zip64Records = false;
};

QByteArray build(const Archive &archive)
{
    QByteArray out = archive.prefix;
    const int base = out.size();
    QByteArray directory;
    for (const Entry &entry : archive.entries) {
        const QByteArray stored = entry.method == 8 ? deflateRaw(entry.data) : entry.data;
        const quint32 crc = crcOf(entry.data) ^ (entry.wrongCrc ? 1u : 0u);
        const quint16 flags = entry.flags | (entry.dataDescriptor ? 0x8 : 0);
        const QByteArray localName = entry.localName.isNull() ? entry.name : entry.localName;
        const quint32 offset = quint32(out.size() - base);

        put32(out, 0x04034b50);
        put16(out, 20);
        put16(out, flags);
        put16(out, entry.method);
        put16(out, 0);
        put16(out, 0x21);
        put32(out, entry.dataDescriptor ? 0 : crc);
        put32(out, entry.dataDescriptor ? 0 : quint32(stored.size()));
        put32(out, entry.dataDescriptor ? 0 : quint32(entry.data.size()));
        put16(out, quint32(localName.size()));
        put16(out, quint32(entry.localExtra.size()));
        out += localName + entry.localExtra + stored;
        if (entry.dataDescriptor) {
            put32(out, 0x08074b50);
            put32(out, crc);
            put32(out, quint32(stored.size()));
            put32(out, quint32(entry.data.size()));
        }

        put32(directory, 0x02014b50);
        put16(directory, 20);
        put16(directory, 20);
        put16(directory, flags);
        put16(directory, entry.method);
        put16(directory, 0);
        put16(directory, 0x21);
        put32(directory, crc);
        put32(directory, quint32(stored.size()));
        put32(directory, quint32(entry.data.size()));
        put16(directory, quint32(entry.name.size()));
        put16(directory, quint32(entry.centralExtra.size()));
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put32(directory, 0);
        put32(directory, offset);
        directory += entry.name + entry.centralExtra;
    }
    const quint32 directoryOffset = quint32(out.size() - base);
    out += directory;
    if (archive.zip64Records) {
        const quint64 recordOffset = quint64(out.size() - base);
        put32(out, 0x06064b50);
        put64(out, 44);
        put16(out, 45);
        put16(out, 45);
        put32(out, 0);
        put32(out, 0);
        put64(out, quint64(archive.entries.size()));
        put64(out, quint64(archive.entries.size()));
        put64(out, quint64(directory.size()));
        put64(out, directoryOffset);
        put32(out, 0x07064b50);
        put32(out, 0);
        put64(out, recordOffset);
        put32(out, 1);
    }
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, quint32(archive.entries.size()));
    put16(out, quint32(archive.entries.size()));
    put32(out, quint32(directory.size()));
    put32(out, directoryOffset);
    put16(out, quint32(archive.comment.size()));
    out += archive.comment + archive.trailing;
    return out;
}

QByteArray sceneJson(int variant)
{
    return QStringLiteral("{\n    \"name\": \"Scene %1\",\n    \"tags\": [\"Calm\", \"Space\"],\n"
                          "    \"date\": \"2024-03-0%2T10:00:00\"\n}\n")
        .arg(variant)
        .arg(1 + variant % 9)
        .toUtf8();
}

// A scene as the engine writes one: metadata first, then content.
Archive commonScene(quint16 metadataMethod = 8)
{
    Archive archive;
    Entry metadata {kMetadata, sceneJson(1)};
    metadata.method = metadataMethod;
    Entry thumbnail {"thumbnail.jpg", randomBytes(3000, 1)};
    thumbnail.method = 0;
    Entry content {"shaders/main.frag", QByteArray("void main() { gl_FragColor = vec4(1.0); }\n").repeated(40)};
    archive.entries = {metadata, thumbnail, content};
    return archive;
}

// What the engine gets when it reads the metadata through the zip library:
// the first entry of that name, within the limit, stored or deflated, not
// encrypted, inflating to its recorded size with a good CRC. Read from a
// file, as the program reads scenes: on a QBuffer QuaZip refuses to seek
// past the end, which a file allows, and so answers differently.
bool libraryRead(const QByteArray &bytes, const QByteArray &name, qint64 limit, QByteArray *data)
{
    data->clear();
    static QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("archive.zip"));
    if (!writeFile(path, bytes))
        return false;
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip))
        return false;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFileInfo64 info;
        if (!zip.getCurrentFileInfo(&info))
            return false;
        if (info.name != QString::fromUtf8(name))
            continue;
        if (qint64(info.uncompressedSize) > limit || (info.flags & 1) || (info.method != 0 && info.method != 8))
            return false;
        QuaZipFile entry(&zip);
        if (!entry.open(QIODevice::ReadOnly))
            return false;
        QByteArray read;
        char chunk[4096];
        for (;;) {
            const qint64 count = entry.read(chunk, sizeof(chunk));
            if (count < 0 || read.size() + count > limit)
                return false;
            if (count == 0)
                break;
            read.append(chunk, int(count));
        }
        entry.close();
        if (entry.getZipError() != UNZ_OK || quint64(read.size()) != info.uncompressedSize)
            return false;
        *data = read;
        return true;
    }
    return false;
}

// Counts the reads the fast path makes.
class CountingSource : public ZipFastPath::Source
{
public:
    explicit CountingSource(const QByteArray &bytes) : m_bytes(bytes) {}
    qint64 size() const override { return m_bytes.size(); }
    bool readAt(qint64 offset, char *buffer, qint64 length) override
    {
        ++reads;
        bytesRead += length;
        if (offset < 0 || length < 0 || offset + length > m_bytes.size())
            return false;
        memcpy(buffer, m_bytes.constData() + offset, size_t(length));
        return true;
    }
    int reads = 0;
    qint64 bytesRead = 0;

private:
    QByteArray m_bytes;
};

} // namespace

class TestZipFastPath : public QObject
{
    Q_OBJECT

private slots:
    void commonLayoutIsReadWithTwoReads_data();
    void commonLayoutIsReadWithTwoReads();
    void otherLayoutsFallBack_data();
    void otherLayoutsFallBack();
    void agreesWithLibraryOnDamagedArchives_data();
    void agreesWithLibraryOnDamagedArchives();
    void readsScenesTheEngineWrites();
    void datesReadAsThePatternReadsThem_data();
    void datesReadAsThePatternReadsThem();
    void browsedSceneKeepsUnknownKeys_data();
    void browsedSceneKeepsUnknownKeys();
    void filesThatAreNotRegularAreNotRead();
};

void TestZipFastPath::commonLayoutIsReadWithTwoReads_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<int>("maxReads");

    QTest::addRow("deflated metadata first") << build(commonScene(8)) << 2;
    QTest::addRow("stored metadata first") << build(commonScene(0)) << 2;

    Archive last = commonScene();
    std::rotate(last.entries.begin(), last.entries.begin() + 1, last.entries.end());
    QTest::addRow("metadata last") << build(last) << 2;

    Archive empty = commonScene();
    empty.entries[0].data.clear();
    QTest::addRow("empty metadata") << build(empty) << 2;

    Archive extras = commonScene();
    extras.entries[0].localExtra = QByteArray("\x55\x54\x05\x00\x01\x00\x00\x00\x00", 9);
    extras.entries[0].centralExtra = QByteArray("\x55\x54\x05\x00\x01\x00\x00\x00\x00", 9);
    QTest::addRow("timestamp extra fields") << build(extras) << 2;

    Archive longExtra = commonScene();
    longExtra.entries[0].localExtra = QByteArray("\x99\x99\xd0\x07", 4) + QByteArray(2000, 'x');
    QTest::addRow("local extra longer than the read ahead") << build(longExtra) << 3;

    Archive many = commonScene();
    for (int i = 0; i < 200; ++i)
        many.entries.append(Entry {QStringLiteral("textures/layer-%1.png").arg(i).toUtf8(), "x", 0});
    QTest::addRow("central directory beyond the last page") << build(many) << 3;

    Archive descriptor = commonScene();
    descriptor.entries[0].dataDescriptor = true;
    QTest::addRow("sizes in a data descriptor") << build(descriptor) << 2;

    Archive twice = commonScene();
    Entry second {kMetadata, "{\"name\": \"not me\"}"};
    twice.entries.append(second);
    QTest::addRow("second metadata entry is content") << build(twice) << 2;

    Archive atLimit;
    atLimit.entries = {Entry {kMetadata, QByteArray(int(kLimit), ' '), 0}};
    QTest::addRow("stored metadata at the size limit") << build(atLimit) << 2;
}

void TestZipFastPath::commonLayoutIsReadWithTwoReads()
{
    QFETCH(QByteArray, archive);
    QFETCH(int, maxReads);

    QByteArray expected;
    QVERIFY(libraryRead(archive, kMetadata, kLimit, &expected));
    CountingSource source(archive);
    QByteArray data;
    QCOMPARE(ZipFastPath::readEntry(source, kMetadata, kLimit, &data), Outcome::Found);
    QCOMPARE(data, expected);
    QVERIFY2(source.reads <= maxReads, qPrintable(QString::number(source.reads)));
}

void TestZipFastPath::otherLayoutsFallBack_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<bool>("libraryReadsIt");

    Archive comment = commonScene();
    comment.comment = "made by hand";
    QTest::addRow("archive comment") << build(comment) << true;

    Archive zip64 = commonScene();
    zip64.zip64Records = true;
    QTest::addRow("zip64 end records") << build(zip64) << true;

    Archive prefix = commonScene();
    prefix.prefix = QByteArray(512, 'M');
    QTest::addRow("bytes before the archive") << build(prefix) << true;

    Archive trailing = commonScene();
    trailing.trailing = QByteArray(8, '\0');
    QTest::addRow("bytes after the end record") << build(trailing) << true;

    Archive localName = commonScene();
    localName.entries[0].localName = "scene.jsoN";
    QTest::addRow("local header names another entry") << build(localName) << true;

    Archive encrypted = commonScene();
    encrypted.entries[0].flags = 0x1;
    QTest::addRow("encrypted metadata") << build(encrypted) << false;

    Archive bzip2 = commonScene(0);
    bzip2.entries[0].method = 12;
    QTest::addRow("unsupported method") << build(bzip2) << false;

    Archive badCrc = commonScene();
    badCrc.entries[0].wrongCrc = true;
    QTest::addRow("wrong CRC") << build(badCrc) << false;

    Archive tooLarge;
    tooLarge.entries = {Entry {kMetadata, QByteArray(int(kLimit) + 1, ' ')}};
    QTest::addRow("metadata over the limit") << build(tooLarge) << false;

    Archive missing = commonScene();
    missing.entries.removeFirst();
    QTest::addRow("no metadata entry") << build(missing) << false;

    Archive otherCase = commonScene();
    otherCase.entries[0].name = "Scene.json";
    otherCase.entries[0].localName = "Scene.json";
    QTest::addRow("metadata name in other case") << build(otherCase) << false;

    Archive nulName = commonScene();
    nulName.entries.prepend(Entry {QByteArray("scene.json\0old", 14), "{}", 0});
    QTest::addRow("earlier name with a NUL byte") << build(nulName) << true;

    // Records another reader would take instead, and bytes two entries share.
    const QByteArray shown = Reliability::sceneJson(QStringLiteral("Shown"));
    const QByteArray hidden = Reliability::sceneJson(QStringLiteral("Hidden"));
    QTest::addRow("zip64 records beyond the last page") << Reliability::decoyZip64Archive(shown, hidden) << true;
    QTest::addRow("second end record reaching the end") << Reliability::twoEndRecordsArchive(shown, hidden) << true;
    Archive shared = commonScene();
    shared.entries.append(Entry {"alias.json", sceneJson(1)});
    QByteArray sharing = build(shared);
    // The alias's central record points at the metadata's local header.
    const int alias = sharing.indexOf("PK\x01\x02", sharing.lastIndexOf("shaders/main.frag"));
    for (int i = 0; i < 4; ++i)
        sharing[alias + 42 + i] = 0;
    QTest::addRow("another record pointing into the entry") << sharing << true;

    const QByteArray common = build(commonScene());
    // The library still reads an end record cut short by one byte.
    QTest::addRow("truncated end record") << common.left(common.size() - 1) << true;
    QTest::addRow("only the end record") << common.right(22) << false;
    QTest::addRow("empty file") << QByteArray() << false;
    QTest::addRow("garbage") << randomBytes(5000, 7) << false;
    QTest::addRow("text") << QByteArray("PK\x05\x06 is not enough").repeated(10) << false;
}

void TestZipFastPath::otherLayoutsFallBack()
{
    QFETCH(QByteArray, archive);
    QFETCH(bool, libraryReadsIt);

    QByteArray expected;
    QCOMPARE(libraryRead(archive, kMetadata, kLimit, &expected), libraryReadsIt);
    QByteArray data = "stale";
    QCOMPARE(ZipFastPath::readBufferEntry(archive, kMetadata, kLimit, &data), Outcome::Fallback);
    QVERIFY(data.isEmpty());
}

void TestZipFastPath::agreesWithLibraryOnDamagedArchives_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<int>("region");   // where the damage goes: 0 anywhere, 1 head, 2 tail

    Archive many = commonScene(0);
    for (int i = 0; i < 5; ++i)
        many.entries.append(Entry {QStringLiteral("more/%1.bin").arg(i).toUtf8(), randomBytes(50, quint32(i))});
    for (const auto &[name, archive] : {std::make_pair("deflated", build(commonScene(8))),
                                        std::make_pair("stored", build(commonScene(0))),
                                        std::make_pair("many entries", build(many))}) {
        QTest::addRow("%s, anywhere", name) << archive << 0;
        QTest::addRow("%s, headers at the start", name) << archive << 1;
        QTest::addRow("%s, central directory", name) << archive << 2;
    }
}

// A fixed-seed mutation run: single and multiple byte changes, truncation,
// insertion and removal. The fast path may decline anything, but what it
// reads, the library reads the same.
void TestZipFastPath::agreesWithLibraryOnDamagedArchives()
{
    QFETCH(QByteArray, archive);
    QFETCH(int, region);

    QRandomGenerator random(quint32(qHash(QTest::currentDataTag())));
    int found = 0;
    for (int round = 0; round < 600; ++round) {
        QByteArray damaged = archive;
        const auto position = [&]() {
            const int window = std::min(300, damaged.size());
            if (region == 1)
                return int(random.bounded(window));
            if (region == 2)
                return damaged.size() - 1 - int(random.bounded(window));
            return int(random.bounded(damaged.size()));
        };
        switch (random.bounded(4)) {
        case 0:
            for (int i = 1 + int(random.bounded(4)); i > 0; --i)
                damaged[position()] = char(random.bounded(256));
            break;
        case 1:
            damaged.truncate(position());
            break;
        case 2:
            damaged.insert(position(), randomBytes(1 + int(random.bounded(8)), random.generate()));
            break;
        default:
            damaged.remove(position(), 1 + int(random.bounded(8)));
            break;
        }
        QByteArray fast;
        if (ZipFastPath::readBufferEntry(damaged, kMetadata, kLimit, &fast) != Outcome::Found)
            continue;
        ++found;
        QByteArray expected;
        QVERIFY2(libraryRead(damaged, kMetadata, kLimit, &expected), qPrintable(QString::number(round)));
        QCOMPARE(fast, expected);
    }
    // Damage away from the metadata leaves it readable: the comparison ran.
    if (region != 1)
        QVERIFY(found > 0);
}

void TestZipFastPath::readsScenesTheEngineWrites()
{
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    const QString path = directory.filePath(QStringLiteral("written.kvc"));
    CScene scene;
    scene.SetName(QStringLiteral("Ribbon Field"));
    scene.tagList = QStringList {QStringLiteral("Calm")};
    scene.SetEntry(QStringLiteral("thumbnail.jpg"), randomBytes(20000, 3));
    scene.SetEntry(QStringLiteral("shaders/a.frag"), QByteArray("void main() {}\n").repeated(500));
    scene.SetEntry(QStringLiteral("textures/noise.png"), randomBytes(200 * 1024, 4));
    QVERIFY(scene.Save(path, true));

    const QByteArray archive = readFile(path);
    QVERIFY(!archive.isEmpty());

    // Browsing reads the stretch the library searches for its end records and
    // the metadata, not the rest of the 220 KB of content.
    CountingSource source(archive);
    QByteArray metadata;
    QCOMPARE(ZipFastPath::readEntry(source, kMetadata, kLimit, &metadata), Outcome::Found);
    QCOMPARE(source.reads, 2);
    QVERIFY2(source.bytesRead < 64 * 1024 + 2048, qPrintable(QString::number(source.bytesRead)));
    for (const QByteArray &entry : {kMetadata, QByteArray("thumbnail.jpg"), QByteArray("shaders/a.frag")}) {
        QByteArray expected;
        QVERIFY(libraryRead(archive, entry, 64 * 1024 * 1024, &expected));
        QByteArray data;
        QCOMPARE(ZipFastPath::readFileEntry(path, entry, 64 * 1024 * 1024, &data), Outcome::Found);
        QCOMPARE(data, expected);
    }
    QByteArray data;
    QCOMPARE(ZipFastPath::readFileEntry(path, "thumbnail.jpg", 1000, &data), Outcome::Fallback);
}

void TestZipFastPath::datesReadAsThePatternReadsThem_data()
{
    QTest::addColumn<QString>("text");
    QTest::addRow("as written") << QStringLiteral("2024-03-09T10:20:30");
    QTest::addRow("short fields") << QStringLiteral("1-2-3T4:5:6");
    QTest::addRow("five digits, largest value") << QStringLiteral("65535-00001-1T0:0:65535");
    QTest::addRow("value over 16 bits") << QStringLiteral("65536-01-01T00:00:00");
    QTest::addRow("six digits") << QStringLiteral("002024-01-01T00:00:00");
    QTest::addRow("six digits at the end") << QStringLiteral("2024-01-01T00:00:000000");
    QTest::addRow("one final newline") << QStringLiteral("2024-01-01T00:00:00\n");
    QTest::addRow("two final newlines") << QStringLiteral("2024-01-01T00:00:00\n\n");
    QTest::addRow("final carriage return") << QStringLiteral("2024-01-01T00:00:00\r");
    QTest::addRow("leading space") << QStringLiteral(" 2024-01-01T00:00:00");
    QTest::addRow("space for T") << QStringLiteral("2024-01-01 00:00:00");
    QTest::addRow("lower-case t") << QStringLiteral("2024-01-01t00:00:00");
    QTest::addRow("empty field") << QStringLiteral("2024--01T00:00:00");
    QTest::addRow("time zone") << QStringLiteral("2024-01-01T00:00:00Z");
    QTest::addRow("no time") << QStringLiteral("2024-01-01");
    QTest::addRow("sign") << QStringLiteral("+2024-01-01T00:00:00");
    QTest::addRow("Arabic-Indic digits") << QString::fromUtf8("\u0662\u0660\u0662\u0664-01-01T00:00:00");
    QTest::addRow("full-width digits") << QString::fromUtf8("\uff12\uff10\uff12\uff14-01-01T00:00:00");
    QTest::addRow("only a newline") << QStringLiteral("\n");
}

// The date is read by hand; it must accept and read exactly what the
// pattern it replaced did.
void TestZipFastPath::datesReadAsThePatternReadsThem()
{
    QFETCH(QString, text);

    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{1,5})-(\\d{1,5})-(\\d{1,5})T(\\d{1,5}):(\\d{1,5}):(\\d{1,5})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    bool accepted = match.hasMatch();
    uint parts[6] = {};
    for (int i = 0; accepted && i < 6; ++i) {
        parts[i] = match.capturedRef(i + 1).toUInt();
        accepted = parts[i] <= 65535;
    }

    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    const QString path = directory.filePath(QStringLiteral("dated.kvc"));
    Archive archive = commonScene();
    QJsonObject metadata {{QStringLiteral("name"), QStringLiteral("Dated")}, {QStringLiteral("date"), text}};
    archive.entries[0].data = QJsonDocument(metadata).toJson();
    QVERIFY(writeFile(path, build(archive)));

    CScene scene;
    QCOMPARE(scene.Load(path, false), accepted);
    if (accepted) {
        const SceneDate &date = scene.sceneDate;
        const uint read[6] = {date.year, date.month, date.day, date.hour, date.minute, date.second};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(read[i], parts[i]);
    }
}

void TestZipFastPath::browsedSceneKeepsUnknownKeys_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QStringList>("unknownKeys");

    QTest::addRow("every known key, nothing else")
        << QByteArray("{\"id\": \"a\", \"name\": \"A\", \"author\": \"\", \"description\": \"\", "
                      "\"license\": \"CC0\", \"tags\": [], \"typeFlags\": 1, \"relicensing\": true, "
                      "\"date\": \"2024-01-02T03:04:05\"}")
        << QStringList();
    QTest::addRow("some known keys and an unknown one")
        << QByteArray("{\"name\": \"A\", \"engineHint\": {\"fps\": 60}}") << QStringList {"engineHint"};
    QTest::addRow("only unknown keys") << QByteArray("{\"x\": 1, \"y\": [2]}") << QStringList {"x", "y"};
}

// Browsing reads the metadata through the fast reader; a save made from that
// object still carries every key this version does not know.
void TestZipFastPath::browsedSceneKeepsUnknownKeys()
{
    QFETCH(QByteArray, json);
    QFETCH(QStringList, unknownKeys);

    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    const QString path = directory.filePath(QStringLiteral("scene.kvc"));
    Archive archive = commonScene();
    archive.entries[0].data = json;
    QVERIFY(writeFile(path, build(archive)));
    QByteArray direct;
    QCOMPARE(ZipFastPath::readFileEntry(path, kMetadata, kLimit, &direct), Outcome::Found);

    CScene scene;
    QVERIFY(scene.Load(path, false));
    const QString copy = directory.filePath(QStringLiteral("copy.kvc"));
    QVERIFY(scene.Save(copy, true));
    QByteArray saved;
    QCOMPARE(ZipFastPath::readFileEntry(copy, kMetadata, kLimit, &saved), Outcome::Found);
    const QJsonObject original = QJsonDocument::fromJson(json).object();
    const QJsonObject written = QJsonDocument::fromJson(saved).object();
    for (const QString &key : unknownKeys)
        QCOMPARE(written.value(key), original.value(key));
    const QStringList known = {"id", "name", "author", "description", "license", "tags", "typeFlags",
                               "relicensing", "date"};
    for (const QString &key : written.keys())
        QVERIFY2(known.contains(key) || unknownKeys.contains(key), qPrintable(key));
}

void TestZipFastPath::filesThatAreNotRegularAreNotRead()
{
    QTemporaryDir directory;
    QVERIFY(directory.isValid());
    QByteArray data;
    QCOMPARE(ZipFastPath::readFileEntry(directory.path(), kMetadata, kLimit, &data), Outcome::NotRegularFile);
    QCOMPARE(ZipFastPath::readFileEntry(directory.filePath(QStringLiteral("missing.kvc")), kMetadata, kLimit, &data),
             Outcome::Fallback);
    QCOMPARE(ZipFastPath::readFileEntry(QString(), kMetadata, kLimit, &data), Outcome::Fallback);
#ifdef Q_OS_UNIX
    // Nobody writes to this pipe: a blocking open would never return.
    const QString pipe = directory.filePath(QStringLiteral("pipe.kvc"));
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QCOMPARE(ZipFastPath::readFileEntry(pipe, kMetadata, kLimit, &data), Outcome::NotRegularFile);
#endif
}

QTEST_GUILESS_MAIN(TestZipFastPath)
#include "tst_zipfastpath.moc"
