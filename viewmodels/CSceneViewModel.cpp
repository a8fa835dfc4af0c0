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
    // A scene that cannot be read is still listed, with what the engine holds.
    m_scene.Load(filepath, false);
}

CSceneViewModel::CSceneViewModel(const QString &filepath, bool official, const CScene &loaded)
    : QObject(nullptr)
    , m_scene(loaded)
    , m_filepath(filepath)
    , m_official(official)
{
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
    assignAndNotify(this, m_selected, selected, &CSceneViewModel::selectedChanged);
}

namespace {

// Applies one edit to the scene file through a fresh copy loaded for editing,
// so every content entry is carried over. The view model's own scene was
// loaded for browsing only and must not be saved. When the fresh load fails
// nothing is written: saving would replace the user's scene with an empty one.
// Returns why the file was not changed, empty on success.
template<typename Edit>
QString editSceneFile(const QString &filepath, Edit edit)
{
    CScene file;
    if (!file.Load(filepath, true)) {
        const QString reason = file.LastError();
        return reason.isEmpty() ? CSceneViewModel::tr("the file could not be read") : reason;
    }
    edit(file);
    if (!file.Save(filepath, false)) {
        const QString reason = file.LastError();
        return reason.isEmpty() ? CSceneViewModel::tr("the file could not be written") : reason;
    }
    return QString();
}

} // namespace

QString CSceneViewModel::displayName() const
{
    const QString name = m_scene.GetName();
    return name.isEmpty() ? QFileInfo(m_filepath).fileName() : name;
}

QString CSceneViewModel::applyAddTag(const QString &tag)
{
    const QString problem = editSceneFile(m_filepath, [&tag](CScene &file) { file.tagList.append(tag); });
    if (!problem.isEmpty())
        return problem;
    m_scene.tagList.append(tag);
    emit tagsChanged();
    return QString();
}

QString CSceneViewModel::applyRemoveTag(const QString &tag)
{
    const QString problem = editSceneFile(m_filepath, [&tag](CScene &file) { file.tagList.removeAll(tag); });
    if (!problem.isEmpty())
        return problem;
    m_scene.tagList.removeAll(tag);
    emit tagsChanged();
    return QString();
}

QString CSceneViewModel::applyRelicensingPossible(bool possible)
{
    const QString problem =
        editSceneFile(m_filepath, [possible](CScene &file) { file.relicensingFlag = possible; });
    if (!problem.isEmpty())
        return problem;
    m_scene.relicensingFlag = possible;
    emit relicensingPossibleChanged();
    return QString();
}

namespace {

// The scene's own signals stay as QML knows them; what the user must hear
// goes through the one place that tells the user things.
void tellUser(const QString &text)
{
    if (CConfigViewModel *config = CConfigViewModel::instance())
        config->raiseMessage(text);
}

} // namespace

void CSceneViewModel::addTag(QString tag)
{
    const QString problem = applyAddTag(tag);
    if (!problem.isEmpty())
        tellUser(tr("Scene \u201c%1\u201d: the tag \u201c%2\u201d was not added: %3").arg(displayName(), tag, problem));
}

void CSceneViewModel::removeTag(QString tag)
{
    const QString problem = applyRemoveTag(tag);
    if (!problem.isEmpty())
        tellUser(tr("Scene \u201c%1\u201d: the tag \u201c%2\u201d was not removed: %3").arg(displayName(), tag, problem));
}

void CSceneViewModel::setRelicensingPossible(bool possible)
{
    const QString problem = applyRelicensingPossible(possible);
    if (!problem.isEmpty())
        tellUser(tr("Scene \u201c%1\u201d: the relicensing flag was not changed: %2").arg(displayName(), problem));
}
