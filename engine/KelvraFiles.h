#pragma once

#include <QByteArray>
#include <QString>

// File access shared by the engine's formats: bounded reads, so a hostile or
// damaged file can never make the engine allocate more than the format
// needs, and atomic writes, so a failed write never damages the old file.
namespace KelvraFiles {

enum class ReadStatus {
    Ok,
    Missing,     // nothing at the path
    TooLarge,    // larger than the limit; nothing was read
    Failed,      // not a regular file, or it could not be read
};

ReadStatus ReadBounded(const QString &path, qint64 limit, QByteArray *data);

// Replaces the file at path with data through a temporary file that is renamed
// over it only when every byte reached the disk. False leaves the old file.
bool WriteAtomically(const QString &path, const QByteArray &data);

// A free name beside path for keeping an unusable file aside:
// path + ".corrupt-<UTC yyyyMMdd-hhmmss>", with "-2", "-3"... when taken.
QString AsideName(const QString &path);

} // namespace KelvraFiles
