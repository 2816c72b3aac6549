#pragma once
// What the system says about the running program and its user, and the
// console it runs in.
#include <csignal>
#include <string>

namespace morvelan::platform {

// The folder of the running executable; "." when the system cannot tell.
std::string programFolder();

// The folder for the user's own settings: $XDG_CONFIG_HOME or
// $HOME/.config on POSIX, %APPDATA% on Windows; empty when there is none.
std::string userConfigFolder();

// The folder separator this system writes ('/' or '\\').
char preferredSeparator();

// Whether standard output (1) or standard error (2) is a terminal.
bool isTerminal(int stream);

// Makes the console show UTF-8 text as it is (Windows sets its output code
// page; POSIX terminals need nothing).
void prepareConsoleForUtf8();

// Ctrl-C, SIGTERM, SIGHUP (and on Windows closing the console) set `flag`;
// a second Ctrl-C ends the program at once. A closed pipe and a file-size
// limit then show up as failed writes instead of ending the process.
void catchEndRequests(volatile std::sig_atomic_t& flag);

#ifdef _WIN32
// The console event handler, called directly by tests where no console can
// deliver an event: true when the event was taken (the flag set), false when
// it is left to the system's default (which ends the program).
enum class ConsoleEvent { Interrupt, Close };
bool handleConsoleEventForTests(ConsoleEvent event);
#endif

} // namespace morvelan::platform
