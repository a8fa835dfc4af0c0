#include "Startup.h"

#include "CAppTypeQt.h"
#include "CConfigViewModel.h"
#include "CLog.h"
#include "CatalogueBuilder.h"
#include "Platform.h"
#include "QmlRegistration.h"
#include "QtQuick2ApplicationViewer.h"
#include "SceneImport.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFile>
#include <QGuiApplication>
#include <QResource>

namespace {

const char resourceFile[] = "Kelvra.Config.rcc";
const char mainDocument[] = "qrc:/qml/Main.qml";
const char logFileName[] = "logconfig.txt";
// Start-up profile of the configuration tool: no renderer, no sound capture.
const int configurationToolFlags = 290;

} // namespace

int runConfigurationSession(int &argc, char **argv)
{
    if (QFile::exists(QLatin1String(resourceFile)))
        QResource::registerResource(QLatin1String(resourceFile));

    QGuiApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("kelvra-config"));

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption importOption(QStringList{QStringLiteral("i")},
                                          QStringLiteral(".kvd file to import into the user scenes directory"),
                                          QStringLiteral("file"));
    parser.addOption(importOption);
    parser.process(application);

    const Catalogue::SaveHandlerConnections saveHandlers = Catalogue::connectSaveHandlers(application);

    gApp = new CAppTypeQt(gLog, QLatin1String(logFileName));
    if (gLog)
        gLog->SetFlushEachLine();
    LogInfo("-------------------------- Starting Configuration v2.5.1.3 --------------------------");

    const QString importPath = parser.value(importOption);
    if (!importPath.isEmpty() && importScenePackage(*gApp, importPath) == ImportOutcome::EndRun)
        return 0;

    gApp->startupFlags = configurationToolFlags;
    if (!gApp->Init()) {
        Platform::showMessage("Failed to init config", "Failed to init config");
        return 0;
    }

    Catalogue::applyDefaultPlaylistToRun(*gApp);
    registerQmlTypes();
    CConfigViewModel *config = Catalogue::createConfigViewModel();
    Catalogue::assembleCatalogue(*gApp, *config);

    QtQuick2ApplicationViewer viewer;
    if (!viewer.loadMainDocument(QLatin1String(mainDocument))) {
        // Without a window the run ends here and nothing may be saved.
        Catalogue::disconnectSaveHandlers(saveHandlers);
        return 1;
    }
    viewer.showWindowMaximized();
    return application.exec();
}

int runKelvraConfig(int &argc, char **argv)
{
    CAppTypeQt::InstallCrashreporter();
    new CLog;  // becomes gLog

    const int result = runConfigurationSession(argc, argv);

    if (gLog)
        delete gLog;  // writes what is queued, closes the file, clears gLog
    gLog = nullptr;
    CAppTypeQt::UninstallCrashreporter();
    return result;
}
