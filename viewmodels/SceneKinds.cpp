#include "SceneKinds.h"

#include "CScene.h"

#include <QMetaEnum>

namespace {

// The flag bits in the order in which they decide a scene's type.
const SceneKinds::Type typesByBit[] = {SceneKinds::Background, SceneKinds::Foreground, SceneKinds::Postprocessing,
                                       SceneKinds::Transition};

} // namespace

SceneKinds::Type SceneKinds::typeOf(quint32 typeFlags)
{
    for (Type type : typesByBit) {
        if (typeFlags & typeBit(type))
            return type;
    }
    return Standalone;
}

// Type n > 0 is flag bit n - 1; the engine's scene files use the same bits.
static_assert(CScene::Background == 1u << (SceneKinds::Background - 1), "type bits");
static_assert(CScene::Foreground == 1u << (SceneKinds::Foreground - 1), "type bits");
static_assert(CScene::Postprocessing == 1u << (SceneKinds::Postprocessing - 1), "type bits");
static_assert(CScene::Transition == 1u << (SceneKinds::Transition - 1), "type bits");

quint32 SceneKinds::typeBit(Type type)
{
    return type == Standalone ? 0u : 1u << (int(type) - 1);
}

int SceneKinds::playlistTypeValue(Type type)
{
    return type == Standalone ? 256 : int(typeBit(type));
}

QString SceneKinds::typeName(Type type)
{
    return QString::fromLatin1(QMetaEnum::fromType<Type>().valueToKey(type));
}

QString SceneKinds::filterWordName(FilterWord word)
{
    return QString::fromLatin1(QMetaEnum::fromType<FilterWord>().valueToKey(word));
}

bool SceneKinds::parseFilterWord(const QString &name, FilterWord *word)
{
    bool ok = false;
    const int value = QMetaEnum::fromType<FilterWord>().keyToValue(name.toLatin1().constData(), &ok);
    // keyToValue also takes "SceneKinds::Selected"; only the bare name is a word.
    if (!ok || name != filterWordName(FilterWord(value)))
        return false;
    if (word)
        *word = FilterWord(value);
    return true;
}

bool SceneKinds::isTypeName(const QString &name)
{
    bool ok = false;
    const int value = QMetaEnum::fromType<Type>().keyToValue(name.toLatin1().constData(), &ok);
    return ok && name == typeName(Type(value));
}

const QStringList &SceneKinds::reservedTagNames()
{
    static const QStringList names = {
        filterWordName(Official),     filterWordName(User),     typeName(Background),
        typeName(Foreground),         typeName(Postprocessing), typeName(Transition),
        typeName(Standalone),         filterWordName(NoRelicensing), filterWordName(Selected),
        filterWordName(NotSelected),
    };
    return names;
}

QString SceneKinds::tagCategory(const QString &name)
{
    if (parseFilterWord(name, nullptr))
        return QStringLiteral("filter");
    if (isTypeName(name))
        return QStringLiteral("type");
    return QStringLiteral("tag");
}

int SceneKinds::filterWordOf(const QString &name)
{
    FilterWord word;
    return parseFilterWord(name, &word) ? int(word) : -1;
}

QString SceneKinds::nameOfType(int type)
{
    return QString::fromLatin1(QMetaEnum::fromType<Type>().valueToKey(type));
}

QString SceneKinds::nameOfFilterWord(int word)
{
    return QString::fromLatin1(QMetaEnum::fromType<FilterWord>().valueToKey(word));
}
