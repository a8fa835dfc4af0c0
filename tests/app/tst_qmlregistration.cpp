#include "QmlRegistration.h"

#include "CConfigViewModel.h"
#include "CPlaylistViewModel.h"
#include "CSceneViewModel.h"
#include "CScenesFilterViewModel.h"
#include "CTagViewModel.h"
#include "QObjectListModel.h"

#include <QMetaType>
#include <QPointer>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

class tst_QmlRegistration : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void creatableTypes_data();
    void creatableTypes();
    void configViewModelIsNotCreatable();
    void everyDocumentSeesTheSameConfigViewModel();
    void typeNamesForListAndPointerProperties_data();
    void typeNamesForListAndPointerProperties();

private:
    QTemporaryDir m_user;
};

void tst_QmlRegistration::initTestCase()
{
    QVERIFY(m_user.isValid());
    qputenv("KELVRA_USER_DIR", m_user.path().toLocal8Bit());
    qputenv("KELVRA_APP_DIR", m_user.path().toLocal8Bit());
    registerQmlTypes();
}

void tst_QmlRegistration::creatableTypes_data()
{
    QTest::addColumn<QByteArray>("qmlName");
    QTest::addColumn<QByteArray>("className");
    QTest::addRow("scene") << QByteArray("SceneViewModel") << QByteArray("CSceneViewModel");
    QTest::addRow("playlist") << QByteArray("PlaylistViewModel") << QByteArray("CPlaylistViewModel");
    QTest::addRow("tag") << QByteArray("TagViewModel") << QByteArray("CTagViewModel");
    QTest::addRow("filter") << QByteArray("ScenesFilterViewModel") << QByteArray("CScenesFilterViewModel");
    QTest::addRow("object list") << QByteArray("ObjectListModel") << QByteArray("QObjectListModel");
}

void tst_QmlRegistration::creatableTypes()
{
    QFETCH(QByteArray, qmlName);
    QFETCH(QByteArray, className);

    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData("import Kelvra 1.0\n" + qmlName + " {}\n", QUrl());
    std::unique_ptr<QObject> object(component.create());
    QVERIFY2(object, qPrintable(component.errorString()));
    QCOMPARE(QByteArray(object->metaObject()->className()), className);
}

void tst_QmlRegistration::configViewModelIsNotCreatable()
{
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData("import Kelvra 1.0\nConfigViewModel {}\n", QUrl());
    QVERIFY(component.isError());
    std::unique_ptr<QObject> object(component.create());
    QVERIFY(!object);
}

void tst_QmlRegistration::everyDocumentSeesTheSameConfigViewModel()
{
    QPointer<CConfigViewModel> config = new CConfigViewModel;
    CConfigViewModel::setInstance(config);
    {
        QQmlEngine engine;
        const QByteArray document = "import QtQml 2.15\nimport Kelvra 1.0\n"
                                    "QtObject { property QtObject config: ConfigViewModel }\n";
        QQmlComponent first(&engine);
        first.setData(document, QUrl());
        QQmlComponent second(&engine);
        second.setData(document, QUrl());
        std::unique_ptr<QObject> a(first.create());
        std::unique_ptr<QObject> b(second.create());
        QVERIFY2(a && b, qPrintable(first.errorString() + second.errorString()));

        QCOMPARE(a->property("config").value<QObject *>(), config.data());
        QCOMPARE(b->property("config").value<QObject *>(), config.data());
    }
    // The engine that asked for the singleton took it over and deleted it.
    QVERIFY(config.isNull());
    QVERIFY(!CConfigViewModel::instance());
}

void tst_QmlRegistration::typeNamesForListAndPointerProperties_data()
{
    QTest::addColumn<QByteArray>("typeName");
    for (const char *name : {"CConfigViewModel", "CSceneViewModel", "CPlaylistViewModel", "CTagViewModel",
                             "CScenesFilterViewModel", "QObjectListModel"})
        QTest::addRow("%s*", name) << QByteArray(name) + '*';
    for (const char *name : {"CSceneViewModel", "CPlaylistViewModel", "CTagViewModel", "CScenesFilterViewModel",
                             "QObjectListModel"})
        QTest::addRow("list of %s", name) << "QQmlListProperty<" + QByteArray(name) + '>';
}

void tst_QmlRegistration::typeNamesForListAndPointerProperties()
{
    QFETCH(QByteArray, typeName);
    QVERIFY(QMetaType::type(typeName.constData()) != QMetaType::UnknownType);
}

QTEST_MAIN(tst_QmlRegistration)
#include "tst_qmlregistration.moc"
