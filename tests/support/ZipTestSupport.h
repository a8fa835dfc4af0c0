#pragma once

// Archives built entry by entry, so tests can make the damaged and hostile
// ones a writer never would, and the raw view of an archive's entries.

#include "EngineTestSupport.h"

#include <QBuffer>
#include <QList>

#include <quacrc32.h>
#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>
#include <quazipnewinfo.h>

#include <utility>

namespace EngineTest {

// Written as {name, data, ...} with the fields in order; the constructor
// holds the defaults, so a short list leaves the rest at them.
struct ZipEntry
{
    ZipEntry() : ZipEntry(QString(), QByteArray()) {}
    ZipEntry(QString name, QByteArray data, int method = Z_DEFLATED, int level = Z_DEFAULT_COMPRESSION,
             QString comment = QString(), QByteArray password = QByteArray())
        : name(std::move(name)), data(std::move(data)), method(method), level(level),
          comment(std::move(comment)), password(std::move(password))
    {}

    QString name;
    QByteArray data;
    int method;
    int level;
    QString comment;
    QByteArray password;   // encrypted with it when not empty
};

struct ArchiveOptions
{
    QString comment;                      // the archive's own comment
    const char *legacyCodec = nullptr;    // names and comments in this code page, UTF-8 flag clear
};

// Empty when the archive could not be built.
inline QByteArray makeArchive(const QList<ZipEntry> &entries, const ArchiveOptions &options = ArchiveOptions())
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QuaZip zip(&buffer);
    zip.setAutoClose(false);
    if (options.legacyCodec) {
        zip.setFileNameCodec(options.legacyCodec);
        zip.setCommentCodec(options.legacyCodec);
    } else {
        zip.setUtf8Enabled(true);
    }
    if (!zip.open(QuaZip::mdCreate))
        return QByteArray();
    if (!options.comment.isEmpty())
        zip.setComment(options.comment);
    for (const ZipEntry &entry : entries) {
        QuaZipNewInfo info(entry.name);
        info.comment = entry.comment;
        info.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        QuaZipFile file(&zip);
        // Encryption needs the data's CRC before the data is written.
        const char *password = entry.password.isEmpty() ? nullptr : entry.password.constData();
        const quint32 crc = password ? QuaCrc32().calculate(entry.data) : 0;
        if (!file.open(QIODevice::WriteOnly, info, password, crc, entry.method, entry.level))
            return QByteArray();
        file.write(entry.data);
        file.close();
    }
    zip.close();
    return bytes;
}

// One entry as it is stored: compressed bytes, method, CRC and size.
struct RawEntry
{
    QString name;
    int method = -1;
    quint32 crc = 0;
    quint64 uncompressedSize = 0;
    QByteArray compressed;
    QString comment;

    bool operator==(const RawEntry &other) const
    {
        return name == other.name && method == other.method && crc == other.crc
            && uncompressedSize == other.uncompressedSize && compressed == other.compressed
            && comment == other.comment;
    }
};

inline QList<RawEntry> rawEntries(const QString &path)
{
    QList<RawEntry> entries;
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip))
        return entries;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        QuaZipFileInfo64 info;
        zip.getCurrentFileInfo(&info);
        RawEntry entry;
        entry.name = info.name;
        entry.crc = info.crc;
        entry.uncompressedSize = info.uncompressedSize;
        entry.comment = info.comment;
        QuaZipFile file(&zip);
        int method = 0;
        int level = 0;
        if (file.open(QIODevice::ReadOnly, &method, &level, true)) {
            entry.method = method;
            entry.compressed = file.readAll();
            file.close();
        }
        entries.append(entry);
    }
    return entries;
}

// Every entry but the first one named name (the metadata).
inline QList<RawEntry> withoutFirst(QList<RawEntry> entries, const QString &name)
{
    for (int i = 0; i < entries.size(); ++i) {
        if (entries.at(i).name == name) {
            entries.removeAt(i);
            break;
        }
    }
    return entries;
}

inline QByteArray entryData(const QString &path, const QString &name)
{
    QuaZip zip(path);
    if (!zip.open(QuaZip::mdUnzip) || !zip.setCurrentFile(name, QuaZip::csSensitive))
        return QByteArray();
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

} // namespace EngineTest
