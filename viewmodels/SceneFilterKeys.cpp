#include "SceneFilterKeys.h"

#include "CSceneViewModel.h"
#include "QObjectListModel.h"

#include <QSet>

#include <algorithm>
#include <climits>

namespace {

// Appends text folded unit by unit, as the toolkit's case-insensitive search
// folds a string without surrogates; tells whether it had any.
bool appendFolded(const QString &text, QVector<ushort> *out)
{
    bool surrogates = false;
    for (const QChar c : text) {
        surrogates |= c.isSurrogate();
        out->append(ushort(QChar::toCaseFolded(uint(c.unicode()))));
    }
    return surrogates;
}

} // namespace

void SceneFilterKeys::setList(const QObjectListModel *list)
{
    m_list = list;
    rebuild();
}

void SceneFilterKeys::rebuild()
{
    m_keys.clear();
    m_names.clear();
    m_tags.clear();
    m_wasted = 0;
    m_stale.clear();
    m_allStale = false;
    const int rows = m_list ? m_list->count() : 0;
    // Sized exactly first: grown by doubling, the pools would hold up to
    // twice what they need, at 100,000 scenes some 40 bytes a scene.
    qint64 nameUnits = 0;
    qint64 tagCount = 0;
    for (int row = 0; row < rows; ++row) {
        if (const auto *scene = qobject_cast<const CSceneViewModel *>(m_list->at(row))) {
            nameUnits += scene->scene().GetName().size();
            tagCount += scene->scene().tagList.size();
        }
    }
    m_keys.reserve(rows);
    m_names.reserve(int(qMin<qint64>(nameUnits, INT_MAX / 4)));
    m_tags.reserve(int(qMin<qint64>(tagCount, INT_MAX / 8)));
    for (int row = 0; row < rows; ++row)
        m_keys.append(read(row));
}

void SceneFilterKeys::insertRows(int first, int last)
{
    if (first < 0 || first > m_keys.size() || last < first) {
        rebuild();
        return;
    }
    QVector<Key> added;
    added.reserve(last - first + 1);
    for (int row = first; row <= last; ++row)
        added.append(read(row));
    m_keys.insert(first, added.size(), Key());
    std::copy(added.cbegin(), added.cend(), m_keys.begin() + first);
}

void SceneFilterKeys::removeRows(int first, int last)
{
    if (first < 0 || last >= m_keys.size() || last < first) {
        rebuild();
        return;
    }
    for (int row = first; row <= last; ++row)
        m_wasted += m_keys.at(row).nameLength + m_keys.at(row).tagCount;
    m_keys.remove(first, last - first + 1);
    compactIfWasteful();
}

void SceneFilterKeys::refreshRows(int first, int last)
{
    if (first < 0 || last >= m_keys.size() || last < first) {
        rebuild();
        return;
    }
    for (int row = first; row <= last; ++row) {
        m_wasted += m_keys.at(row).nameLength + m_keys.at(row).tagCount;
        m_keys[row] = read(row);
    }
    compactIfWasteful();
}

void SceneFilterKeys::refreshStaleRows(QVector<int> *rows)
{
    const int count = m_list ? m_list->count() : 0;
    if (m_allStale || count != m_keys.size()) {
        rebuild();
        for (int row = 0; row < count; ++row)
            rows->append(row);
        return;
    }
    if (m_stale.isEmpty())
        return;
    // One walk over the list's pointers finds the rows of all stale scenes.
    const QSet<const QObject *> stale(m_stale.cbegin(), m_stale.cend());
    m_stale.clear();
    for (int row = 0; row < count; ++row) {
        if (stale.contains(m_list->at(row))) {
            m_wasted += m_keys.at(row).nameLength + m_keys.at(row).tagCount;
            m_keys[row] = read(row);
            rows->append(row);
        }
    }
    compactIfWasteful();
}

SceneFilterKeys::Key SceneFilterKeys::read(int row)
{
    Key key;
    const auto *sceneModel = m_list ? qobject_cast<const CSceneViewModel *>(m_list->at(row)) : nullptr;
    if (!sceneModel)
        return key;
    const CScene &scene = sceneModel->scene();
    key.flags = IsScene;
    if (sceneModel->official())
        key.flags |= Official;
    if (sceneModel->selected())
        key.flags |= Selected;
    if (!scene.relicensingFlag)
        key.flags |= NoRelicensing;
    key.type = quint8(SceneKinds::typeOf(scene.typeFlags));

    key.nameAt = quint32(m_names.size());
    if (appendFolded(scene.GetName(), &m_names))
        key.flags |= NameNeedsToolkit;
    key.nameLength = quint32(m_names.size()) - key.nameAt;

    key.tagsAt = quint32(m_tags.size());
    for (const QString &tag : scene.tagList) {
        auto found = m_tagNumbers.constFind(tag);
        if (found == m_tagNumbers.cend()) {
            found = m_tagNumbers.insert(tag, quint32(m_tagNames.size()));
            m_tagNames.append(tag);
            qint8 type = -1;
            for (int t = SceneKinds::Standalone; t <= SceneKinds::Transition; ++t) {
                if (SceneKinds::typeName(SceneKinds::Type(t)) == tag)
                    type = qint8(t);
            }
            m_typeOfTag.append(type);
        }
        m_tags.append(found.value());
    }
    // Sorted and without repeats: a tag listed twice in a file counts once.
    const auto begin = m_tags.begin() + key.tagsAt;
    std::sort(begin, m_tags.end());
    m_tags.erase(std::unique(begin, m_tags.end()), m_tags.end());
    key.tagCount = quint32(m_tags.size()) - key.tagsAt;
    return key;
}

// Edits and removals leave their old entries in the pools; once those are
// as many as the live ones, the pools are copied without them.
void SceneFilterKeys::compactIfWasteful()
{
    if (m_wasted < 4096 || m_wasted < qint64(m_names.size() + m_tags.size()) / 2)
        return;
    QVector<ushort> names;
    QVector<quint32> tags;
    names.reserve(m_names.size());
    tags.reserve(m_tags.size());
    for (Key &key : m_keys) {
        const quint32 nameAt = quint32(names.size());
        names.append(m_names.mid(int(key.nameAt), int(key.nameLength)));
        key.nameAt = nameAt;
        const quint32 tagsAt = quint32(tags.size());
        tags.append(m_tags.mid(int(key.tagsAt), int(key.tagCount)));
        key.tagsAt = tagsAt;
    }
    m_names.swap(names);
    m_tags.swap(tags);
    m_wasted = 0;
}

SceneFilterKeys::Query SceneFilterKeys::compile(const QStringList &terms, const QString &text) const
{
    Query query;
    query.tagGeneration = tagGeneration();
    query.terms.reserve(terms.size());
    for (const QString &name : terms) {
        Query::Term term;
        term.tag = tagNumber(name);
        if (SceneKinds::parseFilterWord(name, &term.word)) {
            term.kind = Query::Term::Word;
        } else if (SceneKinds::isTypeName(name)) {
            term.kind = Query::Term::Type;
            for (int t = SceneKinds::Standalone; t <= SceneKinds::Transition; ++t) {
                if (SceneKinds::typeName(SceneKinds::Type(t)) == name)
                    term.type = SceneKinds::Type(t);
            }
        }
        query.terms.append(term);
    }
    query.text = text;
    query.textNeedsToolkit = appendFolded(text, &query.foldedText);
    return query;
}

bool SceneFilterKeys::hasTag(const Key &key, quint32 tag) const
{
    if (tag == NoTag)
        return false;
    const quint32 *begin = m_tags.constData() + key.tagsAt;
    return std::binary_search(begin, begin + key.tagCount, tag);
}

bool SceneFilterKeys::matches(int row, const Query &query) const
{
    if (row < 0 || row >= m_keys.size())
        return false;
    const Key &key = m_keys.at(row);
    if (!(key.flags & IsScene))
        return false;
    for (const Query::Term &term : query.terms) {
        bool matches = false;
        switch (term.kind) {
        case Query::Term::Word:
            switch (term.word) {
            case SceneKinds::User: matches = !(key.flags & Official); break;
            case SceneKinds::Official: matches = key.flags & Official; break;
            case SceneKinds::Selected: matches = key.flags & Selected; break;
            case SceneKinds::NotSelected: matches = !(key.flags & Selected); break;
            case SceneKinds::NoRelicensing: matches = key.flags & NoRelicensing; break;
            }
            break;
        case Query::Term::Type:
            matches = key.type == term.type || hasTag(key, term.tag);
            break;
        case Query::Term::Tag:
            matches = hasTag(key, term.tag);
            break;
        }
        if (!matches)
            return false;
    }
    if (query.foldedText.isEmpty())
        return true;
    if (query.textNeedsToolkit || (key.flags & NameNeedsToolkit)) {
        const auto *scene = qobject_cast<const CSceneViewModel *>(m_list->at(row));
        return scene && scene->scene().GetName().contains(query.text, Qt::CaseInsensitive);
    }
    const ushort *name = m_names.constData() + key.nameAt;
    const ushort *nameEnd = name + key.nameLength;
    return std::search(name, nameEnd, query.foldedText.cbegin(), query.foldedText.cend()) != nameEnd;
}

bool SceneFilterKeys::narrows(const Query &previous, const Query &next)
{
    if (previous.textNeedsToolkit || next.textNeedsToolkit || previous.tagGeneration != next.tagGeneration)
        return false;
    for (const Query::Term &old : previous.terms) {
        const bool kept = std::any_of(next.terms.cbegin(), next.terms.cend(), [&old](const Query::Term &term) {
            return term.kind == old.kind && term.word == old.word && term.type == old.type && term.tag == old.tag;
        });
        if (!kept)
            return false;
    }
    return std::search(next.foldedText.cbegin(), next.foldedText.cend(), previous.foldedText.cbegin(),
                       previous.foldedText.cend())
           != next.foldedText.cend()
           || previous.foldedText.isEmpty();
}

SceneFilterKeys::FacetCounts SceneFilterKeys::countFacets(const QVector<bool> &rows) const
{
    FacetCounts counts;
    counts.tags.fill(0, m_tagNames.size());
    const int end = std::min(rows.size(), m_keys.size());
    for (int row = 0; row < end; ++row) {
        if (!rows.at(row))
            continue;
        const Key &key = m_keys.at(row);
        if (!(key.flags & IsScene))
            continue;
        ++counts.rows;
        ++counts.words[(key.flags & Official) ? SceneKinds::Official : SceneKinds::User];
        ++counts.words[(key.flags & Selected) ? SceneKinds::Selected : SceneKinds::NotSelected];
        if (key.flags & NoRelicensing)
            ++counts.words[SceneKinds::NoRelicensing];
        ++counts.typesOrTags[key.type];
        const quint32 *tag = m_tags.constData() + key.tagsAt;
        for (const quint32 *end = tag + key.tagCount; tag != end; ++tag) {
            ++counts.tags[int(*tag)];
            // A type term matches the type or a tag of its name: counted once.
            const qint8 type = m_typeOfTag.at(int(*tag));
            if (type >= 0 && type != key.type)
                ++counts.typesOrTags[type];
        }
    }
    return counts;
}
