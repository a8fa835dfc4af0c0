#include "QmlRegistration.h"

#include "ApplicationInfo.h"
#include "ThemeChoice.h"

#include "CConfigViewModel.h"
#include "CPlaylistViewModel.h"
#include "CSceneViewModel.h"
#include "CScenesFilterViewModel.h"
#include "CTagViewModel.h"
#include "QObjectListModel.h"
#include "SceneImporter.h"
#include "SceneKinds.h"

#include <QtQml>

QObject *provideConfigViewModel(QQmlEngine *engine, QJSEngine *scriptEngine)
{
    Q_UNUSED(engine)
    Q_UNUSED(scriptEngine)
    return CConfigViewModel::instance();
}

void registerQmlTypes(const QString &applicationDirectory, const QString &userDirectory)
{
    const char *uri = "Kelvra";
    qmlRegisterSingletonType<CConfigViewModel>(uri, 1, 0, "ConfigViewModel", provideConfigViewModel);
    qmlRegisterType<CSceneViewModel>(uri, 1, 0, "SceneViewModel");
    qmlRegisterType<CPlaylistViewModel>(uri, 1, 0, "PlaylistViewModel");
    qmlRegisterType<CTagViewModel>(uri, 1, 0, "TagViewModel");
    qmlRegisterUncreatableType<EditHistory>(uri, 1, 0, "EditHistory",
                                            QStringLiteral("The history belongs to ConfigViewModel"));
    qmlRegisterType<CScenesFilterViewModel>(uri, 1, 0, "ScenesFilterViewModel");
    qmlRegisterType<QObjectListModel>(uri, 1, 0, "ObjectListModel");
    // After the module's own six: the names of scene types and filter words,
    // for documents that show or compare them.
    qmlRegisterSingletonType<SceneKinds>(uri, 1, 0, "SceneKinds",
                                         [](QQmlEngine *, QJSEngine *) -> QObject * { return new SceneKinds; });
    qmlRegisterSingletonType<ApplicationInfo>(
        uri, 1, 0, "ApplicationInfo", [applicationDirectory, userDirectory](QQmlEngine *, QJSEngine *) -> QObject * {
            return new ApplicationInfo(applicationDirectory, userDirectory);
        });
    const QString interfaceSettings =
        userDirectory.isEmpty() ? QString() : userDirectory + QStringLiteral("/interface.ini");
    qmlRegisterSingletonType<ThemeChoice>(uri, 1, 0, "Theme", [interfaceSettings](QQmlEngine *, QJSEngine *) -> QObject * {
        return new ThemeChoice(interfaceSettings);
    });
    // Then the import of scene packages from the window. Without the
    // program's importer (QML alone) one that imports nothing stands in.
    qmlRegisterSingletonType<SceneImporter>(uri, 1, 0, "SceneImporter", [](QQmlEngine *, QJSEngine *) -> QObject * {
        if (SceneImporter *importer = SceneImporter::instance()) {
            QQmlEngine::setObjectOwnership(importer, QQmlEngine::CppOwnership);
            return importer;
        }
        return new SceneImporter;
    });
}
