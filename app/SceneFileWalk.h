#pragma once

#include "FileIdentity.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace Catalogue {

// Every entry below directory whose name ends in ".kvc", as the catalogue
// lists scenes: depth first, each folder's entries in the order the file
// system gives them, a folder's contents right after the folder itself.
// Hidden entries (a name starting with '.') are skipped and hidden folders not
// entered; symbolic links are listed when they lead to a file or a folder but
// never entered; sockets, pipes, devices and broken links are skipped. The
// same entries, in the same order and with the same paths, as
// QDirIterator(directory, QDirIterator::Subdirectories) with the default
// filters, filtered by name.
//
// identities, when given, receives each file's FileIdentity as the walk met
// it, in the same order: on Linux stat-ed through the open folder, which
// costs less than a stat of the whole path later; invalid elsewhere.
QStringList sceneFilesBelow(const QString &directory, QVector<FileIdentity> *identities = nullptr);

} // namespace Catalogue
