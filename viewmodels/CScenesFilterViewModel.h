#pragma once

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
// filterText is empty, its name contains filterText ignoring case. The terms
// "User", "Official", "Selected", "NotSelected" and "NoRelicensing" test the
// scene's origin, selection and relicensing flag; any other term matches the
// scene's type name or one of its tags (exact, case-sensitive).
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

public slots:
    // Re-runs the filter (for QML, after a scene's selection or tags changed).
    // Takes the place of the base class's invalidate().
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
    CSceneViewModel *sceneAt(int sourceRow) const;

    // The answers of the last refilter(), by source row: compared with the
    // next answers to find the rows that change, and given to the base class
    // while refilter() has it filter, so the rule is not applied twice.
    QVector<bool> m_decided;
    bool m_answerFromDecided = false;
};
