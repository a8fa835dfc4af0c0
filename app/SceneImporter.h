#pragma once

#include "SceneImport.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>

class CAppTypeQt;
class CConfigViewModel;

// Imports scene packages while the program runs: chosen in the import
// dialog, dropped on the window, or handed over by a later start's "-i".
// Each package is copied exactly as "-i" copies it (copyScenePackage, with
// its refusals and their messages) and its scene is listed in the catalogue
// at once, at its place in the newest-first order.
//
// QML singleton "SceneImporter". Made without an application (QML alone, a
// test of the interface) it imports nothing and says so.
class SceneImporter : public QObject
{
    Q_OBJECT

public:
    explicit SceneImporter(QObject *parent = nullptr);
    SceneImporter(const CAppTypeQt &app, CConfigViewModel &config, QObject *parent = nullptr);
    ~SceneImporter() override;

    // The program-wide instance QML is given; null until start-up sets it,
    // and again once it is destroyed.
    static SceneImporter *instance();
    static void setInstance(SceneImporter *importer);

    // Imports the local files of urls, in order, and sums up in one message
    // through the configuration view model's messageRaised: how many scenes
    // were imported and, naming each, the packages that were not.
    Q_INVOKABLE void importScenes(const QList<QUrl> &urls);
    // Whether url names a local file whose name ends in ".kvd" or ".kvc"
    // (any case): what a drop offers to import.
    Q_INVOKABLE bool isScenePackage(const QUrl &url) const;

    // Where the import dialog opens: the user's home folder.
    Q_INVOKABLE QUrl startFolder() const;

    // The import of importScenes for paths; returns the message it raised
    // (empty for no paths).
    QString importFiles(const QStringList &paths);
    // A later start's "-i": copied and listed as above; returns the text the
    // asking start shows, empty when it was carried out. As at start-up, a
    // package of a name already imported, or a copy that failed, is not
    // reported.
    QString importHandedOver(const QString &path);

    // The summary message for imported scenes and the failures (one
    // sentence each), at most three failures named.
    static QString summary(int imported, const QStringList &failures);

private:
    // Copies one package and lists its scene when it was copied.
    CopyOutcome importOne(const QString &path);
    QString importAll(const QStringList &paths, QStringList failures);

    const CAppTypeQt *m_app = nullptr;
    CConfigViewModel *m_config = nullptr;
};
