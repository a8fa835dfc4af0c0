#include "EngineSupport.h"

#include "CLog.h"
#include "KelvraFiles.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QStandardPaths>

#include <cmath>

namespace EngineSupport {

QString DefaultUserDirectory()
{
#ifdef Q_OS_WIN
    const QString roaming = qEnvironmentVariable("APPDATA");
    if (!roaming.isEmpty())
        return roaming + QStringLiteral("/Kelvra");
#endif
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
        + QStringLiteral("/Kelvra");
}

void LogLine(bool isError, const QString &text)
{
    if (!gLog)
        return;
    const QByteArray bytes = text.toLocal8Bit();
    if (isError)
        LogError("%s", bytes.constData());
    else
        LogInfo("%s", bytes.constData());
}

bool ParseJsonObject(const QByteArray &json, QJsonObject *object)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    *object = document.object();
    return true;
}

bool IsWholeNumberIn(const QJsonValue &value, double lowest, double highest)
{
    if (!value.isDouble())
        return false;
    const double number = value.toDouble();
    return std::isfinite(number) && number == std::trunc(number) && number >= lowest && number <= highest;
}

QString KeepAside(const QString &what, const QString &path, const QString &why)
{
    const QString aside = KelvraFiles::AsideName(path);
    const bool moved = QFile::rename(path, aside);
    LogLine(true, QStringLiteral("%1 %2 %3; %4")
                      .arg(what, path, why,
                           moved ? QStringLiteral("kept as %1").arg(aside)
                                 : QStringLiteral("could not be moved aside")));
    return moved ? aside : QString();
}

} // namespace EngineSupport
