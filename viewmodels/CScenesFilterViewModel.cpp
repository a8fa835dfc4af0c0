#include "CScenesFilterViewModel.h"

#include "CSceneViewModel.h"
#include "QObjectListModel.h"

#include <QScopedValueRollback>

CScenesFilterViewModel::CScenesFilterViewModel(QObject *parent)
    : QSortFilterProxyModel(parent)
{
}

QVariant CScenesFilterViewModel::data(const QModelIndex &index, int role) const
{
    if (role == Qt::DisplayRole && index.column() == 0)
        return index.row() + 1;
    return QSortFilterProxyModel::data(index, role);
}

// QSortFilterProxyModel announces every removed or inserted run of rows and
// updates its whole mapping after each, so a change in many places costs it
// rows x runs. The rule runs once here; when the visible rows change in more
// than kMaxAnnouncedRuns places, the layout is reset instead (views rebuild
// once), otherwise the changed rows are announced.
void CScenesFilterViewModel::refilter()
{
    constexpr int kMaxAnnouncedRuns = 64;
    const int rows = sourceModel() ? sourceModel()->rowCount() : 0;
    QVector<bool> accepted(rows);
    int runs = 0;
    bool previousChanged = false;
    for (int row = 0; row < rows; ++row) {
        const CSceneViewModel *scene = sceneAt(row);
        accepted[row] = scene && acceptsScene(*scene);
        const bool changed = m_decided.size() != rows || accepted[row] != m_decided.at(row);
        runs += changed && !previousChanged;
        previousChanged = changed;
    }
    m_decided = accepted;

    const QScopedValueRollback<bool> answering(m_answerFromDecided, true);
    if (runs > kMaxAnnouncedRuns) {
        QSortFilterProxyModel::invalidate();
        rowCount();   // the base class filters lazily: while the answers are at hand
    } else {
        invalidateFilter();
    }
}

void CScenesFilterViewModel::invalidate()
{
    refilter();
}

CSceneViewModel *CScenesFilterViewModel::sceneAt(int sourceRow) const
{
    const auto *list = qobject_cast<const QObjectListModel *>(sourceModel());
    return list ? qobject_cast<CSceneViewModel *>(list->at(sourceRow)) : nullptr;
}

// Called for every scene on each keystroke of the search field, so it reads
// the engine's scene in place and allocates nothing.
bool CScenesFilterViewModel::acceptsScene(const CSceneViewModel &sceneModel) const
{
    const CScene &scene = sceneModel.scene();
    for (const QString &term : tagFilter) {
        bool matches;
        if (term == QLatin1String("User"))
            matches = !sceneModel.official();
        else if (term == QLatin1String("Official"))
            matches = sceneModel.official();
        else if (term == QLatin1String("Selected"))
            matches = sceneModel.selected();
        else if (term == QLatin1String("NotSelected"))
            matches = !sceneModel.selected();
        else if (term == QLatin1String("NoRelicensing"))
            matches = !scene.relicensingFlag;
        else
            matches = term == CSceneViewModel::typeName(scene.typeFlags) || scene.tagList.contains(term);
        if (!matches)
            return false;
    }
    return filterText.isEmpty() || scene.GetName().contains(filterText, Qt::CaseInsensitive);
}

bool CScenesFilterViewModel::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    if (m_answerFromDecided && sourceRow < m_decided.size())
        return m_decided.at(sourceRow);
    const CSceneViewModel *scene = sceneAt(sourceRow);
    return scene && acceptsScene(*scene);
}

// Plain UTF-16 code-unit order: case-sensitive, not locale-aware.
bool CScenesFilterViewModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const CSceneViewModel *leftScene = sceneAt(left.row());
    const CSceneViewModel *rightScene = sceneAt(right.row());
    if (!leftScene || !rightScene)
        return leftScene == nullptr && rightScene != nullptr;
    return leftScene->scene().GetName() < rightScene->scene().GetName();
}
