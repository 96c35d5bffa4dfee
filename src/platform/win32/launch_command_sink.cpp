#include <cstdlib>

#include "platform/launch_sink.h"
#include "platform/program_lookup.h"
#include "platform/win32/launch_sink_win32.h"
#include "platform/win32/launch_win32.h"

namespace platform {

namespace {

std::string systemFolder() {
  char folder[MAX_PATH + 1] = {};
  const UINT n = ::GetSystemDirectoryA(folder, sizeof folder);
  return n > 0 && n < sizeof folder ? std::string(folder) : std::string("C:\\Windows\\System32");
}

// Commands start in the user's own folder: one started in the spool folder would take a
// program dropped there for the one it names.
std::string profileFolder() {
  const char* profile = std::getenv("USERPROFILE");
  if (profile && *profile) return profile;
  char temp[MAX_PATH + 1] = {};
  const DWORD n = ::GetTempPathA(sizeof temp, temp);
  return n > 0 && n < sizeof temp ? std::string(temp) : systemFolder();
}

bool inheritable(HANDLE from, OwnedHandle& to) {
  HANDLE h = nullptr;
  if (!::DuplicateHandle(::GetCurrentProcess(), from, ::GetCurrentProcess(), &h, 0, TRUE,
                         DUPLICATE_SAME_ACCESS))
    return false;
  to.reset(h);
  return true;
}

// The job is gathered in a scratch copy and the command started at commit with that copy as its
// standard input. A launcher killed while the command runs leaves it the whole job, never a
// cut-off pipe that would look like the job's end.
class CommandSink : public StagedSink {
 public:
  CommandSink(OwnedHandle lock, OwnedHandle copy, std::string program, std::string commandLine,
              bool quiet)
      : lock_(std::move(lock)),
        copy_(std::move(copy)),
        program_(std::move(program)),
        commandLine_(std::move(commandLine)),
        quiet_(quiet) {}

  bool write(const char* data, std::size_t size) override {
    return writeAll(copy_.get(), data, size) || failWith(error_, "write job copy");
  }

  bool commit() override {
    LARGE_INTEGER zero = {};
    OwnedHandle input, output, errors;
    if (!::SetFilePointerEx(copy_.get(), zero, nullptr, FILE_BEGIN) ||
        !inheritable(copy_.get(), input) || !standardOutputs(output, errors))
      return failWith(error_, "job copy");
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    start.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    start.wShowWindow = SW_HIDE;
    start.hStdInput = input.get();
    start.hStdOutput = output.get();
    start.hStdError = errors.get();
    PROCESS_INFORMATION child = {};
    std::string line = commandLine_;
    const std::string folder = profileFolder();
    if (!::CreateProcessA(program_.c_str(), &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                          nullptr, folder.c_str(), &start, &child))
      return failWith(error_, program_);
    OwnedHandle process(child.hProcess), thread(child.hThread);
    input.reset();
    copy_.reset();
    DWORD status = 1;
    if (::WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 ||
        !::GetExitCodeProcess(process.get(), &status))
      return failWith(error_, program_);
    if (status == 0) return true;
    error_ = "command exited with status " + std::to_string(status);
    return false;
  }

  // Nothing was started yet: dropping the copy is all.
  void abort() override { copy_.reset(); }

 private:
  // Ours when they lead somewhere and we are not quiet; otherwise NUL.
  bool standardOutputs(OwnedHandle& output, OwnedHandle& errors) {
    auto open = [this](DWORD which, OwnedHandle& to) {
      HANDLE ours = ::GetStdHandle(which);
      if (!quiet_ && ours && ours != INVALID_HANDLE_VALUE && inheritable(ours, to)) return true;
      SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
      to.reset(::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                             OPEN_EXISTING, 0, nullptr));
      return static_cast<bool>(to);
    };
    return open(STD_OUTPUT_HANDLE, output) && open(STD_ERROR_HANDLE, errors);
  }

  OwnedHandle lock_;
  OwnedHandle copy_;
  std::string program_;
  std::string commandLine_;
  bool quiet_;
};

}  // namespace

std::vector<std::string> shellCommand(const std::string& command) {
  // /d: no AutoRun commands from the registry; /s: cmd takes off exactly the outer quotes, so
  // the command reaches it as written.
  return {systemFolder() + "\\cmd.exe", "/d", "/s", "/c", "\"" + command + "\""};
}

std::unique_ptr<Sink> openCommandSink(const std::vector<std::string>& argv, bool quiet,
                                      std::string& error) {
  std::string program;
  if (argv.empty()) return error = "no command", nullptr;
  if (!findProgram(argv[0], program)) return error = argv[0] + ": not found on PATH", nullptr;
  // Windows hands a program one command line: the words go as given, joined by spaces.
  std::string line = "\"" + program + "\"";
  for (std::size_t i = 1; i < argv.size(); ++i) line += " " + argv[i];
  OwnedHandle lock, copy;
  if (!lockSink("command " + line, lock, error) || !openJobCopy(copy, error)) return nullptr;
  return std::make_unique<CommandSink>(std::move(lock), std::move(copy), program, line, quiet);
}

}  // namespace platform
