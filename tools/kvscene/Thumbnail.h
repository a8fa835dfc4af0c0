#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QtGlobal>

// The picture a scene file shows in the browser when its author gave none:
// 256x144, colours and shapes varied by the scene's name, motif by its type.
namespace Thumbnail {

constexpr int kWidth = 256;
constexpr int kHeight = 144;

QImage Draw(const QString &name, quint32 typeFlags);
// JPEG bytes of image; empty when encoding failed.
QByteArray EncodeJpeg(const QImage &image);

} // namespace Thumbnail
