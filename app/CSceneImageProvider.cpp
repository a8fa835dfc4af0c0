#include "CSceneImageProvider.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QStringList>

#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>

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
    QuaZipFileInfo64 info;
    if (archive.getCurrentFileInfo(&info) && info.uncompressedSize > quint64(CSceneImageProvider::maxEntryBytes))
        return false;

    QuaZipFile entry(&archive);
    if (!entry.open(QIODevice::ReadOnly))
        return false;
    *data = entry.read(CSceneImageProvider::maxEntryBytes + 1);
    entry.close();
    return data->size() <= CSceneImageProvider::maxEntryBytes;
}

// Decodes the entry with "JPG" as the format hint (the reader still looks
// at the content when the hint does not fit); the header is checked before
// the pixels are allocated.
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
    const QString archivePath = parts.at(0);
    // An id without "#" names no entry: nothing to show.
    const QString entryName = parts.size() > 1 ? parts.at(1) : QString();

    QuaZip archive(archivePath);
    if (!archive.open(QuaZip::mdUnzip))
        return QImage();
    // An empty name would clear the current entry rather than fail.
    if (entryName.isEmpty() || !archive.setCurrentFile(entryName)) {
        archive.close();
        return QImage();
    }

    QImage image;
    QByteArray data;
    if (readCurrentEntry(archive, &data))
        image = decodeImage(data);
    archive.close();

    if (size)
        *size = image.isNull() ? QSize(0, 0) : image.size();
    return image;
}
