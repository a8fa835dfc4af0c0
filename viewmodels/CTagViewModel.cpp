#include "CTagViewModel.h"

CTagViewModel::CTagViewModel()
    : QObject(nullptr)
{
}

CTagViewModel::CTagViewModel(const QString &name, float score)
    : QObject(nullptr)
    , m_name(name)
    , m_score(score)
{
}

void CTagViewModel::setName(const QString &name)
{
    if (name == m_name)
        return;
    m_name = name;
    emit nameChanged();
}

void CTagViewModel::setScore(float score)
{
    if (!(score != m_score))
        return;
    m_score = score;
    emit scoreChanged();
}

void CTagViewModel::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    emit selectedChanged();
}
