#include "SceneArchive.h"

#include <QFile>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>
#include <quazipnewinfo.h>
#include <unzip.h>
#include <zip.h>

namespace SceneArchive {

namespace {
constexpr qint64 kCopyChunkBytes = 64 * 1024;
}

// Whether text read from the archive is written back as the same bytes. The
// writer stores names and comments as UTF-8; the reader decodes flagged ones
// as UTF-8 (invalid bytes become U+FFFD) and unflagged ones with the locale's
// code page. ASCII survives either way; other text only when it was flagged
// UTF-8 and decoded cleanly.
bool keepsItsBytes(const QString &text, quint16 flags)
{
    // The writer takes names and comments as C strings: a NUL would cut them.
    if (text.contains(QChar::ReplacementCharacter) || text.contains(QChar(0)))
        return false;
    if (flags & kFlagUtf8)
        return true;
    for (const QChar c : text) {
        if (c.unicode() > 0x7F)
            return false;
    }
    return true;
}

// An entry whose bytes this engine can read: not encrypted, stored or deflated.
bool isReadable(const QuaZipFileInfo64 &info)
{
    return !(info.flags & kFlagEncrypted)
        && (info.method == kMethodStored || info.method == kMethodDeflated);
}

// An entry a rewrite can copy without understanding it: readable (the
// encryption header is not carried over) and its name and comment written
// back byte for byte (a renamed entry is a lost one).
bool isCarriable(const QuaZipFileInfo64 &info)
{
    return isReadable(info) && keepsItsBytes(info.name, info.flags) && keepsItsBytes(info.comment, info.flags);
}

// QuaZip reads names and comments as C strings, so one holding a NUL byte
// arrives cut short and a rewrite would store the cut text under the entry.
// For text that keepsItsBytes, the decoded text re-encodes to exactly the
// stored bytes, so a stored length that differs means a cut.
bool readWhole(QuaZip &zip, const QuaZipFileInfo64 &info)
{
    unz_file_info64 stored;
    if (unzGetCurrentFileInfo64(zip.getUnzFile(), &stored, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        return false;
    return stored.size_filename == uLong(info.name.toUtf8().size())
        && stored.size_file_comment == uLong(info.comment.toUtf8().size());
}

// The zip format holds names of at most 65535 bytes; a longer one would be
// written with a cut length field and damage the archive. The writer takes
// names as C strings, so a NUL would cut the name short.
bool fitsTheFormat(const QString &name)
{
    return !name.isEmpty() && !name.contains(QChar(0)) && name.toUtf8().size() <= 0xFFFF;
}

bool needsZip64(const QuaZipFileInfo64 &info)
{
    return qint64(info.uncompressedSize) >= kZip32Limit || qint64(info.compressedSize) >= kZip32Limit;
}

// Reads the archive's current entry, refusing more than limit bytes, data
// that does not inflate, a size other than the declared one and a bad CRC.
bool readCurrentEntry(QuaZip &zip, const QuaZipFileInfo64 &info, qint64 limit, QByteArray *data)
{
    data->clear();
    if (qint64(info.uncompressedSize) > limit || !isReadable(info))
        return false;
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes;
    bytes.reserve(int(info.uncompressedSize));
    char buffer[16 * 1024];
    bool ok = true;
    for (;;) {
        const qint64 count = file.read(buffer, sizeof(buffer));
        if (count < 0 || bytes.size() + count > limit) {
            ok = false;
            break;
        }
        if (count == 0)
            break;
        bytes.append(buffer, int(count));
    }
    file.close();
    if (!ok || file.getZipError() != UNZ_OK || quint64(bytes.size()) != info.uncompressedSize)
        return false;
    *data = bytes;
    return true;
}

// The central-directory extra field without its ZIP64 record: the writer adds
// its own when the sizes need one, and a copied one would contradict it.
static QByteArray withoutZip64Record(const QByteArray &extra)
{
    QByteArray kept;
    int at = 0;
    while (at + 4 <= extra.size()) {
        const auto byte = [&extra](int i) { return quint16(quint8(extra.at(i))); };
        const quint16 id = quint16(byte(at) | (byte(at + 1) << 8));
        const int length = int(byte(at + 2) | (byte(at + 3) << 8));
        if (at + 4 + length > extra.size())
            break;   // a damaged tail is not copied
        if (id != kExtraZip64)
            kept.append(extra.mid(at, 4 + length));
        at += 4 + length;
    }
    return kept;
}

bool matches(const QuaZipFileInfo64 &info, const ZipLayout::Entry &entry)
{
    return info.name.toUtf8() == entry.name && info.comment.toUtf8() == entry.comment && info.crc == entry.crc
        && info.flags == entry.flags && info.method == entry.method
        && qint64(info.compressedSize) == entry.compressedSize
        && qint64(info.uncompressedSize) == entry.uncompressedSize;
}

bool copyCurrentEntryRaw(QuaZip &source, QuaZip &target, const QuaZipFileInfo64 &info,
                         const ZipLayout::Entry &entry, bool zip64)
{
    if (!isCarriable(info) || !matches(info, entry))
        return false;
    QuaZipFile in(&source);
    int method = 0;
    int level = 0;
    if (!in.open(QIODevice::ReadOnly, &method, &level, true))
        return false;
    // The bytes the library copies must be the ones the layout accounted for.
    if (qint64(unzGetCurrentFileZStreamPos64(source.getUnzFile())) != entry.dataOffset) {
        in.close();
        return false;
    }

    zipFile out = target.getZipFile();
    // The writer adds the data descriptor and UTF-8 flags itself from its own
    // settings: for this entry they follow the entry, then they are restored.
    const auto follow = [out](unsigned writerFlag, bool on) {
        if (on)
            zipSetFlags(out, writerFlag);
        else
            zipClearFlags(out, writerFlag);
    };
    follow(ZIP_WRITE_DATA_DESCRIPTOR, entry.flags & kFlagDataDescriptor);
    follow(ZIP_ENCODING_UTF8, entry.flags & kFlagUtf8);
    zip_fileinfo fileInfo {};
    fileInfo.dosDate = entry.dosDateTime;
    if (entry.dosDateTime == 0) {
        // The writer takes a zero as "convert tmz_date"; this one converts to zero.
        fileInfo.tmz_date.tm_mon = uInt(-1);
    }
    fileInfo.internal_fa = entry.internalAttributes;
    fileInfo.external_fa = entry.externalAttributes;
    const QByteArray localExtra = withoutZip64Record(entry.localExtra);
    const QByteArray centralExtra = withoutZip64Record(entry.centralExtra);
    const QByteArray name = entry.name;   // carriable: no NUL inside
    const QByteArray comment = entry.comment;
    int result = zipOpenNewFileInZip4_64(
        out, name.constData(), &fileInfo, localExtra.isEmpty() ? nullptr : localExtra.constData(),
        uInt(localExtra.size()), centralExtra.isEmpty() ? nullptr : centralExtra.constData(),
        uInt(centralExtra.size()), comment.isEmpty() ? nullptr : comment.constData(), method, level, 1, -MAX_WBITS,
        DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY, nullptr, 0, entry.versionMadeBy,
        entry.flags & ~quint16(kFlagDataDescriptor | kFlagEncrypted), zip64 ? 1 : 0);
    follow(ZIP_WRITE_DATA_DESCRIPTOR, target.isDataDescriptorWritingEnabled());
    follow(ZIP_ENCODING_UTF8, target.isUtf8Enabled());
    if (result != ZIP_OK) {
        in.close();
        return false;
    }
    QByteArray buffer(int(kCopyChunkBytes), Qt::Uninitialized);
    qint64 copied = 0;
    for (;;) {
        const qint64 count = in.read(buffer.data(), buffer.size());
        if (count < 0) {
            result = ZIP_ERRNO;
            break;
        }
        if (count == 0)
            break;
        result = zipWriteInFileInZip(out, buffer.constData(), unsigned(count));
        if (result != ZIP_OK)
            break;
        copied += count;
    }
    in.close();
    const int closed = zipCloseFileInZipRaw64(out, ZPOS64_T(entry.uncompressedSize), uLong(entry.crc));
    return result == ZIP_OK && closed == ZIP_OK && in.getZipError() == UNZ_OK && copied == entry.compressedSize;
}

static bool isAlreadyCompressed(const QString &name)
{
    static const char *const suffixes[] = {".jpg", ".jpeg", ".png", ".webp", ".kvc", ".zip", ".ogg", ".mp3"};
    for (const char *suffix : suffixes) {
        if (name.endsWith(QLatin1String(suffix), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

bool writeEntry(QuaZip &target, const QString &name, const QByteArray &data)
{
    if (!fitsTheFormat(name))
        return false;
    QuaZipNewInfo info(name);
    info.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    info.uncompressedSize = ulong(data.size());
    QuaZipFile out(&target);
    const int method = isAlreadyCompressed(name) ? kMethodStored : kMethodDeflated;
    if (!out.open(QIODevice::WriteOnly, info, nullptr, 0, method, Z_DEFAULT_COMPRESSION))
        return false;
    const bool written = out.write(data) == data.size();
    out.close();
    return written && out.getZipError() == ZIP_OK;
}

} // namespace SceneArchive
