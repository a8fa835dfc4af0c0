#pragma once

// Zip archives written byte by byte, so that they can lie the way no
// archiver would: declared sizes, raw name bytes, duplicate names.

#include <QByteArray>
#include <QList>
#include <QtEndian>

#include <zlib.h>

namespace Reliability {

struct HostileEntry
{
    QByteArray name;              // raw bytes as stored
    QByteArray data;              // the entry's real content
    bool deflate = true;
    bool utf8Flag = true;
    qint64 declaredSize = -1;     // -1: the real size
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

inline QByteArray hostileArchive(const QList<HostileEntry> &entries)
{
    QByteArray out;
    QByteArray central;
    for (const HostileEntry &entry : entries) {
        const QByteArray stored = entry.deflate ? rawDeflate(entry.data) : entry.data;
        const quint32 crc = crc32Of(entry.data);
        const quint32 size = quint32(entry.declaredSize >= 0 ? entry.declaredSize : entry.data.size());
        const quint16 flags = entry.utf8Flag ? 0x800 : 0;
        const quint16 method = entry.deflate ? 8 : 0;
        // The fields the local header and the central directory share, from
        // the version needed to the extra field's length.
        const auto putShared = [&](QByteArray &header) {
            put16(header, 20);
            put16(header, flags);
            put16(header, method);
            put16(header, 0);
            put16(header, 0x21);
            put32(header, crc);
            put32(header, quint32(stored.size()));
            put32(header, size);
            put16(header, quint16(entry.name.size()));
            put16(header, 0);
        };
        const quint32 offset = quint32(out.size());
        put32(out, 0x04034B50);
        putShared(out);
        out += entry.name + stored;

        put32(central, 0x02014B50);
        put16(central, 0x031E);
        putShared(central);
        put16(central, 0);
        put16(central, 0);
        put16(central, 0);
        put32(central, 0100644u << 16);
        put32(central, offset);
        central += entry.name;
    }
    const quint32 start = quint32(out.size());
    out += central;
    put32(out, 0x06054B50);
    put16(out, 0);
    put16(out, 0);
    put16(out, quint16(entries.size()));
    put16(out, quint16(entries.size()));
    put32(out, quint32(central.size()));
    put32(out, start);
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
