#pragma once

#include <QFileInfoList>
#include <QList>
#include <QMetaObject>
#include <QString>
#include <QtGlobal>

class CAppTypeQt;
class CatalogueIndex;
class CConfigViewModel;
class CPlaylistViewModel;
class CSceneViewModel;
class QGuiApplication;
struct SceneDate;

// The start-up steps that build the in-memory catalogue (every installed
// scene, every playlist of the user, the counted tags) and hand it to the
// configuration view model before the user interface loads. Synchronously,
// on the GUI thread (scene files are read on the thread pool meanwhile). The view models made here have no parent and are
// never deleted; they end with the process.
namespace Catalogue {

// The save handlers: the quit handler on aboutToQuit and the state handler
// on applicationStateChanged, both direct. Kept so a run that ends without a
// window can take them off again and save nothing.
struct SaveHandlerConnections
{
    QMetaObject::Connection aboutToQuit;
    QMetaObject::Connection stateChanged;
};
SaveHandlerConnections connectSaveHandlers(QGuiApplication &application);
void disconnectSaveHandlers(const SaveHandlerConnections &connections);

// An empty playlist-to-run becomes the resolved "[apppath]playlists/Default.kvp".
// Nothing is saved.
void applyDefaultPlaylistToRun(CAppTypeQt &app);

// A new configuration view model without parent, made with app's context
// (its configuration record, playlist directory and player), stored as the
// program-wide instance.
CConfigViewModel *createConfigViewModel(CAppTypeQt &app);

// A scene date as whole seconds since 1601-01-01 00:00:00 of the proleptic
// Gregorian calendar, no time zone. The all-zero date is 0, older than every
// real date. A date that is not a real calendar date and time (month 13,
// 30 February, hour 24, a year before 1601, ...) counts as 0 too: its scene
// sorts with the undated ones, after every scene with a real date.
qint64 sceneDateSeconds(const SceneDate &date);

// Newest first by sceneDateSeconds; equal dates in no defined order.
void sortScenesNewestFirst(QList<CSceneViewModel *> &scenes);

// Every ".kvc" file (suffix case-sensitive) below userScenesDir, then below
// officialScenesDir, sorted newest first. An official scene with the Hidden
// type bit (0x800) is dropped (and deleted at once); a user scene with that
// bit is listed. The files are read in parallel on the global thread pool;
// the view models are made on the calling thread.
//
// With an index (opened here if it was not), a file whose entry matches it
// exactly is not read: its scene is restored from the entry. The index is
// then updated with the files read and loses the entries of files gone. The
// list is the same either way.
QList<CSceneViewModel *> buildSceneList(const QString &userScenesDir, const QString &officialScenesDir,
                                        CatalogueIndex *index = nullptr);

// The catalogue index of the user directory: "[userpath]catalogue-index.sqlite".
QString catalogueIndexPath(const CAppTypeQt &app);
// Whether assembleCatalogue keeps the index (it does unless switched off;
// measurements switch it off to compare with a start that reads every file).
void setCatalogueIndexEnabled(bool enabled);

// Creates the user playlist directory when missing; when it holds no
// "*.kvp" (matched ignoring case), copies every "*.kvp" of the default
// directory into it. Returns the user directory's "*.kvp" entries by name,
// ignoring case. Failures are not reported.
QFileInfoList preparePlaylistFiles(const QString &userPlaylistDir, const QString &defaultPlaylistDir);

// One playlist view model per prepared entry, named after the file without
// its ".kvp", its file kept inside userPlaylistDir.
QList<CPlaylistViewModel *> buildPlaylistList(const QString &userPlaylistDir, const QString &defaultPlaylistDir);

// Builds scenes (through the catalogue index), playlists and tags from the
// resolved "[userpath]scenes", "[apppath]scenes", "[userpath]playlists" and
// "[apppath]playlists", and
// hands them to config: the scene list model, then the playlists (the one
// the player runs becomes active), then the tags.
void assembleCatalogue(const CAppTypeQt &app, CConfigViewModel &config);

// The view-model steps of start-up, in their order, once the engine is
// initialised: the default playlist to run, the QML types, the configuration
// view model, the catalogue. Returns the filled view model.
CConfigViewModel *startViewModels(CAppTypeQt &app);

} // namespace Catalogue
