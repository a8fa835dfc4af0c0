#pragma once

// Zip archives written byte by byte, so that they can lie the way no
// archiver would: declared sizes, raw name bytes, duplicate names.

#include <QByteArray>
#include <QList>
#include <QtEndian>

#include <zlib.h>

#include <utility>

namespace Reliability {

// Written as {name, data, ...} with the fields in order; the constructor
// holds the defaults, so a short list leaves the rest at them.
struct HostileEntry
{
    HostileEntry() : HostileEntry(QByteArray(), QByteArray()) {}
    HostileEntry(QByteArray name, QByteArray data, bool deflate = true, bool utf8Flag = true,
                 qint64 declaredSize = -1, QByteArray localExtra = QByteArray(),
                 QByteArray centralExtra = QByteArray(), QByteArray comment = QByteArray(),
                 quint16 madeBy = 0x031E, quint16 extraFlags = 0, quint16 dosTime = 0, quint16 dosDate = 0x21)
        : name(std::move(name)), data(std::move(data)), deflate(deflate), utf8Flag(utf8Flag),
          declaredSize(declaredSize), localExtra(std::move(localExtra)), centralExtra(std::move(centralExtra)),
          comment(std::move(comment)), madeBy(madeBy), extraFlags(extraFlags), dosTime(dosTime), dosDate(dosDate)
    {}

    QByteArray name;              // raw bytes as stored
    QByteArray data;              // the entry's real content
    bool deflate;
    bool utf8Flag;
    qint64 declaredSize;          // -1: the real size
    QByteArray localExtra;
    QByteArray centralExtra;
    QByteArray comment;
    quint16 madeBy;
    quint16 extraFlags;           // besides the UTF-8 flag
    quint16 dosTime;
    quint16 dosDate;
};

struct HostileOptions
{
    QByteArray comment;           // the archive's
    bool zip64Records = false;    // zip64 end record and locator before the end record
};

inline quint32 crc32Of(const QByteArray &data)
{
    return quint32(::crc32(0, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size())));
}

// Raw deflate: qCompress gives a 4-byte length, a 2-byte zlib header, the
// deflate stream and a 4-byte checksum.
inline QByteArray rawDeflate(const QByteArray &data)
{
    const QByteArray zlib = qCompress(data, 9);
    return zlib.mid(6, zlib.size() - 10);
}

inline void put16(QByteArray &out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

inline void put32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

inline void put64(QByteArray &out, quint64 value)
{
    put32(out, quint32(value));
    put32(out, quint32(value >> 32));
}

// The bytes of an entry's local header, name and extra field.
inline qint64 localHeaderBytes(const HostileEntry &entry)
{
    return 30 + entry.name.size() + entry.localExtra.size();
}

inline QByteArray hostileArchive(const QList<HostileEntry> &entries, const HostileOptions &options = {})
{
    QByteArray out;
    QByteArray central;
    for (const HostileEntry &entry : entries) {
        const QByteArray stored = entry.deflate ? rawDeflate(entry.data) : entry.data;
        const quint32 crc = crc32Of(entry.data);
        const quint32 size = quint32(entry.declaredSize >= 0 ? entry.declaredSize : entry.data.size());
        const quint16 flags = quint16((entry.utf8Flag ? 0x800 : 0) | entry.extraFlags);
        const quint16 method = entry.deflate ? 8 : 0;
        // The fields the local header and the central directory share, from
        // the version needed to the extra field's length.
        // The fields the local header and the central directory share, from
        // the version needed to the name's length.
        const auto putShared = [&](QByteArray &header) {
            put16(header, 20);
            put16(header, flags);
            put16(header, method);
            put16(header, entry.dosTime);
            put16(header, entry.dosDate);
            put32(header, crc);
            put32(header, quint32(stored.size()));
            put32(header, size);
            put16(header, quint16(entry.name.size()));
        };
        const quint32 offset = quint32(out.size());
        put32(out, 0x04034B50);
        putShared(out);
        put16(out, quint16(entry.localExtra.size()));
        out += entry.name + entry.localExtra + stored;

        put32(central, 0x02014B50);
        put16(central, entry.madeBy);
        putShared(central);
        put16(central, quint16(entry.centralExtra.size()));
        put16(central, quint16(entry.comment.size()));
        put16(central, 0);
        put16(central, 0);
        put32(central, 0100644u << 16);
        put32(central, offset);
        central += entry.name + entry.centralExtra + entry.comment;
    }
    const quint32 start = quint32(out.size());
    out += central;
    if (options.zip64Records) {
        const quint64 record = quint64(out.size());
        put32(out, 0x06064B50);
        put64(out, 44);
        put16(out, 45);
        put16(out, 45);
        put32(out, 0);
        put32(out, 0);
        put64(out, quint64(entries.size()));
        put64(out, quint64(entries.size()));
        put64(out, quint64(central.size()));
        put64(out, start);
        put32(out, 0x07064B50);
        put32(out, 0);
        put64(out, record);
        put32(out, 1);
    }
    put32(out, 0x06054B50);
    put16(out, 0);
    put16(out, 0);
    put16(out, quint16(entries.size()));
    put16(out, quint16(entries.size()));
    put32(out, quint32(central.size()));
    put32(out, start);
    put16(out, quint16(options.comment.size()));
    return out + options.comment;
}

// A central-directory record for entry, its local header at offset.
inline QByteArray centralRecord(const HostileEntry &entry, quint32 offset)
{
    QByteArray record;
    put32(record, 0x02014B50);
    put16(record, 0x031E);
    put16(record, 20);
    put16(record, entry.utf8Flag ? 0x800 : 0);
    put16(record, 0);   // stored
    put16(record, entry.dosTime);
    put16(record, entry.dosDate);
    put32(record, crc32Of(entry.data));
    put32(record, quint32(entry.data.size()));
    put32(record, quint32(entry.data.size()));
    put16(record, quint16(entry.name.size()));
    put32(record, 0);
    put32(record, 0);
    put32(record, 0100644u << 16);
    put32(record, offset);
    return record + entry.name;
}

// A scene shown as one thing and edited as another: its last stored entry
// hides a zip64 end record and locator (more than a page before the end,
// within the 64 KiB the zip library searches) describing a directory of one
// entry, the archive's second "scene.json" holding hiddenJson. A reader that
// goes by those records sees only that entry; one that does not look so far
// sees the whole archive with shownJson.
inline QByteArray decoyZip64Archive(const QByteArray &shownJson, const QByteArray &hiddenJson)
{
    QList<HostileEntry> entries {{"scene.json", shownJson, false}, {"thumbnail.jpg", QByteArray(3000, 't'), false},
                                 {"scene.json", hiddenJson, false}};
    qint64 offset = 0;
    for (const HostileEntry &entry : entries)
        offset += localHeaderBytes(entry) + entry.data.size();
    HostileEntry pad {"pad.bin", QByteArray(), false};
    const qint64 directoryAt = offset + localHeaderBytes(pad);
    const qint64 hiddenAt = offset - localHeaderBytes(entries.at(2)) - entries.at(2).data.size();
    QByteArray payload = centralRecord(entries.at(2), quint32(hiddenAt));
    const qint64 directoryBytes = payload.size();
    const qint64 recordAt = directoryAt + payload.size();
    put32(payload, 0x06064B50);
    put64(payload, 44);
    put16(payload, 45);
    put16(payload, 45);
    put32(payload, 0);
    put32(payload, 0);
    put64(payload, 1);
    put64(payload, 1);
    put64(payload, quint64(directoryBytes));
    put64(payload, quint64(directoryAt));
    put32(payload, 0x07064B50);
    put32(payload, 0);
    put64(payload, quint64(recordAt));
    put32(payload, 1);
    pad.data = payload + QByteArray(8192, '\0');
    entries.append(pad);
    return hostileArchive(entries);
}

// The same entries with two end records whose comments both reach the end
// of the file: the first describes a directory of only the second
// "scene.json" (hiddenJson), the last the whole archive.
inline QByteArray twoEndRecordsArchive(const QByteArray &shownJson, const QByteArray &hiddenJson)
{
    const QList<HostileEntry> entries {{"scene.json", shownJson, false}, {"scene.json", hiddenJson, false}};
    const QByteArray whole = hostileArchive(entries);
    const QByteArray tail = whole.right(22);
    const int directoryAt = int(qFromLittleEndian<quint32>(tail.constData() + 16));
    const QByteArray directory = whole.mid(directoryAt, whole.size() - 22 - directoryAt);
    const qint64 hiddenAt = localHeaderBytes(entries.at(0)) + entries.at(0).data.size();
    QByteArray out = whole.left(directoryAt);
    const QByteArray hiddenDirectory = centralRecord(entries.at(1), quint32(hiddenAt));
    out += hiddenDirectory;
    put32(out, 0x06054B50);
    put32(out, 0);
    put16(out, 1);
    put16(out, 1);
    put32(out, quint32(hiddenDirectory.size()));
    put32(out, quint32(directoryAt));
    put16(out, quint16(directory.size() + 22));
    const qint64 wholeAt = out.size();
    out += directory;
    put32(out, 0x06054B50);
    put32(out, 0);
    put16(out, 2);
    put16(out, 2);
    put32(out, quint32(directory.size()));
    put32(out, quint32(wholeAt));
    put16(out, 0);
    return out;
}

// A scene whose directory lists one stored content entry records times, every
// record naming the same local header: a rewrite that copies each record
// writes the entry records times.
inline QByteArray sharedEntryArchive(const QByteArray &json, const QByteArray &content, int records)
{
    const QList<HostileEntry> entries {{"scene.json", json, false}, {"big.bin", content, false}};
    const QByteArray single = hostileArchive(entries);
    const int directoryAt = int(qFromLittleEndian<quint32>(single.constData() + single.size() - 6));
    QByteArray out = single.left(directoryAt);
    QByteArray directory = centralRecord(entries.at(0), 0);
    const quint32 contentAt = quint32(localHeaderBytes(entries.at(0)) + json.size());
    for (int i = 0; i < records; ++i)
        directory += centralRecord(entries.at(1), contentAt);
    out += directory;
    put32(out, 0x06054B50);
    put32(out, 0);
    put16(out, quint16(records + 1));
    put16(out, quint16(records + 1));
    put32(out, quint32(directory.size()));
    put32(out, quint32(directoryAt));
    put16(out, 0);
    return out;
}

// The entry names of an archive as its central directory stores them, byte
// for byte (QuaZip shows them only decoded, and cut at a NUL). Empty when the
// archive has no plain end record.
inline QList<QByteArray> storedNames(const QByteArray &archive)
{
    const auto le = [&archive](int at, int width) {
        quint32 value = 0;
        for (int i = width - 1; i >= 0; --i)
            value = (value << 8) | quint8(archive.at(at + i));
        return value;
    };
    QList<QByteArray> names;
    const int end = archive.size() - 22;
    if (end < 0 || le(end, 4) != 0x06054B50u)
        return names;
    int at = int(le(end + 16, 4));
    for (quint32 i = 0, count = le(end + 10, 2); i < count; ++i) {
        if (at < 0 || at + 46 > end || le(at, 4) != 0x02014B50u)
            return QList<QByteArray>();
        const int nameLength = int(le(at + 28, 2));
        names.append(archive.mid(at + 46, nameLength));
        at += 46 + nameLength + int(le(at + 30, 2)) + int(le(at + 32, 2));
    }
    return names;
}

inline QByteArray sceneJson(const QString &name)
{
    return QStringLiteral("{\"id\": \"%1.id\", \"name\": \"%1\", \"tags\": [\"Calm\"], \"typeFlags\": 1,"
                          " \"date\": \"2024-05-01T12:00:00\"}").arg(name).toUtf8();
}

} // namespace Reliability
