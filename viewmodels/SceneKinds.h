#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// The one list of scene types and filter words. Their names are the enum
// keys, so C++, the playlist files' type values and QML (singleton
// "SceneKinds": SceneKinds.Background, SceneKinds.tagCategory(name)) all
// spell them the same way.
class SceneKinds : public QObject
{
    Q_OBJECT

public:
    // A scene's type; the value is the scene's sceneTypeAsIndex.
    enum Type { Standalone = 0, Background = 1, Foreground = 2, Postprocessing = 3, Transition = 4 };
    Q_ENUM(Type)

    // Filter terms that test a scene's selection, origin or relicensing flag
    // instead of naming a tag.
    enum FilterWord { Selected, NotSelected, User, Official, NoRelicensing };
    Q_ENUM(FilterWord)

    explicit SceneKinds(QObject *parent = nullptr) : QObject(parent) {}

    // The type of a type flag word: the first of the bits 1 Background,
    // 2 Foreground, 4 Postprocessing, 8 Transition that is set; none is
    // Standalone.
    static Type typeOf(quint32 typeFlags);
    // The flag bit of a type, 0 for Standalone.
    static quint32 typeBit(Type type);
    // The value under which a playlist file files a scene of that type: its
    // bit, 256 for Standalone.
    static int playlistTypeValue(Type type);
    static QString typeName(Type type);
    static QString filterWordName(FilterWord word);
    // Whether name is a filter word (exact, case-sensitive), and which.
    static bool parseFilterWord(const QString &name, FilterWord *word);
    static bool isTypeName(const QString &name);

    // Names no scene tag is counted under: "Official", "User", the five
    // type names, "NoRelicensing", "Selected", "NotSelected".
    static const QStringList &reservedTagNames();

    // For QML. "filter" for a filter word, "type" for a type name, "tag"
    // for anything else (exact, case-sensitive).
    Q_INVOKABLE static QString tagCategory(const QString &name);
    // The FilterWord name is, or -1.
    Q_INVOKABLE static int filterWordOf(const QString &name);
    Q_INVOKABLE static QString nameOfType(int type);
    Q_INVOKABLE static QString nameOfFilterWord(int word);
};
