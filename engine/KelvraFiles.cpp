#include "KelvraFiles.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace KelvraFiles {

ReadStatus ReadBounded(const QString &path, qint64 limit, QByteArray *data)
{
    data->clear();
    const QFileInfo info(path);
    if (!info.exists())
        return ReadStatus::Missing;
    // Directories, pipes and devices are refused before opening: a pipe
    // would block the caller and a device may never end.
    if (!info.isFile())
        return ReadStatus::Failed;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ReadStatus::Failed;
    if (file.size() > limit)
        return ReadStatus::TooLarge;
    // Read one byte past the limit so a file that grew since size() is caught.
    QByteArray bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError)
        return ReadStatus::Failed;
    if (bytes.size() > limit)
        return ReadStatus::TooLarge;
    *data = bytes;
    return ReadStatus::Ok;
}

bool WriteAtomically(const QString &path, const QByteArray &data)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(data) != data.size()) {
        file.cancelWriting();
        return false;
    }
    // Flush and look at the error ourselves: a write that failed on a full
    // disk must not reach commit(), which renames the temporary file.
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString AsideName(const QString &path)
{
    const QString base = path + QStringLiteral(".corrupt-")
        + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString candidate = base;
    for (int n = 2; QFileInfo::exists(candidate) && n < 1000; ++n)
        candidate = base + QLatin1Char('-') + QString::number(n);
    return candidate;
}

} // namespace KelvraFiles
