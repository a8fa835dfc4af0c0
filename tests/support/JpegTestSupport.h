#pragma once

// JPEG entries for the scene archives the tests write: plain thumbnails,
// progressive ones, ones whose header lies about the picture's size and ones
// with more scans than any encoder writes.

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QImageWriter>
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

// A progressive JPEG: the toolkit's writer splits it into about ten scans.
inline QByteArray progressiveJpeg(int width, int height, const QColor &colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "JPG");
    writer.setProgressiveScanWrite(true);
    writer.write(image);
    return bytes;
}

// The JPEG with its last scan repeated until it has extra more scans. The
// decoder only warns about the repeats and runs every one of them.
inline QByteArray withRepeatedLastScan(const QByteArray &bytes, int extra)
{
    const int scan = bytes.lastIndexOf(QByteArray("\xFF\xDA", 2));
    const int end = bytes.lastIndexOf(QByteArray("\xFF\xD9", 2));
    if (scan < 0 || end < scan)
        return QByteArray();
    const QByteArray lastScan = bytes.mid(scan, end - scan);
    return bytes.left(end) + lastScan.repeated(extra) + bytes.mid(end);
}

// A well-formed JPEG whose frame header claims width x height; decoding it
// at that size would need width * height * 4 bytes.
inline QByteArray jpegClaiming(quint16 width, quint16 height, bool progressive = false)
{
    QByteArray bytes = progressive ? progressiveJpeg(8, 8, Qt::red) : jpeg(8, 8, Qt::red);
    const int frame = bytes.indexOf(QByteArray(progressive ? "\xFF\xC2" : "\xFF\xC0", 2));
    if (frame < 0)
        return QByteArray();
    // Marker (2), length (2), precision (1), height (2), width (2).
    qToBigEndian(height, bytes.data() + frame + 5);
    qToBigEndian(width, bytes.data() + frame + 7);
    return bytes;
}

} // namespace JpegTest
