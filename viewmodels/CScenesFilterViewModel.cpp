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
    if (dependsOn(aspects))
        refilter();
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

// Plain UTF-16 code-unit order: case-sensitive, not locale-aware.
bool CScenesFilterViewModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    const CSceneViewModel *leftScene = sceneAt(left.row());
    const CSceneViewModel *rightScene = sceneAt(right.row());
    if (!leftScene || !rightScene)
        return leftScene == nullptr && rightScene != nullptr;
    return leftScene->scene().GetName() < rightScene->scene().GetName();
}
