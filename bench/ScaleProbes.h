#pragma once

// Probes of the program at the size of the largest preset collections: the
// filter as the user drives it (through the configuration view model, facet
// counts included) and the scene grid scrolled in the real window. Each runs
// in a fresh child process, like the probes of Probes.h, and prints
// "key=value" lines (nanoseconds, KiB).
namespace ScaleProbes {

// After assembly: the first use of the filter (which reads its keys), a
// keystroke typed and erased with one tag picked, one more tag picked and
// dropped, the facet counts alone, then the peak resident set.
int filterTimes(int argc, char **argv);
// The program's own start-up to its first frame, then the scene grid
// scrolled by ten screens a second for a few seconds: every frame's
// interval from the window's frameSwapped, the longest and the 99th
// percentile.
int flick(int argc, char **argv);

} // namespace ScaleProbes
