#pragma once

#include <QCache>
#include <QImage>
#include <QMutex>
#include <QQuickImageProvider>
#include <QSize>
#include <QString>
#include <QThreadPool>

// The "kvscene" image provider: reads one entry of a scene archive (".kvc",
// a zip file) and decodes it as an image, for the scene thumbnails of the
// user interface.
//
// Image id: the archive's file path, "#", the entry name. The id is split at
// every "#": the first part is the archive, the second the entry; any further
// parts are ignored (so an archive whose path holds a "#" is not found).
//
// Size: a thumbnail costs what is shown, not what the file claims. The image
// is decoded at the requested size (the QML Image's sourceSize), letting the
// decoder scale while it decodes:
// - both sides requested: the smallest size that covers them with the
//   stored aspect ratio (the views crop their thumbnails to fill a box);
// - one side requested: that side, the other in proportion;
// - nothing requested: the stored size, its long side at most
//   defaultOutputSide.
// Never larger than stored, and the long side never beyond maxOutputSide.
// size receives the size of the returned image.
//
// Every failure gives a null image and nothing else:
// - archive missing or not a zip, or an id without an entry name: size untouched;
// - entry not in the archive: size untouched;
// - entry present but not usable: 0 x 0. Not usable: not a decodable JPEG,
//   larger than maxEntryBytes, a frame larger than maxImageSide or
//   maxImagePixels (maxLayeredPixels for a progressive or multi-scan frame,
//   whose decoder holds the whole frame in memory), more than maxScans
//   scans, or scans that together cover more than maxScanPixels (each scan
//   is a pass over the frame: this bounds the decoding time).
// The limits keep a hostile scene file from making the program allocate
// gigabytes or decode for seconds: the entry is never read beyond
// maxEntryBytes, and the markers are walked (see JpegLayout) before the
// decoder is given any of it.
//
// The views ask asynchronously (requestImageResponse): every request is
// read and decoded on a pool of worker threads (at most maxThreads), never on
// the GUI or the render thread, and a request the view drops before a worker
// takes it up (its card scrolled away: cancel()) is answered without reading
// anything. Decoded thumbnails are kept in a cache of at most cacheBytes, by
// id, requested size and the archive's size and modification time, so a
// card scrolled back into view costs no decode and a scene file rewritten on
// disk is read again. A failed request answers with an error and no image.
//
// requestImage() is the same work done at once on the calling thread, with
// no cache: it holds no state and may run on any number of threads at once.
// Every decode is bounded, so the pool, which the provider waits for when it
// is destroyed, never keeps the program from quitting for long. The QML
// engine owns the provider.
class CSceneImageProvider : public QQuickAsyncImageProvider
{
public:
    static constexpr qint64 maxEntryBytes = 16 * 1024 * 1024;
    static constexpr int maxImageSide = 8192;
    static constexpr qint64 maxImagePixels = 16 * 1024 * 1024;
    static constexpr qint64 maxLayeredPixels = 8 * 1024 * 1024;
    static constexpr int maxScans = 64;
    static constexpr qint64 maxScanPixels = 256 * 1024 * 1024;
    static constexpr int maxOutputSide = 1024;
    static constexpr int defaultOutputSide = 512;
    static constexpr int maxThreads = 4;
    static constexpr int cacheBytes = 48 * 1024 * 1024;

    CSceneImageProvider();
    ~CSceneImageProvider() override;

    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;
    QQuickImageResponse *requestImageResponse(const QString &id, const QSize &requestedSize) override;

    // The size a picture stored at storedSize is decoded at when
    // requestedSize is asked for (see above).
    static QSize decodeSize(const QSize &storedSize, const QSize &requestedSize);

    // The worker threads' side: the cached image for a request, decoding it
    // on a miss.
    QImage cachedImage(const QString &id, const QSize &requestedSize);
    // How many requests were decoded rather than taken from the cache.
    int decodeCount() const;
    QThreadPool &pool() { return m_pool; }

private:
    QThreadPool m_pool;
    mutable QMutex m_cacheMutex;
    QCache<QString, QImage> m_cache;
    int m_decodes = 0;
};
