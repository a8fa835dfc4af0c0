#pragma once

#include "CScene.h"

#include <QHash>
#include <QString>
#include <QStringView>

// One copy of each author, licence and tag for a whole catalogue: a few
// hundred distinct strings repeat across up to 100,000 scenes, and each copy
// read from a file or the index holds an allocation of its own otherwise.
// Not thread-safe: one pool per thread.
class SharedStrings
{
public:
    QString shared(const QString &text)
    {
        if (text.isEmpty())
            return text;
        const auto it = m_strings.constFind(QStringView(text));
        if (it != m_strings.cend())
            return *it;
        m_strings.insert(QStringView(text), text);
        return text;
    }

    // The same for text not yet in a QString: none is made when the pool
    // holds it already.
    QString shared(QStringView text)
    {
        if (text.isEmpty())
            return QString();
        const auto it = m_strings.constFind(text);
        if (it != m_strings.cend())
            return *it;
        const QString copy = text.toString();
        m_strings.insert(QStringView(copy), copy);
        return copy;
    }

    void share(CScene &scene)
    {
        scene.SetAuthor(shared(scene.GetAuthor()));
        scene.SetLicenseType(shared(scene.GetLicenseType()));
        for (QString &tag : scene.tagList)
            tag = shared(tag);
    }

private:
    // Each key views the characters of its own value, which no one changes.
    QHash<QStringView, QString> m_strings;
};
