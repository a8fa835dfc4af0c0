#include "EngineSupport.h"

#include "CLog.h"

#include <QByteArray>
#include <QStandardPaths>

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

} // namespace EngineSupport
