#include "ViewModelContext.h"

#include "CAppTypeQt.h"
#include "CCfg.h"

ViewModelContext ViewModelContext::forApplication(CAppTypeQt &app)
{
    ViewModelContext context;
    context.config = app.Config();
    context.configPath = app.ConfigPath();
    context.playlists = PlaylistDirectory(app.ResolvePath(CPath(PlaylistDirectory::placeholderPath())).toString());
    context.player = PlayerLauncher(app.GetAppPath().toString());
    context.undoDirectory = app.ResolvePath(CPath(QStringLiteral("[userpath]undo"))).toString();
    return context;
}

bool ViewModelContext::saveConfiguration() const
{
    if (configPath.isEmpty())
        return true;
    return config->Save(configPath);
}

CCfg *ViewModelContext::detachedConfig()
{
    static CCfg config;
    return &config;
}
