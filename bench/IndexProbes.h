#pragma once

#include "Probes.h"

#include <QString>
#include <QVector>

#include <functional>

class SceneCatalogueGenerator;

// What the catalogue index costs and saves at start-up: the first frame of
// the program with the index warm, without it (every scene file read), the
// first start that builds it, and both again with every scene file (and the
// index file) evicted from the page cache first ("cold").
namespace IndexProbes {

// Runs one probe kind in a fresh child and returns its figures; "wall_ns"
// holds process start to the first frame.
using ProbeRunner = std::function<Probes::Figures(const QString &kind)>;

struct Row
{
    int scenes = 0;
    double warmMs = 0, noIndexMs = 0, buildMs = 0, coldMs = 0, coldNoIndexMs = 0;
    double warmCatalogueMs = 0, noIndexCatalogueMs = 0, buildCatalogueMs = 0, coldCatalogueMs = 0,
           coldNoIndexCatalogueMs = 0;
    double beforeCatalogueMs = 0, qmlLoadMs = 0, afterLoadMs = 0, indexKiB = 0;
};

// The child side: true when kind is one of these probes (*result is then its exit code).
bool runChild(const char *kind, int argc, char **argv, int *result);

// The parent side, on the catalogue as it stands; each figure the median of
// repetitions runs.
Row measure(const SceneCatalogueGenerator &catalogue, int repetitions, const ProbeRunner &run);

// The result table (markdown) and the ratios each figure is judged by.
QString table(const QVector<Row> &rows);

} // namespace IndexProbes
