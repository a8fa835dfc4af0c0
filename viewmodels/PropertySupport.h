#pragma once

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
