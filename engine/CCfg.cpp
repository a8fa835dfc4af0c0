#include "CCfg.h"

#include "EngineSupport.h"

#include "KelvraFiles.h"

#include <CLog.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonValue>

#include <cmath>
#include <limits>

namespace {

// A configuration file is a few hundred bytes; anything this large is not one.
constexpr qint64 kMaxConfigBytes = 1024 * 1024;

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

// Moves an unusable configuration out of the way so the next save cannot
// overwrite what the user may still want to recover.
void keepAside(const QString &path, const char *why)
{
    const QString aside = KelvraFiles::AsideName(path);
    const bool moved = QFile::rename(path, aside);
    EngineSupport::LogLine(true, QStringLiteral("Configuration %1 %2; %3")
                      .arg(path, QLatin1String(why),
                           moved ? QStringLiteral("kept as %1").arg(aside)
                                 : QStringLiteral("could not be moved aside")));
}

} // namespace

bool CCfg::Load(const QString &path)
{
    *this = CCfg();

    QByteArray data;
    switch (KelvraFiles::ReadBounded(path, kMaxConfigBytes, &data)) {
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
    if (!EngineSupport::ParseJsonObject(data, &object)) {
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
    m_otherKeys = object;
    return true;
}

bool CCfg::Save(const QString &path) const
{
    QJsonObject object = m_otherKeys;
    object.insert(QLatin1String(kPlaylistToRunKey), playlistToRun);
    for (const BoolField &field : kBoolFields)
        object.insert(QLatin1String(field.key), this->*field.member);
    for (const IntField &field : kIntFields)
        object.insert(QLatin1String(field.key), this->*field.member);
    // JSON has no NaN or infinity; such a value is left out and reads back
    // as the default rather than as a value the player cannot use.
    for (const FloatField &field : kFloatFields) {
        const float value = this->*field.member;
        if (std::isfinite(value))
            object.insert(QLatin1String(field.key), static_cast<double>(value));
        else
            object.remove(QLatin1String(field.key));
    }
    for (const DoubleField &field : kDoubleFields) {
        const double value = this->*field.member;
        if (std::isfinite(value))
            object.insert(QLatin1String(field.key), value);
        else
            object.remove(QLatin1String(field.key));
    }
    return KelvraFiles::WriteAtomically(path, QJsonDocument(object).toJson(QJsonDocument::Indented));
}
