#include "CCfg.h"

#include "EngineSupport.h"
#include "JsonText.h"
#include "KelvraFiles.h"

#include <QJsonObject>
#include <QJsonValue>

#include <cmath>
#include <limits>

namespace {

// What the reader takes, and so all the writer may write. A configuration
// file is a few hundred bytes; anything this large is not one.
constexpr JsonText::Bounds kConfigBounds = {1024 * 1024, JsonText::kMaxDepth};

struct BoolField { const char *key; bool CCfg::*member; };
struct IntField { const char *key; qint32 CCfg::*member; };
struct FloatField { const char *key; float CCfg::*member; };
struct DoubleField { const char *key; double CCfg::*member; };

const BoolField kBoolFields[] = {
    {"sendUsageStats", &CCfg::sendUsageStats},
    {"checkForNewVersion", &CCfg::checkForNewVersion},
    {"randNextScene", &CCfg::randNextScene},
    {"layerScenesInVR", &CCfg::layerScenesInVR},
    {"preferOpenVR", &CCfg::preferOpenVR},
    {"captureSound", &CCfg::captureSound},
    {"captureRecordingDevice", &CCfg::captureRecordingDevice},
    {"enablePreloader", &CCfg::enablePreloader},
};

const IntField kIntFields[] = {
    {"maxSoundCaptureSilence", &CCfg::maxSoundCaptureSilence},
    {"minSceneTime", &CCfg::minSceneTime},
    {"maxSceneTime", &CCfg::maxSceneTime},
};

const FloatField kFloatFields[] = {
    {"sceneChangeSilenceTime", &CCfg::sceneChangeSilenceTime},
    {"sceneChangeSilenceCooldownTime", &CCfg::sceneChangeSilenceCooldownTime},
    {"transitionTime", &CCfg::transitionTime},
    {"transitionFromScale", &CCfg::transitionFromScale},
    {"transitionToScale", &CCfg::transitionToScale},
    {"postProcessingProbability", &CCfg::postProcessingProbability},
    {"renderTargetSizeVR", &CCfg::renderTargetSizeVR},
};

const DoubleField kDoubleFields[] = {
    {"renderTargetWidth", &CCfg::renderTargetWidth},
    {"renderTargetHeight", &CCfg::renderTargetHeight},
};

const char kPlaylistToRunKey[] = "playlistToRun";

bool isFiniteNumber(const QJsonValue &value)
{
    return value.isDouble() && std::isfinite(value.toDouble());
}

bool isInt32(const QJsonValue &value)
{
    return EngineSupport::IsWholeNumberIn(value, std::numeric_limits<qint32>::min(),
                                          std::numeric_limits<qint32>::max());
}

bool isFloat(const QJsonValue &value)
{
    return isFiniteNumber(value)
        && std::fabs(value.toDouble()) <= std::numeric_limits<float>::max();
}

void keepAside(const QString &path, const char *why)
{
    EngineSupport::KeepAside(QStringLiteral("Configuration"), path, QLatin1String(why));
}

} // namespace

bool CCfg::Load(const QString &path)
{
    *this = CCfg();

    QByteArray data;
    switch (KelvraFiles::ReadBounded(path, kConfigBounds.maxBytes, &data)) {
    case KelvraFiles::ReadStatus::Missing:
        return true;   // first run: the defaults are the configuration
    case KelvraFiles::ReadStatus::Failed:
        EngineSupport::LogLine(true, QStringLiteral("Configuration %1 could not be read").arg(path));
        return false;
    case KelvraFiles::ReadStatus::TooLarge:
        keepAside(path, "is too large");
        return false;
    case KelvraFiles::ReadStatus::Ok:
        break;
    }

    QJsonObject object;
    JsonText::Members members;
    if (!JsonText::ParseObject(data, kConfigBounds, &object) || !JsonText::SplitObject(data, &members)) {
        keepAside(path, "cannot be parsed");
        return false;
    }

    // A key of the wrong type keeps its default; the other keys still count.
    const QJsonValue playlist = object.take(QLatin1String(kPlaylistToRunKey));
    if (playlist.isString())
        playlistToRun = playlist.toString();
    for (const BoolField &field : kBoolFields) {
        const QJsonValue value = object.take(QLatin1String(field.key));
        if (value.isBool())
            this->*field.member = value.toBool();
    }
    for (const IntField &field : kIntFields) {
        const QJsonValue value = object.take(QLatin1String(field.key));
        if (isInt32(value))
            this->*field.member = static_cast<qint32>(value.toDouble());
    }
    for (const FloatField &field : kFloatFields) {
        const QJsonValue value = object.take(QLatin1String(field.key));
        if (isFloat(value))
            this->*field.member = static_cast<float>(value.toDouble());
    }
    for (const DoubleField &field : kDoubleFields) {
        const QJsonValue value = object.take(QLatin1String(field.key));
        if (isFiniteNumber(value))
            this->*field.member = value.toDouble();
    }
    // What is left are the player's keys, kept as written.
    for (auto it = members.begin(); it != members.end();) {
        if (object.contains(it.key()))
            ++it;
        else
            it = members.erase(it);
    }
    m_otherKeys = members;
    return true;
}

bool CCfg::Save(const QString &path) const
{
    JsonText::Members members = m_otherKeys;
    members.insert(QLatin1String(kPlaylistToRunKey), JsonText::ValueText(playlistToRun));
    for (const BoolField &field : kBoolFields)
        members.insert(QLatin1String(field.key), JsonText::ValueText(this->*field.member));
    for (const IntField &field : kIntFields)
        members.insert(QLatin1String(field.key), JsonText::ValueText(this->*field.member));
    // JSON has no NaN or infinity; such a value is left out and reads back
    // as the default rather than as a value the player cannot use.
    for (const FloatField &field : kFloatFields) {
        const float value = this->*field.member;
        if (std::isfinite(value))
            members.insert(QLatin1String(field.key), JsonText::ValueText(static_cast<double>(value)));
        else
            members.remove(QLatin1String(field.key));
    }
    for (const DoubleField &field : kDoubleFields) {
        const double value = this->*field.member;
        if (std::isfinite(value))
            members.insert(QLatin1String(field.key), JsonText::ValueText(value));
        else
            members.remove(QLatin1String(field.key));
    }
    // A file the next start would set aside must not replace a good one.
    const QByteArray text = JsonText::ObjectText(members);
    if (!JsonText::Fits(text, kConfigBounds)) {
        EngineSupport::LogLine(true, QStringLiteral("Configuration %1 not written: it would be too large")
                                         .arg(path));
        return false;
    }
    return KelvraFiles::WriteAtomically(path, text);
}
