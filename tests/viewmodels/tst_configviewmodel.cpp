#include "EngineTestSupport.h"
#include "CConfigViewModel.h"
#include "PlaylistTestSupport.h"

#include <QScopeGuard>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

// The configuration view model's catalogue, selection, playlist and preview
// operations, and the save handlers.
class TestConfigViewModel : public ConfigViewModelFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { env.setUp(); }
    void cleanupTestCase() { env.tearDown(); }
    void init();
    void cleanup();

    void tagListWithoutScenes();
    void tagListCountsScenes();
    void selectTagFiltersByTagsInListOrder();
    void searchScenesFiltersByName();
    void bulkSelectionNeedsActivePlaylist();
    void bulkSelectionTouchesVisibleScenesOnly();
    void toggleTwiceRestoresVisibleScenes();
    void rangeTicksVisibleRowsBetween_data();
    void rangeTicksVisibleRowsBetween();
    void tagEditsReachHiddenSelectedScenes();
    void filterFollowsSceneChanges_data();
    void filterFollowsSceneChanges();
    void bulkSelectionWalksRowsVisibleAtStart();
    void oneSceneTickRecountsActivePlaylist();
    void relicensingAlwaysEmitsAndWrites();
    void failedBulkEditsAreSummarisedAndShowTheFiles();
    void switchingPlaylistsStoresOutgoingSelection();
    void deactivatingKeepsSelection();
    void ticksAreStoredSoonAfterTheLastChange();
    void storeFailureIsToldOnceAndRetried();
    void setAsidePlaylistIsTold();
    void setPlaylistsActivatesPlaylistToRun();
    void playlistActivatedBeforeSceneListKeepsItsFile();
    void addPlaylistTakesFirstFreeName();
    void unusableNamesTouchNothing_data();
    void unusableNamesTouchNothing();
    void deleteActivePlaylistActivatesFirst();
    void deleteOnlyPlaylistLeavesNoneActive();
    void deleteInactivePlaylistChangesNothingElse();
    void deleteRunningPlaylistRunsTheActiveOne();
    void runningPlaylistIsNamedWhereverItLives_data();
    void runningPlaylistIsNamedWhereverItLives();
    void onlyUserTicksCountAsEdits();
    void viewPlaylistStartsPlayerOnFile();
    void viewMissingPlaylistDoesNothing();
    void viewActivePlaylistStoresSelectionFirst();
    void preview_data();
    void preview();
    void previewWithoutActiveSceneDoesNothing();
    void handlersSaveWhenInactiveOrQuitting();
    void handlersIgnoreDeletedInstance();
    void listProperties();
    void facetCountsFollowTheFilter();
    void heldFacetCountsWaitForRelease();
    void sceneListedLaterIsWatched();
    void deletedPlaylistComesBack_data();
    void deletedPlaylistComesBack();
    void tickChangeIsUndone_data();
    void tickChangeIsUndone();

private:
    // Three scenes (Alpha background, Beta foreground, Gamma post-processing)
    // and the playlists A = {Alpha} and B = {Beta, Gamma}, A active.
    void setUpCatalogue();
    CPlaylistViewModel *playlistNamed(const QString &name) const;
    QStringList selectedNames() const;
};

void TestConfigViewModel::init()
{
    setUp();
}

void TestConfigViewModel::cleanup()
{
    tearDown();
}

void TestConfigViewModel::setUpCatalogue()
{
    alpha = env.makeScene(QStringLiteral("Alpha.kvc"), QStringLiteral("a"), CScene::Background, {"Space"});
    beta = env.makeScene(QStringLiteral("Beta.kvc"), QStringLiteral("b"), CScene::Foreground);
    gamma = env.makeScene(QStringLiteral("Gamma.kvc"), QStringLiteral("c"), CScene::Postprocessing, {"Space"});
    sceneModel->setObjects({alpha, beta, gamma});

    env.writePlaylist(env.playlistPath(QStringLiteral("A")), {{"a", alpha->filepath(), CScene::Background}});
    env.writePlaylist(env.playlistPath(QStringLiteral("B")), {{"b", beta->filepath(), CScene::Foreground},
                                                              {"c", gamma->filepath(), CScene::Postprocessing}});
    gApp->Config()->playlistToRun = env.playlistPath(QStringLiteral("A"));

    viewModel->setAllScenes(sceneModel);
    viewModel->setPlaylists({new CPlaylistViewModel(env.playlistPath(QStringLiteral("A")), QStringLiteral("A"), env.directory()),
                             new CPlaylistViewModel(env.playlistPath(QStringLiteral("B")), QStringLiteral("B"), env.directory())});
    viewModel->setTags(CConfigViewModel::buildTagList({alpha, beta, gamma}));
}

CPlaylistViewModel *TestConfigViewModel::playlistNamed(const QString &name) const
{
    for (CPlaylistViewModel *playlist : viewModel->playlistList()) {
        if (playlist->name() == name)
            return playlist;
    }
    return nullptr;
}

QStringList TestConfigViewModel::selectedNames() const
{
    QStringList names;
    for (const CSceneViewModel *scene : {alpha, beta, gamma}) {
        if (scene->selected())
            names.append(scene->name());
    }
    return names;
}

void TestConfigViewModel::tagListWithoutScenes()
{
    const QList<CTagViewModel *> tags = CConfigViewModel::buildTagList({});
    QCOMPARE(tags.size(), 2);
    QCOMPARE(tags.at(0)->name(), QStringLiteral("Selected"));
    QCOMPARE(tags.at(0)->score(), 2.0f);
    QCOMPARE(tags.at(1)->name(), QStringLiteral("NotSelected"));
    QCOMPARE(tags.at(1)->score(), 1.0f);
    qDeleteAll(tags);
}

void TestConfigViewModel::tagListCountsScenes()
{
    QList<CSceneViewModel *> scenes = {
        // A user foreground scene without relicensing; reserved names are
        // not counted, a different letter case is an ordinary tag.
        env.makeScene(QStringLiteral("1.kvc"), "1", CScene::Foreground,
                      {"Selected", "User", "Official", "user", "Space"}, false),
        env.makeScene(QStringLiteral("2.kvc"), "2", CScene::Background, {"Space", "Space"}, true, true),
        env.makeScene(QStringLiteral("3.kvc"), "3", CScene::Background, {}, true, true),
    };
    const QList<CTagViewModel *> tags = CConfigViewModel::buildTagList(scenes);

    QMap<QString, float> scores;
    for (int i = 0; i < tags.size(); ++i) {
        scores.insert(tags.at(i)->name(), tags.at(i)->score());
        QVERIFY(!tags.at(i)->selected());
        if (i > 0)
            QVERIFY(tags.at(i - 1)->score() >= tags.at(i)->score());
    }
    const QMap<QString, float> expected = {
        {"Selected", 5}, {"NotSelected", 4}, {"Space", 3}, {"Background", 2}, {"Foreground", 1},
        {"User", 1},     {"NoRelicensing", 1}, {"user", 1},
    };
    QCOMPARE(scores, expected);
    qDeleteAll(tags);
}

void TestConfigViewModel::selectTagFiltersByTagsInListOrder()
{
    setUpCatalogue();
    CScenesFilterViewModel *proxy = viewModel->filteredScenes();
    CTagViewModel *space = nullptr;
    for (CTagViewModel *tag : viewModel->tagList())
        space = tag->name() == QLatin1String("Space") ? tag : space;
    QVERIFY(space);
    QSignalSpy spaceSpy(space, &CTagViewModel::selectedChanged);

    viewModel->selectTag(QStringLiteral("Space"), true);
    viewModel->selectTag(QStringLiteral("Space"), true);
    QCOMPARE(spaceSpy.count(), 1);
    QCOMPARE(proxy->rowCount(), 2);

    viewModel->selectTag(QStringLiteral("Background"), true);
    QCOMPARE(proxy->tagFilter, (QStringList{"Space", "Background"}));   // tag-list order: Space scores 2, Background 1
    QCOMPARE(proxy->rowCount(), 1);

    viewModel->selectTag(QStringLiteral("No such tag"), true);
    QCOMPARE(proxy->tagFilter, (QStringList{"Space", "Background"}));

    viewModel->selectTag(QStringLiteral("Space"), false);
    viewModel->selectTag(QStringLiteral("Background"), false);
    QVERIFY(proxy->tagFilter.isEmpty());
    QCOMPARE(proxy->rowCount(), 3);
}

void TestConfigViewModel::searchScenesFiltersByName()
{
    setUpCatalogue();
    viewModel->searchScenes(QStringLiteral("MMA"));
    QCOMPARE(viewModel->filteredScenes()->filterText, QStringLiteral("MMA"));
    QCOMPARE(viewModel->filteredScenes()->rowCount(), 1);
    viewModel->searchScenes(QString());
    QCOMPARE(viewModel->filteredScenes()->rowCount(), 3);
}

void TestConfigViewModel::bulkSelectionNeedsActivePlaylist()
{
    setUpCatalogue();
    viewModel->setActivePlaylist(nullptr);
    const QStringList before = selectedNames();
    viewModel->selectAllScenes();
    viewModel->toggleAllScenes();
    viewModel->deselectAllScenes();
    QCOMPARE(selectedNames(), before);
}

void TestConfigViewModel::bulkSelectionTouchesVisibleScenesOnly()
{
    setUpCatalogue();
    CPlaylistViewModel *a = viewModel->activePlaylist();
    QCOMPARE(a->name(), QStringLiteral("A"));
    QCOMPARE(selectedNames(), QStringList{"Alpha.kvc"});
    QSignalSpy countSpy(viewModel.get(), &CConfigViewModel::scenesSelectedChanged);

    viewModel->searchScenes(QStringLiteral("Beta"));
    viewModel->selectAllScenes();
    QCOMPARE(selectedNames(), (QStringList{"Alpha.kvc", "Beta.kvc"}));
    QCOMPARE(viewModel->scenesSelected(), 2);
    QCOMPARE(a->scenesSelected(), 2);   // the hidden Alpha counts too

    viewModel->deselectAllScenes();
    QCOMPARE(selectedNames(), QStringList{"Alpha.kvc"});
    QCOMPARE(a->scenesSelected(), 1);
    QCOMPARE(countSpy.count(), 0);   // the count reaches QML through the playlist
}

void TestConfigViewModel::rangeTicksVisibleRowsBetween_data()
{
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("hideBeta");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QStringList>("ticked");

    const QStringList onlyAlpha{"Alpha.kvc"};
    const QStringList all{"Alpha.kvc", "Beta.kvc", "Gamma.kvc"};
    QTest::addRow("anchor above") << true << false << 1 << 2 << all;
    QTest::addRow("anchor below") << true << false << 2 << 1 << all;
    QTest::addRow("one row") << true << false << 2 << 2 << QStringList{"Alpha.kvc", "Gamma.kvc"};
    QTest::addRow("hidden row left alone") << true << true << 0 << 1 << QStringList{"Alpha.kvc", "Gamma.kvc"};
    QTest::addRow("ends beyond the rows") << true << false << -5 << 99 << all;
    QTest::addRow("both ends beyond") << true << false << 5 << 9 << onlyAlpha;
    QTest::addRow("no active playlist") << false << false << 0 << 2 << onlyAlpha;
}

void TestConfigViewModel::rangeTicksVisibleRowsBetween()
{
    QFETCH(bool, active);
    QFETCH(bool, hideBeta);
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QStringList, ticked);

    setUpCatalogue();
    QCOMPARE(selectedNames(), QStringList{"Alpha.kvc"});
    if (!active) {
        viewModel->setActivePlaylist(nullptr);
        alpha->setSelected(true);
    }
    if (hideBeta)
        viewModel->selectTag(QStringLiteral("Space"), true);
    viewModel->selectVisibleRange(from, to);
    QCOMPARE(selectedNames(), ticked);
    if (active)
        QCOMPARE(viewModel->activePlaylist()->scenesSelected(), ticked.size());
}

void TestConfigViewModel::toggleTwiceRestoresVisibleScenes()
{
    setUpCatalogue();
    viewModel->searchScenes(QStringLiteral("a"));   // all three names contain an "a"
    viewModel->selectTag(QStringLiteral("Space"), true);   // hides Beta
    QSignalSpy alphaSpy(alpha, &CSceneViewModel::selectedChanged);
    QSignalSpy betaSpy(beta, &CSceneViewModel::selectedChanged);

    viewModel->toggleAllScenes();
    QCOMPARE(selectedNames(), QStringList{"Gamma.kvc"});
    viewModel->toggleAllScenes();
    QCOMPARE(selectedNames(), QStringList{"Alpha.kvc"});
    QCOMPARE(alphaSpy.count(), 2);
    QCOMPARE(betaSpy.count(), 0);
}

void TestConfigViewModel::tagEditsReachHiddenSelectedScenes()
{
    setUpCatalogue();
    viewModel->searchScenes(QStringLiteral("Beta"));   // Alpha, selected, is hidden
    viewModel->addTag(QStringLiteral("Calm"));

    CScene stored;
    QVERIFY(stored.Load(alpha->filepath(), false));
    QCOMPARE(stored.GetTags(), (QStringList{"Space", "Calm"}));
    QCOMPARE(alpha->tags(), (QStringList{"Space", "Calm"}));
    QCOMPARE(beta->tags(), QStringList{});
    int calm = 0;   // the new tag is listed at once, counted over every scene
    for (const CTagViewModel *tag : viewModel->tagList())
        calm += tag->name() == QLatin1String("Calm") ? int(tag->score()) : 0;
    QCOMPARE(calm, 1);

    viewModel->removeTag(QStringLiteral("Space"));
    QVERIFY(stored.Load(alpha->filepath(), false));
    QCOMPARE(stored.GetTags(), QStringList{"Calm"});
    QCOMPARE(gamma->tags(), QStringList{"Space"});
}

// Whatever changes a scene, the filter shows the result without being asked.
void TestConfigViewModel::filterFollowsSceneChanges_data()
{
    QTest::addColumn<QString>("term");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("visibleAfter");
    // Alpha is selected (playlist A); all three allow relicensing.
    QTest::addRow("tick under Selected") << "Selected" << "tick Beta" << QStringList{"Alpha.kvc", "Beta.kvc"};
    QTest::addRow("untick under Selected") << "Selected" << "untick Alpha" << QStringList{};
    QTest::addRow("tick under NotSelected") << "NotSelected" << "tick Beta" << QStringList{"Gamma.kvc"};
    QTest::addRow("tag added to selected") << "Calm" << "add Calm" << QStringList{"Alpha.kvc"};
    QTest::addRow("tag added to one scene") << "Calm" << "add Calm to Gamma" << QStringList{"Gamma.kvc"};
    QTest::addRow("tag removed") << "Space" << "remove Space" << QStringList{"Gamma.kvc"};
    QTest::addRow("relicensing forbidden") << "NoRelicensing" << "forbid" << QStringList{"Alpha.kvc"};
}

void TestConfigViewModel::filterFollowsSceneChanges()
{
    QFETCH(QString, term);
    QFETCH(QString, change);
    QFETCH(QStringList, visibleAfter);
    setUpCatalogue();
    // Set directly: a tag no scene has yet is not in the tag list to select.
    CScenesFilterViewModel *proxy = viewModel->filteredScenes();
    proxy->tagFilter = QStringList{term};
    proxy->refilter();
    const auto visible = [proxy] {
        QStringList names;
        for (int row = 0; row < proxy->rowCount(); ++row)
            names.append(proxy->index(row, 0).data(QObjectListModel::ObjectRole).value<CSceneViewModel *>()->name());
        names.sort();
        return names;
    };

    if (change == QLatin1String("tick Beta"))
        beta->setSelected(true);
    else if (change == QLatin1String("untick Alpha"))
        alpha->setSelected(false);
    else if (change == QLatin1String("add Calm"))
        viewModel->addTag(QStringLiteral("Calm"));
    else if (change == QLatin1String("add Calm to Gamma"))
        gamma->addTag(QStringLiteral("Calm"));
    else if (change == QLatin1String("remove Space"))
        viewModel->removeTag(QStringLiteral("Space"));
    else if (change == QLatin1String("forbid"))
        viewModel->relicensingPossible(false);
    QCOMPARE(visible(), visibleAfter);
}

// Selecting under "NotSelected" hides each scene it selects; the walk still
// reaches every scene that was visible when it began.
void TestConfigViewModel::bulkSelectionWalksRowsVisibleAtStart()
{
    setUpCatalogue();
    viewModel->selectTag(QStringLiteral("NotSelected"), true);
    QCOMPARE(viewModel->filteredScenes()->rowCount(), 2);
    QSignalSpy resetSpy(viewModel->filteredScenes(), &QAbstractItemModel::modelReset);
    QSignalSpy removedSpy(viewModel->filteredScenes(), &QAbstractItemModel::rowsRemoved);

    viewModel->selectAllScenes();

    QCOMPARE(selectedNames(), (QStringList{"Alpha.kvc", "Beta.kvc", "Gamma.kvc"}));
    QCOMPARE(viewModel->filteredScenes()->rowCount(), 0);
    QCOMPARE(resetSpy.count() + removedSpy.count(), 1);   // filtered once, after the walk
}

// QML ticks one scene at a time; the active playlist's count follows.
void TestConfigViewModel::oneSceneTickRecountsActivePlaylist()
{
    setUpCatalogue();
    CPlaylistViewModel *a = viewModel->activePlaylist();
    QCOMPARE(a->scenesSelected(), 1);
    QSignalSpy countSpy(a, &CPlaylistViewModel::scenesSelectedChanged);
    beta->setSelected(true);
    QCOMPARE(a->scenesSelected(), 2);
    QCOMPARE(countSpy.count(), 1);
    alpha->setSelected(false);
    beta->setSelected(false);
    QCOMPARE(a->scenesSelected(), 0);
    QCOMPARE(countSpy.count(), 3);
}

void TestConfigViewModel::relicensingAlwaysEmitsAndWrites()
{
    setUpCatalogue();
    QVERIFY(alpha->relicensingPossible());
    QSignalSpy alphaSpy(alpha, &CSceneViewModel::relicensingPossibleChanged);
    QSignalSpy betaSpy(beta, &CSceneViewModel::relicensingPossibleChanged);
    viewModel->relicensingPossible(true);
    QCOMPARE(alphaSpy.count(), 1);
    QCOMPARE(betaSpy.count(), 0);

    viewModel->relicensingPossible(false);
    CScene stored;
    QVERIFY(stored.Load(alpha->filepath(), false));
    QCOMPARE(stored.relicensingFlag, false);
    QVERIFY(stored.Load(beta->filepath(), false));
    QCOMPARE(stored.relicensingFlag, true);
}

void TestConfigViewModel::failedBulkEditsAreSummarisedAndShowTheFiles()
{
    setUpCatalogue();
    CSceneViewModel *delta = env.makeScene(QStringLiteral("Delta.kvc"), QStringLiteral("d"), 0, {"Space"});
    CSceneViewModel *omega = env.makeScene(QStringLiteral("Omega.kvc"), QStringLiteral("o"), 0, {"Space"});
    sceneModel->setObjects({alpha, beta, gamma, delta, omega});
    viewModel->setAllScenes(sceneModel);
    viewModel->selectAllScenes();
    for (const CSceneViewModel *scene : {beta, delta, omega}) {   // no longer scene archives
        QFile file(scene->filepath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write("junk") == 4);
    }
    QSignalSpy messageSpy(viewModel.get(), &CConfigViewModel::messageRaised);

    viewModel->addTag(QStringLiteral("Calm"));
    viewModel->relicensingPossible(false);

    QCOMPARE(alpha->tags(), (QStringList{"Space", "Calm"}));
    QCOMPARE(delta->tags(), QStringList{"Space"});   // as its file says
    QCOMPARE(alpha->relicensingPossible(), false);
    QCOMPARE(omega->relicensingPossible(), true);
    QCOMPARE(messageSpy.count(), 2);   // one summary per edit, not one per scene
    for (const QList<QVariant> &message : messageSpy) {
        const QString text = message.first().toString();
        for (const char *name : {"Beta.kvc", "Delta.kvc", "Omega.kvc"})
            QVERIFY2(text.contains(QLatin1String(name)) && !text.contains(QLatin1String("Alpha")), qPrintable(text));
    }
}

void TestConfigViewModel::switchingPlaylistsStoresOutgoingSelection()
{
    setUpCatalogue();
    CPlaylistViewModel *a = playlistNamed(QStringLiteral("A"));
    CPlaylistViewModel *b = playlistNamed(QStringLiteral("B"));
    const QString pathA = a->filepath();
    const QString pathB = b->filepath();
    QSignalSpy activeSpy(viewModel.get(), &CConfigViewModel::activePlaylistChanged);

    // An unchanged selection does not write the outgoing file.
    QVERIFY(QFile::remove(pathA));
    viewModel->setActivePlaylist(b);
    QVERIFY(!QFile::exists(pathA));
    QCOMPARE(selectedNames(), (QStringList{"Beta.kvc", "Gamma.kvc"}));
    QCOMPARE(b->scenesSelected(), 2);
    QCOMPARE(activeSpy.count(), 1);

    viewModel->setActivePlaylist(b);
    QCOMPARE(activeSpy.count(), 1);

    alpha->setSelected(true);
    gamma->setSelected(false);
    viewModel->setActivePlaylist(a);
    QCOMPARE(PlaylistTestEnvironment::pathsInFile(pathB), (QStringList{alpha->filepath(), beta->filepath()}));
    QCOMPARE(selectedNames(), QStringList{"Alpha.kvc"});
    QCOMPARE(gApp->Config()->playlistToRun, pathA);   // the playlist to run is a separate choice
}

void TestConfigViewModel::deactivatingKeepsSelection()
{
    setUpCatalogue();
    const QString pathA = viewModel->activePlaylist()->filepath();
    beta->setSelected(true);
    viewModel->setActivePlaylist(nullptr);
    QCOMPARE(viewModel->activePlaylist(), nullptr);
    QCOMPARE(selectedNames(), (QStringList{"Alpha.kvc", "Beta.kvc"}));
    QCOMPARE(PlaylistTestEnvironment::pathsInFile(pathA), (QStringList{alpha->filepath(), beta->filepath()}));
}

void TestConfigViewModel::ticksAreStoredSoonAfterTheLastChange()
{
    setUpCatalogue();
    const QString pathA = env.playlistPath(QStringLiteral("A"));
    QCOMPARE(viewModel->storeDelay(), CConfigViewModel::storeSelectionDelayMs);
    QVERIFY(!viewModel->isStorePending());   // showing A's selection is no change

    viewModel->setStoreDelay(5);
    beta->setSelected(true);
    QCOMPARE(PlaylistTestEnvironment::pathsInFile(pathA), QStringList{alpha->filepath()});
    QTRY_COMPARE(PlaylistTestEnvironment::pathsInFile(pathA), (QStringList{alpha->filepath(), beta->filepath()}));

    // A switch stores at once and leaves nothing waiting.
    viewModel->setStoreDelay(60 * 60 * 1000);
    viewModel->deselectAllScenes();
    viewModel->setActivePlaylist(playlistNamed(QStringLiteral("B")));
    QVERIFY(!viewModel->isStorePending());
}

void TestConfigViewModel::storeFailureIsToldOnceAndRetried()
{
    if (!EngineTest::FileSizeLimit::supported())
        QSKIP("no way to make writes fail here");
    setUpCatalogue();
    const QString pathA = env.playlistPath(QStringLiteral("A"));
    QSignalSpy messageSpy(viewModel.get(), &CConfigViewModel::messageRaised);
    {
        EngineTest::FileSizeLimit diskFull(1);
        beta->setSelected(true);
        viewModel->storeSelection();
        gamma->setSelected(true);
        viewModel->storeSelection();
        // Left while its file lags, A is still written by a later store.
        viewModel->setActivePlaylist(playlistNamed(QStringLiteral("B")));
    }
    QCOMPARE(messageSpy.count(), 1);
    QVERIFY(messageSpy.first().first().toString().contains(QStringLiteral("\u201cA\u201d")));
    QCOMPARE(PlaylistTestEnvironment::pathsInFile(pathA), QStringList{alpha->filepath()});

    CConfigViewModel::handleAboutToQuit();
    QCOMPARE(PlaylistTestEnvironment::pathsInFile(pathA),
             (QStringList{alpha->filepath(), beta->filepath(), gamma->filepath()}));
    QCOMPARE(messageSpy.count(), 1);
}

void TestConfigViewModel::setAsidePlaylistIsTold()
{
    const QString path = env.playlistPath(QStringLiteral("Broken"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("{ not a playlist") > 0);
    file.close();
    auto *broken = new CPlaylistViewModel(path, QStringLiteral("Broken"), env.directory());
    const QString setAside = broken->playlist().SetAsidePath();
    QSignalSpy messageSpy(viewModel.get(), &CConfigViewModel::messageRaised);
    viewModel->setPlaylists({broken});
    if (setAside.isEmpty())
        QSKIP("the engine keeps no unreadable playlist aside");
    QCOMPARE(messageSpy.count(), 0);   // told once the interface listens
    QTRY_COMPARE(messageSpy.count(), 1);
    const QString message = messageSpy.first().first().toString();
    QVERIFY2(message.contains(QStringLiteral("Broken")) && message.contains(QFileInfo(setAside).fileName()),
             qPrintable(message));
}

void TestConfigViewModel::setPlaylistsActivatesPlaylistToRun()
{
    setUpCatalogue();
    QCOMPARE(viewModel->activePlaylist(), playlistNamed(QStringLiteral("A")));
    QVERIFY(playlistNamed(QStringLiteral("A"))->isResolved());
    QVERIFY(!playlistNamed(QStringLiteral("B"))->isResolved());
}

void TestConfigViewModel::playlistActivatedBeforeSceneListKeepsItsFile()
{
    alpha = env.makeScene(QStringLiteral("Alpha.kvc"), QStringLiteral("a"), CScene::Background);
    sceneModel->setObjects({alpha});
    const QString path = env.playlistPath(QStringLiteral("A"));
    env.writePlaylist(path, {{"a", alpha->filepath(), CScene::Background}});
    gApp->Config()->playlistToRun = path;

    viewModel->setPlaylists({new CPlaylistViewModel(path, QStringLiteral("A"), env.directory())});
    CConfigViewModel::handleAboutToQuit();
    QCOMPARE(PlaylistTestEnvironment::pathsInFile(path), QStringList{alpha->filepath()});

    // Installed late, the scene list does not count as the playlist's content.
    viewModel->setAllScenes(sceneModel);
    CConfigViewModel::handleAboutToQuit();
    QCOMPARE(PlaylistTestEnvironment::pathsInFile(path), QStringList{alpha->filepath()});
}

void TestConfigViewModel::addPlaylistTakesFirstFreeName()
{
    setUpCatalogue();
    env.writePlaylist(env.playlistPath(QStringLiteral("N")), {});
    env.writePlaylist(env.playlistPath(QStringLiteral("N 1")), {});
    beta->setSelected(true);   // stored into A when the new playlist becomes active
    QSignalSpy listSpy(viewModel.get(), &CConfigViewModel::playlistsChanged);
    QSignalSpy runSpy(viewModel.get(), &CConfigViewModel::playlistToRunChanged);
    QSignalSpy noticeSpy(viewModel.get(), &CConfigViewModel::noticeRaised);

    viewModel->addPlaylist(QStringLiteral("N"));

    const QString path = env.playlistPath(QStringLiteral("N 2"));
    CPlaylistViewModel *added = viewModel->playlistList().last();
    QCOMPARE(added->name(), QStringLiteral("N 2"));
    QCOMPARE(added->filepath(), path);
    QVERIFY(QFile::exists(path));
    QCOMPARE(listSpy.count(), 1);
    QCOMPARE(runSpy.count(), 1);
    QCOMPARE(viewModel->playlistToRun(), path);
    QCOMPARE(viewModel->activePlaylist(), added);
    QCOMPARE(viewModel->runningPlaylist(), added);
    // The user learns that what the player runs changed, and to what.
    QCOMPARE(noticeSpy.count(), 1);
    QVERIFY(noticeSpy.first().first().toString().contains(QStringLiteral("\u201cN 2\u201d")));
    QVERIFY(selectedNames().isEmpty());
    QCOMPARE(PlaylistTestEnvironment::pathsInFile(env.playlistPath(QStringLiteral("A"))),
             (QStringList{alpha->filepath(), beta->filepath()}));
}

void TestConfigViewModel::unusableNamesTouchNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("diskFull");
    QTest::addRow("empty") << "" << false;
    QTest::addRow("parent directory") << "../A" << false;
    QTest::addRow("dot dot") << ".." << false;
    QTest::addRow("subdirectory") << "sub/A" << false;
    QTest::addRow("backslash") << "..\\A" << false;
#ifdef Q_OS_WIN
    QTest::addRow("colon") << "C:A" << false;
#else
    // Fits in UTF-16 characters, but no file name can be that long on disk.
    QTest::addRow("too long when encoded") << QString(200, QChar(0x00e9)) << false;
#endif
    // A fine name whose file cannot be written must not become active either.
    if (EngineTest::FileSizeLimit::supported())
        QTest::addRow("file cannot be written") << "Fresh" << true;
}

void TestConfigViewModel::unusableNamesTouchNothing()
{
    QFETCH(QString, name);
    QFETCH(bool, diskFull);
    setUpCatalogue();
    // Files the unusable names would reach if they were taken as paths.
    const QString outside = env.userDir + QStringLiteral("/A.kvp");
    env.writePlaylist(outside, {});
    QVERIFY(QDir().mkpath(env.userDir + QStringLiteral("/playlists/sub")));
    env.writePlaylist(env.userDir + QStringLiteral("/playlists/sub/A.kvp"), {});
    const int playlistCount = viewModel->playlistList().size();
    QSignalSpy listSpy(viewModel.get(), &CConfigViewModel::playlistsChanged);
    QSignalSpy activeSpy(viewModel.get(), &CConfigViewModel::activePlaylistChanged);
    QSignalSpy messageSpy(viewModel.get(), &CConfigViewModel::messageRaised);
    const QString runBefore = viewModel->playlistToRun();

    QCOMPARE(viewModel->playlistNameProblem(name).isEmpty(), diskFull);
    {
        std::unique_ptr<EngineTest::FileSizeLimit> limit;
        if (diskFull)
            limit = std::make_unique<EngineTest::FileSizeLimit>(1);
        viewModel->addPlaylist(name);
        viewModel->viewPlaylist(name, QStringLiteral("f"));
        viewModel->deletePlaylist(name);
    }

    QCOMPARE(listSpy.count(), 0);
    QCOMPARE(activeSpy.count(), 0);
    QCOMPARE(viewModel->playlistToRun(), runBefore);
    QCOMPARE(selectedNames(), QStringList{"Alpha.kvc"});
    QCOMPARE(messageSpy.count(), 1);   // the refused creation
    QVERIFY(messageSpy.first().first().toString().contains(QStringLiteral("not created")));
    QVERIFY(!QFile::exists(env.playlistPath(QStringLiteral("Fresh"))));
    QCOMPARE(viewModel->playlistList().size(), playlistCount);
    QVERIFY(env.starts.isEmpty());
    QVERIFY(!QFile::exists(gApp->ConfigPath()));
    QVERIFY(QFile::exists(outside));
    QVERIFY(QFile::exists(env.userDir + QStringLiteral("/playlists/sub/A.kvp")));
    QCOMPARE(QDir(env.userDir + QStringLiteral("/playlists")).entryList(QDir::Files),
             (QStringList{"A.kvp", "B.kvp"}));
}

void TestConfigViewModel::deleteActivePlaylistActivatesFirst()
{
    setUpCatalogue();
    viewModel->setActivePlaylist(playlistNamed(QStringLiteral("B")));
    viewModel->setPlaylistToRun(playlistNamed(QStringLiteral("B"))->filepath());
    const QString pathB = env.playlistPath(QStringLiteral("B"));
    alpha->setSelected(true);   // must not reach B's file after the delete
    QSignalSpy listSpy(viewModel.get(), &CConfigViewModel::playlistsChanged);
    QSignalSpy runSpy(viewModel.get(), &CConfigViewModel::playlistToRunChanged);

    viewModel->deletePlaylist(QStringLiteral("B"));

    QVERIFY(!QFile::exists(pathB));
    QCOMPARE(listSpy.count(), 1);
    QCOMPARE(viewModel->playlistList().size(), 1);
    QCOMPARE(viewModel->activePlaylist(), playlistNamed(QStringLiteral("A")));
    QCOMPARE(viewModel->playlistToRun(), env.playlistPath(QStringLiteral("A")));
    QCOMPARE(runSpy.count(), 1);
    QCOMPARE(selectedNames(), QStringList{"Alpha.kvc"});

    CConfigViewModel::handleAboutToQuit();
    QVERIFY(!QFile::exists(pathB));
}

void TestConfigViewModel::deleteOnlyPlaylistLeavesNoneActive()
{
    setUpCatalogue();
    viewModel->deletePlaylist(QStringLiteral("B"));
    beta->setSelected(true);
    QSignalSpy activeSpy(viewModel.get(), &CConfigViewModel::activePlaylistChanged);
    QSignalSpy runSpy(viewModel.get(), &CConfigViewModel::playlistToRunChanged);

    viewModel->deletePlaylist(QStringLiteral("A"));

    QVERIFY(viewModel->playlistList().isEmpty());
    QCOMPARE(viewModel->activePlaylist(), nullptr);
    QVERIFY(viewModel->playlistToRun().isEmpty());
    QCOMPARE(activeSpy.count(), 1);
    QCOMPARE(runSpy.count(), 1);
    // The ticks belonged to the deleted playlist; none is left to show.
    QVERIFY(selectedNames().isEmpty());
    QCOMPARE(viewModel->scenesSelected(), 0);
    QVERIFY(QDir(env.userDir + QStringLiteral("/playlists")).entryList(QDir::Files).isEmpty());
}

void TestConfigViewModel::deleteInactivePlaylistChangesNothingElse()
{
    setUpCatalogue();
    QSignalSpy activeSpy(viewModel.get(), &CConfigViewModel::activePlaylistChanged);
    QSignalSpy runSpy(viewModel.get(), &CConfigViewModel::playlistToRunChanged);
    QSignalSpy noticeSpy(viewModel.get(), &CConfigViewModel::noticeRaised);

    viewModel->deletePlaylist(QStringLiteral("B"));
    viewModel->deletePlaylist(QStringLiteral("B"));   // no file any more: nothing happens

    QCOMPARE(viewModel->playlistList().size(), 1);
    QCOMPARE(viewModel->activePlaylist(), playlistNamed(QStringLiteral("A")));
    QCOMPARE(viewModel->playlistToRun(), env.playlistPath(QStringLiteral("A")));
    QCOMPARE(selectedNames(), QStringList{"Alpha.kvc"});
    QCOMPARE(activeSpy.count(), 0);
    QCOMPARE(runSpy.count(), 0);
    QCOMPARE(noticeSpy.count(), 1);   // told as done, to offer undo
}

// The player is never left running a file that was deleted: it runs the
// playlist the grid shows, and the user is told.
void TestConfigViewModel::deleteRunningPlaylistRunsTheActiveOne()
{
    setUpCatalogue();
    viewModel->setPlaylistToRun(env.playlistPath(QStringLiteral("B")));
    QSignalSpy activeSpy(viewModel.get(), &CConfigViewModel::activePlaylistChanged);
    QSignalSpy noticeSpy(viewModel.get(), &CConfigViewModel::noticeRaised);

    viewModel->deletePlaylist(QStringLiteral("B"));

    QCOMPARE(viewModel->activePlaylist(), playlistNamed(QStringLiteral("A")));
    QCOMPARE(viewModel->playlistToRun(), env.playlistPath(QStringLiteral("A")));
    QCOMPARE(viewModel->runningPlaylist(), playlistNamed(QStringLiteral("A")));
    QCOMPARE(activeSpy.count(), 0);
    QCOMPARE(noticeSpy.count(), 1);
    const QString notice = noticeSpy.first().first().toString();
    QVERIFY2(notice.contains(QStringLiteral("\u201cB\u201d")) && notice.contains(QStringLiteral("\u201cA\u201d")),
             qPrintable(notice));
}

// A first start runs the playlist shipped with the program, which is not one
// of the user's; a file that is gone is still named, so what runs is never
// left unsaid.
void TestConfigViewModel::runningPlaylistIsNamedWhereverItLives_data()
{
    QTest::addColumn<QString>("toRun");
    QTest::addColumn<QString>("listed");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("bundled");
    QTest::addRow("listed") << "user:A" << "A" << "A" << false;
    QTest::addRow("shipped with the program") << "app:Default" << "" << "Default" << true;
    QTest::addRow("a user file no longer listed") << "user:Gone" << "" << "Gone" << false;
    QTest::addRow("nothing") << "" << "" << "" << false;
}

void TestConfigViewModel::runningPlaylistIsNamedWhereverItLives()
{
    QFETCH(QString, toRun);
    QFETCH(QString, listed);
    QFETCH(QString, name);
    QFETCH(bool, bundled);
    setUpCatalogue();
    QString path;
    if (toRun.startsWith(QLatin1String("user:")))
        path = env.playlistPath(toRun.mid(5));
    else if (toRun.startsWith(QLatin1String("app:")))
        path = env.appDir + QStringLiteral("/playlists/") + toRun.mid(4) + QStringLiteral(".kvp");
    QSignalSpy spy(viewModel.get(), &CConfigViewModel::runningPlaylistChanged);

    viewModel->setPlaylistToRun(path);

    QCOMPARE(viewModel->runningPlaylist(), listed.isEmpty() ? nullptr : playlistNamed(listed));
    QCOMPARE(viewModel->runningPlaylistName(), name);
    QCOMPARE(viewModel->runningPlaylistBundled(), bundled);
    QCOMPARE(spy.count(), path == env.playlistPath(QStringLiteral("A")) ? 0 : 1);
}

// The offer to make a playlist run follows the user's ticks, not the
// selection that changes when another playlist is shown.
void TestConfigViewModel::onlyUserTicksCountAsEdits()
{
    setUpCatalogue();
    QSignalSpy editSpy(viewModel.get(), &CConfigViewModel::activePlaylistEdited);

    viewModel->setActivePlaylist(playlistNamed(QStringLiteral("B")));
    QCOMPARE(editSpy.count(), 0);

    alpha->setSelected(true);
    QCOMPARE(editSpy.count(), 1);
}

void TestConfigViewModel::viewPlaylistStartsPlayerOnFile()
{
    setUpCatalogue();
    viewModel->setTransitionTime(9.5f);
    viewModel->viewPlaylist(QStringLiteral("B"), QStringLiteral("w"));

    QCOMPARE(env.starts.size(), 1);
    const PlayerStart &start = env.starts.first();
    QCOMPARE(start.arguments, (QStringList{"-w", "--scene", "[userpath]playlists/B.kvp"}));
    QCOMPARE(start.workingDirectory, gApp->GetAppPath().toString());
    QVERIFY(start.configSaved);
    CCfg saved;
    QVERIFY(saved.Load(gApp->ConfigPath()));
    QCOMPARE(saved.transitionTime, 9.5f);
}

void TestConfigViewModel::viewMissingPlaylistDoesNothing()
{
    setUpCatalogue();
    viewModel->viewPlaylist(QStringLiteral("Nowhere"), QStringLiteral("f"));
    QVERIFY(env.starts.isEmpty());
    QVERIFY(!QFile::exists(gApp->ConfigPath()));
}

void TestConfigViewModel::viewActivePlaylistStoresSelectionFirst()
{
    setUpCatalogue();
    beta->setSelected(true);
    viewModel->viewPlaylist(QStringLiteral("A"), QStringLiteral("f"));
    QCOMPARE(env.starts.size(), 1);
    QCOMPARE(PlaylistTestEnvironment::pathsInFile(env.playlistPath(QStringLiteral("A"))),
             (QStringList{alpha->filepath(), beta->filepath()}));
    QVERIFY(!viewModel->isStorePending());

    // Another playlist's file is shown as it stands; the active one waits.
    gamma->setSelected(true);
    viewModel->viewPlaylist(QStringLiteral("B"), QStringLiteral("f"));
    QCOMPARE(PlaylistTestEnvironment::pathsInFile(env.playlistPath(QStringLiteral("A"))).size(), 2);
}

void TestConfigViewModel::preview_data()
{
    QTest::addColumn<quint32>("typeFlags");
    QTest::addColumn<bool>("vr");
    QTest::addColumn<bool>("withBackground");

    QTest::addRow("background") << quint32(CScene::Background) << false << false;
    QTest::addRow("background in VR") << quint32(CScene::Background) << true << false;
    QTest::addRow("post-processing") << quint32(CScene::Postprocessing) << false << true;
    QTest::addRow("post-processing in VR") << quint32(CScene::Postprocessing) << true << true;
    QTest::addRow("foreground with post-processing bit")
        << quint32(CScene::Foreground | CScene::Postprocessing) << false << false;
}

void TestConfigViewModel::preview()
{
    QFETCH(quint32, typeFlags);
    QFETCH(bool, vr);
    QFETCH(bool, withBackground);

    CSceneViewModel *scene = env.makeScene(QStringLiteral("Preview.kvc"), QStringLiteral("p"), typeFlags);
    CSceneViewModel *other = env.makeScene(QStringLiteral("Other.kvc"), QStringLiteral("o"), 0);
    other->setSelected(true);   // the selection plays no part
    viewModel->setActiveScene(scene);
    viewModel->setMinSceneTime(12.0f);

    if (vr)
        viewModel->previewSelectedSceneVR();
    else
        viewModel->previewSelectedScene();

    const QString sceneArgument =
        (withBackground ? QStringLiteral("[apppath]scenes/special/PostprocessingBackground.kvc;;") : QString())
        + scene->filepath();
    QCOMPARE(env.starts.size(), 1);
    const PlayerStart &start = env.starts.first();
    QCOMPARE(start.arguments, (QStringList{vr ? "-v" : "-f", "--scene", sceneArgument}));
    QCOMPARE(start.workingDirectory, env.appDir);
#ifdef Q_OS_WIN
    QCOMPARE(start.program, QStringLiteral("Kelvra.exe"));
#else
    QCOMPARE(start.program, env.appDir + QStringLiteral("/Kelvra.exe"));
#endif
    QVERIFY(start.configSaved);
    CCfg saved;
    QVERIFY(saved.Load(gApp->ConfigPath()));
    QCOMPARE(saved.minSceneTime, 12);
}

void TestConfigViewModel::previewWithoutActiveSceneDoesNothing()
{
    setUpCatalogue();
    alpha->setSelected(true);
    viewModel->previewSelectedScene();
    viewModel->previewSelectedSceneVR();
    QVERIFY(env.starts.isEmpty());
    QVERIFY(!QFile::exists(gApp->ConfigPath()));
}

void TestConfigViewModel::handlersSaveWhenInactiveOrQuitting()
{
    setUpCatalogue();
    const QString pathA = env.playlistPath(QStringLiteral("A"));
    beta->setSelected(true);

    CConfigViewModel::handleApplicationStateChanged(Qt::ApplicationActive);
    QVERIFY(!QFile::exists(gApp->ConfigPath()));
    QCOMPARE(PlaylistTestEnvironment::pathsInFile(pathA), QStringList{alpha->filepath()});

    CConfigViewModel::handleApplicationStateChanged(Qt::ApplicationInactive);
    QVERIFY(QFile::exists(gApp->ConfigPath()));
    QCOMPARE(PlaylistTestEnvironment::pathsInFile(pathA), (QStringList{alpha->filepath(), beta->filepath()}));

    QVERIFY(QFile::remove(gApp->ConfigPath()));
    gamma->setSelected(true);
    CConfigViewModel::handleAboutToQuit();
    QVERIFY(QFile::exists(gApp->ConfigPath()));
    QCOMPARE(PlaylistTestEnvironment::pathsInFile(pathA).size(), 3);
}

void TestConfigViewModel::handlersIgnoreDeletedInstance()
{
    setUpCatalogue();
    const QString pathA = env.playlistPath(QStringLiteral("A"));
    beta->setSelected(true);
    CScenesFilterViewModel *proxy = viewModel->filteredScenes();
    viewModel.reset();   // as the QML engine does with the singleton at shutdown
    QCOMPARE(CConfigViewModel::instance(), nullptr);

    CConfigViewModel::handleApplicationStateChanged(Qt::ApplicationHidden);
    CConfigViewModel::handleAboutToQuit();
    QVERIFY(!QFile::exists(gApp->ConfigPath()));
    QCOMPARE(PlaylistTestEnvironment::pathsInFile(pathA), QStringList{alpha->filepath()});

    viewModel = std::make_unique<CConfigViewModel>(env.context());
    delete proxy;
}

void TestConfigViewModel::listProperties()
{
    setUpCatalogue();
    QQmlListProperty<CPlaylistViewModel> playlists = viewModel->playlists();
    QCOMPARE(playlists.count(&playlists), 2);
    QCOMPARE(playlists.at(&playlists, 1), playlistNamed(QStringLiteral("B")));
    QCOMPARE(playlists.at(&playlists, 2), nullptr);
    playlists.append(&playlists, playlistNamed(QStringLiteral("A")));
    QCOMPARE(playlists.count(&playlists), 2);

    QQmlListProperty<CTagViewModel> tags = viewModel->tags();
    QCOMPARE(tags.count(&tags), viewModel->tagList().size());
    QCOMPARE(tags.at(&tags, 0)->name(), QStringLiteral("Selected"));
    QCOMPARE(tags.at(&tags, -1), nullptr);
    tags.clear(&tags);
    QCOMPARE(tags.count(&tags), 0);
    playlists.clear(&playlists);
    QCOMPARE(playlists.count(&playlists), 0);
}

// Each tag counts the scenes shown now that it would keep: first once the
// event loop runs, then after a search, a chip and an edit of one scene.
void TestConfigViewModel::facetCountsFollowTheFilter()
{
    setUpCatalogue();
    const auto counts = [this](const QStringList &names) {
        QVector<int> values;
        for (const QString &name : names) {
            int value = -2;
            for (const CTagViewModel *tag : viewModel->tagList()) {
                if (tag->name() == name)
                    value = tag->facetCount();
            }
            values.append(value);
        }
        return values;
    };
    const QStringList names{"Space", "Background", "Postprocessing", "Selected", "NotSelected", "User"};
    QCOMPARE(counts(names), (QVector<int>{-1, -1, -1, -1, -1, -1}));
    QTRY_COMPARE(counts(names), (QVector<int>{2, 1, 1, 1, 2, 3}));

    viewModel->searchScenes(QStringLiteral("MMA"));   // Gamma
    QCOMPARE(counts(names), (QVector<int>{1, 0, 1, 0, 1, 1}));
    viewModel->searchScenes(QString());
    viewModel->selectTag(QStringLiteral("Space"), true);   // Alpha, Gamma; a chip that is on counts them all
    QCOMPARE(counts(names), (QVector<int>{2, 1, 1, 1, 1, 2}));

    gamma->setSelected(true);   // the filter does not look at the selection, the counts do
    QCOMPARE(counts(names), (QVector<int>{2, 1, 1, 2, 0, 2}));
    alpha->removeTag(QStringLiteral("Space"));   // hides Alpha
    QCOMPARE(counts(names), (QVector<int>{1, 0, 1, 1, 0, 1}));
}

// Held from start-up to the first frame: nothing is counted meanwhile, not
// even for a search, and the release counts what the filter shows then.
void TestConfigViewModel::heldFacetCountsWaitForRelease()
{
    setUpCatalogue();
    viewModel->setFacetCountsHeld(true);
    const auto spaceCount = [this]() {
        for (const CTagViewModel *tag : viewModel->tagList()) {
            if (tag->name() == QLatin1String("Space"))
                return tag->facetCount();
        }
        return -2;
    };
    QCoreApplication::processEvents();
    viewModel->searchScenes(QStringLiteral("MMA"));   // Gamma
    QCoreApplication::processEvents();
    QCOMPARE(spaceCount(), -1);
    viewModel->setFacetCountsHeld(false);
    QTRY_COMPARE(spaceCount(), 1);
}

// A scene listed after start-up (an import) is filtered and counted by what
// it holds now, like the ones listed at start.
void TestConfigViewModel::sceneListedLaterIsWatched()
{
    setUpCatalogue();
    viewModel->selectTag(QStringLiteral("Selected"), true);
    QCOMPARE(viewModel->filteredScenes()->rowCount(), 1);
    CSceneViewModel *delta = env.makeScene(QStringLiteral("Delta.kvc"), QStringLiteral("d"), CScene::Background);
    sceneModel->insert(0, delta);
    QCOMPARE(viewModel->filteredScenes()->rowCount(), 1);
    delta->setSelected(true);
    QCOMPARE(viewModel->filteredScenes()->rowCount(), 2);
    QCOMPARE(viewModel->filteredScenes()->index(0, 0).data(QObjectListModel::ObjectRole).value<CSceneViewModel *>(),
             delta);
}

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

// Undo brings a deleted playlist back, from the trash or, without one, from
// memory, active again; a playlist made meanwhile under its name keeps its
// file. Without a usable trash nothing lands in the working directory (where
// Qt 5.15 puts it, reporting success).
void TestConfigViewModel::deletedPlaylistComesBack_data()
{
    QTest::addColumn<bool>("nameTaken");
    QTest::addColumn<bool>("trash");
    QTest::addRow("name free") << false << true;
    QTest::addRow("name taken since") << true << true;
    QTest::addRow("no trash") << false << false;
    QTest::addRow("no trash, name taken since") << true << false;
}

void TestConfigViewModel::deletedPlaylistComesBack()
{
    QFETCH(bool, nameTaken);
    QFETCH(bool, trash);
    setUpCatalogue();
    const QString share = env.root.filePath(QStringLiteral("share"));
    QVERIFY(trash ? QDir().mkpath(share) : QDir(share).removeRecursively());
    QTemporaryDir workingDirectory;
    const QString previousDirectory = QDir::currentPath();
    QVERIFY(QDir::setCurrent(workingDirectory.path()));
    const auto restoreDirectory = qScopeGuard([&previousDirectory] { QDir::setCurrent(previousDirectory); });
    viewModel->setActivePlaylist(playlistNamed(QStringLiteral("B")));
    const QString pathB = env.playlistPath(QStringLiteral("B"));
    const QByteArray bytesB = fileBytes(pathB);

    viewModel->deletePlaylist(QStringLiteral("B"));
    QVERIFY(!QFile::exists(pathB));
    QCOMPARE(QDir(workingDirectory.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QCOMPARE(QDir(share + QStringLiteral("/Trash/files")).entryList(QDir::Files).size(), trash ? 1 : 0);
    QVERIFY(!viewModel->undoMessage().isEmpty());
    QByteArray newcomer;
    if (nameTaken) {
        viewModel->addPlaylist(QStringLiteral("B"));
        newcomer = fileBytes(pathB);
        viewModel->setActivePlaylist(playlistNamed(QStringLiteral("A")));
    }

    QVERIFY(viewModel->undo());
    const QString restoredName = nameTaken ? QStringLiteral("B 1") : QStringLiteral("B");
    CPlaylistViewModel *restored = playlistNamed(restoredName);
    QVERIFY(restored);
    QCOMPARE(fileBytes(env.playlistPath(restoredName)), bytesB);
    QCOMPARE(viewModel->activePlaylist(), restored);
    QCOMPARE(selectedNames(), (QStringList{"Beta.kvc", "Gamma.kvc"}));
    if (nameTaken)
        QCOMPARE(fileBytes(pathB), newcomer);
    QVERIFY(!viewModel->history()->canUndo());
}

// Undo of Select all / None / Toggle gives back exactly the ticks before,
// and only in the playlist they were made in.
void TestConfigViewModel::tickChangeIsUndone_data()
{
    QTest::addColumn<int>("operation");   // 0 all, 1 none, 2 toggle
    QTest::addColumn<bool>("switchPlaylist");
    QTest::addRow("select all") << 0 << false;
    QTest::addRow("select none") << 1 << false;
    QTest::addRow("toggle") << 2 << false;
    QTest::addRow("other playlist active since") << 0 << true;
}

void TestConfigViewModel::tickChangeIsUndone()
{
    QFETCH(int, operation);
    QFETCH(bool, switchPlaylist);
    setUpCatalogue();
    if (operation == 0)
        viewModel->selectAllScenes();
    else if (operation == 1)
        viewModel->deselectAllScenes();
    else
        viewModel->toggleAllScenes();
    QVERIFY(selectedNames() != QStringList{"Alpha.kvc"});
    QVERIFY(viewModel->history()->canUndo());
    QSignalSpy messages(viewModel.get(), &CConfigViewModel::messageRaised);
    if (switchPlaylist)
        viewModel->setActivePlaylist(playlistNamed(QStringLiteral("B")));
    const QStringList before = selectedNames();

    QCOMPARE(viewModel->undo(), !switchPlaylist);
    if (switchPlaylist) {
        QCOMPARE(selectedNames(), before);
        QCOMPARE(messages.count(), 1);
        QVERIFY2(messages.first().first().toString().contains(QStringLiteral("\u201cA\u201d")),
                 qPrintable(messages.first().first().toString()));
    } else {
        QCOMPARE(selectedNames(), QStringList{"Alpha.kvc"});
        QCOMPARE(viewModel->activePlaylist()->scenesSelected(), 1);
    }
}

QTEST_GUILESS_MAIN(TestConfigViewModel)
#include "tst_configviewmodel.moc"
