#include "ScaleProbes.h"

#include "CAppTypeQt.h"
#include "CConfigViewModel.h"
#include "CLog.h"
#include "CScenesFilterViewModel.h"
#include "CatalogueBuilder.h"
#include "Probes.h"
#include "QtQuick2ApplicationViewer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickWindow>
#include <QResource>
#include <QTimer>
#include <QVector>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numeric>

namespace ScaleProbes {

namespace {

using Probes::peakResidentKiB;
using Probes::print;

double timed(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed());
}

double percentile(QVector<double> values, double share)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const int at = std::min(int(values.size()) - 1, int(share * values.size()));
    return values.at(at);
}

} // namespace

int filterTimes(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    Probes::initEngine();
    Catalogue::applyDefaultPlaylistToRun(*gApp);
    CConfigViewModel *config = Catalogue::createConfigViewModel(*gApp);
    Catalogue::assembleCatalogue(*gApp, *config);
    print("scenes", config->allScenes()->count());

    // The first count after start-up, once the event loop runs; it reads
    // what the filter needs of every scene.
    print("first_count_ns", timed([] { QCoreApplication::processEvents(); }));

    const QString tag = QStringLiteral("Abstract");
    const QString chip = QStringLiteral("Colorful");
    constexpr int repetitions = 21;
    QVector<double> typed, erased, chipOn, chipOff, counts, first;
    config->selectTag(tag, true);
    QStringList names;
    for (const CTagViewModel *candidate : config->tagList())
        names.append(candidate->name());
    for (int i = 0; i < repetitions; ++i) {
        config->searchScenes(QString());
        first.append(timed([config] { config->searchScenes(QStringLiteral("r")); }));
        typed.append(timed([config] { config->searchScenes(QStringLiteral("ri")); }));
        erased.append(timed([config] { config->searchScenes(QStringLiteral("r")); }));
        config->searchScenes(QStringLiteral("ri"));
        chipOn.append(timed([config, &chip] { config->selectTag(chip, true); }));
        chipOff.append(timed([config, &chip] { config->selectTag(chip, false); }));
        counts.append(timed([config, &names] { config->filteredScenes()->facetCounts(names); }));
    }
    print("shown", config->filteredScenes()->rowCount());
    print("keystroke_first_ns", Probes::median(first));
    print("keystroke_type_ns", Probes::median(typed));
    print("keystroke_erase_ns", Probes::median(erased));
    print("chip_on_ns", Probes::median(chipOn));
    print("chip_off_ns", Probes::median(chipOff));
    print("facets_ns", Probes::median(counts));
    print("keystroke_worst_ns", std::max({*std::max_element(typed.cbegin(), typed.cend()),
                                          *std::max_element(erased.cbegin(), erased.cend())}));
    print("chip_worst_ns", std::max({*std::max_element(chipOn.cbegin(), chipOn.cend()),
                                     *std::max_element(chipOff.cbegin(), chipOff.cend())}));
    print("hwm_filtered_kib", double(peakResidentKiB()));
    return 0;
}

int flick(int argc, char **argv)
{
    CAppTypeQt::InstallCrashreporter();
    new CLog;
    int result = 0;
    {
        Probes::registerInterface();
        QGuiApplication application(argc, argv);
        const Catalogue::SaveHandlerConnections handlers = Catalogue::connectSaveHandlers(application);
        Probes::initEngine();
        Catalogue::startViewModels(*gApp);
        QtQuick2ApplicationViewer viewer;
        if (!viewer.loadMainDocument(QStringLiteral("qrc:/qml/Main.qml")))
            qFatal("the user interface did not load");
        QQuickWindow *window = viewer.window();
        auto *grid = window->findChild<QQuickItem *>(QStringLiteral("sceneGrid"));
        if (!grid)
            qFatal("no scene grid");

        constexpr double screensPerSecond = 10;
        constexpr qint64 scrollNs = 4000000000;
        QElapsedTimer clock;
        QVector<double> frames;
        qint64 lastSwap = -1;
        bool scrolling = false;
        QObject::connect(window, &QQuickWindow::frameSwapped, &application, [&] {
            if (!scrolling)
                return;
            const qint64 now = clock.nsecsElapsed();
            if (lastSwap >= 0)
                frames.append(double(now - lastSwap));
            lastSwap = now;
        }, Qt::DirectConnection);

        QTimer ticker;
        ticker.setInterval(16);
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout, &application, [&] {
            const qint64 now = clock.nsecsElapsed();
            const double height = grid->height();
            const double range = grid->property("contentHeight").toDouble() - height;
            const double y = screensPerSecond * height * double(now) / 1e9;
            grid->setProperty("contentY", range > 0 ? std::fmod(y, range) : 0.0);
            if (now > scrollNs) {
                ticker.stop();
                scrolling = false;
                Catalogue::disconnectSaveHandlers(handlers);   // nothing is saved
                QCoreApplication::exit(0);
            }
        });
        bool started = false;
        QObject::connect(window, &QQuickWindow::frameSwapped, &application, [&] {
            if (started)
                return;
            started = true;
            // A moment for the first thumbnails, then the flick.
            QTimer::singleShot(500, &application, [&] {
                print("grid_height", grid->height());
                print("content_height", grid->property("contentHeight").toDouble());
                scrolling = true;
                clock.start();
                ticker.start();
            });
        });
        viewer.showWindowMaximized();
        result = application.exec();

        print("frames", frames.size());
        print("frame_max_ns", frames.isEmpty() ? 0 : *std::max_element(frames.cbegin(), frames.cend()));
        print("frame_p99_ns", percentile(frames, 0.99));
        print("frame_median_ns", Probes::median(frames));
        // Where the longest frames fell, as a hint to what they waited for.
        QVector<int> order(frames.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&frames](int a, int b) { return frames.at(a) > frames.at(b); });
        for (int i = 0; i < std::min(3, int(order.size())); ++i)
            std::printf("long_frame_%d=%d:%.0f\n", i, order.at(i), frames.at(order.at(i)));
    }
    delete gLog;
    gLog = nullptr;
    CAppTypeQt::UninstallCrashreporter();
    return result;
}

} // namespace ScaleProbes
