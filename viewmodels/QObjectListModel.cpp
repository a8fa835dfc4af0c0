#include "QObjectListModel.h"

#include <QQmlEngine>

namespace {

// QML would otherwise take a parentless object it receives as its own and
// delete it in a garbage collection, while the list still points at it.
QObject *keepOwnedByCpp(QObject *object)
{
    if (object)
        QQmlEngine::setObjectOwnership(object, QQmlEngine::CppOwnership);
    return object;
}

} // namespace

QObjectListModel::QObjectListModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

QObjectListModel::QObjectListModel(const QList<QObject *> &objects, QObject *parent)
    : QAbstractListModel(parent)
    , m_objects(objects)
{
}

// A flat list: rows have no children. Answering the object count for a row as
// parent would make views and proxies see an endless tree.
int QObjectListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_objects.size();
}

QVariant QObjectListModel::data(const QModelIndex &index, int role) const
{
    const int row = index.row();
    if (role != ObjectRole || row < 0 || row >= m_objects.size())
        return QVariant();
    return QVariant::fromValue(keepOwnedByCpp(m_objects.at(row)));
}

QHash<int, QByteArray> QObjectListModel::roleNames() const
{
    return {{ObjectRole, QByteArrayLiteral("model")}};
}

int QObjectListModel::count() const
{
    return m_objects.size();
}

QObject *QObjectListModel::get(int i) const
{
    return keepOwnedByCpp(at(i));
}

QObject *QObjectListModel::at(int row) const
{
    return row >= 0 && row < m_objects.size() ? m_objects.at(row) : nullptr;
}

QList<QObject *> QObjectListModel::objects() const
{
    return m_objects;
}

// Reset, then dataChanged over all rows (views that only listen for data
// changes refresh too), then countChanged if the number of rows changed.
void QObjectListModel::setObjects(const QList<QObject *> &objects)
{
    const int oldCount = m_objects.size();
    beginResetModel();
    m_objects = objects;
    endResetModel();
    if (!m_objects.isEmpty())
        emit dataChanged(index(0), index(m_objects.size() - 1), {});
    if (m_objects.size() != oldCount)
        emit countChanged();
}

void QObjectListModel::append(QObject *object)
{
    const int row = m_objects.size();
    beginInsertRows(QModelIndex(), row, row);
    m_objects.append(object);
    endInsertRows();
    emit countChanged();
}

void QObjectListModel::append(const QList<QObject *> &objects)
{
    if (objects.isEmpty())
        return;
    const int first = m_objects.size();
    beginInsertRows(QModelIndex(), first, first + objects.size() - 1);
    m_objects.append(objects);
    endInsertRows();
    emit countChanged();
}

void QObjectListModel::insert(int row, QObject *object)
{
    if (row < 0 || row > m_objects.size())
        return;
    beginInsertRows(QModelIndex(), row, row);
    m_objects.insert(row, object);
    endInsertRows();
    emit countChanged();
}

void QObjectListModel::insert(int row, const QList<QObject *> &objects)
{
    if (objects.isEmpty() || row < 0 || row > m_objects.size())
        return;
    beginInsertRows(QModelIndex(), row, row + objects.size() - 1);
    // Last element first, each at row: they end up at row ... row + k - 1 in list order.
    for (int i = objects.size() - 1; i >= 0; --i)
        m_objects.insert(row, objects.at(i));
    endInsertRows();
    emit countChanged();
}

void QObjectListModel::replace(int row, QObject *object)
{
    if (row < 0 || row >= m_objects.size())
        return;
    m_objects[row] = object;
    const QModelIndex changed = index(row);
    emit dataChanged(changed, changed, {});
}

void QObjectListModel::move(int from, int to)
{
    const int n = m_objects.size();
    if (from < 0 || from >= n || to < 0 || to >= n)
        return;
    // beginMoveRows wants the row before which the moved row lands, counted
    // before the move; it refuses a move onto itself.
    const int destination = to > from ? to + 1 : to;
    if (!beginMoveRows(QModelIndex(), from, from, QModelIndex(), destination))
        return;
    m_objects.move(from, to);
    endMoveRows();
}

void QObjectListModel::remove(int row, int count)
{
    const int n = m_objects.size();
    if (row < 0 || row >= n || count < 1)
        return;
    const int last = qMin(row + count, n) - 1;
    beginRemoveRows(QModelIndex(), row, last);
    m_objects.erase(m_objects.begin() + row, m_objects.begin() + last + 1);
    endRemoveRows();
    emit countChanged();
}

QObject *QObjectListModel::take(int row)
{
    if (row < 0 || row >= m_objects.size())
        return nullptr;
    beginRemoveRows(QModelIndex(), row, row);
    QObject *taken = m_objects.takeAt(row);
    endRemoveRows();
    emit countChanged();
    return taken;
}

void QObjectListModel::clear()
{
    if (m_objects.isEmpty())
        return;
    beginRemoveRows(QModelIndex(), 0, m_objects.size() - 1);
    m_objects.clear();
    endRemoveRows();
    emit countChanged();
}
