#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

// The changes the user can take back, newest last (Ctrl+Z and the "Undo" of
// the message that reports a change). Each step knows how to undo itself and
// how to let go of what it keeps (a backup of a scene file, a playlist in the
// trash). At most maxSteps are kept; the oldest goes first.
//
// Written here rather than taken from QUndoStack, which lives in Qt Widgets:
// the program has no widgets, and undo here is one way (no redo).
class EditHistory : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool canUndo READ canUndo NOTIFY changed)
    Q_PROPERTY(QString undoText READ undoText NOTIFY changed)

public:
    struct Step
    {
        QString text;                           // "Add the tag “Calm” to 37 scenes"
        std::function<QString()> undo;          // empty when undone, else why not
        std::function<void()> release = [] {};  // the step will never be undone
        // False once what the step would undo is gone (its scenes left the
        // catalogue, its playlist was deleted): the step is then dropped.
        std::function<bool()> applies = [] { return true; };
    };

    static constexpr int maxSteps = 20;

    explicit EditHistory(QObject *parent = nullptr);
    ~EditHistory() override;

    bool canUndo() const { return !m_steps.isEmpty(); }
    // The newest step's text; empty when there is none.
    QString undoText() const;

    void push(Step step);
    // Undoes the newest step and forgets it. False when there was none or it
    // could not be undone (undoFailed says why; the step is gone either way,
    // since what it kept may be half used).
    Q_INVOKABLE bool undo();
    void clear();
    // Releases the steps that no longer apply.
    void dropStale();

signals:
    void changed();
    void undone(QString text);
    void undoFailed(QString text, QString problem);

private:
    QList<Step> m_steps;
};
