#pragma once

namespace SingleInstance {
class UserDirectoryLock;
}

// The program's run, split in two layers:
//
// runKelvraConfig, the outer layer, brackets everything with the engine's
// crash reporter and the program-wide log (created first, closed last), and
// keeps the user directory lock until the log is closed.
//
// runConfigurationSession, the inner sequence: creates the GUI application,
// registers "Kelvra.Config.rcc" from the program's own directory, reads the
// command line (-i <file> imports a scene package), claims the user
// directory, creates and initialises the engine's application object, builds
// the catalogue, loads the user interface and runs the event loop.
//
// The claim comes once the user directory is known and before anything is
// written there (the application object opens the log in it): the first
// start takes the lock and listens for later ones; a later start hands its
// window request and any import to the running program and ends with 0,
// having written nothing in the user directory. When the lock is held but the
// running program does not answer, a message says so and the run ends with 0
// rather than start a second writer.
//
// Its result is the process exit code: the event loop's result, 0 after a
// start-up error shown to the user or a request handed to a running program,
// 1 when the user interface yields no window. The toolkit ends the process
// itself for --help and for an unknown option, before the claim.
int runKelvraConfig(int &argc, char **argv);
int runConfigurationSession(int &argc, char **argv, SingleInstance::UserDirectoryLock &userDirectoryLock);
