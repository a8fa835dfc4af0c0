#include "QObjectListModel.h"

#include <QAbstractItemModelTester>
#include <QCoreApplication>
#include <QPointer>
#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QSignalSpy>
#include <QtTest>

#include <functional>
#include <memory>

using ListOperation = std::function<void(QObjectListModel &, const QList<QObject *> &extras)>;
Q_DECLARE_METATYPE(ListOperation)

namespace {

// Writes every change notification of a model into one ordered log, so a test
// sees both which signals came and in what order (countChanged after the end
// call, dataChanged after the reset).
class ChangeLog : public QObject
{
public:
    explicit ChangeLog(QObjectListModel *model)
    {
        auto range = [this](const char *what) {
            return [this, what](const QModelIndex &parent, int first, int last) {
                entries << QStringLiteral("%1 %2 %3%4").arg(QLatin1String(what)).arg(first).arg(last)
                                   .arg(parent.isValid() ? QStringLiteral(" child") : QString());
            };
        };
        connect(model, &QAbstractItemModel::rowsAboutToBeInserted, this, range("aboutToInsert"));
        connect(model, &QAbstractItemModel::rowsInserted, this, range("inserted"));
        connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, range("aboutToRemove"));
        connect(model, &QAbstractItemModel::rowsRemoved, this, range("removed"));
        auto move = [this](const char *what) {
            return [this, what](const QModelIndex &, int first, int last, const QModelIndex &, int destination) {
                entries << QStringLiteral("%1 %2 %3 to %4").arg(QLatin1String(what)).arg(first).arg(last).arg(destination);
            };
        };
        connect(model, &QAbstractItemModel::rowsAboutToBeMoved, this, move("aboutToMove"));
        connect(model, &QAbstractItemModel::rowsMoved, this, move("moved"));
        connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] { entries << QStringLiteral("aboutToReset"); });
        connect(model, &QAbstractItemModel::modelReset, this, [this] { entries << QStringLiteral("reset"); });
        connect(model, &QAbstractItemModel::dataChanged, this,
                [this](const QModelIndex &from, const QModelIndex &to, const QVector<int> &roles) {
                    entries << QStringLiteral("dataChanged %1 %2%3").arg(from.row()).arg(to.row())
                                       .arg(roles.isEmpty() ? QString() : QStringLiteral(" roles"));
                });
        connect(model, &QObjectListModel::countChanged, this, [this] { entries << QStringLiteral("count"); });
    }

    QStringList entries;
};

// index() refuses rows outside the list; a stale or foreign index need not.
class ModelWithRawIndex : public QObjectListModel
{
public:
    QModelIndex rawIndex(int row) const { return createIndex(row, 0); }
};

QString namesOf(const QList<QObject *> &objects)
{
    QString names;
    for (const QObject *object : objects)
        names += object ? object->objectName() : QStringLiteral("-");
    return names;
}

} // namespace

class TestObjectListModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void mutatorsAnnounceTheirChanges_data();
    void mutatorsAnnounceTheirChanges();
    void dataOnlyForModelRoleInsideList_data();
    void dataOnlyForModelRoleInsideList();
    void exposesModelRoleAndCountToMetaObject();
    void getAndAtReturnNullOutsideList();
    void takeHandsBackObjectWithoutDeletingIt();
    void objectsHandedOutStayOwnedByCpp();
    void qmlGarbageCollectionLeavesObjectsFromGetAlive();

private:
    QList<QObject *> makeObjects(const QString &names);

    std::vector<std::unique_ptr<QObject>> m_owned;
};

QList<QObject *> TestObjectListModel::makeObjects(const QString &names)
{
    QList<QObject *> objects;
    for (QChar name : names) {
        m_owned.push_back(std::make_unique<QObject>());
        m_owned.back()->setObjectName(name);
        objects << m_owned.back().get();
    }
    return objects;
}

void TestObjectListModel::init()
{
    m_owned.clear();
}

void TestObjectListModel::cleanup()
{
    m_owned.clear();
}

void TestObjectListModel::mutatorsAnnounceTheirChanges_data()
{
    QTest::addColumn<QString>("initial");
    QTest::addColumn<ListOperation>("operation");
    QTest::addColumn<QStringList>("expectedSignals");
    QTest::addColumn<QString>("expectedOrder");

    // extras are three objects named x, y, z that are not in the model.
    QTest::addRow("append to empty")
        << QString() << ListOperation([](QObjectListModel &m, const QList<QObject *> &x) { m.append(x[0]); })
        << QStringList{"aboutToInsert 0 0", "inserted 0 0", "count"} << "x";
    QTest::addRow("append one")
        << "abc" << ListOperation([](QObjectListModel &m, const QList<QObject *> &x) { m.append(x[0]); })
        << QStringList{"aboutToInsert 3 3", "inserted 3 3", "count"} << "abcx";
    QTest::addRow("append null")
        << "a" << ListOperation([](QObjectListModel &m, const QList<QObject *> &) { m.append(static_cast<QObject *>(nullptr)); })
        << QStringList{"aboutToInsert 1 1", "inserted 1 1", "count"} << "a-";
    QTest::addRow("append list")
        << "ab" << ListOperation([](QObjectListModel &m, const QList<QObject *> &x) { m.append(x); })
        << QStringList{"aboutToInsert 2 4", "inserted 2 4", "count"} << "abxyz";
    QTest::addRow("append empty list is silent")
        << "ab" << ListOperation([](QObjectListModel &m, const QList<QObject *> &) { m.append(QList<QObject *>()); })
        << QStringList() << "ab";
    QTest::addRow("insert one in the middle")
        << "abc" << ListOperation([](QObjectListModel &m, const QList<QObject *> &x) { m.insert(1, x[0]); })
        << QStringList{"aboutToInsert 1 1", "inserted 1 1", "count"} << "axbc";
    QTest::addRow("insert one at the end")
        << "abc" << ListOperation([](QObjectListModel &m, const QList<QObject *> &x) { m.insert(3, x[0]); })
        << QStringList{"aboutToInsert 3 3", "inserted 3 3", "count"} << "abcx";
    QTest::addRow("insert list in the middle keeps its order")
        << "abcde" << ListOperation([](QObjectListModel &m, const QList<QObject *> &x) { m.insert(2, x); })
        << QStringList{"aboutToInsert 2 4", "inserted 2 4", "count"} << "abxyzcde";
    QTest::addRow("insert list at the front")
        << "ab" << ListOperation([](QObjectListModel &m, const QList<QObject *> &x) { m.insert(0, x); })
        << QStringList{"aboutToInsert 0 2", "inserted 0 2", "count"} << "xyzab";
    QTest::addRow("insert empty list is silent")
        << "ab" << ListOperation([](QObjectListModel &m, const QList<QObject *> &) { m.insert(1, QList<QObject *>()); })
        << QStringList() << "ab";
    QTest::addRow("insert past the end is refused")
        << "ab" << ListOperation([](QObjectListModel &m, const QList<QObject *> &x) { m.insert(3, x[0]); m.insert(3, x); })
        << QStringList() << "ab";
    QTest::addRow("insert before the start is refused")
        << "ab" << ListOperation([](QObjectListModel &m, const QList<QObject *> &x) { m.insert(-1, x[0]); m.insert(-1, x); })
        << QStringList() << "ab";
    QTest::addRow("replace")
        << "abc" << ListOperation([](QObjectListModel &m, const QList<QObject *> &x) { m.replace(1, x[0]); })
        << QStringList{"dataChanged 1 1"} << "axc";
    QTest::addRow("replace outside is refused")
        << "abc" << ListOperation([](QObjectListModel &m, const QList<QObject *> &x) { m.replace(3, x[0]); m.replace(-1, x[0]); })
        << QStringList() << "abc";
    QTest::addRow("move down")
        << "abcde" << ListOperation([](QObjectListModel &m, const QList<QObject *> &) { m.move(1, 3); })
        << QStringList{"aboutToMove 1 1 to 4", "moved 1 1 to 4"} << "acdbe";
    QTest::addRow("move down by one")
        << "abcde" << ListOperation([](QObjectListModel &m, const QList<QObject *> &) { m.move(1, 2); })
        << QStringList{"aboutToMove 1 1 to 3", "moved 1 1 to 3"} << "acbde";
    QTest::addRow("move to the end")
        << "abcde" << ListOperation([](QObjectListModel &m, const QList<QObject *> &) { m.move(0, 4); })
        << QStringList{"aboutToMove 0 0 to 5", "moved 0 0 to 5"} << "bcdea";
    QTest::addRow("move up")
        << "abcde" << ListOperation([](QObjectListModel &m, const QList<QObject *> &) { m.move(3, 1); })
        << QStringList{"aboutToMove 3 3 to 1", "moved 3 3 to 1"} << "adbce";
    QTest::addRow("move up by one")
        << "abcde" << ListOperation([](QObjectListModel &m, const QList<QObject *> &) { m.move(4, 3); })
        << QStringList{"aboutToMove 4 4 to 3", "moved 4 4 to 3"} << "abced";
    QTest::addRow("move onto itself is refused")
        << "abcde" << ListOperation([](QObjectListModel &m, const QList<QObject *> &) { m.move(2, 2); })
        << QStringList() << "abcde";
    QTest::addRow("move outside is refused")
        << "abc" << ListOperation([](QObjectListModel &m, const QList<QObject *> &) { m.move(0, 3); m.move(-1, 1); m.move(3, 0); })
        << QStringList() << "abc";
    QTest::addRow("remove range")
        << "abcde" << ListOperation([](QObjectListModel &m, const QList<QObject *> &) { m.remove(1, 2); })
        << QStringList{"aboutToRemove 1 2", "removed 1 2", "count"} << "ade";
    QTest::addRow("remove one by default")
        << "abc" << ListOperation([](QObjectListModel &m, const QList<QObject *> &) { m.remove(2); })
        << QStringList{"aboutToRemove 2 2", "removed 2 2", "count"} << "ab";
    QTest::addRow("remove range reaching past the end is clipped")
        << "abcde" << ListOperation([](QObjectListModel &m, const QList<QObject *> &) { m.remove(3, 5); })
        << QStringList{"aboutToRemove 3 4", "removed 3 4", "count"} << "abc";
    QTest::addRow("remove outside or nothing is refused")
        << "abc" << ListOperation([](QObjectListModel &m, const QList<QObject *> &) { m.remove(3, 1); m.remove(-1, 2); m.remove(0, 0); })
        << QStringList() << "abc";
    QTest::addRow("take")
        << "abcd" << ListOperation([](QObjectListModel &m, const QList<QObject *> &) { m.take(2); })
        << QStringList{"aboutToRemove 2 2", "removed 2 2", "count"} << "abd";
    QTest::addRow("take outside is refused")
        << "ab" << ListOperation([](QObjectListModel &m, const QList<QObject *> &) { m.take(2); m.take(-1); })
        << QStringList() << "ab";
    QTest::addRow("clear")
        << "abc" << ListOperation([](QObjectListModel &m, const QList<QObject *> &) { m.clear(); })
        << QStringList{"aboutToRemove 0 2", "removed 0 2", "count"} << "";
    QTest::addRow("clear of empty is silent")
        << QString() << ListOperation([](QObjectListModel &m, const QList<QObject *> &) { m.clear(); })
        << QStringList() << "";
    QTest::addRow("setObjects same length keeps count")
        << "abc" << ListOperation([](QObjectListModel &m, const QList<QObject *> &x) { m.setObjects(x); })
        << QStringList{"aboutToReset", "reset", "dataChanged 0 2"} << "xyz";
    QTest::addRow("setObjects longer")
        << "a" << ListOperation([](QObjectListModel &m, const QList<QObject *> &x) { m.setObjects(x); })
        << QStringList{"aboutToReset", "reset", "dataChanged 0 2", "count"} << "xyz";
    QTest::addRow("setObjects empty after filled")
        << "abc" << ListOperation([](QObjectListModel &m, const QList<QObject *> &) { m.setObjects({}); })
        << QStringList{"aboutToReset", "reset", "count"} << "";
    QTest::addRow("setObjects empty on empty")
        << QString() << ListOperation([](QObjectListModel &m, const QList<QObject *> &) { m.setObjects({}); })
        << QStringList{"aboutToReset", "reset"} << "";
}

void TestObjectListModel::mutatorsAnnounceTheirChanges()
{
    QFETCH(QString, initial);
    QFETCH(ListOperation, operation);
    QFETCH(QStringList, expectedSignals);
    QFETCH(QString, expectedOrder);

    QObjectListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    if (!initial.isEmpty())
        model.setObjects(makeObjects(initial));
    const QList<QObject *> extras = makeObjects(QStringLiteral("xyz"));

    ChangeLog log(&model);
    QSignalSpy countSpy(&model, &QObjectListModel::countChanged);
    operation(model, extras);

    QCOMPARE(log.entries, expectedSignals);
    QCOMPARE(namesOf(model.objects()), expectedOrder);
    QCOMPARE(model.rowCount(), expectedOrder.size());
    QCOMPARE(model.count(), expectedOrder.size());
    QCOMPARE(countSpy.count(), expectedSignals.count(QStringLiteral("count")));
    for (int row = 0; row < model.rowCount(); ++row)
        QCOMPARE(model.data(model.index(row), QObjectListModel::ObjectRole).value<QObject *>(), model.objects().at(row));
}

void TestObjectListModel::dataOnlyForModelRoleInsideList_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("role");
    QTest::addColumn<bool>("expectObject");

    QTest::addRow("model role, first row") << 0 << 257 << true;
    QTest::addRow("model role, last row") << 2 << 257 << true;
    QTest::addRow("display role") << 0 << int(Qt::DisplayRole) << false;
    QTest::addRow("role after model") << 0 << 258 << false;
    QTest::addRow("one past the end") << 3 << 257 << false;
    QTest::addRow("negative row") << -1 << 257 << false;
}

void TestObjectListModel::dataOnlyForModelRoleInsideList()
{
    QFETCH(int, row);
    QFETCH(int, role);
    QFETCH(bool, expectObject);

    const QList<QObject *> objects = makeObjects(QStringLiteral("abc"));
    ModelWithRawIndex model;
    model.setObjects(objects);

    const QVariant value = model.data(model.rawIndex(row), role);
    if (expectObject)
        QCOMPARE(value.value<QObject *>(), objects.at(row));
    else
        QVERIFY(!value.isValid());
}

void TestObjectListModel::exposesModelRoleAndCountToMetaObject()
{
    QObjectListModel model(makeObjects(QStringLiteral("ab")));
    const QHash<int, QByteArray> roles = model.roleNames();
    QCOMPARE(roles.size(), 1);
    QCOMPARE(roles.value(Qt::UserRole + 1), QByteArray("model"));
    QCOMPARE(model.property("count").toInt(), 2);

    QObject *viaInvoke = nullptr;
    QVERIFY(QMetaObject::invokeMethod(&model, "get", Q_RETURN_ARG(QObject *, viaInvoke), Q_ARG(int, 1)));
    QCOMPARE(viaInvoke->objectName(), QStringLiteral("b"));
}

void TestObjectListModel::getAndAtReturnNullOutsideList()
{
    QObjectListModel model(makeObjects(QStringLiteral("ab")));
    QCOMPARE(model.get(1)->objectName(), QStringLiteral("b"));
    QCOMPARE(model.at(0)->objectName(), QStringLiteral("a"));
    QCOMPARE(model.get(2), nullptr);
    QCOMPARE(model.get(-1), nullptr);
    QCOMPARE(model.at(2), nullptr);
    QCOMPARE(model.at(-1), nullptr);
}

void TestObjectListModel::takeHandsBackObjectWithoutDeletingIt()
{
    const QList<QObject *> objects = makeObjects(QStringLiteral("abc"));
    QObjectListModel model(objects);
    QPointer<QObject> watched = objects.at(1);

    QObject *taken = model.take(1);
    QCOMPARE(taken, objects.at(1));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!watched.isNull());
    QCOMPARE(taken->parent(), nullptr);
    QCOMPARE(model.take(5), nullptr);
}

void TestObjectListModel::objectsHandedOutStayOwnedByCpp()
{
    const QList<QObject *> objects = makeObjects(QStringLiteral("ab"));
    QObjectListModel model(objects);
    model.data(model.index(0), QObjectListModel::ObjectRole);
    model.get(1);
    QCOMPARE(QQmlEngine::objectOwnership(objects.at(0)), QQmlEngine::CppOwnership);
    QCOMPARE(QQmlEngine::objectOwnership(objects.at(1)), QQmlEngine::CppOwnership);
}

void TestObjectListModel::qmlGarbageCollectionLeavesObjectsFromGetAlive()
{
    const QList<QObject *> objects = makeObjects(QStringLiteral("ab"));
    QObjectListModel model(objects);
    QPointer<QObject> watched = objects.at(1);

    QQmlEngine engine;
    engine.rootContext()->setContextProperty(QStringLiteral("sceneList"), &model);
    QQmlComponent component(&engine);
    component.setData("import QtQml 2.15\n"
                      "QtObject {\n"
                      "    property string seen\n"
                      "    Component.onCompleted: { var scene = sceneList.get(1); seen = scene.objectName }\n"
                      "}\n",
                      QUrl());
    std::unique_ptr<QObject> root(component.create());
    QVERIFY2(root, qPrintable(component.errorString()));
    QCOMPARE(root->property("seen").toString(), QStringLiteral("b"));
    root.reset();

    engine.collectGarbage();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!watched.isNull());
    QCOMPARE(model.at(1), objects.at(1));
}

QTEST_GUILESS_MAIN(TestObjectListModel)
#include "tst_qobjectlistmodel.moc"
