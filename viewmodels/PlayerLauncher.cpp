#include "PlayerLauncher.h"

#include <QDir>
#include <QProcess>

const char *const PlayerLauncher::playerFileName = "Kelvra.exe";
const char *const PlayerLauncher::sceneOption = "--scene";

namespace {

bool startDetached(const QString &program, const QStringList &arguments, const QString &workingDirectory)
{
    return QProcess::startDetached(program, arguments, workingDirectory);
}

PlayerLauncher::StartFunction &startFunction()
{
    static PlayerLauncher::StartFunction function = startDetached;
    return function;
}

} // namespace

bool PlayerLauncher::start(const QStringList &arguments) const
{
    // Without the application directory there is nowhere to start the
    // player from.
    if (m_applicationDirectory.isEmpty())
        return false;
    return startFunction()(program(), arguments, workingDirectory());
}

QString PlayerLauncher::program() const
{
#ifdef Q_OS_WIN
    return QString::fromLatin1(playerFileName);
#else
    return QDir(workingDirectory()).filePath(QString::fromLatin1(playerFileName));
#endif
}

void PlayerLauncher::setStartFunction(StartFunction function)
{
    startFunction() = function ? std::move(function) : StartFunction(startDetached);
}
