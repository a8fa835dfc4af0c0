#pragma once

// JPEG entries for the scene archives the tests write: plain thumbnails, and
// ones whose header lies about the picture's size.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QtEndian>

namespace JpegTest {

inline QByteArray jpeg(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return bytes;
}

inline QByteArray jpeg(int width, int height, const QColor &colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return jpeg(image);
}

// A well-formed JPEG whose frame header claims width x height; decoding it
// would need width * height * 4 bytes.
inline QByteArray jpegClaiming(quint16 width, quint16 height)
{
    QByteArray bytes = jpeg(8, 8, Qt::red);
    const int frame = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    if (frame < 0)
        return QByteArray();
    // Marker (2), length (2), precision (1), height (2), width (2).
    qToBigEndian(height, bytes.data() + frame + 5);
    qToBigEndian(width, bytes.data() + frame + 7);
    return bytes;
}

} // namespace JpegTest
