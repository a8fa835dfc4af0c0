#pragma once

// The entry functions the fuzzers and the replay test share: each takes the
// bytes of one file as it could arrive from outside and feeds them to one of
// the program's readers. The returned text names a broken promise (empty when
// every check held); a crash, leak or hang is found by the sanitizers and the
// fuzzer around the call.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace FuzzTargets {

// A scene file loaded for browsing: Load(path, false).
QString sceneMetadata(const QByteArray &bytes);
// A scene file loaded for editing, then edited and saved the way a tag edit
// does: browsing reads the same metadata, and a successful save must read
// back with the edit and with every other entry byte for byte.
QString sceneFull(const QByteArray &bytes);
// A playlist file: a file that cannot be parsed is moved aside whole, any
// other stays as it was; a save is refused without writing anything, or
// reads back with the same entries and the same keys the reader does not own.
QString playlist(const QByteArray &bytes);
// The configuration file: a save is refused without writing anything, or
// reads back with the same values and the same keys the record does not own.
QString config(const QByteArray &bytes);
// A scene archive asked for its thumbnail through the image provider.
QString thumbnail(const QByteArray &bytes);
// The engine's fast zip reader on arbitrary archive bytes, checked against
// the zip library for every name the library lists and the two the program
// asks for: whenever it answers Found, the library lists that name and reads
// exactly the same bytes for its first entry.
QString zipFastPath(const QByteArray &bytes);
// One record of the catalogue index (a scene's metadata kept between
// starts): a record the decoder takes holds what a scene may carry, encodes
// back to one that decodes the same, and decodes the same with or without
// the shared string pool.
QString indexRecord(const QByteArray &bytes);

// The target names, as used for the corpus and regression folders.
QStringList names();
// The seed corpus folder of a target: the two scene targets and the fast
// zip reader share "scene".
QString corpusFolder(const QString &name);
// Runs the named target; an unknown name is a broken promise.
QString run(const QString &name, const QByteArray &bytes);

} // namespace FuzzTargets
