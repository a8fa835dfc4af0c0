#pragma once

#include <QString>

class QJSEngine;
class QObject;
class QQmlEngine;

// The QML module "Kelvra" 1.0 through which the documents reach the
// program, registered once per run before the configuration view model
// exists:
//   ConfigViewModel        singleton, the program-wide configuration view model
//   SceneViewModel, PlaylistViewModel, TagViewModel, ScenesFilterViewModel,
//   ObjectListModel        creatable with their default constructors
//   SceneKinds             singleton, names of scene types and filter words
//   ApplicationInfo        singleton, the release, licence and directories
//   Theme                  singleton, light or dark (ThemeChoice)
// The directories are the resolved "[apppath]" and "[userpath]"; without a
// user directory the theme choice is not stored.
void registerQmlTypes(const QString &applicationDirectory = QString(), const QString &userDirectory = QString());

// The singleton provider: ignores both engines and returns the program-wide
// configuration view model. It does not claim C++ ownership, so the QML
// engine that asked for it deletes it when that engine is destroyed.
QObject *provideConfigViewModel(QQmlEngine *engine, QJSEngine *scriptEngine);
