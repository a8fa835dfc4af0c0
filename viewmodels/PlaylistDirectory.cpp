#include "PlaylistDirectory.h"

#include "CPlaylistViewModel.h"

#include <QDir>
#include <QFileInfo>

const char *const PlaylistDirectory::fileSuffix = ".kvp";

namespace {

// Where playlists live, as a path with a placeholder the engine and the
// player resolve each for themselves.
const char *const directoryPlaceholder = "[userpath]playlists";

} // namespace

QString PlaylistDirectory::filePathForName(const QString &name) const
{
    if (!isKnown() || !CPlaylistViewModel::isUsableName(name))
        return QString();
    return m_path + QLatin1Char('/') + name + QLatin1String(fileSuffix);
}

bool PlaylistDirectory::contains(const QString &path) const
{
    if (path.isEmpty() || !isKnown())
        return false;
    const QFileInfo file(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (file.fileName().isEmpty())
        return false;
    return CPlaylistViewModel::isSamePath(file.path(), QFileInfo(m_path).absoluteFilePath());
}

QString PlaylistDirectory::placeholderPathForName(const QString &name)
{
    return QLatin1String(directoryPlaceholder) + QLatin1Char('/') + name + QLatin1String(fileSuffix);
}

QString PlaylistDirectory::placeholderPath()
{
    return QLatin1String(directoryPlaceholder);
}
