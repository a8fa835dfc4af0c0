#pragma once

#include "SceneKinds.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>

class QObject;
class QObjectListModel;

// What the scene filter reads of every scene, kept in the scene list's row
// order in a few flat arrays: the name folded to the case the search ignores,
// the tags as numbers, the type and the flags the filter words test. A
// keystroke then walks contiguous memory instead of every scene object, its
// strings and their tag lists.
//
// The keys are a copy: whoever owns them follows the scene list (insertRows,
// removeRows, refreshRows, rebuild) and marks a scene stale when the scene
// itself changes; refreshStale() reads the stale ones again.
//
// Names are compared as QString::contains(text, Qt::CaseInsensitive) compares
// them, code unit by code unit after QChar::toCaseFolded. A name or text with
// surrogate pairs (folded by code point there) is searched with that very
// call instead, so the answers never differ.
class SceneFilterKeys
{
public:
    static constexpr quint32 NoTag = 0xffffffffu;

    // A filter compiled against the keys: the tag names as numbers, the text
    // folded. Valid only until the tag numbers grow (tagGeneration()).
    struct Query
    {
        struct Term
        {
            enum Kind { Word, Type, Tag } kind = Tag;
            SceneKinds::FilterWord word = SceneKinds::Selected;
            SceneKinds::Type type = SceneKinds::Standalone;
            quint32 tag = NoTag;   // the tag the term also (Type) or only (Tag) matches
        };
        QVector<Term> terms;
        QString text;                 // as given, for names searched the toolkit's way
        QVector<ushort> foldedText;
        bool textNeedsToolkit = false;
        int tagGeneration = -1;
    };

    // How many of a set of rows each facet would keep.
    struct FacetCounts
    {
        int rows = 0;
        int words[SceneKinds::NoRelicensing + 1] = {};
        int typesOrTags[SceneKinds::Transition + 1] = {};   // of that type or tagged with its name
        QVector<int> tags;                                   // by tag number
    };

    explicit SceneFilterKeys(const QObjectListModel *list = nullptr) : m_list(list) {}

    void setList(const QObjectListModel *list);
    int rowCount() const { return m_keys.size(); }

    // Following the list.
    void rebuild();
    void insertRows(int first, int last);
    void removeRows(int first, int last);
    void refreshRows(int first, int last);
    void markStale(const QObject *scene) { m_stale.append(scene); }
    void markAllStale() { m_allStale = true; }
    bool hasStale() const { return m_allStale || !m_stale.isEmpty(); }
    bool allStale() const { return m_allStale; }
    // Reads the stale scenes again; calls changed(row) for each row read.
    template <typename Changed> void refreshStale(Changed changed);

    // The number of a tag name, NoTag if no scene ever had it.
    quint32 tagNumber(const QString &tag) const { return m_tagNumbers.value(tag, NoTag); }
    int tagGeneration() const { return m_tagNames.size(); }

    Query compile(const QStringList &terms, const QString &text) const;
    bool matches(int row, const Query &query) const;
    // Whether every name that contains next (as the filter compares) also
    // contains previous.
    static bool narrows(const Query &previous, const Query &next);

    // Counts over the rows whose entry in rows is true.
    FacetCounts countFacets(const QVector<bool> &rows) const;

private:
    enum Flag : quint8 { IsScene = 0x1, Official = 0x2, Selected = 0x4, NoRelicensing = 0x8, NameNeedsToolkit = 0x10 };
    struct Key
    {
        quint32 nameAt = 0;
        quint32 nameLength = 0;
        quint32 tagsAt = 0;
        quint32 tagCount = 0;
        quint8 flags = 0;
        quint8 type = SceneKinds::Standalone;
    };

    Key read(int row);
    void compactIfWasteful();
    bool hasTag(const Key &key, quint32 tag) const;
    void refreshStaleRows(QVector<int> *rows);

    const QObjectListModel *m_list = nullptr;
    QVector<Key> m_keys;
    QVector<ushort> m_names;     // folded names, back to back
    QVector<quint32> m_tags;     // each key's tag numbers, sorted, no repeats
    qint64 m_wasted = 0;         // pool entries no key refers to any more
    QHash<QString, quint32> m_tagNumbers;
    QStringList m_tagNames;
    QVector<qint8> m_typeOfTag;  // the type a tag's name names, -1 for none
    QVector<const QObject *> m_stale;
    bool m_allStale = false;
};

template <typename Changed> void SceneFilterKeys::refreshStale(Changed changed)
{
    QVector<int> rows;
    refreshStaleRows(&rows);
    for (int row : qAsConst(rows))
        changed(row);
}
