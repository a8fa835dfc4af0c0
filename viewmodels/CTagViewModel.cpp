#include "CTagViewModel.h"

#include "PropertySupport.h"

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
    assignAndNotify(this, m_name, name, &CTagViewModel::nameChanged);
}

void CTagViewModel::setScore(float score)
{
    assignAndNotify(this, m_score, score, &CTagViewModel::scoreChanged);
}

void CTagViewModel::setSelected(bool selected)
{
    assignAndNotify(this, m_selected, selected, &CTagViewModel::selectedChanged);
}

void CTagViewModel::setFacetCount(int count)
{
    assignAndNotify(this, m_facetCount, count, &CTagViewModel::facetCountChanged);
}
