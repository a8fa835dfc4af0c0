#include "Probes.h"

#include "CAppTypeQt.h"
#include "CConfigViewModel.h"
#include "CLog.h"
#include "CSceneImageProvider.h"
#include "CSceneViewModel.h"
#include "CScenesFilterViewModel.h"
#include "CatalogueBuilder.h"
#include "QObjectListModel.h"
#include "QmlRegistration.h"
#include "QtQuick2ApplicationViewer.h"

#include <QBuffer>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QQuickWindow>
#include <QResource>
#include <QTextStream>
#include <QVector>

#include <quazip.h>
#include <quazipfile.h>

#include <algorithm>
#include <cstdio>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Probes {

void print(const char *key, double value)
{
    std::printf("%s=%.0f\n", key, value);
    std::fflush(stdout);
}

qint64 peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

namespace {


// CPU time of this thread, user and kernel: on a machine shared with other
// work it shows what the wall clock would be without the others.
qint64 threadCpuNs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// What any reader of a scene's metadata must at least do: open, fstat, read
// the first and the last page, close. Nothing is parsed.
qint64 floorPass(const QVector<QByteArray> &nativePaths, qint64 *cpuNs)
{
    const qint64 cpuStart = threadCpuNs();
    char page[4096];
    qint64 bytes = 0;
    QElapsedTimer timer;
    timer.start();
    for (const QByteArray &path : nativePaths) {
        const int descriptor = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (descriptor < 0)
            continue;
        struct stat status;
        if (::fstat(descriptor, &status) == 0) {
            bytes += ::pread(descriptor, page, sizeof(page), 0);
            bytes += ::pread(descriptor, page, sizeof(page), std::max<off_t>(0, status.st_size - off_t(sizeof(page))));
        }
        ::close(descriptor);
    }
    const qint64 elapsed = timer.nsecsElapsed();
    *cpuNs = threadCpuNs() - cpuStart;
    if (bytes < 0)
        std::puts("unreachable");
    return elapsed;
}

// The state start-up has reached just before the catalogue is assembled.
CConfigViewModel *prepareEngine()
{
    initEngine();
    Catalogue::applyDefaultPlaylistToRun(*gApp);
    return Catalogue::createConfigViewModel(*gApp);
}

QString resolved(const char *literal)
{
    return gApp->ResolvePath(CPath(literal)).toString();
}


QVector<CSceneViewModel *> listedScenes(const CConfigViewModel &config)
{
    QVector<CSceneViewModel *> scenes;
    const QObjectListModel *list = config.allScenes();
    for (int row = 0; list && row < list->count(); ++row)
        scenes.append(qobject_cast<CSceneViewModel *>(list->at(row)));
    return scenes;
}

QByteArray readEntryWithLibrary(const QString &archivePath, const QString &entry)
{
    QuaZip zip(archivePath);
    if (!zip.open(QuaZip::mdUnzip) || !zip.setCurrentFile(entry))
        return QByteArray();
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

void measureFiltering(CConfigViewModel &config)
{
    CScenesFilterViewModel *proxy = config.filteredScenes();
    const QVector<CSceneViewModel *> scenes = listedScenes(config);
    const QStringList terms = {QStringLiteral("Abstract"), QStringLiteral("Colorful")};
    const QString text = QStringLiteral("ri");
    const auto setFilter = [proxy](const QStringList &newTerms, const QString &newText) {
        proxy->tagFilter = newTerms;
        proxy->filterText = newText;
    };
    QVector<double> narrowCpu, plainCpu;
    const auto timedRefilter = [proxy](QVector<double> *cpuTimes = nullptr) {
        QElapsedTimer timer;
        timer.start();
        const qint64 cpuStart = threadCpuNs();
        proxy->refilter();
        if (cpuTimes)
            cpuTimes->append(double(threadCpuNs() - cpuStart));
        return double(timer.nsecsElapsed());
    };
    // The base class's own reset, for comparison: the layout is rebuilt and
    // the rows are filtered again when the view asks for them.
    const auto timedReset = [proxy]() {
        QElapsedTimer timer;
        timer.start();
        static_cast<QSortFilterProxyModel *>(proxy)->invalidate();
        const int rows = proxy->rowCount();
        const double elapsed = double(timer.nsecsElapsed());
        return rows >= 0 ? elapsed : 0;
    };

    constexpr int repetitions = 21;
    QVector<double> plain, narrow, clear, typed, erased, resetNarrow, resetClear;
    int visible = 0;
    for (int i = 0; i < repetitions; ++i) {
        setFilter(terms, text);
        QElapsedTimer timer;
        timer.start();
        const qint64 cpuStart = threadCpuNs();
        int accepted = 0;
        for (const CSceneViewModel *scene : scenes)
            accepted += proxy->acceptsScene(*scene) ? 1 : 0;
        plain.append(double(timer.nsecsElapsed()));
        plainCpu.append(double(threadCpuNs() - cpuStart));
        visible = accepted;

        setFilter({}, QString());
        proxy->refilter();
        setFilter(terms, text);
        narrow.append(timedRefilter(&narrowCpu));
        setFilter({}, QString());
        clear.append(timedRefilter());

        // One keystroke in the search field with two tags selected, and its erasure.
        setFilter(terms, text.left(1));
        proxy->refilter();
        setFilter(terms, text);
        typed.append(timedRefilter());
        setFilter(terms, text.left(1));
        erased.append(timedRefilter());

        setFilter({}, QString());
        proxy->refilter();
        setFilter(terms, text);
        resetNarrow.append(timedReset());
        setFilter({}, QString());
        resetClear.append(timedReset());
    }
    setFilter({}, QString());
    proxy->refilter();

    print("filter_visible", visible);
    print("filter_plain_ns", median(plain));
    print("filter_narrow_ns", median(narrow));
    print("filter_plain_cpu_ns", median(plainCpu));
    print("filter_narrow_cpu_ns", median(narrowCpu));
    print("filter_clear_ns", median(clear));
    print("filter_keystroke_ns", median(typed));
    print("filter_erase_ns", median(erased));
    print("filter_reset_narrow_ns", median(resetNarrow));
    print("filter_reset_clear_ns", median(resetClear));
}

// Thumbnail requests at the size a scene card asks for (its Image's
// sourceSize), against the bare toolkit decoding the same JPEG bytes at the
// size the provider returns, with the decoder scaling as it decodes. The
// difference is the provider's own work: the archive, the marker walk.
void measureThumbnails(const QVector<CSceneViewModel *> &scenes)
{
    const QString entry = QStringLiteral("thumbnail.jpg");
    const QSize cardSize(320, 180);
    QStringList ids;
    QVector<QByteArray> jpegs;
    for (int i = 0; i < scenes.size() && ids.size() < 200; i += std::max(1, scenes.size() / 200)) {
        const QString path = scenes.at(i)->filepath();
        const QByteArray bytes = readEntryWithLibrary(path, entry);
        if (bytes.isEmpty())
            continue;
        ids.append(path + QLatin1Char('#') + entry);
        jpegs.append(bytes);
    }
    if (ids.isEmpty())
        return;

    CSceneImageProvider provider;
    QVector<double> requested, decoded;
    for (int round = 0; round < 7; ++round) {
        QElapsedTimer timer;
        timer.start();
        qint64 pixels = 0;
        for (const QString &id : ids) {
            QSize size;
            const QImage image = provider.requestImage(id, &size, cardSize);
            pixels += qint64(image.width()) * image.height();
        }
        requested.append(double(timer.nsecsElapsed()) / ids.size());

        timer.restart();
        for (const QByteArray &bytes : jpegs) {
            QBuffer buffer;
            buffer.setData(bytes);
            buffer.open(QIODevice::ReadOnly);
            QImageReader reader(&buffer, QByteArrayLiteral("JPG"));
            const QSize stored = reader.size();
            const QSize shown = CSceneImageProvider::decodeSize(stored, cardSize);
            if (shown != stored)
                reader.setScaledSize(shown);
            const QImage image = reader.read();
            pixels -= qint64(image.width()) * image.height();
        }
        decoded.append(double(timer.nsecsElapsed()) / jpegs.size());
        if (pixels != 0)
            print("thumbnail_mismatch", double(pixels));
    }
    print("thumbnail_request_ns", median(requested));
    print("thumbnail_decode_ns", median(decoded));
}

} // namespace

QStringList sceneFiles(const QString &userScenes, const QString &appScenes)
{
    QStringList files;
    for (const QString &directory : {userScenes, appScenes}) {
        QDirIterator it(directory, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            it.next();
            if (it.fileName().endsWith(QLatin1String(".kvc")))
                files.append(it.filePath());
        }
    }
    return files;
}

Figures parseFigures(const QByteArray &output)
{
    Figures figures;
    for (const QByteArray &line : output.split('\n')) {
        const int equals = line.indexOf('=');
        if (equals > 0)
            figures.insert(QString::fromUtf8(line.left(equals)), line.mid(equals + 1).toDouble());
    }
    return figures;
}

int catalogueTimes(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    CConfigViewModel *config = prepareEngine();

    QVector<QByteArray> nativePaths;
    for (const QString &path : sceneFiles(resolved("[userpath]scenes"), resolved("[apppath]scenes")))
        nativePaths.append(QFile::encodeName(path));

    qint64 cpu = 0;
    print("floor_ns", double(floorPass(nativePaths, &cpu)));
    print("floor_cpu_ns", double(cpu));
    QElapsedTimer timer;
    timer.start();
    const qint64 cpuStart = threadCpuNs();
    Catalogue::assembleCatalogue(*gApp, *config);
    print("catalogue_ns", double(timer.nsecsElapsed()));
    print("catalogue_cpu_ns", double(threadCpuNs() - cpuStart));
    print("floor2_ns", double(floorPass(nativePaths, &cpu)));
    print("floor2_cpu_ns", double(cpu));
    print("files", nativePaths.size());
    print("scenes", config->allScenes()->count());
    return 0;
}

int catalogueMemory(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    CConfigViewModel *config = prepareEngine();
    Catalogue::assembleCatalogue(*gApp, *config);
    print("hwm_kib", double(peakResidentKiB()));
    print("scenes", config->allScenes()->count());
    return 0;
}

int interactiveTimes(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    CConfigViewModel *config = prepareEngine();
    Catalogue::assembleCatalogue(*gApp, *config);
    print("scenes", config->allScenes()->count());
    measureFiltering(*config);
    measureThumbnails(listedScenes(*config));
    return 0;
}

// The steps of the program's own start-up, in its order, with a clock.
int firstFrame(int argc, char **argv)
{
    QElapsedTimer clock;
    clock.start();
    CAppTypeQt::InstallCrashreporter();
    new CLog;
    int result = 0;
    {
        registerInterface();
        QGuiApplication application(argc, argv);
        const Catalogue::SaveHandlerConnections handlers = Catalogue::connectSaveHandlers(application);
        gLog->SetFlushEachLine();
        initEngine();
        // The start-up's own view-model steps; registering the types and
        // making the view model are negligible beside the catalogue.
        const qint64 beforeCatalogue = clock.nsecsElapsed();
        // Held as the program holds them: counted after the first frame.
        Catalogue::startViewModels(*gApp)->setFacetCountsHeld(true);
        const qint64 afterCatalogue = clock.nsecsElapsed();

        QtQuick2ApplicationViewer viewer;
        if (!viewer.loadMainDocument(QStringLiteral("qrc:/qml/Main.qml")))
            qFatal("the user interface did not load");
        const qint64 afterLoad = clock.nsecsElapsed();
        bool shownOnce = false;
        QObject::connect(viewer.window(), &QQuickWindow::frameSwapped, &application, [&]() {
            const qint64 shown = clock.nsecsElapsed();
            if (shownOnce)
                return;
            shownOnce = true;
            std::puts("first-frame");
            std::fflush(stdout);
            print("catalogue_ns", double(afterCatalogue - beforeCatalogue));
            print("before_catalogue_ns", double(beforeCatalogue));
            print("qml_load_ns", double(afterLoad - afterCatalogue));
            print("frame_in_process_ns", double(shown));
            // Nothing is saved: the run measured only its start.
            Catalogue::disconnectSaveHandlers(handlers);
            QCoreApplication::exit(0);
        }, Qt::DirectConnection);
        viewer.showWindowMaximized();
        result = application.exec();
    }
    delete gLog;
    gLog = nullptr;
    CAppTypeQt::UninstallCrashreporter();
    return result;
}

void registerInterface()
{
    if (QFile::exists(QStringLiteral("Kelvra.Config.rcc")))
        QResource::registerResource(QStringLiteral("Kelvra.Config.rcc"));
}

void initEngine()
{
    gApp = new CAppTypeQt(gLog, QStringLiteral("logconfig.txt"));
    gApp->startupFlags = 290;
    if (!gApp->Init())
        qFatal("the engine could not be initialised in %s", qPrintable(gApp->GetUserPath().toString()));
}

double median(QVector<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const int middle = values.size() / 2;
    return values.size() % 2 ? values.at(middle) : (values.at(middle - 1) + values.at(middle)) / 2;
}

} // namespace Probes
