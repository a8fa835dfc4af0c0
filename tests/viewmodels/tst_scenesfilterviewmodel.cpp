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
    void selectionChangeShowsAfterInvalidate();
    void refilterAppliesNewFilter();
    void rowWithoutSceneIsHidden();

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

QTEST_GUILESS_MAIN(TestScenesFilterViewModel)
#include "tst_scenesfilterviewmodel.moc"
