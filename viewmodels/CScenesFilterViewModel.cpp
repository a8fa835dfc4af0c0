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

void CScenesFilterViewModel::setSourceModel(QAbstractItemModel *model)
{
    for (const QMetaObject::Connection &connection : qAsConst(m_sourceConnections))
        disconnect(connection);
    m_sourceConnections.clear();
    // Read when first needed, so handing over the scene list at start-up
    // costs nothing more.
    m_keys = SceneFilterKeys(qobject_cast<const QObjectListModel *>(model));
    m_order.setList(qobject_cast<const QObjectListModel *>(model));
    m_keys.markAllStale();
    forgetDecided();

    if (model) {
        // Connected before the base class connects its own handlers, so the
        // keys follow the list before the base class asks about new rows.
        m_sourceConnections
            << connect(model, &QAbstractItemModel::rowsInserted, this, &CScenesFilterViewModel::sourceRowsInserted)
            << connect(model, &QAbstractItemModel::rowsRemoved, this, &CScenesFilterViewModel::sourceRowsRemoved)
            << connect(model, &QAbstractItemModel::dataChanged, this, &CScenesFilterViewModel::sourceDataChanged)
            << connect(model, &QAbstractItemModel::modelReset, this, &CScenesFilterViewModel::sourceReset)
            << connect(model, &QAbstractItemModel::layoutChanged, this, &CScenesFilterViewModel::sourceReset)
            << connect(model, &QAbstractItemModel::rowsMoved, this, &CScenesFilterViewModel::sourceReset);
    }
    QSortFilterProxyModel::setSourceModel(model);
    if (model) {
        // ...and told after the base class has followed the change.
        for (const char *signal : {SIGNAL(rowsInserted(QModelIndex, int, int)), SIGNAL(rowsRemoved(QModelIndex, int, int)),
                                   SIGNAL(dataChanged(QModelIndex, QModelIndex, QVector<int>)), SIGNAL(modelReset()),
                                   SIGNAL(layoutChanged(QList<QPersistentModelIndex>, QAbstractItemModel::LayoutChangeHint)),
                                   SIGNAL(rowsMoved(QModelIndex, int, int, QModelIndex, int))})
            m_sourceConnections << connect(model, signal, this, SIGNAL(shownScenesChanged()));
    }
}

void CScenesFilterViewModel::forgetDecided()
{
    m_order.invalidate();
    m_decided.clear();
    m_narrowable = false;
    m_touched.clear();
}

void CScenesFilterViewModel::sourceRowsInserted(const QModelIndex &parent, int first, int last)
{
    m_order.invalidate();
    if (parent.isValid() || m_keys.allStale()) {
        m_keys.markAllStale();
        forgetDecided();
        return;
    }
    m_keys.insertRows(first, last);
    m_narrowable = false;
    if (m_decided.isEmpty() || first > m_decided.size()) {
        forgetDecided();
        return;
    }
    // What the base class is about to decide for them.
    m_decided.insert(first, last - first + 1, false);
    for (int row = first; row <= last; ++row)
        m_decided[row] = filterAcceptsRow(row, QModelIndex());
}

void CScenesFilterViewModel::sourceRowsRemoved(const QModelIndex &parent, int first, int last)
{
    m_order.invalidate();
    if (parent.isValid() || m_keys.allStale()) {
        m_keys.markAllStale();
        forgetDecided();
        return;
    }
    m_keys.removeRows(first, last);
    m_narrowable = false;
    if (last >= m_decided.size()) {
        forgetDecided();
        return;
    }
    m_decided.remove(first, last - first + 1);
}

void CScenesFilterViewModel::sourceDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight)
{
    m_order.invalidate();
    if (topLeft.parent().isValid() || m_keys.allStale()) {
        m_keys.markAllStale();
        forgetDecided();
        return;
    }
    m_keys.refreshRows(topLeft.row(), bottomRight.row());
    m_narrowable = false;
    if (bottomRight.row() >= m_decided.size()) {
        forgetDecided();
        return;
    }
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
        m_decided[row] = filterAcceptsRow(row, QModelIndex());
}

void CScenesFilterViewModel::sourceReset()
{
    m_keys.markAllStale();
    forgetDecided();
}

void CScenesFilterViewModel::refreshStaleKeys()
{
    // A scene read again may now pass a filter the old answers say it
    // fails: a narrowing search tests those rows too.
    constexpr int kMaxTouched = 4096;
    m_keys.refreshStale([this](int row) {
        if (m_touched.size() < kMaxTouched)
            m_touched.append(row);
        else
            m_narrowable = false;
    });
}

// QSortFilterProxyModel announces every removed or inserted run of rows and
// updates its whole mapping after each, so a change in many places costs it
// rows x runs. The rule runs once here; when the visible rows change in more
// than a few places, the layout is reset instead (views rebuild once),
// otherwise the changed rows are announced.
void CScenesFilterViewModel::refilter()
{
    constexpr int kMaxAnnouncedRuns = 64;
    constexpr qint64 kMaxAnnouncedWork = 1000000;   // runs x rows the base class walks
    refreshStaleKeys();
    const int rows = sourceModel() ? sourceModel()->rowCount() : 0;
    const SceneFilterKeys::Query query = m_keys.compile(tagFilter, filterText);
    const bool known = m_decided.size() == rows;

    QVector<bool> accepted;
    if (known && m_narrowable && SceneFilterKeys::narrows(m_decidedQuery, query)) {
        // Only the rows shown, and the ones read again since, can pass.
        accepted = m_decided;
        for (const int row : qAsConst(m_touched)) {
            if (row < rows)
                accepted[row] = true;
        }
        bool *answer = accepted.data();
        for (int row = 0; row < rows; ++row) {
            if (answer[row])
                answer[row] = m_keys.matches(row, query);
        }
    } else {
        accepted.resize(rows);
        bool *answer = accepted.data();
        for (int row = 0; row < rows; ++row)
            answer[row] = m_keys.matches(row, query);
    }

    int runs = known ? 0 : rows;
    if (known) {
        bool previousChanged = false;
        for (int row = 0; row < rows; ++row) {
            const bool changed = accepted.at(row) != m_decided.at(row);
            runs += changed && !previousChanged;
            previousChanged = changed;
        }
    }
    m_decided = accepted;
    m_decidedQuery = query;
    m_narrowable = true;
    m_touched.clear();

    const QScopedValueRollback<bool> answering(m_answerFromDecided, true);
    if (runs > kMaxAnnouncedRuns || qint64(runs) * rows > kMaxAnnouncedWork) {
        QSortFilterProxyModel::invalidate();
        rowCount();   // the base class filters lazily: while the answers are at hand
    } else if (runs > 0) {
        invalidateFilter();
    }
    emit shownScenesChanged();
}

void CScenesFilterViewModel::invalidate()
{
    m_order.invalidate();
    m_keys.markAllStale();
    refilter();
    if (m_sortByOrder)
        resort();
}

void CScenesFilterViewModel::resort()
{
    // Already sorted by column 0, so sort() would return at once; a new sort
    // role re-sorts in one layout change (lessThan ignores it).
    setSortRole(sortRole() == Qt::UserRole ? Qt::UserRole + 1 : Qt::UserRole);
}

void CScenesFilterViewModel::markSceneChanged(const QObject *scene)
{
    m_keys.markStale(scene);
    m_order.invalidate();
}

QVector<int> CScenesFilterViewModel::facetCounts(const QStringList &names)
{
    refreshStaleKeys();
    const int rows = sourceModel() ? sourceModel()->rowCount() : 0;
    if (m_decided.size() != rows) {
        // Not known since a reset: what the base class decided, from the keys.
        const SceneFilterKeys::Query query = m_keys.compile(tagFilter, filterText);
        m_decided.resize(rows);
        for (int row = 0; row < rows; ++row)
            m_decided[row] = m_keys.matches(row, query);
        m_decidedQuery = query;
        m_narrowable = true;
        m_touched.clear();
    }
    const SceneFilterKeys::FacetCounts counts = m_keys.countFacets(m_decided);
    QVector<int> result;
    result.reserve(names.size());
    for (const QString &name : names) {
        SceneKinds::FilterWord word;
        if (SceneKinds::parseFilterWord(name, &word)) {
            result.append(counts.words[word]);
        } else if (SceneKinds::isTypeName(name)) {
            int count = 0;
            for (int t = SceneKinds::Standalone; t <= SceneKinds::Transition; ++t) {
                if (SceneKinds::typeName(SceneKinds::Type(t)) == name)
                    count = counts.typesOrTags[t];
            }
            result.append(count);
        } else {
            const quint32 tag = m_keys.tagNumber(name);
            result.append(tag == SceneFilterKeys::NoTag || int(tag) >= counts.tags.size() ? 0 : counts.tags.at(int(tag)));
        }
    }
    return result;
}

CSceneViewModel *CScenesFilterViewModel::sceneAt(int sourceRow) const
{
    const auto *list = qobject_cast<const QObjectListModel *>(sourceModel());
    return list ? qobject_cast<CSceneViewModel *>(list->at(sourceRow)) : nullptr;
}

const QVector<CScenesFilterViewModel::Term> &CScenesFilterViewModel::terms() const
{
    if (m_termsFor.size() == tagFilter.size() && m_termsFor == tagFilter && m_terms.size() == tagFilter.size())
        return m_terms;
    m_terms.clear();
    m_terms.reserve(tagFilter.size());
    for (const QString &text : tagFilter) {
        Term term;
        term.text = text;
        if (SceneKinds::parseFilterWord(text, &term.word)) {
            term.kind = Term::Word;
        } else if (SceneKinds::isTypeName(text)) {
            term.kind = Term::Type;
            for (int t = SceneKinds::Standalone; t <= SceneKinds::Transition; ++t) {
                if (SceneKinds::typeName(SceneKinds::Type(t)) == text)
                    term.type = SceneKinds::Type(t);
            }
        }
        m_terms.append(term);
    }
    m_termsFor = tagFilter;
    return m_terms;
}

bool CScenesFilterViewModel::dependsOn(SceneAspects aspects) const
{
    for (const Term &term : terms()) {
        if (term.kind != Term::Word) {
            // A type name or tag term matches a scene's tags too.
            if (aspects & Tags)
                return true;
            continue;
        }
        switch (term.word) {
        case SceneKinds::Selected:
        case SceneKinds::NotSelected:
            if (aspects & Selection)
                return true;
            break;
        case SceneKinds::NoRelicensing:
            if (aspects & Relicensing)
                return true;
            break;
        case SceneKinds::User:
        case SceneKinds::Official:
            break;
        }
    }
    return false;
}

void CScenesFilterViewModel::sceneChanged(SceneAspects aspects)
{
    m_order.invalidate();
    // Which scenes changed is not known: all of them are read again.
    if (!m_keys.hasStale())
        m_keys.markAllStale();
    if (dependsOn(aspects)) {
        refilter();
        return;
    }
    // What is shown stays; the keys follow the scenes all the same, read
    // when next needed.
    emit shownScenesChanged();
}

// Called for every scene on each keystroke of the search field, so it reads
// the engine's scene in place and allocates nothing.
bool CScenesFilterViewModel::acceptsScene(const CSceneViewModel &sceneModel) const
{
    const CScene &scene = sceneModel.scene();
    for (const Term &term : terms()) {
        bool matches = false;
        switch (term.kind) {
        case Term::Word:
            switch (term.word) {
            case SceneKinds::User:
                matches = !sceneModel.official();
                break;
            case SceneKinds::Official:
                matches = sceneModel.official();
                break;
            case SceneKinds::Selected:
                matches = sceneModel.selected();
                break;
            case SceneKinds::NotSelected:
                matches = !sceneModel.selected();
                break;
            case SceneKinds::NoRelicensing:
                matches = !scene.relicensingFlag;
                break;
            }
            break;
        case Term::Type:
            matches = SceneKinds::typeOf(scene.typeFlags) == term.type || scene.tagList.contains(term.text);
            break;
        case Term::Tag:
            matches = scene.tagList.contains(term.text);
            break;
        }
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

void CScenesFilterViewModel::sort(int column, Qt::SortOrder order)
{
    const bool wasByOrder = m_sortByOrder;
    m_sortByOrder = false;
    if (wasByOrder && column == 0 && sortColumn() == 0 && order == sortOrder())
        resort();   // sorted by column 0 already, but by another key
    else
        QSortFilterProxyModel::sort(column, order);
}

void CScenesFilterViewModel::sortBy(int key, bool descending)
{
    const bool wasByOrder = m_sortByOrder;
    const SceneSortOrder::Key oldKey = m_order.key();
    const bool oldDescending = m_order.descending();
    m_order.setOrder(SceneSortOrder::Key(key), descending);
    if (m_order.key() == SceneSortOrder::Newest && !descending) {
        // The scene list's own order: no places to find.
        m_sortByOrder = false;
        QSortFilterProxyModel::sort(-1);
        return;
    }
    m_sortByOrder = true;
    if (sortColumn() == 0 && sortOrder() == Qt::AscendingOrder) {
        if (wasByOrder && oldKey == m_order.key() && oldDescending == descending)
            return;
        resort();
        return;
    }
    QSortFilterProxyModel::sort(0, Qt::AscendingOrder);
}

// Plain UTF-16 code-unit order: case-sensitive, not locale-aware.
bool CScenesFilterViewModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    if (m_sortByOrder) {
        return m_order.rank(left.row()) < m_order.rank(right.row());
    }
    const CSceneViewModel *leftScene = sceneAt(left.row());
    const CSceneViewModel *rightScene = sceneAt(right.row());
    if (!leftScene || !rightScene)
        return leftScene == nullptr && rightScene != nullptr;
    return leftScene->scene().GetName() < rightScene->scene().GetName();
}
