#pragma once

#include <QString>
#include <QStringList>

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
QStringList sceneFilesBelow(const QString &directory);

} // namespace Catalogue
