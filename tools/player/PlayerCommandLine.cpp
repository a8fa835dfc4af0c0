#include "PlayerCommandLine.h"

PlayerCommandLine PlayerCommandLine::Parse(const QStringList &arguments)
{
    PlayerCommandLine result;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--scene")) {
            // The value is taken as it is, even when it starts with a dash:
            // a scene path is never an option.
            if (i + 1 < arguments.size())
                result.sceneArgument = arguments.at(++i);
        } else if (argument == QLatin1String("--no-window")) {
            result.noWindow = true;
        } else if (result.modeSwitch.isEmpty() && argument.size() > 1
                   && argument.startsWith(QLatin1Char('-')) && !argument.startsWith(QLatin1String("--"))) {
            result.modeSwitch = argument;
        }
    }
    return result;
}

QString PlayerCommandLine::ModeTitle() const
{
    if (modeSwitch.isEmpty() || modeSwitch == QLatin1String("-f"))
        return QStringLiteral("Normal");
    if (modeSwitch == QLatin1String("-v"))
        return QStringLiteral("VR");
    return modeSwitch.mid(1);
}
