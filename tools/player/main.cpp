// The stand-in player "Kelvra.exe". Usage:
//     Kelvra.exe <-f | -v | -word> --scene <scene argument> [--no-window]
// It first appends its command line to "[userpath]player-invocations.txt";
// its log "[userpath]logplayer.txt" names every playlist scene it skipped
// because the file is missing.
// With --no-window, or with KELVRA_PLAYER_HEADLESS=1 in the environment, it
// then ends: exit code 0, 2 when no scene was given, 1 when the line could
// not be recorded. Otherwise it opens its window until Escape closes it.
#include "InvocationRecord.h"
#include "PlayerCommandLine.h"
#include "PlayerProgram.h"
#include "PlayerWindow.h"

#include <CAppTypeQt.h>
#include <CLog.h>

#include <QGuiApplication>

#include <memory>

namespace {

// Decided before the application object exists, so from the raw command line,
// by the same parser that later reads the arguments.
bool RunsHeadless(int argc, char **argv)
{
    if (qEnvironmentVariable("KELVRA_PLAYER_HEADLESS") == QLatin1String("1"))
        return true;
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return PlayerCommandLine::Parse(arguments).noWindow;
}

} // namespace

int main(int argc, char **argv)
{
    // A headless run needs no display, so it does not create the GUI application.
    const bool headless = RunsHeadless(argc, argv);
    std::unique_ptr<QCoreApplication> application(headless ? new QCoreApplication(argc, argv)
                                                           : new QGuiApplication(argc, argv));
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();

    CLog log;
    int exitCode = 0;
    {
        CAppTypeQt engine(&log, QStringLiteral("logplayer.txt"));
        const bool recorded = InvocationRecord::Append(engine.GetUserPath(), arguments);
        const QByteArray line = InvocationRecord::FormatLine(arguments).toLocal8Bit();
        if (recorded)
            LogInfo("Player started: %s", line.constData());
        else
            LogError("Player started, but its command line could not be recorded: %s", line.constData());

        const PlayerCommandLine commandLine = PlayerCommandLine::Parse(arguments);
        if (!commandLine.HasScene())
            LogError("Player started without a scene");

        // Planned in a headless run too, so its log says what a window would
        // have skipped.
        QStringList skipped;
        const QList<QStringList> steps = PlayerProgram::PlanSteps(commandLine.sceneArgument, engine, &skipped);
        for (const QString &scene : qAsConst(skipped))
            LogInfo("Skipped a missing scene: %s", scene.toUtf8().constData());

        if (headless) {
            exitCode = !recorded ? 1 : (commandLine.HasScene() ? 0 : 2);
        } else {
            PlayerWindow window(commandLine.ModeTitle(), steps);
            window.show();
            exitCode = QGuiApplication::exec();
        }
    }
    return exitCode;
}
