#include "CSceneImageProvider.h"

#include "JpegLayout.h"
#include "ZipFastPath.h"

#include <QAtomicInteger>
#include <QBuffer>
#include <QByteArray>
#include <QFileInfo>
#include <QImageReader>
#include <QMutexLocker>
#include <QRunnable>
#include <QUrl>
#include <QStringList>
#include <QThread>

#include <quazip.h>
#include <quazipfile.h>

#include <optional>

namespace {

// Whether the decoder may be given a frame of this layout: bounded in size,
// in the memory the decoder holds while it works, and in scans.
bool isAcceptableLayout(const JpegLayout &layout)
{
    const QSize frame = layout.frameSize;
    if (frame.isEmpty())
        return false;   // a height of 0 is defined later in the stream; the decoder refuses it
    if (frame.width() > CSceneImageProvider::maxImageSide || frame.height() > CSceneImageProvider::maxImageSide)
        return false;
    const qint64 pixels = qint64(frame.width()) * frame.height();
    if (pixels > (layout.layered() ? CSceneImageProvider::maxLayeredPixels : CSceneImageProvider::maxImagePixels))
        return false;
    // Grey, colour, and colour with a fourth channel are what the toolkit's
    // reader converts; anything else it refuses after decoding.
    if (layout.components != 1 && layout.components != 3 && layout.components != 4)
        return false;
    return layout.scans >= 1 && layout.scans <= CSceneImageProvider::maxScans
           && layout.scans * pixels <= CSceneImageProvider::maxScanPixels;
}

QSize boundedBy(const QSize &size, int longSide)
{
    if (size.width() <= longSide && size.height() <= longSide)
        return size;
    return size.scaled(longSide, longSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
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
// reader decides (other formats do not decode), at the size the view asks
// for. The markers are walked first; the reader's own header is checked
// too, so the two can never disagree in the decoder's favour.
QImage decodeImage(const QByteArray &data, const QSize &requestedSize)
{
    const std::optional<JpegLayout> layout = JpegLayout::read(data, CSceneImageProvider::maxScans);
    if (!layout || !isAcceptableLayout(*layout))
        return QImage();

    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, QByteArrayLiteral("JPG"));
    if (reader.size() != layout->frameSize)
        return QImage();
    const QSize target = CSceneImageProvider::decodeSize(layout->frameSize, requestedSize);
    if (target != layout->frameSize)
        reader.setScaledSize(target);
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

QString archivePathOf(const QString &id)
{
    return QUrl::fromPercentEncoding(id.section(QLatin1Char('#'), 0, 0).toUtf8());
}

// One thumbnail request of a view, worked on by a worker thread. The view
// deletes it once finished() is emitted.
class ThumbnailResponse : public QQuickImageResponse, public QRunnable
{
public:
    ThumbnailResponse(CSceneImageProvider &provider, const QString &id, const QSize &requestedSize)
        : m_provider(provider), m_id(id), m_requestedSize(requestedSize)
    {
        setAutoDelete(false);
        // Released here, acquired by run(): the worker sees the response as
        // built, in a way ThreadSanitizer sees too (the pool's queue hands
        // it over through Qt's futex-based mutex, which it cannot see).
        m_cancelled.storeRelease(0);
    }

    QQuickTextureFactory *textureFactory() const override
    {
        return QQuickTextureFactory::textureFactoryForImage(m_image);
    }
    QString errorString() const override { return m_error; }
    void cancel() override { m_cancelled.storeRelease(1); }

    void run() override
    {
        if (m_cancelled.loadAcquire()) {
            m_error = QStringLiteral("cancelled");
        } else {
            m_image = m_provider.cachedImage(m_id, m_requestedSize);
            if (m_image.isNull())
                m_error = QStringLiteral("no readable picture");
        }
        // Told in the thread the response lives in (the view's loader), once
        // its event loop runs again: the view connects to finished() only
        // after requestImageResponse() returns, and a signal emitted here
        // before that would be lost.
        QMetaObject::invokeMethod(this, [this] { emit finished(); }, Qt::QueuedConnection);
    }

private:
    CSceneImageProvider &m_provider;
    const QString m_id;
    const QSize m_requestedSize;
    QAtomicInteger<int> m_cancelled {0};
    QImage m_image;
    QString m_error;
};

} // namespace

CSceneImageProvider::CSceneImageProvider()
    : m_cache(cacheBytes)
{
    m_pool.setMaxThreadCount(qBound(1, QThread::idealThreadCount(), maxThreads));
}

// Requests still waiting are dropped (their views are gone with the engine);
// the ones being decoded are bounded and waited for.
CSceneImageProvider::~CSceneImageProvider()
{
    m_pool.clear();
    m_pool.waitForDone();
}

QQuickImageResponse *CSceneImageProvider::requestImageResponse(const QString &id, const QSize &requestedSize)
{
    auto *response = new ThumbnailResponse(*this, id, requestedSize);
    m_pool.start(response);
    return response;
}

QImage CSceneImageProvider::cachedImage(const QString &id, const QSize &requestedSize)
{
    // A scene file rewritten on disk (another size or time) is another key.
    const QFileInfo archive(archivePathOf(id));
    const QString key = QStringLiteral("%1\n%2x%3\n%4\n%5")
                            .arg(id)
                            .arg(requestedSize.width())
                            .arg(requestedSize.height())
                            .arg(archive.size())
                            .arg(archive.lastModified().toMSecsSinceEpoch());
    {
        const QMutexLocker locker(&m_cacheMutex);
        if (const QImage *cached = m_cache.object(key))
            return *cached;
    }
    QSize size;
    const QImage image = requestImage(id, &size, requestedSize);
    const QMutexLocker locker(&m_cacheMutex);
    ++m_decodes;
    if (!image.isNull())
        m_cache.insert(key, new QImage(image), int(qMin<qint64>(image.sizeInBytes(), cacheBytes)));
    return image;
}

int CSceneImageProvider::decodeCount() const
{
    const QMutexLocker locker(&m_cacheMutex);
    return m_decodes;
}

QImage CSceneImageProvider::requestImage(const QString &id, QSize *size, const QSize &requestedSize)
{
    const QStringList parts = id.split(QLatin1Char('#'), Qt::KeepEmptyParts, Qt::CaseSensitive);
    // Ids arrive through image:// URLs, in which the documents escape "%",
    // "#" and "?" of a path; a raw "#" is the separator. Decoding after the
    // split lets such paths through while a path without "%" is unchanged.
    const QString archivePath = QUrl::fromPercentEncoding(parts.at(0).toUtf8());
    const QString entryName = parts.size() > 1 ? QUrl::fromPercentEncoding(parts.at(1).toUtf8()) : QString();

    const std::optional<QByteArray> data = readEntry(archivePath, entryName);
    if (!data)
        return QImage();

    const QImage image = decodeImage(*data, requestedSize);
    if (size)
        *size = image.isNull() ? QSize(0, 0) : image.size();
    return image;
}

QSize CSceneImageProvider::decodeSize(const QSize &storedSize, const QSize &requestedSize)
{
    if (storedSize.isEmpty())
        return storedSize;
    // No frame is larger than maxImageSide, so asking for more asks for the
    // stored size; the clamp also keeps the arithmetic below within int.
    const int wantedWidth = qBound(0, requestedSize.width(), maxImageSide);
    const int wantedHeight = qBound(0, requestedSize.height(), maxImageSide);
    if (wantedWidth == 0 && wantedHeight == 0)
        return boundedBy(storedSize, defaultOutputSide);

    QSize target;
    if (wantedWidth > 0 && wantedHeight > 0)
        target = storedSize.scaled(wantedWidth, wantedHeight, Qt::KeepAspectRatioByExpanding);
    else if (wantedWidth > 0)
        target = QSize(wantedWidth, int(qint64(storedSize.height()) * wantedWidth / storedSize.width()));
    else
        target = QSize(int(qint64(storedSize.width()) * wantedHeight / storedSize.height()), wantedHeight);
    if (target.width() >= storedSize.width() || target.height() >= storedSize.height())
        target = storedSize;   // never enlarged: the view scales up if it must
    return boundedBy(target.expandedTo(QSize(1, 1)), maxOutputSide);
}
