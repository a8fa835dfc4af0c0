#include "CSceneViewModel.h"
#include "CScenesFilterViewModel.h"
#include "QObjectListModel.h"

#include <QAbstractItemModelTester>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

struct SceneSetup
{
    const char *name;
    bool official;
    quint32 typeFlags;
    QStringList tags;
    bool relicensing;
    bool selected;
};

// Source order as the scene list holds it. Authors, descriptions and ids all
// contain "ab", which only the name search may ignore.
const std::vector<SceneSetup> catalogue = {
    {"Abyss", true, CScene::Background, {"Space", "Dark"}, true, false},
    {"Slab", false, CScene::Foreground, {"Transition"}, false, true},
    {"Nebula Storm", false, CScene::Transition, {"Background"}, true, false},
    {"Zeta", true, 0, {"space"}, true, true},
    {"alpha", false, CScene::Postprocessing, {"Official", "User"}, true, false},
};

} // namespace

class TestScenesFilterViewModel : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void filterShowsMatchingScenes_data();
    void filterShowsMatchingScenes();
    void displayRoleNumbersVisibleRows();
    void modelRoleReachesSceneObject();
    void sortsByNameInCodeUnitOrder();
    void sortByKeyAndDirection_data();
    void sortByKeyAndDirection();
    void sortByFollowsRenamedScene();
    void selectionChangeShowsAfterInvalidate();
    void refilterAppliesNewFilter();
    void rowWithoutSceneIsHidden();
    void fastPathMatchesPlainRule_data();
    void fastPathMatchesPlainRule();

private:
    void showThroughTestedProxy();
    QStringList visibleNames() const;

    std::vector<std::unique_ptr<CSceneViewModel>> m_scenes;
    std::unique_ptr<QObjectListModel> m_list;
    std::unique_ptr<CScenesFilterViewModel> m_proxy;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
};

void TestScenesFilterViewModel::init()
{
    m_tester.reset();
    m_proxy = std::make_unique<CScenesFilterViewModel>();
    m_list = std::make_unique<QObjectListModel>();

    m_scenes.clear();
    QList<QObject *> objects;
    for (const SceneSetup &setup : catalogue) {
        auto scene = std::make_unique<CSceneViewModel>(QString(), setup.official);
        scene->scene().SetName(QString::fromUtf8(setup.name));
        scene->scene().SetAuthor(QStringLiteral("Gabriel"));
        scene->scene().SetDesc(QStringLiteral("ab"));
        scene->scene().SetId(QStringLiteral("ab-1"));
        scene->scene().typeFlags = setup.typeFlags;
        scene->scene().tagList = setup.tags + QStringList{QStringLiteral("ab")};
        scene->scene().relicensingFlag = setup.relicensing;
        scene->setSelected(setup.selected);
        objects << scene.get();
        m_scenes.push_back(std::move(scene));
    }
    m_list->setObjects(objects);
}

// The display role numbers the visible rows, so it changes for every row below
// an insertion or removal; the model tester's check that untouched rows keep
// their data cannot hold for it. The tester therefore watches proxies whose
// filter is set before the scenes arrive (one reset) and layout changes
// (sorting), while re-filtering is tested without it.
void TestScenesFilterViewModel::showThroughTestedProxy()
{
    m_tester = std::make_unique<QAbstractItemModelTester>(m_proxy.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    m_proxy->setSourceModel(m_list.get());
}

QStringList TestScenesFilterViewModel::visibleNames() const
{
    QStringList names;
    for (int row = 0; row < m_proxy->rowCount(); ++row) {
        const QModelIndex index = m_proxy->index(row, 0);
        names << m_proxy->data(index, QObjectListModel::ObjectRole).value<QObject *>()->property("name").toString();
    }
    return names;
}

void TestScenesFilterViewModel::filterShowsMatchingScenes_data()
{
    QTest::addColumn<QStringList>("terms");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");

    const QStringList all{"Abyss", "Slab", "Nebula Storm", "Zeta", "alpha"};
    QTest::addRow("no filter") << QStringList() << QString() << all;
    QTest::addRow("user scenes, not by tag") << QStringList{"User"} << QString() << QStringList{"Slab", "Nebula Storm", "alpha"};
    QTest::addRow("official scenes, not by tag") << QStringList{"Official"} << QString() << QStringList{"Abyss", "Zeta"};
    QTest::addRow("user and official") << QStringList{"User", "Official"} << QString() << QStringList();
    QTest::addRow("selected") << QStringList{"Selected"} << QString() << QStringList{"Slab", "Zeta"};
    QTest::addRow("not selected") << QStringList{"NotSelected"} << QString() << QStringList{"Abyss", "Nebula Storm", "alpha"};
    QTest::addRow("no relicensing") << QStringList{"NoRelicensing"} << QString() << QStringList{"Slab"};
    QTest::addRow("type or tag") << QStringList{"Background"} << QString() << QStringList{"Abyss", "Nebula Storm"};
    QTest::addRow("standalone type") << QStringList{"Standalone"} << QString() << QStringList{"Zeta"};
    QTest::addRow("two types need a tag") << QStringList{"Background", "Transition"} << QString() << QStringList{"Nebula Storm"};
    QTest::addRow("tag is case-sensitive") << QStringList{"space"} << QString() << QStringList{"Zeta"};
    QTest::addRow("filter word is case-sensitive") << QStringList{"user"} << QString() << QStringList();
    QTest::addRow("unknown term hides all") << QStringList{"Calm"} << QString() << QStringList();
    QTest::addRow("terms combine with and") << QStringList{"Official", "Selected"} << QString() << QStringList{"Zeta"};
    QTest::addRow("search ignores case") << QStringList() << "AB" << QStringList{"Abyss", "Slab"};
    QTest::addRow("search only in names") << QStringList() << "gab" << QStringList();
    QTest::addRow("search for a space") << QStringList() << " " << QStringList{"Nebula Storm"};
    QTest::addRow("search text is not trimmed") << QStringList() << "ab " << QStringList();
    QTest::addRow("terms and search") << QStringList{"User"} << "ab" << QStringList{"Slab"};
    QTest::addRow("search with no match") << QStringList{"User"} << "Zeta" << QStringList();
}

void TestScenesFilterViewModel::filterShowsMatchingScenes()
{
    QFETCH(QStringList, terms);
    QFETCH(QString, text);
    QFETCH(QStringList, expected);

    m_proxy->tagFilter = terms;
    m_proxy->filterText = text;
    showThroughTestedProxy();
    QCOMPARE(visibleNames(), expected);
}

void TestScenesFilterViewModel::displayRoleNumbersVisibleRows()
{
    m_proxy->tagFilter = QStringList{QStringLiteral("User")};
    showThroughTestedProxy();
    QCOMPARE(m_proxy->rowCount(), 3);
    for (int row = 0; row < 3; ++row) {
        const QVariant number = m_proxy->data(m_proxy->index(row, 0), Qt::DisplayRole);
        QCOMPARE(number.userType(), int(QMetaType::Int));
        QCOMPARE(number.toInt(), row + 1);
    }
    QVERIFY(!m_proxy->data(m_proxy->index(0, 0), Qt::ToolTipRole).isValid());
}

void TestScenesFilterViewModel::modelRoleReachesSceneObject()
{
    m_proxy->filterText = QStringLiteral("zeta");
    showThroughTestedProxy();
    QCOMPARE(m_proxy->roleNames().value(QObjectListModel::ObjectRole), QByteArray("model"));
    QObject *object = m_proxy->data(m_proxy->index(0, 0), QObjectListModel::ObjectRole).value<QObject *>();
    QCOMPARE(object, m_scenes.at(3).get());
}

void TestScenesFilterViewModel::sortsByNameInCodeUnitOrder()
{
    showThroughTestedProxy();
    m_proxy->sort(0);
    QCOMPARE(visibleNames(), (QStringList{"Abyss", "Nebula Storm", "Slab", "Zeta", "alpha"}));
    m_proxy->sort(0, Qt::DescendingOrder);
    QCOMPARE(visibleNames(), (QStringList{"alpha", "Zeta", "Slab", "Nebula Storm", "Abyss"}));
}

void TestScenesFilterViewModel::sortByKeyAndDirection_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("descending");
    QTest::addColumn<QStringList>("expected");

    using F = CScenesFilterViewModel;
    // Authors: Abyss and alpha by "Bo", the rest by "Gabriel"; types Abyss
    // Background, Slab Foreground, Nebula Storm Transition, Zeta
    // Standalone, alpha Postprocessing. Ties keep the list's order.
    QTest::addRow("newest") << int(F::ByNewest) << false << QStringList{"Abyss", "Slab", "Nebula Storm", "Zeta", "alpha"};
    QTest::addRow("oldest") << int(F::ByNewest) << true << QStringList{"alpha", "Zeta", "Nebula Storm", "Slab", "Abyss"};
    QTest::addRow("name") << int(F::ByName) << false << QStringList{"Abyss", "Nebula Storm", "Slab", "Zeta", "alpha"};
    QTest::addRow("name descending") << int(F::ByName) << true << QStringList{"alpha", "Zeta", "Slab", "Nebula Storm", "Abyss"};
    QTest::addRow("author, ties newest first") << int(F::ByAuthor) << false
                                               << QStringList{"Abyss", "alpha", "Slab", "Nebula Storm", "Zeta"};
    QTest::addRow("author descending, ties newest first") << int(F::ByAuthor) << true
                                                          << QStringList{"Slab", "Nebula Storm", "Zeta", "Abyss", "alpha"};
    QTest::addRow("type") << int(F::ByType) << false << QStringList{"Zeta", "Abyss", "Slab", "alpha", "Nebula Storm"};
    QTest::addRow("type descending") << int(F::ByType) << true << QStringList{"Nebula Storm", "alpha", "Slab", "Abyss", "Zeta"};
    QTest::addRow("unknown key is newest") << 42 << false << QStringList{"Abyss", "Slab", "Nebula Storm", "Zeta", "alpha"};
}

// Each order is reached from another one already in force, the way the
// window switches: the proxy must re-sort although its column stays.
void TestScenesFilterViewModel::sortByKeyAndDirection()
{
    QFETCH(int, key);
    QFETCH(bool, descending);
    QFETCH(QStringList, expected);

    m_scenes.at(0)->scene().SetAuthor(QStringLiteral("Bo"));
    m_scenes.at(4)->scene().SetAuthor(QStringLiteral("Bo"));
    showThroughTestedProxy();
    m_proxy->sortBy(CScenesFilterViewModel::ByName, false);
    m_proxy->sortBy(CScenesFilterViewModel::ByType, true);
    QVERIFY(QMetaObject::invokeMethod(m_proxy.get(), "sortBy", Q_ARG(int, key), Q_ARG(bool, descending)));
    QCOMPARE(visibleNames(), expected);

    // The old call still orders by name.
    m_proxy->sort(0);
    QCOMPARE(visibleNames(), (QStringList{"Abyss", "Nebula Storm", "Slab", "Zeta", "alpha"}));
}

// The places are found once; a change of a scene the proxy hears of must
// not leave the old places in force.
void TestScenesFilterViewModel::sortByFollowsRenamedScene()
{
    m_proxy->setSourceModel(m_list.get());
    m_proxy->sortBy(CScenesFilterViewModel::ByName, false);
    QCOMPARE(visibleNames().first(), QStringLiteral("Abyss"));
    m_scenes.at(0)->scene().SetName(QStringLiteral("Zz"));
    m_proxy->markSceneChanged(m_scenes.at(0).get());
    m_proxy->invalidate();
    QCOMPARE(visibleNames(), (QStringList{"Nebula Storm", "Slab", "Zeta", "Zz", "alpha"}));
}

// The proxy is not told when a scene changes; the next re-filter shows it.
void TestScenesFilterViewModel::selectionChangeShowsAfterInvalidate()
{
    m_proxy->setSourceModel(m_list.get());
    m_proxy->tagFilter = QStringList{QStringLiteral("Selected")};
    m_proxy->refilter();
    QCOMPARE(visibleNames(), (QStringList{"Slab", "Zeta"}));

    m_scenes.at(0)->setSelected(true);
    m_scenes.at(1)->setSelected(false);
    QCOMPARE(visibleNames(), (QStringList{"Slab", "Zeta"}));

    // Called by name, the way QML calls it.
    QVERIFY(QMetaObject::invokeMethod(m_proxy.get(), "invalidate"));
    QCOMPARE(visibleNames(), (QStringList{"Abyss", "Zeta"}));
}

void TestScenesFilterViewModel::refilterAppliesNewFilter()
{
    m_proxy->setSourceModel(m_list.get());
    QCOMPARE(m_proxy->rowCount(), 5);
    m_proxy->tagFilter = QStringList{QStringLiteral("Official")};
    m_proxy->refilter();
    QCOMPARE(m_proxy->rowCount(), 2);
    m_proxy->tagFilter.clear();
    m_proxy->invalidate();
    QCOMPARE(m_proxy->rowCount(), 5);
}

void TestScenesFilterViewModel::rowWithoutSceneIsHidden()
{
    showThroughTestedProxy();
    QObject notAScene;
    m_list->append(&notAScene);
    m_list->append(static_cast<QObject *>(nullptr));
    QCOMPARE(m_proxy->rowCount(), 5);
    m_proxy->sort(0);
    QCOMPARE(visibleNames(), (QStringList{"Abyss", "Nebula Storm", "Slab", "Zeta", "alpha"}));
}

void TestScenesFilterViewModel::fastPathMatchesPlainRule_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("scenes");
    for (quint32 seed = 1; seed <= 6; ++seed)
        QTest::addRow("seed %u", seed) << seed << int(40 + seed * 37);
    QTest::addRow("large, few runs") << 99u << 3000;
}

// Random keystrokes, chips, scene edits and list changes, as the program makes
// them (the list's own signals; markSceneChanged and sceneChanged for an edit):
// after each step the proxy shows exactly the rows the plain rule accepts, and
// every facet count is what that rule gives with the name added as a term.
void TestScenesFilterViewModel::fastPathMatchesPlainRule()
{
    QFETCH(quint32, seed);
    QFETCH(int, scenes);
    QRandomGenerator random(seed);
    // Folding traps: sharp s, dotted and dotless i, Greek sigmas, a Deseret
    // letter (a surrogate pair with a case partner).
    const QStringList letters = {"a", "B", "r", "I", "i", "\u0130", "\u0131", "\u00df", "S", "s", "\u03a3", "\u03c2",
                                 "\u03c3", " ", "\U00010400", "\U00010428", "e", "E"};
    const QStringList terms = {"Space", "Dark", "space", "Calm", "Background", "Transition", "Standalone", "Selected",
                               "NotSelected", "User", "Official", "NoRelicensing", "Missing"};
    const auto word = [&](int length) {
        QString text;
        for (int i = 0; i < length; ++i)
            text += letters.at(random.bounded(letters.size()));
        return text;
    };
    const auto randomTags = [&] {
        QStringList tags;
        for (int i = random.bounded(4); i > 0; --i)
            tags << terms.at(random.bounded(terms.size()));
        return tags;
    };
    const quint32 types[] = {0, CScene::Background, CScene::Foreground, CScene::Transition, CScene::Background | CScene::Transition};
    const auto makeScene = [&] {
        auto scene = std::make_unique<CSceneViewModel>(QString(), random.bounded(3) == 0);
        scene->scene().SetName(word(random.bounded(1, 7)));
        scene->scene().typeFlags = types[random.bounded(5)];
        scene->scene().tagList = randomTags();
        scene->scene().relicensingFlag = random.bounded(4) != 0;
        scene->setSelected(random.bounded(2) == 0);
        CSceneViewModel *raw = scene.get();
        m_scenes.push_back(std::move(scene));
        return raw;
    };
    m_scenes.clear();
    QList<QObject *> objects;
    for (int i = 0; i < scenes; ++i)
        objects << makeScene();
    m_list->setObjects(objects);
    m_proxy->setSourceModel(m_list.get());

    for (int step = 0; step < 400; ++step) {
        const int action = random.bounded(10);
        const int row = random.bounded(m_list->count());
        auto *scene = qobject_cast<CSceneViewModel *>(m_list->at(row));
        if (action <= 3) {   // a keystroke: mostly typing, sometimes erasing or a new text
            QString &text = m_proxy->filterText;
            if (action <= 1)
                text += word(1);
            else if (action == 2)
                text.chop(1);
            else
                text = word(random.bounded(3));
            m_proxy->refilter();
        } else if (action <= 5) {   // a chip switched on or off
            const QString term = terms.at(random.bounded(terms.size()));
            if (m_proxy->tagFilter.contains(term))
                m_proxy->tagFilter.removeAll(term);
            else
                m_proxy->tagFilter.append(term);
            m_proxy->refilter();
        } else if (action == 6 && scene) {   // an edit of one scene, told as the program tells it
            CScenesFilterViewModel::SceneAspects aspect;
            switch (random.bounded(3)) {
            case 0:
                scene->setSelected(!scene->selected());
                aspect = CScenesFilterViewModel::Selection;
                break;
            case 1:
                scene->scene().tagList = randomTags();
                aspect = CScenesFilterViewModel::Tags;
                break;
            default:
                scene->scene().relicensingFlag = !scene->scene().relicensingFlag;
                aspect = CScenesFilterViewModel::Relicensing;
                break;
            }
            m_proxy->markSceneChanged(scene);
            m_proxy->sceneChanged(aspect);
        } else if (action == 7) {
            m_list->insert(row, makeScene());
        } else if (action == 8 && m_list->count() > 1) {
            m_list->remove(row);
        } else if (action == 9) {   // metadata replaced: a new object in the row
            m_list->replace(row, makeScene());
        }

        QVector<bool> shown(m_list->count());
        for (int proxyRow = 0; proxyRow < m_proxy->rowCount(); ++proxyRow)
            shown[m_proxy->mapToSource(m_proxy->index(proxyRow, 0)).row()] = true;
        for (int sourceRow = 0; sourceRow < m_list->count(); ++sourceRow) {
            const auto *listed = qobject_cast<CSceneViewModel *>(m_list->at(sourceRow));
            QVERIFY2(shown.at(sourceRow) == m_proxy->acceptsScene(*listed),
                     qPrintable(QStringLiteral("step %1, row %2 \"%3\", text \"%4\", terms %5")
                                    .arg(step).arg(sourceRow).arg(listed->name(), m_proxy->filterText,
                                                                  m_proxy->tagFilter.join(QLatin1Char(',')))));
        }
        if (step % 10 != 9)
            continue;
        const QVector<int> counts = m_proxy->facetCounts(terms);
        const QStringList applied = m_proxy->tagFilter;
        for (int i = 0; i < terms.size(); ++i) {
            m_proxy->tagFilter = applied + QStringList{terms.at(i)};
            int expected = 0;
            for (int sourceRow = 0; sourceRow < m_list->count(); ++sourceRow)
                expected += shown.at(sourceRow) && m_proxy->acceptsScene(*qobject_cast<CSceneViewModel *>(m_list->at(sourceRow)));
            QVERIFY2(counts.at(i) == expected, qPrintable(QStringLiteral("step %1, facet %2: %3, expected %4")
                                                               .arg(step).arg(terms.at(i)).arg(counts.at(i)).arg(expected)));
        }
        m_proxy->tagFilter = applied;
    }
}

QTEST_GUILESS_MAIN(TestScenesFilterViewModel)
#include "tst_scenesfilterviewmodel.moc"
