// kvscene: creates, shows and tags scene files (".kvc") with the engine
// library's own reader and writer.
#include "Commands.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char **argv)
{
    const char *command = argc > 1 ? argv[1] : "";
    // Only create draws (fonts need a GUI application); no display is needed.
    std::unique_ptr<QCoreApplication> app;
    if (std::strcmp(command, "create") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app.reset(new QGuiApplication(argc, argv));
    } else {
        app.reset(new QCoreApplication(argc, argv));
    }
    QCoreApplication::setApplicationName(QStringLiteral("kvscene"));

    QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 2) {
        std::fputs(Commands::Usage().toLocal8Bit().constData(), stderr);
        return Commands::UsageError;
    }
    const QString name = arguments.takeAt(1);
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        std::fputs(Commands::Usage().toLocal8Bit().constData(), stdout);
        return Commands::Done;
    }
    if (name == QLatin1String("create"))
        return Commands::Create(arguments);
    if (name == QLatin1String("show"))
        return Commands::Show(arguments);
    if (name == QLatin1String("tag"))
        return Commands::Tag(arguments);
    std::fprintf(stderr, "kvscene: unknown command \"%s\"\n%s", name.toLocal8Bit().constData(),
                 Commands::Usage().toLocal8Bit().constData());
    return Commands::UsageError;
}
