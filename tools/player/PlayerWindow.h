#pragma once

#include "PlayerProgram.h"

#include <QRasterWindow>
#include <QTimer>

// The player's window: the current step's scene with its thumbnail, name and
// author, drawn over the scenes beneath it, and the mode it was started in.
// With more than one step it moves on to the next every few seconds, from the
// last back to the first. Escape closes it.
class PlayerWindow : public QRasterWindow
{
    Q_OBJECT
public:
    static constexpr int kStepIntervalMs = 4000;

    PlayerWindow(const QString &modeTitle, const QList<QStringList> &steps, QWindow *parent = nullptr);

    int CurrentStep() const { return m_step; }
    int StepCount() const { return m_steps.size(); }
    // The current step's scenes, bottom first; empty when there are no steps.
    const QList<SceneCard> &CurrentLayers() const { return m_layers; }

    // Draws what the window shows into area.
    static void PaintFrame(QPainter &painter, const QRect &area, const QString &modeTitle,
                           const QList<SceneCard> &layers, int step, int stepCount);

public slots:
    void ShowNextStep();

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void ShowStep(int step);

    QString m_modeTitle;
    QList<QStringList> m_steps;
    int m_step = 0;
    QList<SceneCard> m_layers;
    QTimer m_stepTimer;
};
