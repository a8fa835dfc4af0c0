#include "CSceneViewModel.h"

#include "CConfigViewModel.h"
#include "PropertySupport.h"

#include <QFileInfo>

CSceneViewModel::CSceneViewModel()
    : QObject(nullptr)
{
}

CSceneViewModel::CSceneViewModel(const QString &filepath, bool official)
    : QObject(nullptr)
    , m_filepath(filepath)
    , m_official(official)
{
    noteLoadResult(m_scene.Load(filepath, false));
}

CSceneViewModel::CSceneViewModel(const QString &filepath, bool official, CScene loaded, bool readable)
    : QObject(nullptr)
    , m_scene(std::move(loaded))
    , m_filepath(filepath)
    , m_official(official)
{
    noteLoadResult(readable);
}

// A scene that cannot be read is still listed, marked as such, with what the
// engine holds.
void CSceneViewModel::noteLoadResult(bool readable)
{
    m_readable = readable;
    m_loadError.clear();
    if (!m_readable) {
        m_loadError = m_scene.LastError();
        if (m_loadError.isEmpty())
            m_loadError = tr("the file could not be read");
    }
}

CSceneViewModel::~CSceneViewModel() = default;

QString CSceneViewModel::name() const
{
    return m_scene.GetName();
}

QString CSceneViewModel::author() const
{
    return m_scene.GetAuthor();
}

QString CSceneViewModel::id() const
{
    return m_scene.GetId();
}

QStringList CSceneViewModel::tags() const
{
    return m_scene.GetTags();
}

bool CSceneViewModel::relicensingPossible() const
{
    return m_scene.relicensingFlag;
}

SceneKinds::Type CSceneViewModel::sceneType() const
{
    return SceneKinds::typeOf(m_scene.typeFlags);
}

QString CSceneViewModel::type() const
{
    return SceneKinds::typeName(sceneType());
}

int CSceneViewModel::sceneTypeAsIndex() const
{
    return int(sceneType());
}

QString CSceneViewModel::description() const
{
    return m_scene.GetDesc();
}

// "CC BY-SA 4.0" -> "icons/cc-by-sa.png". A version only counts when a space
// or hyphen stands before it, and only 3.0 and 4.0 share the unversioned icon.
QString CSceneViewModel::licenseImage() const
{
    QString licence = m_scene.GetLicenseType();
    if (licence.isEmpty())
        return QString();
    licence.replace(QLatin1Char(' '), QLatin1Char('-'));
    licence.remove(QStringLiteral("-3.0"));
    licence.remove(QStringLiteral("-4.0"));
    return QStringLiteral("icons/") + licence.toLower() + QStringLiteral(".png");
}

QString CSceneViewModel::licenseUrl() const
{
    return CScene::GetLicenseUrl(m_scene.GetLicenseType());
}

QString CSceneViewModel::filepath() const
{
    return m_filepath;
}

bool CSceneViewModel::selected() const
{
    return m_selected;
}

bool CSceneViewModel::official() const
{
    return m_official;
}

void CSceneViewModel::setFilepath(const QString &filepath)
{
    assignAndNotify(this, m_filepath, filepath, &CSceneViewModel::filepathChanged);
}

void CSceneViewModel::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    announce(SceneWatcher::Change::Selection);
}

void CSceneViewModel::announce(SceneWatcher::Change change)
{
    if (m_watcher)
        m_watcher->sceneChanged(this, change);
    switch (change) {
    case SceneWatcher::Change::Selection:
        emit selectedChanged();
        break;
    case SceneWatcher::Change::Tags:
        emit tagsChanged();
        break;
    case SceneWatcher::Change::Relicensing:
        emit relicensingPossibleChanged();
        break;
    }
}

QString CSceneViewModel::displayName() const
{
    const QString name = m_scene.GetName();
    return name.isEmpty() ? QFileInfo(m_filepath).fileName() : name;
}

QString CSceneViewModel::fileName() const
{
    return QFileInfo(m_filepath).fileName();
}

// The view model's own scene was loaded for browsing only and must not be
// saved; SceneChange writes through a fresh copy loaded for editing.
QString CSceneViewModel::applyChange(const SceneChange &change, const SceneFileBackups *backups,
                                     SceneFileBackups::Kept *kept)
{
    SceneFileBackups::Kept unused;
    const QString problem = change.writeKeeping(m_filepath, kept ? backups : nullptr, kept ? kept : &unused);
    if (problem.isEmpty())
        showChange(change);
    return problem;
}

void CSceneViewModel::showChange(const SceneChange &change)
{
    change.applyTo(m_scene);
    announce(change.kind() == SceneChange::SetRelicensing ? SceneWatcher::Change::Relicensing
                                                          : SceneWatcher::Change::Tags);
}

void CSceneViewModel::reloadMetadata()
{
    const QStringList tagsBefore = tags();
    const bool relicensingBefore = relicensingPossible();
    CScene fresh;
    const bool readable = fresh.Load(m_filepath, false);
    m_scene = fresh;
    noteLoadResult(readable);
    if (tags() != tagsBefore)
        announce(SceneWatcher::Change::Tags);
    if (relicensingPossible() != relicensingBefore)
        announce(SceneWatcher::Change::Relicensing);
}

QString CSceneViewModel::applyAddTag(const QString &tag)
{
    return applyChange(SceneChange::addTag(tag));
}

QString CSceneViewModel::applyRemoveTag(const QString &tag)
{
    return applyChange(SceneChange::removeTag(tag));
}

QString CSceneViewModel::applyRelicensingPossible(bool possible)
{
    return applyChange(SceneChange::setRelicensing(possible));
}

namespace {

// The scene's own signals stay as QML knows them; what the user must hear
// goes through the one place that tells the user things.
void tellUser(const QString &text)
{
    if (CConfigViewModel *config = CConfigViewModel::instance())
        config->raiseMessage(text);
}

// A bulk edit rewrites scene files on worker threads; a second writer of the
// same file would lose one of the two changes.
bool refusedDuringBulkEdit(const CSceneViewModel &scene)
{
    CConfigViewModel *config = CConfigViewModel::instance();
    if (!config || !config->bulkEditRunning())
        return false;
    tellUser(CSceneViewModel::tr("Scene \u201c%1\u201d was not changed: wait until the running edit of many scenes ends.")
                 .arg(scene.displayName()));
    return true;
}

} // namespace

// A change of this one scene from the details pane: undoable, and told as
// done, when the program-wide view model keeps a history.
QString CSceneViewModel::applyUndoably(const SceneChange &change)
{
    CConfigViewModel *config = CConfigViewModel::instance();
    if (!config)
        return applyChange(change);
    return config->editScene(this, change);
}

void CSceneViewModel::addTag(QString tag)
{
    if (refusedDuringBulkEdit(*this))
        return;
    const QString problem = applyUndoably(SceneChange::addTag(tag));
    if (!problem.isEmpty())
        tellUser(tr("Scene \u201c%1\u201d: the tag \u201c%2\u201d was not added: %3").arg(displayName(), tag, problem));
}

void CSceneViewModel::removeTag(QString tag)
{
    if (refusedDuringBulkEdit(*this))
        return;
    const QString problem = applyUndoably(SceneChange::removeTag(tag));
    if (!problem.isEmpty())
        tellUser(tr("Scene \u201c%1\u201d: the tag \u201c%2\u201d was not removed: %3").arg(displayName(), tag, problem));
}

void CSceneViewModel::setRelicensingPossible(bool possible)
{
    if (refusedDuringBulkEdit(*this))
        return;
    const QString problem = applyUndoably(SceneChange::setRelicensing(possible));
    if (!problem.isEmpty())
        tellUser(tr("Scene \u201c%1\u201d: the relicensing flag was not changed: %2").arg(displayName(), problem));
}
