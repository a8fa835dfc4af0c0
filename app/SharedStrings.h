#pragma once

#include "CScene.h"
#include "SceneMetadata.h"

#include <QSet>
#include <QString>

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
        const auto it = m_strings.constFind(text);
        if (it != m_strings.cend())
            return *it;
        m_strings.insert(text);
        return text;
    }

    void share(SceneMetadata &metadata)
    {
        metadata.author = shared(metadata.author);
        metadata.license = shared(metadata.license);
        for (QString &tag : metadata.tags)
            tag = shared(tag);
    }

    void share(CScene &scene)
    {
        scene.SetAuthor(shared(scene.GetAuthor()));
        scene.SetLicenseType(shared(scene.GetLicenseType()));
        for (QString &tag : scene.tagList)
            tag = shared(tag);
    }

private:
    QSet<QString> m_strings;
};
