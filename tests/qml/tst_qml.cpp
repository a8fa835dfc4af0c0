// Runs the Qt Quick tests of the user interface against the real view
// models, filled from a small catalogue written into temporary directories,
// and against the compiled resource file and the deployed QML modules of the
// application directory (nothing from the toolkit's own import directories).
#include "CAppTypeQt.h"
#include "CConfigViewModel.h"
#include "CLog.h"
#include "CPlaylist.h"
#include "CPlaylistViewModel.h"
#include "CSceneImageProvider.h"
#include "CScene.h"
#include "CSceneViewModel.h"
#include "CatalogueBuilder.h"
#include "JpegTestSupport.h"
#include "QmlRegistration.h"

#include <QAccessible>
#include <QColor>
#include <QDir>
#include <QQuickItem>
#include <QQuickWindow>
#include <QQmlContext>
#include <QQmlEngine>
#include <QResource>
#include <QTemporaryDir>
#include <QtQuickTest>

namespace {

struct SceneSpec
{
    const char *relativePath;
    const char *name;
    quint32 typeFlags;
    QStringList tags;
    const char *licence;
    bool relicensing;
    quint16 year;
};

void writeScene(const QString &root, const SceneSpec &spec)
{
    const QString path = root + QLatin1Char('/') + QString::fromUtf8(spec.relativePath);
    QDir().mkpath(QFileInfo(path).path());
    CScene scene;
    scene.SetId(QStringLiteral("id-") + QString::fromUtf8(spec.name));
    scene.SetName(QString::fromUtf8(spec.name));
    scene.SetAuthor(QStringLiteral("Test Author"));
    scene.SetDesc(QStringLiteral("A scene written by the user interface tests."));
    scene.SetLicenseType(QString::fromUtf8(spec.licence));
    scene.typeFlags = spec.typeFlags;
    scene.tagList = spec.tags;
    scene.relicensingFlag = spec.relicensing;
    scene.sceneDate.year = spec.year;
    scene.sceneDate.month = 1;
    scene.sceneDate.day = 1;
    scene.SetEntry(QStringLiteral("thumbnail.jpg"), JpegTest::jpeg(64, 36, QColor::fromHsv(spec.year % 360, 200, 200)));
    if (!scene.Save(path, true))
        qFatal("cannot write the test scene %s", qPrintable(path));
}

// Text that renders very differently as markup: a giant word, bold, a
// heading, a picture.
void writeMarkupScene(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    CScene scene;
    scene.SetName(QStringLiteral("<font color=\"red\" size=\"7\">HUGE</font>"));
    scene.SetAuthor(QStringLiteral("<b>Bold</b><img src=\"missing.png\" width=\"400\" height=\"400\">"));
    scene.typeFlags = CScene::Background;
    scene.tagList = QStringList{QStringLiteral("<h1>Tag</h1>")};
    if (!scene.Save(path, true))
        qFatal("cannot write the test scene %s", qPrintable(path));
}

} // namespace

// Reads a window the way a screen reader does, through the accessible
// interfaces, and lists what would mislead one: an interactive object
// without a name, an object announced as showing that is not on screen, a
// toggle that does not say it can be on, a number without a range.
class AccessibilityAudit : public QObject
{
    Q_OBJECT

public:
    Q_INVOKABLE QStringList problems(QObject *windowObject) const
    {
        QAccessible::setActive(true);
        QStringList found;
        auto *window = qobject_cast<QQuickWindow *>(windowObject);
        QAccessibleInterface *root = window ? QAccessible::queryAccessibleInterface(window) : nullptr;
        if (!root)
            return {QStringLiteral("no accessible window")};
        QStringList focused;
        walk(root, QRectF(QPointF(), window->size()), found, focused, 0);
        if (focused.size() > 1)
            found << QStringLiteral("several objects focused at once: ") + focused.join(QStringLiteral("; "));
        return found;
    }

    // One object as announced: role, name, states, and for numbers the
    // value with its range.
    Q_INVOKABLE QVariantMap describe(QObject *object) const
    {
        QAccessible::setActive(true);
        QAccessibleInterface *iface = object ? QAccessible::queryAccessibleInterface(object) : nullptr;
        if (!iface)
            return {};
        const QAccessible::State state = iface->state();
        QVariantMap result{{QStringLiteral("role"), int(iface->role())},
                           {QStringLiteral("name"), iface->text(QAccessible::Name)},
                           {QStringLiteral("description"), iface->text(QAccessible::Description)},
                           {QStringLiteral("checkable"), bool(state.checkable)},
                           {QStringLiteral("checked"), bool(state.checked)},
                           {QStringLiteral("selected"), bool(state.selected)},
                           {QStringLiteral("focused"), bool(state.focused)}};
        if (QAccessibleValueInterface *value = iface->valueInterface()) {
            result.insert(QStringLiteral("value"), value->currentValue());
            result.insert(QStringLiteral("minimum"), value->minimumValue());
            result.insert(QStringLiteral("maximum"), value->maximumValue());
        }
        return result;
    }

private:
    static bool isInteractive(QAccessible::Role role)
    {
        switch (role) {
        case QAccessible::Button: case QAccessible::CheckBox: case QAccessible::RadioButton:
        case QAccessible::Slider: case QAccessible::SpinBox: case QAccessible::ComboBox:
        case QAccessible::EditableText: case QAccessible::PageTab: case QAccessible::ListItem:
        case QAccessible::ScrollBar: case QAccessible::ButtonMenu: case QAccessible::Link:
            return true;
        default:
            return false;
        }
    }

    // Whether none of an item can be seen: its rectangle lies outside the
    // window or outside a view it is in. Other scrolled content stays
    // readable (and reachable by Tab) while scrolled out of sight.
    // Inside an item view the view's delegate decides: a card cut by the
    // view's edge is in sight as a whole, parts below the edge included,
    // while a card the view keeps beyond its edges or in its reuse pool is not.
    static bool outOfSight(QQuickItem *item, QRectF shown)
    {
        QQuickItem *judged = item;
        for (QQuickItem *up = item->parentItem(); up; up = up->parentItem()) {
            if (up->inherits("QQuickItemView")) {
                for (QQuickItem *d = item; d && d->parentItem(); d = d->parentItem()) {
                    if (d->parentItem() == up->property("contentItem").value<QQuickItem *>()) {
                        judged = d;
                        break;
                    }
                }
                break;
            }
        }
        shown &= judged->mapRectToScene(judged->boundingRect());
        for (QQuickItem *up = judged->parentItem(); up; up = up->parentItem()) {
            if (up->inherits("QQuickItemView"))
                shown &= up->mapRectToScene(up->boundingRect());
            else if (up->inherits("QQuickFlickable"))
                return false;
        }
        return shown.isEmpty() && !item->boundingRect().isEmpty();
    }

    void walk(QAccessibleInterface *iface, const QRectF &windowRect, QStringList &found,
              QStringList &focused, int depth) const
    {
        if (depth > 64)
            return;
        const QAccessible::State state = iface->state();
        const QAccessible::Role role = iface->role();
        QObject *object = iface->object();
        QString path;
        for (QObject *up = object; up; up = up->parent())
            if (!up->objectName().isEmpty())
                path += QLatin1Char('/') + up->objectName();
        const QString what = QStringLiteral("%1 \"%2\" (in %3, role %4)")
                                 .arg(object ? object->metaObject()->className() : "?")
                                 .arg(iface->text(QAccessible::Name))
                                 .arg(path)
                                 .arg(int(role));
        if (auto *item = qobject_cast<QQuickItem *>(object)) {
            bool hidden = !item->isVisible() || item->opacity() <= 0.0;
            for (QQuickItem *up = item; up && !hidden; up = up->parentItem())
                hidden = up->opacity() <= 0.0;
            if (!state.invisible && (hidden || outOfSight(item, windowRect)))
                found << QStringLiteral("hidden but announced as showing: ") + what;
            if (state.invisible)
                return;  // nothing beneath a hidden object is read
        }
        // A list holds the focus together with its current row, a dialog
        // together with the control in it.
        if (state.focused && role != QAccessible::List && role != QAccessible::Tree
            && role != QAccessible::Dialog)
            focused << what;
        if (isInteractive(role) && iface->text(QAccessible::Name).trimmed().isEmpty())
            found << QStringLiteral("interactive object without a name: ") + what;
        if (object && object->objectName().startsWith(QLatin1String("tag:")) && !state.checkable)
            found << QStringLiteral("toggle without a checkable state: ") + what;
        if (role == QAccessible::Slider || role == QAccessible::SpinBox || role == QAccessible::ScrollBar) {
            QAccessibleValueInterface *value = iface->valueInterface();
            if (!value)
                found << QStringLiteral("number without a value: ") + what;
            else if (value->minimumValue().toDouble() >= value->maximumValue().toDouble())
                found << QStringLiteral("number with an empty range: ") + what;
            else if (value->currentValue().toDouble() < value->minimumValue().toDouble()
                     || value->currentValue().toDouble() > value->maximumValue().toDouble())
                found << QStringLiteral("number outside its range: ") + what;
        }
        for (int i = 0; i < iface->childCount(); ++i)
            if (QAccessibleInterface *child = iface->child(i))
                walk(child, windowRect, found, focused, depth + 1);
    }
};

class UiTestSetup : public QObject
{
    Q_OBJECT

public slots:
    void applicationAvailable()
    {
        if (!m_appDir.isValid() || !m_userDir.isValid())
            qFatal("no temporary directories");
        qputenv("KELVRA_APP_DIR", m_appDir.path().toUtf8());
        qputenv("KELVRA_USER_DIR", m_userDir.path().toUtf8());

        // Official scenes, newest last here; start-up orders them newest first.
        const QString official = m_appDir.path() + QStringLiteral("/scenes");
        const QString user = m_userDir.path() + QStringLiteral("/scenes");
        const QList<SceneSpec> officialScenes = {
            {"Nebula.kvc", "Nebula", CScene::Background, {"Space", "Calm"}, "CC BY 4.0", true, 2001},
            {"Pulse.kvc", "Pulse", CScene::Foreground, {"Beat"}, "CC BY-SA 4.0", true, 2002},
            {"Haze.kvc", "Haze", CScene::Postprocessing, {"Calm"}, "CC0", false, 2003},
            {"Wipe.kvc", "Wipe", CScene::Transition, {}, "", true, 2004},
            {"Orbit.kvc", "Orbit", 0, {"Space"}, "CC BY-NC-ND 4.0", true, 2005},
        };
        for (const SceneSpec &spec : officialScenes)
            writeScene(official, spec);
        // User scenes in directories whose names need care in image URLs.
        writeScene(user, {"My Scenes/Aurora ü.kvc", "Aurora", CScene::Background, {"Space"}, "CC BY 4.0", true, 2010});
        writeScene(user, {"plus+semi;/Ember.kvc", "Ember", CScene::Foreground, {"Beat", "Calm"}, "CC BY 4.0", true, 2011});

        // Outside the catalogue: paths that need escaping in image URLs.
        const QString odd = m_userDir.path() + QStringLiteral("/odd paths");
        writeScene(odd, {"100% #1 ?/%41 ü.kvc", "Odd", CScene::Background, {}, "", true, 2000});
        writeScene(odd, {"a%2Fb/c#d.kvc", "Odder", CScene::Background, {}, "", true, 2000});

        // Outside the catalogue: packages and other files for the import dialog.
        const QString packages = m_userDir.path() + QStringLiteral("/packages");
        writeScene(packages, {"Sky.kvd", "Sky", CScene::Background, {}, "", true, 2030});
        writeScene(packages, {"Deeper/Sea.KVC", "Sea", CScene::Background, {}, "", true, 2030});
        writeScene(packages, {"notes.zip", "Notes", CScene::Background, {}, "", true, 2030});

        // Outside the catalogue: a scene whose every text is markup.
        const QString markupPath = m_userDir.path() + QStringLiteral("/markup/Markup.kvc");
        writeMarkupScene(markupPath);
        m_markupScene = new CSceneViewModel(markupPath, false);

        // Outside the catalogue: a scene file that cannot be read.
        const QString damagedPath = m_userDir.path() + QStringLiteral("/damaged/Broken scene.kvc");
        QDir().mkpath(QFileInfo(damagedPath).path());
        QFile damaged(damagedPath);
        if (!damaged.open(QIODevice::WriteOnly) || damaged.write("not a scene archive") <= 0)
            qFatal("cannot write %s", qPrintable(damagedPath));
        damaged.close();
        m_damagedScene = new CSceneViewModel(damagedPath, false);

        QDir().mkpath(m_userDir.path() + QStringLiteral("/playlists"));
        QDir().mkpath(m_appDir.path() + QStringLiteral("/playlists"));

        m_log = new CLog;
        m_app = new CAppTypeQt(m_log, QStringLiteral("logconfig.txt"));
        m_app->Init();
        registerQmlTypes();
        CConfigViewModel *config = Catalogue::createConfigViewModel(*m_app);
        Catalogue::assembleCatalogue(*m_app, *config);
        // One engine per test file asks for the singleton; it must outlive them all.
        QQmlEngine::setObjectOwnership(config, QQmlEngine::CppOwnership);
        // Two playlists, the first active and run by the player.
        config->addPlaylist(QStringLiteral("Evening"));
        config->addPlaylist(QStringLiteral("Party"));
        CPlaylistViewModel *evening = config->playlistList().at(0);
        config->setActivePlaylist(evening);
        config->setPlaylistToRun(evening->filepath());
        // A playlist file the list does not show: no playlist may take its name.
        CPlaylist stray;
        if (!stray.Save(m_userDir.path() + QStringLiteral("/playlists/Stray.kvp")))
            qFatal("cannot write the stray playlist");

        const QString appDir = qEnvironmentVariable("KELVRA_TEST_APP_DIR");
        if (!QResource::registerResource(appDir + QStringLiteral("/Kelvra.Config.rcc")))
            qFatal("cannot register %s/Kelvra.Config.rcc", qPrintable(appDir));
    }

    void qmlEngineAvailable(QQmlEngine *engine)
    {
        // Exactly what the program offers, plus the test framework itself.
        engine->setImportPathList({qEnvironmentVariable("KELVRA_TEST_APP_DIR") + QStringLiteral("/qt"),
                                   QStringLiteral(KELVRA_TEST_QML_IMPORTS)});
        engine->addImageProvider(QStringLiteral("kvscene"), new CSceneImageProvider);
        engine->rootContext()->setContextProperty(QStringLiteral("testUserDir"), m_userDir.path());
        engine->rootContext()->setContextProperty(QStringLiteral("testAppDir"), m_appDir.path());
        engine->rootContext()->setContextProperty(QStringLiteral("markupScene"), m_markupScene);
        engine->rootContext()->setContextProperty(QStringLiteral("damagedScene"), m_damagedScene);
        engine->rootContext()->setContextProperty(QStringLiteral("accessibility"), &m_audit);
    }

private:
    QTemporaryDir m_appDir;
    QTemporaryDir m_userDir;
    CLog *m_log = nullptr;
    CAppTypeQt *m_app = nullptr;
    CSceneViewModel *m_markupScene = nullptr;
    CSceneViewModel *m_damagedScene = nullptr;
    AccessibilityAudit m_audit;
};

QUICK_TEST_MAIN_WITH_SETUP(KelvraUi, UiTestSetup)

#include "tst_qml.moc"
