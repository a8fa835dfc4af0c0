#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

struct FileIdentity;

// Reads one entry of a zip archive with two reads when the archive has the
// layout every scene file the engine writes has: the end-of-central-
// directory record in the last 22 bytes (no archive comment) and no other
// end record or zip64 locator signature where the library searches for them
// (the last 64 KiB), no data before the first entry, no multi-disk fields,
// the entry stored or deflated, not encrypted, sharing no bytes with another
// entry, its local header agreeing with the central directory and its data
// matching the recorded size and CRC.
//
// Anything else, including every damaged archive, is not judged here: the
// answer is Fallback and the caller reads the archive with the general zip
// library. So Found means the library would give exactly these bytes, and
// Fallback costs a damaged or unusual archive one extra attempt, nothing more.
//
// The archive is untrusted input: every offset and length is checked against
// the bytes actually read, and nothing is allocated beyond the limit the
// caller gives (plus the central directory, at most kMaxCentralDirectoryBytes).
// The reads are few and bounded: the tail (the 64 KiB the library searches),
// the central directory when the tail does not hold it, and the entry (once
// more when its local header carries an unusually long extra field).
namespace ZipFastPath {

enum class Outcome {
    Found,            // data holds the entry's uncompressed bytes
    NotRegularFile,   // the path names a directory, pipe, device ... (nothing was read)
    Fallback,         // ask the zip library
};

// A larger central directory (thousands of entries) is left to the library.
constexpr qint64 kMaxCentralDirectoryBytes = 1024 * 1024;

// Random access to the archive's bytes.
class Source
{
public:
    virtual ~Source() = default;
    virtual qint64 size() const = 0;
    // Exactly length bytes at offset into buffer, or false.
    virtual bool readAt(qint64 offset, char *buffer, qint64 length) = 0;
};

// The first entry, in central-directory order, whose name is byte for byte
// entryName (case-sensitive, as the library compares names outside Windows).
// An entry larger than maxBytes uncompressed is left to the library (which
// then applies the caller's own limit).
Outcome readEntry(Source &source, const QByteArray &entryName, qint64 maxBytes, QByteArray *data);

// The same on a file: opened without blocking (a pipe answers
// NotRegularFile), one read of the tail, one of the entry, closed again.
// A file that cannot be opened gives Fallback, so the caller's own error
// handling decides. identity, when given, receives the identity of the file
// read (with Found).
Outcome readFileEntry(const QString &path, const QByteArray &entryName, qint64 maxBytes, QByteArray *data,
                      FileIdentity *identity = nullptr);

// The same on an archive held in memory (tests, fuzzing).
Outcome readBufferEntry(const QByteArray &archive, const QByteArray &entryName, qint64 maxBytes, QByteArray *data);

} // namespace ZipFastPath
