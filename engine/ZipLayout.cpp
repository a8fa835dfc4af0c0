#include "ZipLayout.h"

#include "ZipFormat.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace ZipLayout {

using namespace ZipFormat;

namespace {

// The last bytes of the file, held once: the end record, its comment and the
// stretch before them that the library searches.
class Tail
{
public:
    bool read(ZipFastPath::Source &source, qint64 length)
    {
        m_start = source.size() - length;
        m_bytes.resize(int(length));
        return source.readAt(m_start, m_bytes.data(), length);
    }
    qint64 start() const { return m_start; }
    qint64 end() const { return m_start + m_bytes.size(); }
    bool holds(qint64 position, qint64 length) const
    {
        return position >= m_start && length >= 0 && position <= end() - length;
    }
    const char *at(qint64 position) const { return m_bytes.constData() + (position - m_start); }

    // The last position in [first, last] where signature starts, as the
    // library's backward search finds it; a hit at 0 counts as none there.
    qint64 lastSignature(qint64 first, qint64 last, quint32 signature) const
    {
        first = std::max({first, m_start, qint64(1)});
        last = std::min(last, end() - 4);
        for (qint64 p = last; p >= first; --p) {
            if (le32(at(p)) == signature)
                return p;
        }
        return -1;
    }

private:
    qint64 m_start = 0;
    QByteArray m_bytes;
};

Layout verdict(Verdict v)
{
    Layout layout;
    layout.verdict = v;
    return layout;
}

// The zip64 extra block of a central header, read the way the library reads
// it: the sizes and the offset whose 32-bit fields hold the marker, in that
// order. False when the block is too short for them, or comes twice, or the
// extra field is not a clean run of blocks.
bool readZip64Extra(const QByteArray &extra, quint64 *uncompressed, quint64 *compressed, quint64 *offset)
{
    bool seen = false;
    int at = 0;
    while (at < extra.size()) {
        if (extra.size() - at < 4)
            return false;
        const quint16 id = le16(extra.constData() + at);
        const int length = le16(extra.constData() + at + 2);
        if (extra.size() - at - 4 < length)
            return false;
        if (id == kExtraZip64) {
            if (seen)
                return false;
            seen = true;
            const char *field = extra.constData() + at + 4;
            int left = length;
            for (quint64 *value : {uncompressed, compressed, offset}) {
                if (*value != kMarker32)
                    continue;
                if (left < 8)
                    return false;
                *value = le64(field);
                field += 8;
                left -= 8;
            }
        }
        at += 4 + length;
    }
    return true;
}

// The sizes a local zip64 block gives (both always present in a local one).
bool localZip64Sizes(const QByteArray &extra, quint64 *uncompressed, quint64 *compressed)
{
    int at = 0;
    while (extra.size() - at >= 4) {
        const quint16 id = le16(extra.constData() + at);
        const int length = le16(extra.constData() + at + 2);
        if (extra.size() - at - 4 < length)
            return false;
        if (id == kExtraZip64 && length >= 16) {
            *uncompressed = le64(extra.constData() + at + 4);
            *compressed = le64(extra.constData() + at + 12);
            return true;
        }
        at += 4 + length;
    }
    return false;
}

} // namespace

bool containsSignature(const char *bytes, qint64 length, quint32 signature)
{
    if (length < 4)
        return false;
    const char pattern[4] = {char(signature & 0xFF), char((signature >> 8) & 0xFF), char((signature >> 16) & 0xFF),
                             char(signature >> 24)};
    // The last byte (6 or 7) is rarer in compressed data than the leading 'P'.
    const char *at = bytes + 3;
    const char *const end = bytes + length;
    while (at < end) {
        const auto *hit = static_cast<const char *>(std::memchr(at, pattern[3], size_t(end - at)));
        if (!hit)
            return false;
        if (std::memcmp(hit - 3, pattern, 3) == 0)
            return true;
        at = hit + 1;
    }
    return false;
}

Layout inspect(ZipFastPath::Source &source)
{
    const qint64 size = source.size();
    if (size < kEndRecordBytes)
        return verdict(Verdict::Unreadable);
    Tail tail;
    if (!tail.read(source, std::min(size, kEndRecordBytes + kMaxCommentBytes + kLibrarySearchBytes)))
        return verdict(Verdict::Unreadable);

    // The end record: the one whose comment reaches exactly to the end of the
    // file. None, or more than one, and readers choose differently.
    qint64 endRecord = -1;
    for (qint64 p = size - kEndRecordBytes; p >= std::max(qint64(0), size - kEndRecordBytes - kMaxCommentBytes); --p) {
        if (le32(tail.at(p)) == kEndRecordSignature && p + kEndRecordBytes + le16(tail.at(p + 20)) == size) {
            if (endRecord >= 0)
                return verdict(Verdict::Ambiguous);
            endRecord = p;
        }
    }
    if (endRecord < 0) {
        // Bytes after the record, or a wrong comment length: the library
        // still takes the last signature, others give up or search on.
        const qint64 found = tail.lastSignature(size - kLibrarySearchBytes, size - 4, kEndRecordSignature);
        return verdict(found >= 0 && found + kEndRecordBytes <= size ? Verdict::Ambiguous : Verdict::Unreadable);
    }
    // A signature inside the record or its comment is what the library's own
    // search of the whole file would take.
    const qint64 afterRecord = endRecord + 1;
    if (containsSignature(tail.at(afterRecord), size - afterRecord, kEndRecordSignature)
        || containsSignature(tail.at(afterRecord), size - afterRecord, kZip64LocatorSignature)) {
        return verdict(Verdict::Ambiguous);
    }

    Layout layout;
    layout.archiveEnd = endRecord + kEndRecordBytes;
    layout.comment = QByteArray(tail.at(layout.archiveEnd), int(size - layout.archiveEnd));
    const qint64 archiveEnd = layout.archiveEnd;
    const char *record = tail.at(endRecord);

    // The zip64 locator the library would take within the archive proper.
    const qint64 locator = tail.lastSignature(archiveEnd - kLibrarySearchBytes, archiveEnd - 4, kZip64LocatorSignature);
    qint64 zip64Record = 0;
    char zip64Bytes[kZip64EndRecordBytes];
    if (locator > 0 && locator + kLocatorBytes <= archiveEnd && le32(tail.at(locator + 4)) == 0
        && le32(tail.at(locator + 16)) == 1) {
        const quint64 offset = le64(tail.at(locator + 8));
        char signature[4];
        if (offset > 0 && offset <= quint64(archiveEnd - 4) && source.readAt(qint64(offset), signature, 4)
            && le32(signature) == kZip64EndRecordSignature) {
            zip64Record = qint64(offset);
        }
    }
    const qint64 standardLocator = endRecord - kLocatorBytes;
    if (zip64Record > 0 ? locator != standardLocator
                        : (standardLocator >= 0 && le32(tail.at(standardLocator)) == kZip64LocatorSignature)) {
        return verdict(Verdict::Ambiguous);   // a locator away from its place, or one in place the library ignores
    }

    quint64 directoryBytes = 0;
    quint64 directoryOffset = 0;
    quint64 entryCount = 0;
    qint64 directoryEnds = endRecord;   // where the library takes the directory to end
    if (zip64Record > 0) {
        if (zip64Record > archiveEnd - kZip64EndRecordBytes
            || !source.readAt(zip64Record, zip64Bytes, kZip64EndRecordBytes))
            return verdict(Verdict::Unreadable);
        const quint64 entriesHere = le64(zip64Bytes + 24);
        entryCount = le64(zip64Bytes + 32);
        directoryBytes = le64(zip64Bytes + 40);
        directoryOffset = le64(zip64Bytes + 48);
        if (le32(zip64Bytes + 16) != 0 || le32(zip64Bytes + 20) != 0 || entriesHere != entryCount)
            return verdict(Verdict::Unreadable);
        // The record runs to the locator, and the plain record's fields say
        // the same or "see zip64": a reader that skips zip64 finds no other directory.
        if (le64(zip64Bytes + 4) + 12 != quint64(locator - zip64Record)
            || (le16(record + 10) != 0xFFFF && le16(record + 10) != entryCount)
            || (le16(record + 8) != 0xFFFF && le16(record + 8) != entryCount)
            || (le32(record + 12) != kMarker32 && le32(record + 12) != directoryBytes)
            || (le32(record + 16) != kMarker32 && le32(record + 16) != directoryOffset)) {
            return verdict(Verdict::Ambiguous);
        }
        directoryEnds = zip64Record;
        layout.zip64 = true;
    } else {
        const quint16 entriesHere = le16(record + 8);
        entryCount = le16(record + 10);
        directoryBytes = le32(record + 12);
        directoryOffset = le32(record + 16);
        if (le16(record + 4) != 0 || le16(record + 6) != 0 || entriesHere != entryCount)
            return verdict(Verdict::Unreadable);
        if (entryCount == 0xFFFF)
            return verdict(Verdict::Ambiguous);   // the library then reads on until a record fails
    }
    if (directoryOffset > quint64(directoryEnds) || directoryBytes > quint64(directoryEnds) - directoryOffset)
        return verdict(Verdict::Unreadable);
    // Anything between the directory and the end records would move every
    // offset for the library (it takes such bytes for a prefix) but not for others.
    if (directoryOffset + directoryBytes != quint64(directoryEnds))
        return verdict(Verdict::Ambiguous);
    if (directoryBytes > quint64(kMaxDirectoryBytes) || entryCount > directoryBytes / kCentralHeaderBytes)
        return verdict(entryCount > directoryBytes / kCentralHeaderBytes ? Verdict::Ambiguous : Verdict::Unreadable);

    QByteArray directory(int(directoryBytes), Qt::Uninitialized);
    if (!source.readAt(qint64(directoryOffset), directory.data(), qint64(directoryBytes)))
        return verdict(Verdict::Unreadable);
    layout.entries.reserve(int(entryCount));
    qint64 at = 0;
    for (quint64 i = 0; i < entryCount; ++i) {
        if (qint64(directoryBytes) - at < kCentralHeaderBytes)
            return verdict(Verdict::Ambiguous);
        const char *header = directory.constData() + at;
        if (le32(header) != kCentralHeaderSignature)
            return verdict(Verdict::Unreadable);
        const int nameLength = le16(header + 28);
        const int extraLength = le16(header + 30);
        const int commentLength = le16(header + 32);
        if (qint64(directoryBytes) - at - kCentralHeaderBytes < qint64(nameLength) + extraLength + commentLength)
            return verdict(Verdict::Ambiguous);
        if (le16(header + 34) != 0)
            return verdict(Verdict::Ambiguous);   // a disk number the library ignores
        Entry entry;
        entry.versionMadeBy = le16(header + 4);
        entry.flags = le16(header + 8);
        entry.method = le16(header + 10);
        entry.dosDateTime = le32(header + 12);
        entry.crc = le32(header + 16);
        entry.internalAttributes = le16(header + 36);
        entry.externalAttributes = le32(header + 38);
        const char *text = header + kCentralHeaderBytes;
        entry.name = QByteArray(text, nameLength);
        entry.centralExtra = QByteArray(text + nameLength, extraLength);
        entry.comment = QByteArray(text + nameLength + extraLength, commentLength);
        quint64 compressed = le32(header + 20);
        quint64 uncompressed = le32(header + 24);
        quint64 offset = le32(header + 42);
        if (!readZip64Extra(entry.centralExtra, &uncompressed, &compressed, &offset))
            return verdict(Verdict::Ambiguous);
        if (compressed > quint64(size) || uncompressed > quint64(std::numeric_limits<qint64>::max())
            || offset > quint64(size))
            return verdict(Verdict::Unreadable);
        entry.compressedSize = qint64(compressed);
        entry.uncompressedSize = qint64(uncompressed);
        entry.headerOffset = qint64(offset);
        layout.entries.append(entry);
        at += kCentralHeaderBytes + nameLength + extraLength + commentLength;
    }
    if (at != qint64(directoryBytes))
        return verdict(Verdict::Ambiguous);   // records the count leaves out

    bool overlapping = false;
    for (Entry &entry : layout.entries) {
        char local[kLocalHeaderBytes];
        if (entry.headerOffset > size - kLocalHeaderBytes || !source.readAt(entry.headerOffset, local, kLocalHeaderBytes)
            || le32(local) != kLocalHeaderSignature || le16(local + 8) != entry.method) {
            return verdict(Verdict::Unreadable);
        }
        const qint64 nameLength = le16(local + 26);
        const qint64 extraLength = le16(local + 28);
        QByteArray text(int(nameLength + extraLength), Qt::Uninitialized);
        if (entry.headerOffset + kLocalHeaderBytes > size - text.size()
            || !source.readAt(entry.headerOffset + kLocalHeaderBytes, text.data(), text.size()))
            return verdict(Verdict::Unreadable);
        // A streaming reader goes by the local header: it must tell the same.
        if (text.left(int(nameLength)) != entry.name || le16(local + 6) != entry.flags)
            return verdict(Verdict::Ambiguous);
        entry.localExtra = text.mid(int(nameLength));
        // The local zip64 block counts where a size field holds the marker,
        // as readers take it (writers leave it behind with real sizes too).
        quint64 localCompressed = le32(local + 18);
        quint64 localUncompressed = le32(local + 22);
        quint64 zip64Compressed = 0;
        quint64 zip64Uncompressed = 0;
        const bool localZip64 = localZip64Sizes(entry.localExtra, &zip64Uncompressed, &zip64Compressed);
        if (!(entry.flags & kFlagDataDescriptor)) {
            if (le32(local + 14) != entry.crc)
                return verdict(Verdict::Unreadable);
            if ((localCompressed == kMarker32 || localUncompressed == kMarker32) && !localZip64)
                return verdict(Verdict::Ambiguous);
            if (localCompressed == kMarker32)
                localCompressed = zip64Compressed;
            if (localUncompressed == kMarker32)
                localUncompressed = zip64Uncompressed;
            if (localCompressed != quint64(entry.compressedSize) || localUncompressed != quint64(entry.uncompressedSize))
                return verdict(Verdict::Ambiguous);
        }
        entry.dataOffset = entry.headerOffset + kLocalHeaderBytes + nameLength + extraLength;
        if (entry.compressedSize > size - entry.dataOffset)
            return verdict(Verdict::Unreadable);
        entry.end = entry.dataOffset + entry.compressedSize;
        if (entry.flags & kFlagDataDescriptor) {
            const bool wide = localZip64 || entry.compressedSize >= kMarker32 || entry.uncompressedSize >= kMarker32;
            char signature[4];
            const bool marked = entry.end <= size - 4 && source.readAt(entry.end, signature, 4)
                && le32(signature) == kDescriptorSignature;
            entry.end += (marked ? 4 : 0) + 4 + (wide ? 16 : 8);
        }
        if (entry.end > qint64(directoryOffset))
            overlapping = true;   // runs into the directory
    }
    QVector<const Entry *> byOffset;
    byOffset.reserve(layout.entries.size());
    for (const Entry &entry : layout.entries)
        byOffset.append(&entry);
    std::sort(byOffset.begin(), byOffset.end(),
              [](const Entry *a, const Entry *b) { return a->headerOffset < b->headerOffset; });
    for (int i = 1; i < byOffset.size(); ++i) {
        if (byOffset.at(i - 1)->end > byOffset.at(i)->headerOffset)
            overlapping = true;
    }
    layout.verdict = overlapping ? Verdict::Overlapping : Verdict::Plain;
    return layout;
}

} // namespace ZipLayout
