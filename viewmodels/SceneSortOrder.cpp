#include "SceneSortOrder.h"

#include "CSceneViewModel.h"
#include "QObjectListModel.h"
#include "SceneKinds.h"

#include <algorithm>
#include <numeric>

void SceneSortOrder::setOrder(Key key, bool descending)
{
    if (key < Newest || key >= KeyCount)
        key = Newest;
    if (key == m_key && descending == m_descending)
        return;
    m_key = key;
    m_descending = descending;
    invalidate();
}

int SceneSortOrder::rank(int sourceRow)
{
    if (m_stale)
        rebuild();
    return sourceRow >= 0 && sourceRow < m_rank.size() ? m_rank.at(sourceRow) : -1;
}

void SceneSortOrder::rebuild()
{
    m_stale = false;
    const int rows = m_list ? m_list->rowCount() : 0;
    // Each scene's key, read once: strings are shared, not copied.
    QVector<QString> text;
    QVector<int> number(rows, -1);   // type, or -1 for a row that is not a scene
    if (m_key == Name || m_key == Author)
        text.resize(rows);
    for (int row = 0; row < rows; ++row) {
        const auto *scene = qobject_cast<const CSceneViewModel *>(m_list->at(row));
        if (!scene)
            continue;
        number[row] = m_key == Type ? int(SceneKinds::typeOf(scene->scene().typeFlags)) : 0;
        if (m_key == Name)
            text[row] = scene->scene().GetName();
        else if (m_key == Author)
            text[row] = scene->scene().GetAuthor();
    }

    QVector<int> order(rows);
    std::iota(order.begin(), order.end(), 0);
    const bool descending = m_descending;
    const Key key = m_key;
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const bool aScene = number.at(a) >= 0;
        const bool bScene = number.at(b) >= 0;
        if (aScene != bScene)
            return !aScene;
        int cmp = 0;
        if (aScene) {
            if (key == Type)
                cmp = number.at(a) - number.at(b);
            else if (key == Name || key == Author)
                cmp = text.at(a).compare(text.at(b));
            else
                cmp = a - b;
        }
        if (descending)
            cmp = -cmp;
        if (cmp != 0)
            return cmp < 0;
        return a < b;   // newest first
    });
    m_rank.resize(rows);
    for (int place = 0; place < rows; ++place)
        m_rank[order.at(place)] = place;
}
