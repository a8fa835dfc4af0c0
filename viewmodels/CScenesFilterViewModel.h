#pragma once

#include "SceneKinds.h"

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
// change or once after a batch of them.
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

    // Re-runs the acceptance rule on every scene.
    void refilter();

    // Whether a scene passes the current filter.
    bool acceptsScene(const CSceneViewModel &scene) const;

    // What of a scene changed.
    enum SceneAspect { Selection = 0x1, Tags = 0x2, Relicensing = 0x4 };
    Q_DECLARE_FLAGS(SceneAspects, SceneAspect)
    // Whether the current filter looks at any of aspects.
    bool dependsOn(SceneAspects aspects) const;
    // Re-runs the filter when the change of aspects of some scene can change
    // what it shows; otherwise nothing happens.
    void sceneChanged(SceneAspects aspects);

public slots:
    // Re-runs the filter. Takes the place of the base class's invalidate().
    // The configuration view model already re-runs it after every change
    // that matters, so QML has no need to.
    void invalidate();

public:
    // Orders the visible rows: column 0 by scene name, -1 back to the order
    // of the scene list (newest first). QAbstractItemModel::sort is not
    // reachable from QML on its own.
    Q_INVOKABLE void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override
    {
        QSortFilterProxyModel::sort(column, order);
    }

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

    // The answers of the last refilter(), by source row: compared with the
    // next answers to find the rows that change, and given to the base class
    // while refilter() has it filter, so the rule is not applied twice.
    QVector<bool> m_decided;
    bool m_answerFromDecided = false;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(CScenesFilterViewModel::SceneAspects)
