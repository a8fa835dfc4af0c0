#pragma once

// The program's run, split in two layers:
//
// runKelvraConfig, the outer layer, brackets everything with the engine's
// crash reporter and the program-wide log (created first, closed last).
//
// runConfigurationSession, the inner sequence: registers "Kelvra.Config.rcc"
// from the current directory, creates the GUI application, reads the command
// line (-i <file> imports a scene package), creates and initialises the
// engine's application object, builds the catalogue, loads the user
// interface and runs the event loop. Its result is the process exit code:
// the event loop's result, 0 after a start-up error shown to the user or an
// import handed to the running player, 1 when the user interface yields no
// window. The toolkit ends the process itself for --help and for an unknown
// option.
int runKelvraConfig(int &argc, char **argv);
int runConfigurationSession(int &argc, char **argv);
