// The configuration view model's edits of many scenes, run off the GUI
// thread, and the derived state that follows scene edits: the tag list and
// the active scene.
#include "BulkSceneEdit.h"
#include "CConfigViewModel.h"

QString CConfigViewModel::sceneCount(int count)
{
    return count == 1 ? tr("1 scene") : tr("%1 scenes").arg(count);
}

bool CConfigViewModel::bulkEditRunning() const
{
    return m_bulkEdit != nullptr;
}

int CConfigViewModel::bulkEditDone() const
{
    return m_bulkEdit ? m_bulkEdit->done() : 0;
}

int CConfigViewModel::bulkEditTotal() const
{
    return m_bulkEdit ? m_bulkEdit->total() : 0;
}

QString CConfigViewModel::bulkEditDescription() const
{
    if (!m_bulkEdit)
        return QString();
    const SceneChange &change = m_bulkEdit->change();
    switch (change.kind()) {
    case SceneChange::AddTag:
        return tr("Adding the tag \u201c%1\u201d to %2").arg(change.tag(), sceneCount(m_bulkEdit->total()));
    case SceneChange::RemoveTag:
        return tr("Removing the tag \u201c%1\u201d from %2").arg(change.tag(), sceneCount(m_bulkEdit->total()));
    case SceneChange::SetRelicensing:
        return change.relicensing() ? tr("Allowing relicensing of %1").arg(sceneCount(m_bulkEdit->total()))
                                    : tr("Forbidding relicensing of %1").arg(sceneCount(m_bulkEdit->total()));
    }
    return QString();
}

bool CConfigViewModel::bulkChangeFor(int kind, const QString &tag, bool value, SceneChange *change)
{
    const QString trimmed = tag.trimmed();
    // Filter words and type names are not tags: no scene would show them.
    const bool usableTag = !trimmed.isEmpty() && SceneKinds::tagCategory(trimmed) == QLatin1String("tag");
    switch (kind) {
    case BulkAddTag:
        *change = SceneChange::addTag(trimmed);
        return usableTag;
    case BulkRemoveTag:
        *change = SceneChange::removeTag(trimmed);
        return usableTag;
    case BulkSetRelicensing:
        *change = SceneChange::setRelicensing(value);
        return true;
    default:
        return false;
    }
}

// A scene whose file could not be read is left out: its edit would only fail.
QList<CSceneViewModel *> CConfigViewModel::scenesToChange(const SceneChange &change) const
{
    QList<CSceneViewModel *> scenes;
    for (CSceneViewModel *scene : sceneObjects()) {
        if (scene->selected() && scene->readable() && change.changes(scene->scene()))
            scenes.append(scene);
    }
    return scenes;
}

QVariantMap CConfigViewModel::bulkEditReach(int kind, QString tag, bool value) const
{
    int selected = 0;
    int unreadable = 0;
    for (const CSceneViewModel *scene : sceneObjects()) {
        selected += scene->selected();
        unreadable += scene->selected() && !scene->readable();
    }
    SceneChange change = SceneChange::setRelicensing(value);
    int changes = 0;
    int hidden = 0;
    if (bulkChangeFor(kind, tag, value, &change)) {
        for (const CSceneViewModel *scene : scenesToChange(change)) {
            ++changes;
            hidden += !m_filteredScenes->acceptsScene(*scene);
        }
    }
    return {{QStringLiteral("selected"), selected},
            {QStringLiteral("changes"), changes},
            {QStringLiteral("hidden"), hidden},
            {QStringLiteral("unreadable"), unreadable}};
}

bool CConfigViewModel::startBulkEdit(int kind, QString tag, bool value)
{
    SceneChange change = SceneChange::setRelicensing(value);
    if (m_bulkEdit || !bulkChangeFor(kind, tag, value, &change))
        return false;
    const QList<CSceneViewModel *> scenes = scenesToChange(change);
    if (scenes.isEmpty())
        return false;
    m_bulkEdit = new BulkSceneEdit(change, scenes, this, m_backups.get());
    connect(m_bulkEdit, &BulkSceneEdit::progressChanged, this, &CConfigViewModel::bulkEditProgressChanged);
    connect(m_bulkEdit, &BulkSceneEdit::finished, this, &CConfigViewModel::finishBulkEdit);
    emit bulkEditChanged();
    m_bulkEdit->start();
    return true;
}

void CConfigViewModel::cancelBulkEdit()
{
    if (m_bulkEdit)
        m_bulkEdit->cancel();
}

bool CConfigViewModel::refuseDuringBulkEdit()
{
    if (!m_bulkEdit)
        return false;
    emit messageRaised(tr("Nothing was changed: wait until the running edit of many scenes ends."));
    return true;
}

void CConfigViewModel::finishBulkEdit()
{
    BulkSceneEdit *edit = m_bulkEdit;
    {
        const SceneChangeBatch batch(*this);
        for (CSceneViewModel *scene : edit->changedScenes())
            scene->showChange(edit->change());
    }
    const SceneChange &change = edit->change();
    const int changed = edit->changedScenes().size();
    QString text = editDoneText(change, sceneCount(changed));
    QString failedWhat;
    switch (change.kind()) {
    case SceneChange::AddTag:
        failedWhat = tr("The tag \u201c%1\u201d was not added to").arg(change.tag());
        break;
    case SceneChange::RemoveTag:
        failedWhat = tr("The tag \u201c%1\u201d was not removed from").arg(change.tag());
        break;
    case SceneChange::SetRelicensing:
        failedWhat = tr("Relicensing was not changed for");
        break;
    }
    if (edit->wasCancelled() && edit->skipped() > 0)
        text += QLatin1Char(' ') + tr("Cancelled: %1 left unchanged.").arg(sceneCount(edit->skipped()));
    if (!edit->failures().isEmpty())
        text += QLatin1Char(' ') + failureSummary(failedWhat, edit->failures());

    QList<KeptScene> edits;
    for (int i = 0; i < changed; ++i)
        edits.append({edit->changedScenes().at(i), edit->keptFiles().value(i)});

    m_bulkEdit = nullptr;
    edit->deleteLater();
    emit bulkEditChanged();
    emit bulkEditProgressChanged();
    if (!recordSceneEdits(editStepText(change, sceneCount(changed)), text, false, edits))
        emit messageRaised(text);
}

int CConfigViewModel::visibleRowOf(QObject *scene) const
{
    if (!scene || !m_allScenes)
        return -1;
    const int sourceRow = m_allScenes->objects().indexOf(scene);
    if (sourceRow < 0)
        return -1;
    return m_filteredScenes->mapFromSource(m_allScenes->index(sourceRow, 0)).row();
}

void CConfigViewModel::dropActiveSceneIfHidden()
{
    if (m_activeScene && visibleRowOf(m_activeScene) < 0)
        setActiveScene(nullptr);
}

void CConfigViewModel::refreshTagList()
{
    QMap<QString, int> counts = tagCounts(sceneObjects());
    QList<CTagViewModel *> tags;
    bool membershipChanged = false;
    for (CTagViewModel *tag : qAsConst(m_tags)) {
        const auto count = counts.find(tag->name());
        if (count == counts.end()) {
            if (!tag->selected()) {
                m_retiredTags.insert(tag->name(), tag);
                membershipChanged = true;
                continue;
            }
            tag->setScore(0.0f);
        } else {
            tag->setScore(float(count.value()));
            counts.erase(count);
        }
        tags.append(tag);
    }
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        CTagViewModel *tag = m_retiredTags.take(it.key());
        if (!tag) {
            // Made here, so owned here; the tags start-up hands over stay
            // with start-up.
            tag = new CTagViewModel(it.key(), 0.0f);
            tag->setParent(this);
        }
        tag->setScore(float(it.value()));
        tags.append(tag);
        membershipChanged = true;
    }
    if (!membershipChanged)
        return;
    sortTags(tags);
    m_tags = tags;
    emit tagsChanged();
}
