// The process on Windows: the command line the system passed (GetCommandLineA), the executable's
// folder, and a job's launcher started as lptspool-launch.exe, hidden.
#include "platform/process.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "platform/files.h"

namespace platform {
namespace {

std::vector<std::string> arguments;
bool realArguments = false;
std::string appPathOverride;
std::string launcherProgram;
std::vector<HANDLE> liveLaunchers;

void reapLaunchers() {
  for (auto it = liveLaunchers.begin(); it != liveLaunchers.end();) {
    if (WaitForSingleObject(*it, 0) == WAIT_OBJECT_0) {
      CloseHandle(*it);
      it = liveLaunchers.erase(it);
    } else {
      ++it;
    }
  }
}

std::string readExecutableFolder() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return std::string();
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t cut = path.rfind('\\');
  if (cut == std::string::npos) return std::string();
  return path.substr(0, cut == 2 ? 3 : cut);  // C:\ keeps its backslash
}

const std::string& executableFolder() {
  static const std::string folder = readExecutableFolder();
  return folder;
}

}  // namespace

size_t launcherRoom() {
  reapLaunchers();
  return liveLaunchers.size() < kMaxLiveLaunchers ? kMaxLiveLaunchers - liveLaunchers.size() : 0;
}

void setArguments(int argc, const char* const* argv) {
  arguments.clear();
  for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
  // main()'s own arguments stand for the line the system passed; any others are a test's. The C
  // runtime's copy of them has lost the quotes, so only their count and text can tell.
  realArguments = argc == __argc;
  for (int i = 0; realArguments && i < argc; ++i)
    realArguments = argv[i] && __argv[i] && std::strcmp(argv[i], __argv[i]) == 0;
}

std::string rebuildCommandLine(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& arg : args) {
    if (!line.empty()) line += ' ';
    line += arg;
  }
  return line;
}

std::string commandLine() {
  const char* line = GetCommandLineA();
  return realArguments ? commandTailOf(line ? line : "") : rebuildCommandLine(arguments);
}

void overrideAppPath(const std::string& dos) {
  appPathOverride = dos;
}

std::string appPath() {
  return appPathOverride.empty() ? executableFolder() : appPathOverride;
}

void reapChildrenAutomatically() {}

void overrideLauncherProgram(const std::string& hostPath) {
  launcherProgram = hostPath;
}

intptr_t shellExecute(const std::string& file, const std::string& directory) {
  if (!matchesPattern(file, "*.pif") || file.find_first_of("\\/:\"") != std::string::npos)
    return 31;
  const DWORD folder = GetFileAttributesA(directory.c_str());
  if (folder == INVALID_FILE_ATTRIBUTES || !(folder & FILE_ATTRIBUTE_DIRECTORY)) return 3;
  std::string dir = directory;
  if (dir.back() != '\\') dir += '\\';
  const DWORD launcher = GetFileAttributesA((dir + file).c_str());
  if (launcher == INVALID_FILE_ATTRIBUTES ||
      (launcher & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
    return 2;
  // A printer that holds every job would otherwise gather a launcher per job and tick: past the
  // bound a start is refused, and the job, still in the folder, is started at a later tick.
  reapLaunchers();
  if (liveLaunchers.size() >= kMaxLiveLaunchers) return 8;  // SE_ERR_OOM
  std::string program = launcherProgram;
  if (program.empty()) {
    program = executableFolder();
    if (program.back() != '\\') program += '\\';
    program += "lptspool-launch.exe";
  }

  std::string command = "\"" + program + "\" \"" + file + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION info{};
  // No handles inherited: the tick's open file must not stay open in a launcher.
  if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE,
                      CREATE_NO_WINDOW | CREATE_NEW_PROCESS_GROUP, nullptr, dir.c_str(), &startup,
                      &info))
    return GetLastError() == ERROR_PATH_NOT_FOUND ? 3 : 2;
  CloseHandle(info.hThread);
  liveLaunchers.push_back(info.hProcess);
  return 42;
}

}  // namespace platform
