#pragma once

#include "ZipFastPath.h"

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

// The structure of a zip archive as a whole: where its end record, directory
// and entries lie, and whether that reading is the only one. Edits rewrite
// what they read, so an archive that zip readers could read in different ways
// (a second end record, a zip64 locator away from its place, bytes before the
// first entry, a local header naming another entry, ...) is not edited, nor
// one whose entries share bytes: a rewrite would copy the shared bytes once
// per entry.
//
// The end record and the zip64 locator are found the way the zip library
// finds them (the last signature in the last 65535 bytes); everything else is
// then checked to have no second reading. Every offset is checked against the
// file's size before it is read; the directory is read whole (at most
// kMaxDirectoryBytes), every local header once.
namespace ZipLayout {

enum class Verdict {
    Plain,         // one reading, entries apart: safe to rewrite
    Overlapping,   // one reading, but entries share bytes (or run into the directory)
    Ambiguous,     // readers could disagree on the entries
    Unreadable,    // not an archive the library reads
};

struct Entry
{
    QByteArray name;           // raw bytes as stored in the central directory
    QByteArray comment;
    QByteArray centralExtra;
    QByteArray localExtra;
    quint16 versionMadeBy = 0;
    quint16 flags = 0;
    quint16 method = 0;
    quint16 internalAttributes = 0;
    quint32 externalAttributes = 0;
    quint32 dosDateTime = 0;   // time in the low half, date in the high half
    quint32 crc = 0;
    qint64 compressedSize = 0;
    qint64 uncompressedSize = 0;
    qint64 headerOffset = 0;   // the local header
    qint64 dataOffset = 0;     // the compressed bytes
    qint64 end = 0;            // after the data and its descriptor
};

struct Layout
{
    Verdict verdict = Verdict::Unreadable;
    QVector<Entry> entries;    // central-directory order
    QByteArray comment;        // the archive's comment, raw
    qint64 archiveEnd = 0;     // the end record's end: the archive without its comment
    bool zip64 = false;        // zip64 end records
};

// The library searches this many bytes at the end for its records.
constexpr qint64 kLibrarySearchBytes = 0xFFFF;
constexpr qint64 kMaxDirectoryBytes = 64 * 1024 * 1024;

Layout inspect(ZipFastPath::Source &source);

// Whether the signature starts anywhere in bytes[0, length - 4].
bool containsSignature(const char *bytes, qint64 length, quint32 signature);

} // namespace ZipLayout
