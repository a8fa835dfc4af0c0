#include "QtQuick2ApplicationViewer.h"

#include "CSceneImageProvider.h"
#include "KelvraVersion.h"
#include "LocalOnlyNetworkAccess.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QUrl>

#include <memory>

struct QtQuick2ApplicationViewer::Private
{
    QString mainDocumentPath;
    // Declared before the engine: the engine asks it for managers until it is gone.
    LocalOnlyNetworkAccessManagerFactory networkAccess;
    QQmlEngine engine;
    QQuickWindow *window = nullptr;
};

QtQuick2ApplicationViewer::QtQuick2ApplicationViewer()
    : d(new Private)
{
    // Replaces the default import paths: the documents may only use the
    // modules shipped beside the program.
    d->engine.setImportPathList({QCoreApplication::applicationDirPath() + QStringLiteral("/qt")});
    d->engine.addImageProvider(QStringLiteral("kvscene"), new CSceneImageProvider);
    d->engine.setNetworkAccessManagerFactory(&d->networkAccess);
}

QtQuick2ApplicationViewer::~QtQuick2ApplicationViewer()
{
    delete d->window;
    d->window = nullptr;
    delete d;
}

QString QtQuick2ApplicationViewer::resolveDocumentPath(const QString &path)
{
    const QString appDir = QCoreApplication::applicationDirPath();
    const QString besideParent = QStringLiteral("%1/../%2").arg(appDir, path);
    if (QFileInfo::exists(besideParent))
        return besideParent;
    const QString beside = QStringLiteral("%1/%2").arg(appDir, path);
    if (QFileInfo::exists(beside))
        return beside;
    return path;
}

bool QtQuick2ApplicationViewer::loadMainDocument(const QString &path)
{
    d->mainDocumentPath = resolveDocumentPath(path);

    std::unique_ptr<QQmlComponent> component(new QQmlComponent(&d->engine));
    QObject::connect(&d->engine, SIGNAL(quit()), QCoreApplication::instance(), SLOT(quit()));

    const QUrl url = d->mainDocumentPath.startsWith(QLatin1String("qrc:"))
                         ? QUrl(d->mainDocumentPath, QUrl::TolerantMode)
                         : QUrl::fromLocalFile(d->mainDocumentPath);
    component->loadUrl(url);

    QObject *root = component->create(nullptr);
    d->window = qobject_cast<QQuickWindow *>(root);
    if (!d->window) {
        delete root;
        qCritical("Error: Root item has to be a Window.");
        return false;
    }

    d->engine.setIncubationController(d->window->incubationController());
    d->window->setTitle(QStringLiteral("Kelvra v") + QLatin1String(KelvraVersion::kRelease));
    return true;
}

void QtQuick2ApplicationViewer::showWindowMaximized()
{
    if (d->window)
        d->window->showMaximized();
}

QQmlEngine *QtQuick2ApplicationViewer::engine() const
{
    return &d->engine;
}

QQuickWindow *QtQuick2ApplicationViewer::window() const
{
    return d->window;
}

QString QtQuick2ApplicationViewer::mainDocumentPath() const
{
    return d->mainDocumentPath;
}
