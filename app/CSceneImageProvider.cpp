#include "CSceneImageProvider.h"

#include "ZipFastPath.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QUrl>
#include <QStringList>

#include <quazip.h>
#include <quazipfile.h>

#include <optional>

namespace {

bool isAcceptableImageSize(const QSize &imageSize)
{
    if (!imageSize.isValid() || imageSize.isEmpty())
        return false;
    if (imageSize.width() > CSceneImageProvider::maxImageSide
        || imageSize.height() > CSceneImageProvider::maxImageSide)
        return false;
    return qint64(imageSize.width()) * imageSize.height() <= CSceneImageProvider::maxImagePixels;
}

// Reads the current entry of an open archive, at most maxEntryBytes. The
// declared size is checked first; the read itself is bounded too, because a
// damaged or hostile archive may declare less than it holds.
bool readCurrentEntry(QuaZip &archive, QByteArray *data)
{
    QuaZipFile entry(&archive);
    if (!entry.open(QIODevice::ReadOnly))
        return false;
    // usize() reads the size from the entry header without building the
    // entry's timestamp (a local-time conversion, not worth doing per image).
    if (entry.usize() > CSceneImageProvider::maxEntryBytes) {
        entry.close();
        return false;
    }
    // Read in chunks: a single read of the limit would reserve the whole
    // limit for every thumbnail.
    data->clear();
    data->reserve(int(qMax<qint64>(0, entry.usize())));
    char chunk[16 * 1024];
    qint64 got = 0;
    while ((got = entry.read(chunk, sizeof chunk)) > 0) {
        if (data->size() + got > CSceneImageProvider::maxEntryBytes) {
            entry.close();
            return false;
        }
        data->append(chunk, int(got));
    }
    entry.close();
    return got == 0;
}

// Decodes the entry with "JPG" as the format hint, so the toolkit's JPEG
// reader decides (other formats do not decode). The size in the header is
// checked before any pixel memory is allocated.
QImage decodeImage(const QByteArray &data)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, QByteArrayLiteral("JPG"));
    if (!isAcceptableImageSize(reader.size()))
        return QImage();
    return reader.read();
}

// The entry's bytes, or nothing when the archive cannot be opened or holds
// no such entry. An entry that is there but cannot be read within
// maxEntryBytes gives empty bytes, which decode to nothing.
std::optional<QByteArray> readEntry(const QString &archivePath, const QString &entryName)
{
    // An id without "#" names no entry: nothing to show.
    if (entryName.isEmpty())
        return std::nullopt;

    QByteArray data;
#ifndef Q_OS_WIN
    // Outside Windows entry names match exactly, as the fast reader compares
    // them: an archive laid out the usual way is read with two small reads
    // instead of the library's scan; anything else goes the general way.
    switch (ZipFastPath::readFileEntry(archivePath, entryName.toUtf8(), CSceneImageProvider::maxEntryBytes,
                                       &data)) {
    case ZipFastPath::Outcome::Found:
        return data;
    case ZipFastPath::Outcome::NotRegularFile:
        return std::nullopt;   // as the library's failed open; a pipe never blocks the loader
    case ZipFastPath::Outcome::Fallback:
        break;
    }
#endif

    QuaZip archive(archivePath);
    if (!archive.open(QuaZip::mdUnzip))
        return std::nullopt;
    if (!archive.setCurrentFile(entryName)) {
        archive.close();
        return std::nullopt;
    }
    if (!readCurrentEntry(archive, &data))
        data.clear();
    archive.close();
    return data;
}

} // namespace

CSceneImageProvider::CSceneImageProvider()
    : QQuickImageProvider(QQmlImageProviderBase::Image)
{
}

CSceneImageProvider::~CSceneImageProvider() = default;

QImage CSceneImageProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    Q_UNUSED(requestedSize)

    const QStringList parts = id.split(QLatin1Char('#'), Qt::KeepEmptyParts, Qt::CaseSensitive);
    // Ids arrive through image:// URLs, in which the documents escape "%",
    // "#" and "?" of a path; a raw "#" is the separator. Decoding after the
    // split lets such paths through while a path without "%" is unchanged.
    const QString archivePath = QUrl::fromPercentEncoding(parts.at(0).toUtf8());
    const QString entryName = parts.size() > 1 ? QUrl::fromPercentEncoding(parts.at(1).toUtf8()) : QString();

    const std::optional<QByteArray> data = readEntry(archivePath, entryName);
    if (!data)
        return QImage();

    const QImage image = decodeImage(*data);
    if (size)
        *size = image.isNull() ? QSize(0, 0) : image.size();
    return image;
}
