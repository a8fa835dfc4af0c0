#pragma once

#include "SceneFilterKeys.h"
#include "SceneKinds.h"
#include "SceneSortOrder.h"

#include <QSortFilterProxyModel>
#include <QString>
#include <QStringList>
#include <QVector>

class CSceneViewModel;

// The scene list as QML shows it: hides the scenes that do not match the
// current filter and numbers the visible rows (display role, 1-based).
//
// The source model must be the scene list (a QObjectListModel of
// CSceneViewModel objects). A row whose object is not a scene view model is
// hidden rather than trusted, and so is every row of any other source model.
//
// A scene is visible when it matches every term of tagFilter and, unless
// filterText is empty, its name contains filterText ignoring case. The filter
// words (SceneKinds::FilterWord) test the scene's origin, selection and
// relicensing flag; any other term matches the scene's type name or one of
// its tags (exact, case-sensitive).
//
// The proxy does not watch the scenes itself: whoever changes them (the
// configuration view model) tells it through sceneChanged(), once per
// change or once after a batch of them, naming the scenes that changed with
// markSceneChanged(). It keeps a copy of what the filter reads of every scene
// (SceneFilterKeys), which follows the scene list's row signals; a scene
// changed without a word reaches the filter through invalidate(), which
// reads every scene again.
//
// A search text that contains the previous one, with the same or more terms,
// only re-tests the rows shown: the rows it hides are the ones announced.
class CScenesFilterViewModel : public QSortFilterProxyModel
{
    Q_OBJECT

public:
    explicit CScenesFilterViewModel(QObject *parent = nullptr);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Filter state, owned by the configuration view model: it changes these
    // and then calls refilter() once.
    QStringList tagFilter;   // names of the selected tags, in tag-list order
    QString filterText;      // searched in scene names as given, ignoring case

    // Applies tagFilter and filterText: re-tests every scene, or only the
    // rows shown when the new filter can only hide more of them.
    void refilter();

    // Whether a scene passes the current filter: the rule itself, read from
    // the scene object (refilter() gives the same answers from its keys).
    bool acceptsScene(const CSceneViewModel &scene) const;

    // What of a scene changed.
    enum SceneAspect { Selection = 0x1, Tags = 0x2, Relicensing = 0x4 };
    Q_DECLARE_FLAGS(SceneAspects, SceneAspect)
    // Whether the current filter looks at any of aspects.
    bool dependsOn(SceneAspects aspects) const;
    // Re-runs the filter when the change of aspects of some scene can change
    // what it shows; otherwise only shownScenesChanged() is emitted (the
    // counts may change). The scenes named by markSceneChanged() since the
    // last call are read again, every scene when none was named.
    void sceneChanged(SceneAspects aspects);
    // Tells the proxy which scene the next sceneChanged() is about (any
    // number of them for a batch): only these are read again.
    void markSceneChanged(const QObject *scene);

    void setSourceModel(QAbstractItemModel *model) override;

    // How many of the rows shown now each name would keep as one more term
    // (a name already among the terms: the rows shown). One pass over the
    // rows shown. Changes whenever shownScenesChanged() is emitted.
    QVector<int> facetCounts(const QStringList &names);

public slots:
    // Reads every scene again and re-runs the filter. Takes the place of the
    // base class's invalidate(). The configuration view model already re-runs
    // it after every change that matters, so QML has no need to.
    void invalidate();

public:
    // Orders the visible rows: column 0 by scene name, -1 back to the order
    // of the scene list (newest first). QAbstractItemModel::sort is not
    // reachable from QML on its own.
    Q_INVOKABLE void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The orders the window offers (SceneSortOrder::Key): QML reads them as
    // CScenesFilterViewModel.ByName etc.
    enum SortKey { ByNewest = SceneSortOrder::Newest, ByName = SceneSortOrder::Name,
                   ByAuthor = SceneSortOrder::Author, ByType = SceneSortOrder::Type };
    Q_ENUM(SortKey)
    // Orders the visible rows by key, reversed when descending (newest:
    // oldest first); equal keys keep newest first. An unknown key orders
    // newest first. The places are found once per change of the scene list
    // or of a scene, so a sort of 100,000 scenes compares numbers.
    Q_INVOKABLE void sortBy(int key, bool descending);

signals:
    // The rows shown, or what is known of the scenes shown, may have changed:
    // after a re-filter, a scene change and a change of the scene list.
    void shownScenesChanged();

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    // A term of tagFilter, read once per filter rather than once per scene.
    struct Term
    {
        enum Kind { Word, Type, Tag } kind = Tag;
        SceneKinds::FilterWord word = SceneKinds::Selected;
        SceneKinds::Type type = SceneKinds::Standalone;
        QString text;
    };

    CSceneViewModel *sceneAt(int sourceRow) const;
    const QVector<Term> &terms() const;

    mutable QStringList m_termsFor;   // the tagFilter m_terms was read from
    mutable QVector<Term> m_terms;

    void refreshStaleKeys();
    void resort();
    void forgetDecided();
    void sourceRowsInserted(const QModelIndex &parent, int first, int last);
    void sourceRowsRemoved(const QModelIndex &parent, int first, int last);
    void sourceDataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight);
    void sourceReset();

    SceneFilterKeys m_keys;
    mutable SceneSortOrder m_order;   // a cache of the scenes, filled by lessThan
    bool m_sortByOrder = false;   // lessThan compares m_order's places (sortBy)
    QVector<QMetaObject::Connection> m_sourceConnections;

    // What the base class shows, by source row: compared with the next
    // answers to find the rows that change, and given to the base class
    // while refilter() has it filter, so the rule is not applied twice.
    // Empty when not known (before the first re-filter, after a reset).
    QVector<bool> m_decided;
    bool m_answerFromDecided = false;
    // The filter m_decided was found with; while m_narrowable, m_decided
    // holds its answers for the scenes as the keys hold them, except for the
    // rows in m_touched, read again since.
    SceneFilterKeys::Query m_decidedQuery;
    bool m_narrowable = false;
    QVector<int> m_touched;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(CScenesFilterViewModel::SceneAspects)
