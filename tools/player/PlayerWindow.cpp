#include "PlayerWindow.h"

#include <QDir>
#include <QKeyEvent>
#include <QPainter>

namespace {

const QColor kBackground(16, 20, 24);
const QColor kText(235, 235, 235);
const QColor kDimText(150, 160, 170);

void DrawText(QPainter &painter, const QRect &box, int pixelSize, bool bold, const QColor &colour,
              int flags, const QString &text)
{
    QFont font = painter.font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    painter.setFont(font);
    painter.setPen(colour);
    painter.drawText(box, flags, text);
}

// The image scaled to fit box, keeping its shape, centred in it.
QRect FittedRect(const QSize &image, const QRect &box)
{
    const QSize size = image.scaled(box.size(), Qt::KeepAspectRatio);
    return QRect(box.x() + (box.width() - size.width()) / 2, box.y() + (box.height() - size.height()) / 2,
                 size.width(), size.height());
}

} // namespace

PlayerWindow::PlayerWindow(const QString &modeTitle, const QList<QStringList> &steps, QWindow *parent)
    : QRasterWindow(parent)
    , m_modeTitle(modeTitle)
    , m_steps(steps)
{
    setTitle(QStringLiteral("Kelvra"));
    resize(960, 600);
    m_stepTimer.setInterval(kStepIntervalMs);
    connect(&m_stepTimer, &QTimer::timeout, this, &PlayerWindow::ShowNextStep);
    ShowStep(0);
    if (m_steps.size() > 1)
        m_stepTimer.start();
}

void PlayerWindow::ShowNextStep()
{
    if (m_steps.isEmpty())
        return;
    ShowStep((m_step + 1) % m_steps.size());
}

void PlayerWindow::ShowStep(int step)
{
    m_step = step;
    m_layers.clear();
    if (step < m_steps.size()) {
        // Loaded when shown, so a long playlist costs one scene at a time.
        for (const QString &path : m_steps.at(step))
            m_layers.append(SceneCard::Load(path));
    }
    update();
}

void PlayerWindow::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    PaintFrame(painter, QRect(QPoint(0, 0), size()), m_modeTitle, m_layers, m_step, m_steps.size());
}

void PlayerWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QRasterWindow::keyPressEvent(event);
}

void PlayerWindow::PaintFrame(QPainter &painter, const QRect &area, const QString &modeTitle,
                              const QList<SceneCard> &layers, int step, int stepCount)
{
    painter.fillRect(area, kBackground);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const int margin = 24;
    const QRect inner = area.adjusted(margin, margin, -margin, -margin);

    // The scenes beneath the shown one fill the window, dimmed.
    for (int i = 0; i + 1 < layers.size(); ++i) {
        const QImage &image = layers.at(i).thumbnail;
        if (!image.isNull()) {
            // Cover the window without distorting the picture; the overflow is cut.
            const QSize cover = image.size().scaled(area.size(), Qt::KeepAspectRatioByExpanding);
            const QRect target(area.center().x() - cover.width() / 2, area.center().y() - cover.height() / 2,
                               cover.width(), cover.height());
            painter.save();
            painter.setClipRect(area);
            painter.setOpacity(0.35);
            painter.drawImage(target, image);
            painter.restore();
        }
    }

    DrawText(painter, inner, 16, false, kDimText, Qt::AlignLeft | Qt::AlignTop,
             QStringLiteral("Kelvra player  \u2022  %1 mode").arg(modeTitle));
    if (stepCount > 1) {
        DrawText(painter, inner, 16, false, kDimText, Qt::AlignRight | Qt::AlignTop,
                 QStringLiteral("Scene %1 of %2").arg(step + 1).arg(stepCount));
    }
    DrawText(painter, inner, 13, false, kDimText, Qt::AlignRight | Qt::AlignBottom,
             QStringLiteral("Esc closes"));

    if (layers.isEmpty()) {
        DrawText(painter, inner, 24, true, kText, Qt::AlignCenter, QStringLiteral("No scene given"));
        return;
    }

    const SceneCard &scene = layers.last();
    const int textHeight = 120;
    const QRect pictureBox(inner.x(), inner.y() + 40, inner.width(), inner.height() - 40 - textHeight);
    if (!scene.thumbnail.isNull())
        painter.drawImage(FittedRect(scene.thumbnail.size(), pictureBox), scene.thumbnail);

    // A dark band keeps the text readable over a background scene.
    painter.fillRect(QRect(area.x(), pictureBox.bottom() + 6, area.width(), textHeight - 6),
                     QColor(0, 0, 0, 150));
    const QRect nameBox(inner.x(), pictureBox.bottom() + 12, inner.width(), 34);
    DrawText(painter, nameBox, 26, true, kText, Qt::AlignHCenter | Qt::AlignVCenter, scene.name);
    QString detail;
    if (!scene.loaded)
        detail = QStringLiteral("Cannot show %1").arg(QDir::toNativeSeparators(scene.path));
    else if (!scene.author.isEmpty())
        detail = QStringLiteral("by %1").arg(scene.author);
    const QRect detailBox(inner.x(), nameBox.bottom() + 4, inner.width(), 24);
    DrawText(painter, detailBox, 16, false, kDimText, Qt::AlignHCenter | Qt::AlignVCenter, detail);

    if (layers.size() > 1) {
        QStringList beneath;
        for (int i = 0; i + 1 < layers.size(); ++i)
            beneath.append(layers.at(i).name);
        const QRect beneathBox(inner.x(), detailBox.bottom() + 4, inner.width(), 24);
        DrawText(painter, beneathBox, 14, false, kDimText, Qt::AlignHCenter | Qt::AlignVCenter,
                 QStringLiteral("over %1").arg(beneath.join(QStringLiteral(", "))));
    }
}
