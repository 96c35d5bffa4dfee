// The process as the system sees it: its command line, its own folder, and starting a launcher.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// Remembers the arguments (without the program name) and the executable's location.
void setArguments(int argc, const char* const* argv);

// The command tail as one text, the way Windows hands it over. The shell has already removed the
// quotes, so a NAME=VALUE argument whose value is a host absolute path comes back as
// NAME="Z:\host\path" and an argument that already carries quotes keeps them.
std::string commandLine();
std::string rebuildCommandLine(const std::vector<std::string>& args);
// On Windows the command line is the one the system passed (GetCommandLineA): this is its tail,
// with a folder written without quotes (PRINTINGDIR=C:\Jobs) given them.
std::string commandTailOf(const std::string& systemCommandLine);

// The executable's folder in DOS form, without a trailing backslash.
std::string appPath();
// Tests point the program at another folder of its own (an empty text restores the real one).
void overrideAppPath(const std::string& dos);

// Starts <executable's folder>/lptspool-launch FILE in the folder DIR (both DOS), detached, in its
// own session, with its standard streams on /dev/null. Returns at once: above 32 on success,
// otherwise a Windows error code (2 file not found, 3 path not found, 31 no association). On POSIX
// hosts at most kMaxLiveLaunchers run at once; a start beyond that waits its turn (one waiting
// start per launcher file) and runs as soon as another launcher ends; on Windows it is refused
// (8, out of memory) and the job, still in its folder, is started at a later tick.
constexpr size_t kMaxLiveLaunchers = 64;
intptr_t shellExecute(const std::string& file, const std::string& directory);
// How many launchers may start now without waiting for one to end: the tick starts no more, so
// that it, not the order of arrival, decides whose jobs go first.
size_t launcherRoom();

// The process layer reaps the launchers it starts: call once before starting any.
void reapChildrenAutomatically();

// Tests start another program in place of lptspool-launch (an empty text restores it).
void overrideLauncherProgram(const std::string& hostPath);

}  // namespace platform
