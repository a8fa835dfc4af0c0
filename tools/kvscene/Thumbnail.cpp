#include "Thumbnail.h"

#include <CScene.h>

#include <QBuffer>
#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QtMath>

namespace Thumbnail {

namespace {

// FNV-1a: the same name gives the same picture in every run and build.
quint32 nameSeed(const QString &name)
{
    quint32 hash = 2166136261u;
    const QByteArray bytes = name.toUtf8();
    for (const char c : bytes) {
        hash ^= quint8(c);
        hash *= 16777619u;
    }
    return hash;
}

QString typeLabel(quint32 typeFlags)
{
    if (typeFlags & CScene::Background)
        return QStringLiteral("BACKGROUND");
    if (typeFlags & CScene::Foreground)
        return QStringLiteral("FOREGROUND");
    if (typeFlags & CScene::Postprocessing)
        return QStringLiteral("POST-PROCESSING");
    if (typeFlags & CScene::Transition)
        return QStringLiteral("TRANSITION");
    return QStringLiteral("STANDALONE");
}

void drawWaves(QPainter &painter, QRandomGenerator &random, const QColor &colour)
{
    for (int wave = 0; wave < 5; ++wave) {
        QPainterPath path;
        const double baseline = 20 + random.bounded(110);
        const double amplitude = 6 + random.bounded(18);
        const double length = 40 + random.bounded(90);
        const double phase = random.bounded(6.28);
        path.moveTo(0, baseline);
        for (int x = 0; x <= kWidth; x += 4)
            path.lineTo(x, baseline + amplitude * qSin(phase + x * 6.28 / length));
        QColor stroke = colour;
        stroke.setAlpha(90 + random.bounded(120));
        painter.setPen(QPen(stroke, 2 + random.bounded(4)));
        painter.drawPath(path);
    }
}

void drawOrbs(QPainter &painter, QRandomGenerator &random, const QColor &colour)
{
    painter.setPen(Qt::NoPen);
    for (int orb = 0; orb < 9; ++orb) {
        const QPointF centre(random.bounded(kWidth), random.bounded(kHeight));
        const double radius = 8 + random.bounded(34);
        QRadialGradient glow(centre, radius);
        QColor core = colour.lighter(120 + random.bounded(60));
        core.setAlpha(220);
        QColor edge = colour;
        edge.setAlpha(0);
        glow.setColorAt(0, core);
        glow.setColorAt(1, edge);
        painter.setBrush(glow);
        painter.drawEllipse(centre, radius, radius);
    }
}

void drawScanlines(QPainter &painter, QRandomGenerator &random, const QColor &colour)
{
    QColor line = colour;
    line.setAlpha(70);
    painter.setPen(QPen(line, 1));
    const int step = 3 + random.bounded(4);
    for (int y = 0; y < kHeight; y += step)
        painter.drawLine(0, y, kWidth, y);
    QColor grid = colour.lighter(150);
    grid.setAlpha(110);
    painter.setPen(QPen(grid, 1));
    const int cell = 16 + random.bounded(20);
    for (int x = random.bounded(cell); x < kWidth; x += cell)
        painter.drawLine(x, 0, x, kHeight);
}

void drawBars(QPainter &painter, QRandomGenerator &random, const QColor &colour)
{
    painter.setPen(Qt::NoPen);
    for (int bar = 0; bar < 7; ++bar) {
        QColor fill = bar % 2 ? colour : colour.darker(160);
        fill.setAlpha(110 + random.bounded(100));
        painter.setBrush(fill);
        const double x = -60 + bar * 50 + random.bounded(20);
        const double width = 14 + random.bounded(26);
        const QPointF corners[] = {{x, double(kHeight)}, {x + width, double(kHeight)},
                                   {x + width + 90, 0}, {x + 90, 0}};
        painter.drawPolygon(corners, 4);
    }
}

void drawRings(QPainter &painter, QRandomGenerator &random, const QColor &colour)
{
    const QPointF centre(60 + random.bounded(136), 30 + random.bounded(84));
    painter.setBrush(Qt::NoBrush);
    for (int ring = 1; ring <= 8; ++ring) {
        QColor stroke = colour;
        stroke.setAlpha(230 - ring * 22);
        painter.setPen(QPen(stroke, 1 + ring % 3));
        painter.drawEllipse(centre, ring * 11.0, ring * 11.0);
    }
}

} // namespace

QImage Draw(const QString &name, quint32 typeFlags)
{
    const quint32 seed = nameSeed(name);
    QRandomGenerator random(seed);
    const int hue = int(seed % 360);
    const int secondHue = (hue + 60 + int((seed >> 9) % 180)) % 360;
    const QColor first = QColor::fromHsv(hue, 200, 140);
    const QColor second = QColor::fromHsv(secondHue, 220, 60);
    const QColor accent = QColor::fromHsv((hue + 180) % 360, 150, 255);

    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, kWidth, kHeight);
    sky.setColorAt(0, first);
    sky.setColorAt(1, second);
    painter.fillRect(image.rect(), sky);

    if (typeFlags & CScene::Background)
        drawWaves(painter, random, accent);
    else if (typeFlags & CScene::Foreground)
        drawOrbs(painter, random, accent);
    else if (typeFlags & CScene::Postprocessing)
        drawScanlines(painter, random, accent);
    else if (typeFlags & CScene::Transition)
        drawBars(painter, random, accent);
    else
        drawRings(painter, random, accent);

    painter.fillRect(QRect(0, kHeight - 30, kWidth, 30), QColor(0, 0, 0, 120));
    QFont title(QStringLiteral("DejaVu Sans"));
    title.setPixelSize(15);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(QRect(8, kHeight - 28, kWidth - 16, 26), Qt::AlignVCenter | Qt::AlignLeft,
                     painter.fontMetrics().elidedText(name, Qt::ElideRight, kWidth - 16));
    QFont label(QStringLiteral("DejaVu Sans"));
    label.setPixelSize(9);
    painter.setFont(label);
    painter.setPen(QColor(255, 255, 255, 200));
    painter.drawText(QRect(8, 6, kWidth - 16, 14), Qt::AlignRight | Qt::AlignTop, typeLabel(typeFlags));
    painter.end();
    return image;
}

QByteArray EncodeJpeg(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPEG", 85))
        return QByteArray();
    return bytes;
}

} // namespace Thumbnail
