#pragma once

#include <QString>
#include <QVector>

class QObjectListModel;

// The place of every scene of the scene list in one chosen order, found once
// and then compared as plain numbers: a sort of many scenes asks for
// n log n comparisons, and reading each scene's strings (a virtual call and
// a reference count each) every time is what made it slow.
//
// Keys: Newest is the scene list's own order (it lists the newest first);
// Name and Author compare UTF-16 code units (case-sensitive, not
// locale-aware), as the name order always has; Type follows the type
// values (Standalone, Background, Foreground, Postprocessing, Transition).
// Descending reverses the key only: equal keys always fall back to newest
// first (the list's order), so every order is total and never shuffles.
// A row that is not a scene comes first.
//
// The places are a copy: whoever owns them calls invalidate() when the list
// or a scene changes, and the next rank() reads the list again.
class SceneSortOrder
{
public:
    enum Key { Newest = 0, Name = 1, Author = 2, Type = 3 };
    static constexpr int KeyCount = 4;

    explicit SceneSortOrder(const QObjectListModel *list = nullptr) : m_list(list) {}

    void setList(const QObjectListModel *list)
    {
        m_list = list;
        invalidate();
    }
    void setOrder(Key key, bool descending);
    Key key() const { return m_key; }
    bool descending() const { return m_descending; }

    void invalidate() { m_stale = true; }
    // The place of sourceRow in the order, 0 first.
    int rank(int sourceRow);

private:
    void rebuild();

    const QObjectListModel *m_list = nullptr;
    Key m_key = Newest;
    bool m_descending = false;
    bool m_stale = true;
    QVector<int> m_rank;
};
