#include "Startup.h"

#include "CAppTypeQt.h"
#include "CConfigViewModel.h"
#include "CLog.h"
#include "CatalogueBuilder.h"
#include "KelvraVersion.h"
#include "LiveCatalogue.h"
#include "Platform.h"
#include "QtQuick2ApplicationViewer.h"
#include "SceneImport.h"
#include "SceneImporter.h"
#include "SingleInstance.h"
#include "Translations.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QQuickWindow>
#include <QResource>

#include <memory>

namespace {

const char resourceFile[] = "Kelvra.Config.rcc";
const char mainDocument[] = "qrc:/qml/Main.qml";
const char logFileName[] = "logconfig.txt";
// Start-up profile of the configuration tool: no renderer, no sound capture.
const int configurationToolFlags = 290;
// Reaching a running program is immediate once it listens; its answer may
// wait for the end of its start-up (the catalogue is built before the event
// loop runs) and for the copy of an import.
const int handOverConnectTimeoutMs = 3000;
const int handOverAnswerTimeoutMs = 10000;

// The later start's side: nothing is written in the user directory.
int handOverToRunningProgram(const QString &userDirectory, const QString &importPath)
{
    SingleInstance::HandOverRequest request;
    if (!importPath.isEmpty()) {
        // Checked here so the message names the file as typed; the running
        // program checks everything else.
        if (!QFileInfo::exists(importPath)) {
            Platform::showMessage(QStringLiteral("Kelvra"), copyOutcomeMessage(CopyOutcome::Missing, importPath));
            return 0;
        }
        request.importPath = QFileInfo(importPath).absoluteFilePath();
    }
    const SingleInstance::HandOverAnswer answer = SingleInstance::handOver(
        SingleInstance::serverName(userDirectory), request, handOverConnectTimeoutMs, handOverAnswerTimeoutMs);
    switch (answer.status) {
    case SingleInstance::HandOverAnswer::Status::Accepted:
        break;
    case SingleInstance::HandOverAnswer::Status::Refused:
        Platform::showMessage(QStringLiteral("Kelvra"), answer.text);
        break;
    case SingleInstance::HandOverAnswer::Status::NoAnswer:
        Platform::showMessage(QStringLiteral("Kelvra"),
                              QStringLiteral("Kelvra Config is already running for \"%1\" but does not answer. "
                                             "Close it and start again.")
                                  .arg(QDir::toNativeSeparators(userDirectory)));
        break;
    }
    return 0;
}

// The running program's side of a later start: an import is copied and
// listed at once, as one from the window.
QString carryOutHandOver(SceneImporter &importer, const SingleInstance::HandOverRequest &request)
{
    if (!request.importPath.isEmpty()) {
        const QString refusal = importer.importHandedOver(request.importPath);
        if (!refusal.isEmpty())
            return refusal;
    }
    const int windows = Platform::bringOwnWindowsForward();
    LogInfo("Another start handed over to this one; %d window(s) brought forward", windows);
    return QString();
}

} // namespace

int runConfigurationSession(int &argc, char **argv, SingleInstance::UserDirectoryLock &userDirectoryLock)
{
    QGuiApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("kelvra-config"));

    // The interface is ours only beside the program: a file of that name in
    // whatever directory the user started from is never loaded.
    const QString resourcePath = QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(resourceFile);
    if (QFile::exists(resourcePath))
        QResource::registerResource(resourcePath);
    const QString language = Translations::install(application);

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption importOption(QStringList{QStringLiteral("i")},
                                          QStringLiteral(".kvd file to import into the user scenes directory"),
                                          QStringLiteral("file"));
    parser.addOption(importOption);
    parser.process(application);

    const QString userDirectory = SingleInstance::userDirectory();
    SingleInstance::HandOverServer handOverServer;
    bool listening = false;
    switch (userDirectoryLock.take(userDirectory)) {
    case SingleInstance::UserDirectoryLock::Claim::HeldByAnother:
        return handOverToRunningProgram(userDirectory, parser.value(importOption));
    case SingleInstance::UserDirectoryLock::Claim::Taken:
        listening = handOverServer.listen(SingleInstance::serverName(userDirectory));
        break;
    case SingleInstance::UserDirectoryLock::Claim::Unavailable:
        break;  // nothing can be written there either; Init() reports it
    }

    const Catalogue::SaveHandlerConnections saveHandlers = Catalogue::connectSaveHandlers(application);

    gApp = new CAppTypeQt(gLog, QLatin1String(logFileName));
    if (gLog)
        gLog->SetFlushEachLine();
    LogInfo("-------------------------- Starting Configuration v%s --------------------------", KelvraVersion::kBuild);
    LogInfo("Interface language: %s", qPrintable(language));
    if (userDirectoryLock.isHeld() && !listening)
        LogError("Later starts cannot reach this one; they will report that it does not answer");

    const QString importPath = parser.value(importOption);
    if (!importPath.isEmpty() && importScenePackage(*gApp, importPath) == ImportOutcome::EndRun)
        return 0;

    gApp->startupFlags = configurationToolFlags;
    if (!gApp->Init()) {
        Platform::showMessage("Failed to init config", "Failed to init config");
        return 0;
    }
    CConfigViewModel *config = Catalogue::startViewModels(*gApp);
    config->setFacetCountsHeld(true);   // released below, after the first frame
    LiveCatalogue liveCatalogue(*gApp, *config);
    SceneImporter::setInstance(&liveCatalogue.importer());
    handOverServer.setHandler([&liveCatalogue](const SingleInstance::HandOverRequest &request) {
        return carryOutHandOver(liveCatalogue.importer(), request);
    });

    QtQuick2ApplicationViewer viewer;
    if (!viewer.loadMainDocument(QLatin1String(mainDocument))) {
        // Without a window the run ends here and nothing may be saved.
        Catalogue::disconnectSaveHandlers(saveHandlers);
        return 1;
    }
    // The folders are walked for watching, and the chips' facets counted,
    // once the window shows its first frame: the catalogue was just read,
    // and the user should see it first.
    const auto afterFirstFrame = [config, &liveCatalogue] {
        config->setFacetCountsHeld(false);
        liveCatalogue.start();
    };
    if (QQuickWindow *window = viewer.window()) {
        auto once = std::make_shared<QMetaObject::Connection>();
        *once = QObject::connect(window, &QQuickWindow::frameSwapped, window, [once, afterFirstFrame] {
            QObject::disconnect(*once);
            afterFirstFrame();
        });
    } else {
        afterFirstFrame();
    }
    viewer.showWindowMaximized();
    return application.exec();
}

int runKelvraConfig(int &argc, char **argv)
{
    CAppTypeQt::InstallCrashreporter();
    new CLog;  // becomes gLog

    SingleInstance::UserDirectoryLock userDirectoryLock;
    const int result = runConfigurationSession(argc, argv, userDirectoryLock);

    if (gLog)
        delete gLog;  // writes what is queued, closes the file, clears gLog
    gLog = nullptr;
    // Only now may the next start open the log.
    userDirectoryLock.release();
    CAppTypeQt::UninstallCrashreporter();
    return result;
}
