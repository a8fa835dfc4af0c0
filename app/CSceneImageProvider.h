#pragma once

#include <QImage>
#include <QQuickImageProvider>
#include <QSize>
#include <QString>

// The "kvscene" image provider: reads one entry of a scene archive (".kvc",
// a zip file) and decodes it as an image, for the scene thumbnails of the
// user interface.
//
// Image id: the archive's file path, "#", the entry name. The id is split at
// every "#": the first part is the archive, the second the entry; any further
// parts are ignored (so an archive whose path holds a "#" is not found).
// The requested size is ignored; the image comes at its stored size and the
// toolkit scales it.
//
// Every failure gives a null image and nothing else:
// - archive missing or not a zip, or an id without an entry name: size untouched;
// - entry not in the archive: size untouched;
// - entry present but not usable (not decodable, larger than
//   maxEntryBytes, or an image larger than maxImageSide / maxImagePixels): 0 x 0.
// The limits keep a hostile scene file from making the program allocate
// gigabytes: the entry is never read beyond maxEntryBytes and the image
// header is checked before any pixel memory is allocated.
//
// Holds no state: every request opens the archive afresh, so requests may
// run at the same time on the GUI thread and the toolkit's loader thread.
// The QML engine owns the provider.
class CSceneImageProvider : public QQuickImageProvider
{
public:
    static constexpr qint64 maxEntryBytes = 64 * 1024 * 1024;
    static constexpr int maxImageSide = 16384;
    static constexpr qint64 maxImagePixels = 64 * 1024 * 1024;

    CSceneImageProvider();
    ~CSceneImageProvider() override;

    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;
};
