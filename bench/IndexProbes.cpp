#include "IndexProbes.h"

#include "CatalogueBuilder.h"
#include "SceneCatalogueGenerator.h"

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace IndexProbes {

namespace {

const char kNoIndexFrame[] = "frame-noindex";

QString indexFile(const SceneCatalogueGenerator &catalogue)
{
    return catalogue.userDir() + QStringLiteral("/catalogue-index.sqlite");
}

// Drops a file's pages from the page cache: the next read comes from the disk.
void evict(const QString &path)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    ::posix_fadvise(descriptor, 0, 0, POSIX_FADV_DONTNEED);
    ::close(descriptor);
}

void evictCatalogue(const SceneCatalogueGenerator &catalogue, bool withIndex)
{
    ::sync();   // dirty pages would stay
    for (const QString &path : Probes::sceneFiles(catalogue.userDir() + QStringLiteral("/scenes"),
                                                  catalogue.appDir() + QStringLiteral("/scenes")))
        evict(path);
    if (withIndex)
        evict(indexFile(catalogue));
}

struct Figure
{
    double wallMs = 0, catalogueMs = 0;
};

Figure medianOf(int repetitions, const std::function<void()> &before, const ProbeRunner &run, const QString &kind,
                Row *row = nullptr)
{
    QVector<double> walls, catalogues, beforeCatalogue, qml, afterLoad;
    for (int i = 0; i < repetitions; ++i) {
        if (before)
            before();
        const Probes::Figures figures = run(kind);
        walls.append(figures.value(QStringLiteral("wall_ns")) / 1e6);
        catalogues.append(figures.value(QStringLiteral("catalogue_ns")) / 1e6);
        beforeCatalogue.append(figures.value(QStringLiteral("before_catalogue_ns")) / 1e6);
        qml.append(figures.value(QStringLiteral("qml_load_ns")) / 1e6);
        afterLoad.append((figures.value(QStringLiteral("frame_in_process_ns"))
                          - figures.value(QStringLiteral("before_catalogue_ns"))
                          - figures.value(QStringLiteral("catalogue_ns"))
                          - figures.value(QStringLiteral("qml_load_ns"))) / 1e6);
    }
    if (row) {
        row->beforeCatalogueMs = Probes::median(beforeCatalogue);
        row->qmlLoadMs = Probes::median(qml);
        row->afterLoadMs = Probes::median(afterLoad);
    }
    return {Probes::median(walls), Probes::median(catalogues)};
}

QString fixed(double value, int decimals = 0)
{
    return QString::number(value, 'f', decimals);
}

} // namespace

bool runChild(const char *kind, int argc, char **argv, int *result)
{
    if (std::strcmp(kind, kNoIndexFrame) != 0)
        return false;
    Catalogue::setCatalogueIndexEnabled(false);
    *result = Probes::firstFrame(argc, argv);
    return true;
}

Row measure(const SceneCatalogueGenerator &catalogue, int repetitions, const ProbeRunner &run)
{
    const QString frame = QStringLiteral("frame");
    const QString noIndex = QLatin1String(kNoIndexFrame);
    const QString index = indexFile(catalogue);
    Row row;

    // The index file as every later start finds it; then everything warm.
    run(frame);
    run(noIndex);
    Figure figure = medianOf(repetitions, nullptr, run, frame, &row);
    row.warmMs = figure.wallMs;
    row.warmCatalogueMs = figure.catalogueMs;
    row.indexKiB = QFileInfo(index).size() / 1024.0;
    figure = medianOf(repetitions, nullptr, run, noIndex);
    row.noIndexMs = figure.wallMs;
    row.noIndexCatalogueMs = figure.catalogueMs;
    figure = medianOf(repetitions, [&index]() { QFile::remove(index); }, run, frame);
    row.buildMs = figure.wallMs;
    row.buildCatalogueMs = figure.catalogueMs;
    figure = medianOf(repetitions, [&catalogue]() { evictCatalogue(catalogue, true); }, run, frame);
    row.coldMs = figure.wallMs;
    row.coldCatalogueMs = figure.catalogueMs;
    figure = medianOf(repetitions, [&catalogue]() { evictCatalogue(catalogue, true); }, run, noIndex);
    row.coldNoIndexMs = figure.wallMs;
    row.coldNoIndexCatalogueMs = figure.catalogueMs;
    return row;
}

QString table(const QVector<Row> &rows)
{
    QString text;
    QTextStream stream(&text);
    stream << "| scenes | warm, index ms | warm, no index ms | first start, building it ms | cold, index ms "
              "| cold, no index ms | cold / warm (index) | cold / warm (no index) | index KiB "
              "| first frame: before catalogue / catalogue / QML load / to the frame ms |\n"
              "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---|\n";
    for (const Row &row : rows) {
        const auto pair = [](double wall, double catalogue) {
            return fixed(wall) + QStringLiteral(" (") + fixed(catalogue) + QLatin1Char(')');
        };
        stream << "| " << row.scenes << " | " << pair(row.warmMs, row.warmCatalogueMs) << " | "
               << pair(row.noIndexMs, row.noIndexCatalogueMs) << " | " << pair(row.buildMs, row.buildCatalogueMs)
               << " | " << pair(row.coldMs, row.coldCatalogueMs) << " | "
               << pair(row.coldNoIndexMs, row.coldNoIndexCatalogueMs) << " | "
               << fixed(row.warmMs > 0 ? row.coldMs / row.warmMs : 0, 2) << " | "
               << fixed(row.noIndexMs > 0 ? row.coldNoIndexMs / row.noIndexMs : 0, 2) << " | "
               << fixed(row.indexKiB) << " | " << fixed(row.beforeCatalogueMs) << " / " << fixed(row.warmCatalogueMs)
               << " / " << fixed(row.qmlLoadMs) << " / " << fixed(row.afterLoadMs) << " |\n";
    }
    stream << "\nEach time: process start to the first frame (in brackets: the catalogue assembly inside it), "
              "median of the repetitions.\n";
    for (int i = 1; i < rows.size(); ++i)
        stream << "Growth " << rows.at(i - 1).scenes << " -> " << rows.at(i).scenes << " scenes, first frame with "
               << "the index warm: " << fixed(rows.at(i).warmMs / rows.at(i - 1).warmMs, 2) << "x\n";
    return text;
}

} // namespace IndexProbes
