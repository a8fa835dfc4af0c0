#include "EditHistory.h"

EditHistory::EditHistory(QObject *parent)
    : QObject(parent)
{
}

EditHistory::~EditHistory()
{
    for (const Step &step : qAsConst(m_steps))
        step.release();
}

QString EditHistory::undoText() const
{
    return m_steps.isEmpty() ? QString() : m_steps.constLast().text;
}

void EditHistory::push(Step step)
{
    m_steps.append(std::move(step));
    while (m_steps.size() > maxSteps)
        m_steps.takeFirst().release();
    emit changed();
}

bool EditHistory::undo()
{
    if (m_steps.isEmpty())
        return false;
    const Step step = m_steps.takeLast();
    emit changed();
    const QString problem = step.undo();
    if (!problem.isEmpty()) {
        step.release();
        emit undoFailed(step.text, problem);
        return false;
    }
    emit undone(step.text);
    return true;
}

void EditHistory::clear()
{
    if (m_steps.isEmpty())
        return;
    for (const Step &step : qAsConst(m_steps))
        step.release();
    m_steps.clear();
    emit changed();
}

void EditHistory::dropStale()
{
    bool dropped = false;
    for (int i = m_steps.size() - 1; i >= 0; --i) {
        if (!m_steps.at(i).applies()) {
            m_steps.takeAt(i).release();
            dropped = true;
        }
    }
    if (dropped)
        emit changed();
}
