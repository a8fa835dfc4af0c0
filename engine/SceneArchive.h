#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include "ZipFormat.h"

#include "ZipLayout.h"

class QuaZip;
struct QuaZipFileInfo64;

// The zip side of a scene file: which entries this engine can read, which a
// rewrite can carry over unchanged, and the raw copy that carries them. The
// metadata inside the archive is SceneMetadata's business.
namespace SceneArchive {

using namespace ZipFormat;

// Whether text read from the archive is written back as the same bytes.
bool keepsItsBytes(const QString &text, quint16 flags);

// An entry whose bytes this engine can read: not encrypted, stored or deflated.
bool isReadable(const QuaZipFileInfo64 &info);

// An entry a rewrite can copy without understanding it: readable and its
// name and comment written back byte for byte (a renamed entry is a lost one).
bool isCarriable(const QuaZipFileInfo64 &info);

// Whether the current entry's name and comment arrived whole (QuaZip reads
// them as C strings, so a NUL byte cuts them short).
bool readWhole(QuaZip &zip, const QuaZipFileInfo64 &info);

// Whether name can be stored as an entry name: not empty, no NUL, at most
// the 65535 bytes of UTF-8 the format holds.
bool fitsTheFormat(const QString &name);

bool needsZip64(const QuaZipFileInfo64 &info);

// Reads the archive's current entry, refusing more than limit bytes, data
// that does not inflate, a size other than the declared one and a bad CRC.
bool readCurrentEntry(QuaZip &zip, const QuaZipFileInfo64 &info, qint64 limit, QByteArray *data);

// Whether the library's view of an entry is the one the layout found.
bool matches(const QuaZipFileInfo64 &info, const ZipLayout::Entry &entry);

// Copies the source's current entry (described by entry, which matches it)
// into target without inflating it: the compressed bytes, method, CRC, sizes,
// name, comment, extra fields (without their zip64 record, which the writer
// makes itself), "made by", flags, DOS time and attributes stay as they were.
// The data descriptor flag follows what is written: a descriptor only where
// the entry had one. False also when the library would copy other bytes than
// the layout found there.
bool copyCurrentEntryRaw(QuaZip &source, QuaZip &target, const QuaZipFileInfo64 &info,
                         const ZipLayout::Entry &entry, bool zip64);

// Writes a new entry, deflated unless its name says it is compressed already.
bool writeEntry(QuaZip &target, const QString &name, const QByteArray &data);

} // namespace SceneArchive
