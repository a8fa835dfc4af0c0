#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QObject>

// A generic list model that shows an ordered list of QObject pointers to QML:
// one row per object, one column, and the single role "model" through which a
// delegate reaches the object and all its properties.
//
// The model does not own its objects: it never deletes them, never parents
// them and does not watch for their destruction; whoever puts an object in
// keeps it alive while it is listed. Objects handed to QML (through "model"
// or get()) are marked as C++-owned so the QML garbage collector leaves them
// alone.
//
// Row arguments outside the list are refused safely: get() and at() return
// nullptr, take() returns nullptr, and insert, replace, move and take change
// nothing and emit nothing. remove() only touches rows inside the list and
// announces exactly the rows it removes (the range is clipped at the end; a
// range that starts outside the list, or a count below 1, does nothing).
class QObjectListModel : public QAbstractListModel
{
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    enum Roles { ObjectRole = Qt::UserRole + 1 };

    explicit QObjectListModel(QObject *parent = nullptr);
    explicit QObjectListModel(const QList<QObject *> &objects, QObject *parent = nullptr);

    // A flat list: 0 for any valid parent.
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    // The row's object for the role "model"; nothing for any other role.
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const;
    // The object in row i, or nullptr outside the list.
    Q_INVOKABLE QObject *get(int i) const;
    // Same as get(), for C++ callers; does not touch the object's ownership.
    QObject *at(int row) const;
    QList<QObject *> objects() const;

    // Every change of the row set is announced with the matching begin/end
    // pair; countChanged follows the end call whenever the number of rows
    // changed. Empty lists and a move onto itself change nothing and emit
    // nothing.

    // Resets the model, then emits dataChanged over all rows (if any).
    void setObjects(const QList<QObject *> &objects);
    void append(QObject *object);
    void append(const QList<QObject *> &objects);
    void insert(int row, QObject *object);
    // The objects end up at rows row ... row + k - 1, in list order.
    void insert(int row, const QList<QObject *> &objects);
    // Emits dataChanged for the row; the number of rows stays.
    void replace(int row, QObject *object);
    // Moves the object at row from so that it ends up at row to.
    void move(int from, int to);
    void remove(int row, int count = 1);
    // Removes and returns the object at row; the object is not deleted.
    QObject *take(int row);
    void clear();

signals:
    void countChanged();

private:
    QList<QObject *> m_objects;
};
