#include "CSceneViewModel.h"

#include "PropertySupport.h"

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

quint32 CSceneViewModel::typeBit(quint32 typeFlags)
{
    for (quint32 bit : {CScene::Background, CScene::Foreground, CScene::Postprocessing, CScene::Transition}) {
        if (typeFlags & bit)
            return bit;
    }
    return 0;
}

QString CSceneViewModel::typeName(quint32 typeFlags)
{
    switch (typeBit(typeFlags)) {
    case CScene::Background:
        return QStringLiteral("Background");
    case CScene::Foreground:
        return QStringLiteral("Foreground");
    case CScene::Postprocessing:
        return QStringLiteral("Postprocessing");
    case CScene::Transition:
        return QStringLiteral("Transition");
    default:
        return QStringLiteral("Standalone");
    }
}

int CSceneViewModel::typeIndex(quint32 typeFlags)
{
    switch (typeBit(typeFlags)) {
    case CScene::Background:
        return 1;
    case CScene::Foreground:
        return 2;
    case CScene::Postprocessing:
        return 3;
    case CScene::Transition:
        return 4;
    default:
        return 0;
    }
}

QString CSceneViewModel::type() const
{
    return typeName(m_scene.typeFlags);
}

int CSceneViewModel::sceneTypeAsIndex() const
{
    return typeIndex(m_scene.typeFlags);
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
template<typename Edit>
void editSceneFile(const QString &filepath, Edit edit)
{
    CScene file;
    if (!file.Load(filepath, true))
        return;
    edit(file);
    file.Save(filepath, false);
}

} // namespace

void CSceneViewModel::addTag(QString tag)
{
    m_scene.tagList.append(tag);
    emit tagsChanged();
    editSceneFile(m_filepath, [&tag](CScene &file) { file.tagList.append(tag); });
}

void CSceneViewModel::removeTag(QString tag)
{
    m_scene.tagList.removeAll(tag);
    emit tagsChanged();
    editSceneFile(m_filepath, [&tag](CScene &file) { file.tagList.removeAll(tag); });
}

void CSceneViewModel::setRelicensingPossible(bool possible)
{
    m_scene.relicensingFlag = possible;
    emit relicensingPossibleChanged();
    editSceneFile(m_filepath, [possible](CScene &file) { file.relicensingFlag = possible; });
}
