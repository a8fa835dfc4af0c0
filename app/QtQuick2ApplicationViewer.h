#pragma once

#include <QString>

class QQmlEngine;
class QQuickWindow;

// Owns the QML engine and the top-level window of the run. The engine looks
// for QML modules only in the application directory's "qt" subdirectory,
// serves scene thumbnails through the "kvscene" image provider, and loads
// nothing from the network (LocalOnlyNetworkAccessManager): text from scene
// files can never make the interface fetch a remote URL.
//
// Lives on the stack of the start-up sequence. Destruction deletes the
// window first, then the engine (and with it the image provider and, if QML
// asked for it, the ConfigViewModel singleton).
class QtQuick2ApplicationViewer
{
public:
    QtQuick2ApplicationViewer();
    virtual ~QtQuick2ApplicationViewer();

    // Loads the main document and creates its root window, titled
    // "Kelvra v" and the release (e.g. "Kelvra v2.5.1"). Qt.quit() in QML
    // ends the application's event loop.
    //
    // When no window results (document missing or broken, or its root is not
    // a Window), reports "Error: Root item has to be a Window." as a critical
    // message and returns false; the caller then ends the run with a non-zero
    // exit code and without saving. (An orderly end rather than an abort: the
    // log still gets written out and closed.)
    bool loadMainDocument(const QString &path);

    // Shows the window maximized; does nothing without a window.
    void showWindowMaximized();

    QQmlEngine *engine() const;
    QQuickWindow *window() const;
    QString mainDocumentPath() const;

    // "<application dir>/../<path>" if something exists there, else
    // "<application dir>/<path>" if something exists there, else path as given.
    static QString resolveDocumentPath(const QString &path);

private:
    struct Private;
    Private *d;

    QtQuick2ApplicationViewer(const QtQuick2ApplicationViewer &) = delete;
    QtQuick2ApplicationViewer &operator=(const QtQuick2ApplicationViewer &) = delete;
};
