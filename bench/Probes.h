#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// The measurements that run inside a fresh child process, one kind per
// process, so every start-up figure begins from an empty heap and a cold
// program (with warm file caches). Each prints "key=value" lines on stdout;
// times are nanoseconds, memory KiB. The environment (KELVRA_APP_DIR,
// KELVRA_USER_DIR) names the catalogue to read.
namespace Probes {

using Figures = QMap<QString, double>;

// Floor pass, catalogue assembly, floor pass again: floor_ns, floor2_ns,
// catalogue_ns, scenes.
int catalogueTimes(int argc, char **argv);
// Catalogue assembly only, then the peak resident set: hwm_kib, scenes.
int catalogueMemory(int argc, char **argv);
// After assembly: re-filtering the scene proxy against a plain loop, and
// thumbnail requests at a card's size against a bare decode of the same
// bytes at the size shown.
int interactiveTimes(int argc, char **argv);
// The program's start-up sequence up to the first frame of its window;
// prints "first-frame" the moment it is shown, then the in-process phases.
int firstFrame(int argc, char **argv);

// Every "*.kvc" below the two scene directories in the order the start-up
// walk meets them.
QStringList sceneFiles(const QString &userScenes, const QString &appScenes);

// The middle value (the mean of the two middle ones for an even count); 0 when empty.
double median(QVector<double> values);

// Prints one "key=value" line and flushes it, for the parent to parse.
void print(const char *key, double value);
// The process's peak resident set (VmHWM) in KiB; -1 where unknown.
qint64 peakResidentKiB();

// Parses "key=value" lines.
Figures parseFigures(const QByteArray &output);

// The program's start-up steps the window probes share: the interface's
// resource file beside the probe, registered before the application exists,
// and the engine with the configuration tool's start-up profile (after it).
void registerInterface();
void initEngine();

} // namespace Probes
