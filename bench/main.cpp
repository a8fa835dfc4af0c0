// kelvra_bench: start-up and interaction figures of the configuration
// program on a generated catalogue, each against its own baseline measured
// in the same run.
//
//   kelvra_bench [--counts 1000,10000,50000] [--reps 5] [--workdir DIR] [--keep]
//                [--no-frame] [--small] [--markdown FILE]
//   kelvra_bench generate --count N --workdir DIR [--small]
//
// Every measurement runs in a child process of this same executable
// ("kelvra_bench probe <kind>"), so each start begins with an empty heap.

#include "IndexProbes.h"
#include "Probes.h"
#include "ScaleProbes.h"
#include "SceneCatalogueGenerator.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTextStream>
#include <QVector>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

struct ProbeRun
{
    Probes::Figures figures;
    double wallNs = 0;   // process start to "first-frame" (frame probes) or to exit
    bool ok = false;
};

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

ProbeRun runProbe(const QString &kind, const SceneCatalogueGenerator &catalogue)
{
    catalogue.resetUserState();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KELVRA_APP_DIR"), catalogue.appDir());
    environment.insert(QStringLiteral("KELVRA_USER_DIR"), catalogue.userDir());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("QT_QUICK_BACKEND"), QStringLiteral("software"));

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(QCoreApplication::applicationDirPath());
    process.setProcessChannelMode(QProcess::SeparateChannels);
    ProbeRun run;
    QByteArray output;
    QElapsedTimer timer;
    timer.start();
    process.start(QCoreApplication::applicationFilePath(), {QStringLiteral("probe"), kind});
    if (kind.startsWith(QLatin1String("frame"))) {
        while (!output.contains("first-frame\n") && process.waitForReadyRead(120000))
            output += process.readAllStandardOutput();
        run.wallNs = double(timer.nsecsElapsed());
    }
    process.waitForFinished(600000);
    if (!kind.startsWith(QLatin1String("frame")))
        run.wallNs = double(timer.nsecsElapsed());
    output += process.readAllStandardOutput();
    run.ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!run.ok)
        out() << "  probe " << kind << " failed: " << process.readAllStandardError().right(2000) << Qt::endl;
    run.figures = Probes::parseFigures(output);
    return run;
}

QVector<int> parseCounts(const QString &text)
{
    QVector<int> counts;
    for (const QString &part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int value = part.trimmed().toInt(&ok);
        if (ok && value > 0)
            counts.append(value);
    }
    std::sort(counts.begin(), counts.end());
    return counts;
}

struct Row
{
    int scenes = 0;
    double floorMs = 0, catalogueMs = 0, catalogueRatio = 0, cpuRatio = 0;
    double plainMs = 0, narrowMs = 0, clearMs = 0, keystrokeMs = 0, eraseMs = 0, resetNarrowMs = 0,
           resetClearMs = 0, filterRatio = 0, narrowCpuMs = 0, filterCpuRatio = 0;
    double requestUs = 0, decodeUs = 0, thumbnailRatio = 0;
    double bytesPerScene = 0;
    double frameMs = 0, frameCatalogueMs = 0, frameQmlMs = 0;
    // At scale, through the configuration view model, facet counts included.
    double firstCountMs = 0, keyTypeMs = 0, keyEraseMs = 0, keyWorstMs = 0, chipOnMs = 0, chipOffMs = 0,
           chipWorstMs = 0, facetsMs = 0, filteredBytesPerScene = 0;
    double flickMaxMs = 0, flickP99Ms = 0, flickFrames = 0;
};

QString fixed(double value, int decimals);

QString scaleTable(const QVector<Row> &rows, bool withFrame)
{
    QString text;
    QTextStream stream(&text);
    stream << "| scenes | first count ms | keystroke ms (type / erase / worst) | chip ms (on / off / worst) "
              "| facets ms | bytes/scene after filtering";
    if (withFrame)
        stream << " | flick frames | longest frame ms | p99 frame ms";
    stream << " |\n|---:|---:|---:|---:|---:|---:" << (withFrame ? "|---:|---:|---:|\n" : "|\n");
    for (const Row &row : rows) {
        stream << "| " << row.scenes << " | " << fixed(row.firstCountMs, 1) << " | " << fixed(row.keyTypeMs, 2)
               << " / " << fixed(row.keyEraseMs, 2) << " / " << fixed(row.keyWorstMs, 2) << " | "
               << fixed(row.chipOnMs, 2) << " / " << fixed(row.chipOffMs, 2) << " / " << fixed(row.chipWorstMs, 2)
               << " | " << fixed(row.facetsMs, 2) << " | " << fixed(row.filteredBytesPerScene, 0);
        if (withFrame)
            stream << " | " << fixed(row.flickFrames, 0) << " | " << fixed(row.flickMaxMs, 1) << " | "
                   << fixed(row.flickP99Ms, 1);
        stream << " |\n";
    }
    return text;
}

QString fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

QString table(const QVector<Row> &rows, bool withFrame)
{
    QString text;
    QTextStream stream(&text);
    stream << "| scenes | floor ms | catalogue ms | x floor (wall / CPU) | filter plain ms | re-filter ms (narrow / clear) "
              "| x plain (wall / CPU) | keystroke ms (type / erase) | thumbnail us | decode us | x decode | bytes/scene";
    if (withFrame)
        stream << " | first frame ms (catalogue / QML load)";
    stream << " |\n|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:" << (withFrame ? "|---:|\n" : "|\n");
    for (const Row &row : rows) {
        stream << "| " << row.scenes << " | " << fixed(row.floorMs, 1) << " | " << fixed(row.catalogueMs, 1) << " | "
               << fixed(row.catalogueRatio, 2) << " / " << fixed(row.cpuRatio, 2) << " | " << fixed(row.plainMs, 2) << " | " << fixed(row.narrowMs, 2)
               << " / " << fixed(row.clearMs, 2) << " | " << fixed(row.filterRatio, 2) << " / "
               << fixed(row.filterCpuRatio, 2) << " | "
               << fixed(row.keystrokeMs, 2) << " / " << fixed(row.eraseMs, 2) << " | " << fixed(row.requestUs, 0)
               << " | " << fixed(row.decodeUs, 0) << " | " << fixed(row.thumbnailRatio, 2) << " | "
               << fixed(row.bytesPerScene, 0);
        if (withFrame)
            stream << " | " << fixed(row.frameMs, 0) << " (" << fixed(row.frameCatalogueMs, 0) << " / "
                   << fixed(row.frameQmlMs, 0) << ")";
        stream << " |\n";
    }
    return text;
}

int runBenchmarks(const QCommandLineParser &parser, const QString &root)
{
    const QVector<int> counts = parseCounts(parser.value(QStringLiteral("counts")));
    const int repetitions = std::max(1, parser.value(QStringLiteral("reps")).toInt());
    const bool withFrame = !parser.isSet(QStringLiteral("no-frame"));
    if (counts.isEmpty()) {
        out() << "no scene counts given" << Qt::endl;
        return 2;
    }

    // Each scene file takes about 225 KB on disk, 22 KB when small.
    const bool small = parser.isSet(QStringLiteral("small"));
    const qint64 needed = qint64(counts.last()) * (small ? 24 : 230) * 1024 + (256 << 20);
    QDir().mkpath(root);
    const QStorageInfo storage(root);
    if (storage.bytesAvailable() < needed) {
        out() << "not enough disk space below " << root << ": " << (needed >> 20) << " MiB needed, "
              << (storage.bytesAvailable() >> 20) << " MiB free" << Qt::endl;
        return 2;
    }

    SceneCatalogueGenerator empty(root + QStringLiteral("/empty"));
    empty.setSceneCount(0);
    SceneCatalogueGenerator catalogue(root + (small ? QStringLiteral("/catalogue-small") : QStringLiteral("/catalogue")));
    catalogue.setSmall(small);
    QVector<Row> rows;
    QVector<IndexProbes::Row> indexRows;
    double baselineKiB = 0;
    {
        QVector<double> hwm;
        for (int i = 0; i < 3; ++i)
            hwm.append(runProbe(QStringLiteral("memory"), empty).figures.value(QStringLiteral("hwm_kib")));
        baselineKiB = Probes::median(hwm);
    }

    for (const int count : counts) {
        Row row;
        row.scenes = count;
        QElapsedTimer timer;
        timer.start();
        if (!catalogue.setSceneCount(count)) {
            out() << "writing the catalogue failed" << Qt::endl;
            return 1;
        }
        out() << "catalogue of " << count << " scenes ready (" << fixed(timer.elapsed() / 1000.0, 1) << " s)"
              << Qt::endl;

        runProbe(QStringLiteral("catalogue"), catalogue);   // warms the file cache
        QVector<double> floors, catalogues, ratios, cpuRatios;
        for (int i = 0; i < repetitions; ++i) {
            const ProbeRun run = runProbe(QStringLiteral("catalogue"), catalogue);
            const double floorNs = (run.figures.value(QStringLiteral("floor_ns"))
                                    + run.figures.value(QStringLiteral("floor2_ns"))) / 2;
            const double catalogueNs = run.figures.value(QStringLiteral("catalogue_ns"));
            floors.append(floorNs / 1e6);
            catalogues.append(catalogueNs / 1e6);
            ratios.append(floorNs > 0 ? catalogueNs / floorNs : 0);
            const double floorCpuNs = (run.figures.value(QStringLiteral("floor_cpu_ns"))
                                       + run.figures.value(QStringLiteral("floor2_cpu_ns"))) / 2;
            cpuRatios.append(floorCpuNs > 0 ? run.figures.value(QStringLiteral("catalogue_cpu_ns")) / floorCpuNs : 0);
        }
        row.floorMs = Probes::median(floors);
        row.catalogueMs = Probes::median(catalogues);
        row.catalogueRatio = Probes::median(ratios);
        row.cpuRatio = Probes::median(cpuRatios);

        QVector<double> hwm;
        for (int i = 0; i < 3; ++i)
            hwm.append(runProbe(QStringLiteral("memory"), catalogue).figures.value(QStringLiteral("hwm_kib")));
        row.bytesPerScene = (Probes::median(hwm) - baselineKiB) * 1024 / count;

        const ProbeRun interactive = runProbe(QStringLiteral("interactive"), catalogue);
        const auto figure = [&interactive](const char *key) {
            return interactive.figures.value(QLatin1String(key));
        };
        row.plainMs = figure("filter_plain_ns") / 1e6;
        row.narrowMs = figure("filter_narrow_ns") / 1e6;
        row.clearMs = figure("filter_clear_ns") / 1e6;
        row.keystrokeMs = figure("filter_keystroke_ns") / 1e6;
        row.eraseMs = figure("filter_erase_ns") / 1e6;
        row.resetNarrowMs = figure("filter_reset_narrow_ns") / 1e6;
        row.resetClearMs = figure("filter_reset_clear_ns") / 1e6;
        row.filterRatio = row.plainMs > 0 ? row.narrowMs / row.plainMs : 0;
        row.narrowCpuMs = figure("filter_narrow_cpu_ns") / 1e6;
        row.filterCpuRatio = figure("filter_plain_cpu_ns") > 0
            ? figure("filter_narrow_cpu_ns") / figure("filter_plain_cpu_ns") : 0;
        row.requestUs = figure("thumbnail_request_ns") / 1e3;
        row.decodeUs = figure("thumbnail_decode_ns") / 1e3;
        row.thumbnailRatio = row.decodeUs > 0 ? row.requestUs / row.decodeUs : 0;

        {
            const ProbeRun scale = runProbe(QStringLiteral("scale"), catalogue);
            const auto ms = [&scale](const char *key) { return scale.figures.value(QLatin1String(key)) / 1e6; };
            row.firstCountMs = ms("first_count_ns");
            row.keyTypeMs = ms("keystroke_type_ns");
            row.keyEraseMs = ms("keystroke_erase_ns");
            row.keyWorstMs = ms("keystroke_worst_ns");
            row.chipOnMs = ms("chip_on_ns");
            row.chipOffMs = ms("chip_off_ns");
            row.chipWorstMs = ms("chip_worst_ns");
            row.facetsMs = ms("facets_ns");
            row.filteredBytesPerScene
                = (scale.figures.value(QStringLiteral("hwm_filtered_kib")) - baselineKiB) * 1024 / count;
            if (withFrame) {
                const ProbeRun flick = runProbe(QStringLiteral("flick"), catalogue);
                row.flickFrames = flick.figures.value(QStringLiteral("frames"));
                row.flickMaxMs = flick.figures.value(QStringLiteral("frame_max_ns")) / 1e6;
                row.flickP99Ms = flick.figures.value(QStringLiteral("frame_p99_ns")) / 1e6;
            }
        }

        if (withFrame) {
            QVector<double> frames, frameCatalogues, frameQml;
            for (int i = 0; i < repetitions; ++i) {
                const ProbeRun run = runProbe(QStringLiteral("frame"), catalogue);
                frames.append(run.wallNs / 1e6);
                frameCatalogues.append(run.figures.value(QStringLiteral("catalogue_ns")) / 1e6);
                frameQml.append(run.figures.value(QStringLiteral("qml_load_ns")) / 1e6);
            }
            row.frameMs = Probes::median(frames);
            row.frameCatalogueMs = Probes::median(frameCatalogues);
            row.frameQmlMs = Probes::median(frameQml);
        }

        if (withFrame) {
            indexRows.append(IndexProbes::measure(catalogue, repetitions, [&catalogue](const QString &kind) {
                const ProbeRun run = runProbe(kind, catalogue);
                Probes::Figures figures = run.figures;
                figures.insert(QStringLiteral("wall_ns"), run.wallNs);
                return figures;
            }));
            indexRows.last().scenes = count;
        }

        out() << count << " scenes: catalogue " << fixed(row.catalogueMs, 1) << " ms = "
              << fixed(row.catalogueRatio, 2) << "x floor (" << fixed(row.floorMs, 1) << " ms; CPU time "
              << fixed(row.cpuRatio, 2) << "x); re-filter "
              << fixed(row.narrowMs, 2) << " ms narrowing, " << fixed(row.clearMs, 2) << " ms clearing = "
              << fixed(row.filterRatio, 2) << "x plain loop (" << fixed(row.plainMs, 2) << " ms; CPU time "
              << fixed(row.narrowCpuMs, 2) << " ms, " << fixed(row.filterCpuRatio, 2) << "x), keystroke "
              << fixed(row.keystrokeMs, 2) << " ms; base-class reset " << fixed(row.resetNarrowMs, 2) << " / "
              << fixed(row.resetClearMs, 2) << " ms; thumbnail " << fixed(row.requestUs, 0) << " us = "
              << fixed(row.thumbnailRatio, 2) << "x decode (" << fixed(row.decodeUs, 0) << " us); "
              << fixed(row.bytesPerScene, 0) << " bytes/scene";
        if (withFrame)
            out() << "; first frame " << fixed(row.frameMs, 0) << " ms";
        out() << Qt::endl;
        rows.append(row);
    }

    QString results = table(rows, withFrame) + QStringLiteral("\n") + scaleTable(rows, withFrame);
    if (!indexRows.isEmpty())
        results += QStringLiteral("\nCatalogue index:\n\n") + IndexProbes::table(indexRows);
    out() << "\n" << results;
    for (int i = 1; i < rows.size(); ++i) {
        out() << "growth " << rows.at(i - 1).scenes << " -> " << rows.at(i).scenes << " scenes ("
              << fixed(double(rows.at(i).scenes) / rows.at(i - 1).scenes, 1) << "x): catalogue "
              << fixed(rows.at(i).catalogueMs / rows.at(i - 1).catalogueMs, 2) << "x";
        if (withFrame)
            out() << ", first frame " << fixed(rows.at(i).frameMs / rows.at(i - 1).frameMs, 2) << "x";
        out() << Qt::endl;
    }
    if (parser.isSet(QStringLiteral("markdown"))) {
        QFile file(parser.value(QStringLiteral("markdown")));
        if (file.open(QIODevice::WriteOnly | QIODevice::Text))
            file.write(results.toUtf8());
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 3 && std::strcmp(argv[1], "probe") == 0) {
        const char *kind = argv[2];
        if (std::strcmp(kind, "catalogue") == 0)
            return Probes::catalogueTimes(argc, argv);
        if (std::strcmp(kind, "memory") == 0)
            return Probes::catalogueMemory(argc, argv);
        if (std::strcmp(kind, "interactive") == 0)
            return Probes::interactiveTimes(argc, argv);
        if (std::strcmp(kind, "frame") == 0)
            return Probes::firstFrame(argc, argv);
        int result = 0;
        if (IndexProbes::runChild(kind, argc, argv, &result))
            return result;
        if (std::strcmp(kind, "scale") == 0)
            return ScaleProbes::filterTimes(argc, argv);
        if (std::strcmp(kind, "flick") == 0)
            return ScaleProbes::flick(argc, argv);
        std::fprintf(stderr, "unknown probe %s\n", kind);
        return 2;
    }

    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Start-up and interaction benchmarks on a generated catalogue"));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("run (default) or generate"));
    parser.addOption({QStringLiteral("counts"), QStringLiteral("Catalogue sizes, ascending"), QStringLiteral("list"),
                      QStringLiteral("1000,10000,50000")});
    parser.addOption({QStringLiteral("reps"), QStringLiteral("Repetitions per figure (median reported)"),
                      QStringLiteral("n"), QStringLiteral("5")});
    parser.addOption({QStringLiteral("count"), QStringLiteral("Scenes to generate"), QStringLiteral("n"),
                      QStringLiteral("1000")});
    parser.addOption({QStringLiteral("workdir"), QStringLiteral("Where the catalogue is written (default: a new "
                      "temporary directory, removed afterwards)"), QStringLiteral("dir")});
    parser.addOption({QStringLiteral("keep"), QStringLiteral("Keep the generated catalogue")});
    parser.addOption({QStringLiteral("no-frame"), QStringLiteral("Skip the first-frame figure")});
    parser.addOption({QStringLiteral("small"), QStringLiteral("Small scene files (a 1 KB content entry, about 20 KB a "
                      "file instead of 225 KB), for catalogues of 100,000")});
    parser.addOption({QStringLiteral("markdown"), QStringLiteral("Also write the result table to file"),
                      QStringLiteral("file")});
    parser.process(application);

    const QString command = parser.positionalArguments().value(0, QStringLiteral("run"));
    if (command == QLatin1String("generate")) {
        if (!parser.isSet(QStringLiteral("workdir"))) {
            out() << "generate needs --workdir" << Qt::endl;
            return 2;
        }
        SceneCatalogueGenerator generator(parser.value(QStringLiteral("workdir")));
        generator.setSmall(parser.isSet(QStringLiteral("small")));
        return generator.setSceneCount(parser.value(QStringLiteral("count")).toInt()) ? 0 : 1;
    }
    if (command != QLatin1String("run")) {
        parser.showHelp(2);
    }

    if (parser.isSet(QStringLiteral("workdir"))) {
        const QString root = parser.value(QStringLiteral("workdir"));
        const int result = runBenchmarks(parser, root);
        if (!parser.isSet(QStringLiteral("keep")))
            QDir(root).removeRecursively();
        return result;
    }
    QTemporaryDir temporary(QDir::tempPath() + QStringLiteral("/kelvra-bench-XXXXXX"));
    temporary.setAutoRemove(!parser.isSet(QStringLiteral("keep")));
    if (!temporary.isValid()) {
        out() << "no temporary directory" << Qt::endl;
        return 1;
    }
    return runBenchmarks(parser, temporary.path());
}
