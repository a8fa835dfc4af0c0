#include "LiveCatalogue.h"

#include "CAppTypeQt.h"
#include "CConfigViewModel.h"
#include "CatalogueBuilder.h"

namespace {

QList<SceneFolderWatcher::Root> sceneRoots(const CAppTypeQt &app)
{
    return {{app.ResolvePath(CPath("[userpath]scenes")).toString(), false},
            {app.ResolvePath(CPath("[apppath]scenes")).toString(), true}};
}

} // namespace

LiveCatalogue::LiveCatalogue(const CAppTypeQt &app, CConfigViewModel &config, QObject *parent)
    : QObject(parent)
    , m_config(config)
    , m_watcher(sceneRoots(app))
    , m_importer(app, config)
{
    config.setSceneOrder([](const CSceneViewModel &a, const CSceneViewModel &b) {
        return Catalogue::sceneDateSeconds(a.scene().sceneDate) > Catalogue::sceneDateSeconds(b.scene().sceneDate);
    });
    connect(&m_watcher, &SceneFolderWatcher::scenesChanged, this, &LiveCatalogue::apply);
}

void LiveCatalogue::apply(const QList<SceneFileChange> &changes)
{
    QList<CSceneViewModel *> arrived;
    QStringList removed;
    for (const SceneFileChange &change : changes) {
        if (change.kind == SceneFileChange::Removed)
            removed.append(change.path);
        else if (change.scene)
            arrived.append(change.scene);
    }
    m_config.updateCatalogue(arrived, removed);
}
