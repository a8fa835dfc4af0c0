#include "ZipFastPath.h"

#include "FileIdentity.h"
#include "ZipFormat.h"
#include "ZipLayout.h"

#include <QFile>
#include <QFileInfo>

#include <zlib.h>

#include <algorithm>
#include <cstring>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ZipFastPath {

using namespace ZipFormat;

namespace {

// The stretch the zip library searches for its end records, and the end
// record itself: whatever the library could find there is seen here too. With
// a handful of entries the central directory lies in it, and in a small
// archive the entries as well.
constexpr qint64 kTailReadBytes = ZipLayout::kLibrarySearchBytes + kEndRecordBytes;
// Room read after the local header's name for its extra field, so that the
// entry normally arrives with a single read.
constexpr qint64 kLocalExtraAllowance = 1024;
// Whatever limit the caller gives, larger entries are the library's (and
// every size below stays far from int's range).
constexpr qint64 kLargestEntryBytes = 256 * 1024 * 1024;


// Whether the bytes read at the end show another reading of the archive: a
// zip64 locator signature anywhere (the library looks for one before
// anything else), an end record signature after the last record's start
// (the library would take that one), or an earlier end record whose comment
// also reaches the end (another reader could). One pass: browsing pays it
// for every scene.
bool hidesAnotherReading(const char *bytes, qint64 length)
{
    const char *const lastRecord = bytes + length - kEndRecordBytes;
    const char *const end = bytes + length - 3;
    for (const char *at = bytes; at < end;) {
        const auto *hit = static_cast<const char *>(std::memchr(at, 'P', size_t(end - at)));
        if (!hit)
            return false;
        if (hit[1] == 'K') {
            if (hit[2] == 6 && hit[3] == 7)
                return true;
            if (hit[2] == 5 && hit[3] == 6 && hit != lastRecord
                && (hit > lastRecord || hit + kEndRecordBytes + le16(hit + 20) == bytes + length)) {
                return true;
            }
        }
        at = hit + 1;
    }
    return false;
}

// What the central directory says about the wanted entry.
struct EntryRecord
{
    quint16 flags = 0;
    quint16 method = 0;
    quint32 crc = 0;
    qint64 compressedSize = 0;
    qint64 uncompressedSize = 0;
    qint64 localHeaderOffset = 0;
    qint64 directoryPosition = 0;   // of its central header
};

// Walks the whole central directory: every header must be well formed and
// the headers must fill it exactly, else the library decides. Returns true
// with *found set when an entry named entryName exists.
bool findEntry(const char *directory, qint64 directoryBytes, quint16 entryCount, const QByteArray &entryName,
               EntryRecord *record, bool *found)
{
    *found = false;
    qint64 at = 0;
    for (quint32 i = 0; i < entryCount; ++i) {
        if (directoryBytes - at < kCentralHeaderBytes)
            return false;
        const char *header = directory + at;
        if (le32(header) != kCentralHeaderSignature)
            return false;
        const quint32 compressed = le32(header + 20);
        const quint32 uncompressed = le32(header + 24);
        const qint64 nameLength = le16(header + 28);
        const qint64 extraLength = le16(header + 30);
        const qint64 commentLength = le16(header + 32);
        const quint32 localOffset = le32(header + 42);
        const qint64 headerBytes = kCentralHeaderBytes + nameLength + extraLength + commentLength;
        if (directoryBytes - at < headerBytes)
            return false;
        if (compressed == kMarker32 || uncompressed == kMarker32 || localOffset == kMarker32)
            return false;   // zip64 sizes
        const char *name = header + kCentralHeaderBytes;
        // The library may see a name cut at a NUL byte; such names are its call.
        if (std::memchr(name, 0, size_t(nameLength)))
            return false;
        if (!*found && nameLength == entryName.size() && std::memcmp(name, entryName.constData(), size_t(nameLength)) == 0) {
            *found = true;
            record->flags = le16(header + 8);
            record->method = le16(header + 10);
            record->crc = le32(header + 16);
            record->compressedSize = compressed;
            record->uncompressedSize = uncompressed;
            record->localHeaderOffset = localOffset;
            record->directoryPosition = at;
        }
        at += headerBytes;
    }
    return at == directoryBytes;
}

// Whether another entry starts inside [begin, end), or runs over begin:
// each other entry taken as at least its local header without extra field
// and its data. The library reads shared bytes as it finds them; such an
// archive is its to judge.
bool sharesBytes(const char *directory, quint16 entryCount, qint64 wantedPosition, qint64 begin, qint64 end)
{
    qint64 at = 0;
    for (quint32 i = 0; i < entryCount; ++i) {
        const char *header = directory + at;
        const qint64 nameLength = le16(header + 28);
        if (at != wantedPosition) {
            const qint64 start = le32(header + 42);
            const qint64 stop = start + kLocalHeaderBytes + nameLength + le32(header + 20);
            if (start < end && begin < stop)
                return true;
        }
        at += kCentralHeaderBytes + nameLength + le16(header + 30) + le16(header + 32);
    }
    return false;
}

bool inflateRaw(const char *input, qint64 inputBytes, QByteArray *output, qint64 outputBytes)
{
    z_stream stream;
    std::memset(&stream, 0, sizeof(stream));
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return false;
    // zlib decodes with its fast loop only while 258 bytes of room are left,
    // so the buffer gets that much more than the entry needs; the slack also
    // shows a stream that would inflate to more than the recorded size.
    constexpr qint64 kInflateSlack = 258 + 64;
    *output = QByteArray(int(outputBytes + kInflateSlack), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(input));
    stream.avail_in = uInt(inputBytes);
    stream.next_out = reinterpret_cast<Bytef *>(output->data());
    stream.avail_out = uInt(output->size());
    const int result = inflate(&stream, Z_FINISH);
    // The stream must end exactly where the recorded sizes say, no sooner, no later.
    const bool ok = result == Z_STREAM_END && stream.avail_in == 0 && qint64(stream.total_out) == outputBytes;
    inflateEnd(&stream);
    output->resize(int(outputBytes));
    return ok;
}

class BufferSource : public Source
{
public:
    explicit BufferSource(const QByteArray &bytes) : m_bytes(bytes) {}
    qint64 size() const override { return m_bytes.size(); }
    bool readAt(qint64 offset, char *buffer, qint64 length) override
    {
        if (offset < 0 || length < 0 || offset > m_bytes.size() || m_bytes.size() - offset < length)
            return false;
        std::memcpy(buffer, m_bytes.constData() + offset, size_t(length));
        return true;
    }

private:
    const QByteArray &m_bytes;
};

#ifdef Q_OS_UNIX
class DescriptorSource : public Source
{
public:
    DescriptorSource(int descriptor, qint64 size) : m_descriptor(descriptor), m_size(size) {}
    qint64 size() const override { return m_size; }
    bool readAt(qint64 offset, char *buffer, qint64 length) override
    {
        while (length > 0) {
            const ssize_t count = ::pread(m_descriptor, buffer, size_t(length), off_t(offset));
            if (count < 0 && errno == EINTR)
                continue;
            if (count <= 0)
                return false;   // error, or the file shrank under us
            buffer += count;
            offset += count;
            length -= count;
        }
        return true;
    }

private:
    int m_descriptor;
    qint64 m_size;
};
#else
class FileSource : public Source
{
public:
    explicit FileSource(QFile &file) : m_file(file) {}
    qint64 size() const override { return m_file.size(); }
    bool readAt(qint64 offset, char *buffer, qint64 length) override
    {
        return m_file.seek(offset) && m_file.read(buffer, length) == length;
    }

private:
    QFile &m_file;
};
#endif

} // namespace

Outcome readEntry(Source &source, const QByteArray &entryName, qint64 maxBytes, QByteArray *data)
{
    data->clear();
    const qint64 fileSize = source.size();
    if (fileSize < kEndRecordBytes || maxBytes < 0 || entryName.isEmpty())
        return Outcome::Fallback;

    // On the stack: browsing reads thousands of these, one heap block fewer each.
    char tailPage[kTailReadBytes];
    const qint64 tailBytes = std::min(fileSize, kTailReadBytes);
    if (!source.readAt(fileSize - tailBytes, tailPage, tailBytes))
        return Outcome::Fallback;

    const char *endRecord = tailPage + tailBytes - kEndRecordBytes;
    if (le32(endRecord) != kEndRecordSignature)
        return Outcome::Fallback;   // a comment follows, or this is no zip archive
    const quint16 diskNumber = le16(endRecord + 4);
    const quint16 directoryDisk = le16(endRecord + 6);
    const quint16 entriesOnDisk = le16(endRecord + 8);
    const quint16 entryCount = le16(endRecord + 10);
    const quint32 directoryBytes = le32(endRecord + 12);
    const quint32 directoryOffset = le32(endRecord + 16);
    const quint16 commentLength = le16(endRecord + 20);
    if (diskNumber != 0 || directoryDisk != 0 || entriesOnDisk != entryCount || entryCount == 0
        || entryCount == kMarker16 || commentLength != 0 || directoryBytes == kMarker32
        || directoryOffset == kMarker32) {
        return Outcome::Fallback;
    }
    // The directory ends right where the end record starts: no zip64 records
    // in between, no bytes before the first entry.
    if (qint64(directoryOffset) + qint64(directoryBytes) != fileSize - kEndRecordBytes)
        return Outcome::Fallback;
    // The library looks for a zip64 locator before anything else, in all of
    // the stretch read here; wherever one seems to be, the archive is left to
    // it. So is one with a second end record the library would take (a
    // signature after this one) or another reader could (one whose comment
    // reaches the end too).
    if (hidesAnotherReading(tailPage, tailBytes))
        return Outcome::Fallback;

    const char *directory = nullptr;
    QByteArray largeDirectory;
    if (qint64(directoryBytes) <= tailBytes - kEndRecordBytes) {
        directory = endRecord - directoryBytes;
    } else {
        if (qint64(directoryBytes) > kMaxCentralDirectoryBytes)
            return Outcome::Fallback;
        largeDirectory.resize(int(directoryBytes));
        if (!source.readAt(directoryOffset, largeDirectory.data(), directoryBytes))
            return Outcome::Fallback;
        directory = largeDirectory.constData();
    }

    EntryRecord entry;
    bool found = false;
    if (!findEntry(directory, directoryBytes, entryCount, entryName, &entry, &found) || !found)
        return Outcome::Fallback;

    if ((entry.flags & (kFlagEncrypted | kFlagStrongEncryption))
        || (entry.method != kMethodStored && entry.method != kMethodDeflated)
        || entry.uncompressedSize > std::min(maxBytes, kLargestEntryBytes)
        || (entry.method == kMethodStored && entry.compressedSize != entry.uncompressedSize)
        // Deflate grows incompressible data by 5 bytes per 64 KiB stored block.
        || entry.compressedSize > entry.uncompressedSize + entry.uncompressedSize / 1024 + 64) {
        return Outcome::Fallback;
    }

    const qint64 nameLength = entryName.size();
    const qint64 available = qint64(directoryOffset) - entry.localHeaderOffset;
    if (available < kLocalHeaderBytes + nameLength + entry.compressedSize)
        return Outcome::Fallback;
    qint64 readBytes =
        std::min(available, kLocalHeaderBytes + nameLength + kLocalExtraAllowance + entry.compressedSize);
    // A small entry such as the metadata is read onto the stack: one heap
    // block fewer per scene.
    char stackBuffer[8192];
    QByteArray heapBuffer;
    const auto readLocalEntry = [&](qint64 length) -> const char * {
        char *target = stackBuffer;
        if (length > qint64(sizeof(stackBuffer))) {
            heapBuffer.resize(int(length));
            target = heapBuffer.data();
        }
        return source.readAt(entry.localHeaderOffset, target, length) ? target : nullptr;
    };
    const char *local = readLocalEntry(readBytes);
    if (!local)
        return Outcome::Fallback;
    if (le32(local) != kLocalHeaderSignature || le16(local + 6) != entry.flags || le16(local + 8) != entry.method
        || le16(local + 26) != nameLength
        || std::memcmp(local + kLocalHeaderBytes, entryName.constData(), size_t(nameLength)) != 0) {
        return Outcome::Fallback;
    }
    if (!(entry.flags & kFlagDataDescriptor)
        && (le32(local + 14) != entry.crc || le32(local + 18) != entry.compressedSize
            || le32(local + 22) != entry.uncompressedSize)) {
        return Outcome::Fallback;
    }
    const qint64 dataOffset = kLocalHeaderBytes + nameLength + le16(local + 28);
    if (dataOffset + entry.compressedSize > available)
        return Outcome::Fallback;
    if (sharesBytes(directory, entryCount, entry.directoryPosition, entry.localHeaderOffset,
                    entry.localHeaderOffset + dataOffset + entry.compressedSize)) {
        return Outcome::Fallback;
    }
    if (dataOffset + entry.compressedSize > readBytes) {
        // An unusually long local extra field: one more read, of exactly the data.
        readBytes = dataOffset + entry.compressedSize;
        local = readLocalEntry(readBytes);
        if (!local)
            return Outcome::Fallback;
    }

    QByteArray bytes;
    if (entry.method == kMethodStored) {
        bytes = QByteArray(local + dataOffset, int(entry.compressedSize));
    } else if (!inflateRaw(local + dataOffset, entry.compressedSize, &bytes, entry.uncompressedSize)) {
        return Outcome::Fallback;
    }
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef *>(bytes.constData()), uInt(bytes.size()));
    if (quint32(crc) != entry.crc)
        return Outcome::Fallback;
    *data = bytes;
    return Outcome::Found;
}

Outcome readBufferEntry(const QByteArray &archive, const QByteArray &entryName, qint64 maxBytes, QByteArray *data)
{
    BufferSource source(archive);
    return readEntry(source, entryName, maxBytes, data);
}

Outcome readFileEntry(const QString &path, const QByteArray &entryName, qint64 maxBytes, QByteArray *data,
                      FileIdentity *identity)
{
    data->clear();
    if (path.isEmpty())
        return Outcome::Fallback;
#ifdef Q_OS_UNIX
    // Non-blocking, so that a pipe named like a scene cannot stop the scan;
    // fstat then turns away everything but regular files before a read.
    const QByteArray nativePath = QFile::encodeName(path);
    int descriptor;
    do {
        descriptor = ::open(nativePath.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0)
        return Outcome::Fallback;
    struct stat status;
    Outcome outcome = Outcome::Fallback;
    if (::fstat(descriptor, &status) == 0) {
        if (!S_ISREG(status.st_mode)) {
            outcome = Outcome::NotRegularFile;
        } else {
            DescriptorSource source(descriptor, qint64(status.st_size));
            outcome = readEntry(source, entryName, maxBytes, data);
            if (identity && outcome == Outcome::Found)
                *identity = FileIdentity::ofDescriptor(descriptor);
        }
    }
    ::close(descriptor);
    return outcome;
#else
    if (!QFileInfo(path).isFile())
        return QFileInfo::exists(path) ? Outcome::NotRegularFile : Outcome::Fallback;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return Outcome::Fallback;
    FileSource source(file);
    const Outcome outcome = readEntry(source, entryName, maxBytes, data);
    if (identity && outcome == Outcome::Found)
        *identity = FileIdentity::ofPath(path);
    return outcome;
#endif
}

} // namespace ZipFastPath
