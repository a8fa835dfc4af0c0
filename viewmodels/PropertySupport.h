#pragma once

#include <QList>
#include <QObject>
#include <QQmlListProperty>

// Stores value in field and emits owner's changed signal, unless the field
// already holds it: a property's change signal reports real changes only.
// Plain == decides, so a NaN float always counts as a change.
template<typename Owner, typename Field, typename Value>
void assignAndNotify(Owner *owner, Field &field, const Value &value, void (Owner::*changed)())
{
    if (value == field)
        return;
    field = value;
    emit(owner->*changed)();
}

namespace PropertySupport {

template<typename T>
int listCount(QQmlListProperty<T> *property)
{
    return static_cast<QList<T *> *>(property->data)->size();
}

template<typename T>
T *listAt(QQmlListProperty<T> *property, int index)
{
    const auto *list = static_cast<QList<T *> *>(property->data);
    return index >= 0 && index < list->size() ? list->at(index) : nullptr;
}

// Empties the view model's list; the objects stay alive.
template<typename T>
void listClear(QQmlListProperty<T> *property)
{
    static_cast<QList<T *> *>(property->data)->clear();
}

// The lists are filled by the view models' own operations only.
template<typename T>
void listAppend(QQmlListProperty<T> *, T *)
{
}

} // namespace PropertySupport

// A list property for QML over owner's list: QML reads it and may clear it
// (the objects stay alive); what QML appends is ignored.
template<typename T>
QQmlListProperty<T> listProperty(QObject *owner, QList<T *> *list)
{
    using namespace PropertySupport;
    return QQmlListProperty<T>(owner, list, listAppend<T>, listCount<T>, listAt<T>, listClear<T>);
}
