// What the program tells a Windows user: C:\ folders, the printers Windows has, and a refusal at
// start-up where it is seen, on the console the program was started from or in a message box.
#include "platform/host_texts.h"

#include <windows.h>

#include "platform/win32/tell_user.h"
#include "platform/win32/wide_text.h"
// After windows.h, which it needs.
#include <fcntl.h>
#include <io.h>
#include <winspool.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace platform {
namespace {

enum class Output { Nowhere, Console, Away };

// Where a standard handle leads: a console, or away to a file or a pipe. Anything else (none, or
// a device that is no console) counts as nowhere.
Output outputOf(DWORD which) {
  const HANDLE handle = GetStdHandle(which);
  if (!handle || handle == INVALID_HANDLE_VALUE) return Output::Nowhere;
  const DWORD type = GetFileType(handle);
  DWORD mode = 0;
  if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) return Output::Away;
  return type == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode) ? Output::Console
                                                                 : Output::Nowhere;
}

// Refused by AttachConsole when the console is ours already, as Wine gives a windowed program
// started from a console program.
bool hasConsole() {
  const HANDLE console = CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE) return false;
  CloseHandle(console);
  return true;
}

UINT consoleCodePage = 0;
bool onConsole = false;

void restoreCodePage() {
  if (consoleCodePage) SetConsoleOutputCP(consoleCodePage);
  consoleCodePage = 0;
}

// A program without a console of its own still answers the console it was started from (cmd,
// lptspool.com, start /wait): what was not led to a file or a pipe goes there, each stream on its
// own, so that "--queue > list.txt" still fills the file. Our texts are UTF-8; the console shows
// them so while the program speaks, and gets its own code page back.
bool attachOutput() {
  const Output out = outputOf(STD_OUTPUT_HANDLE), err = outputOf(STD_ERROR_HANDLE);
  if (out == Output::Away && err == Output::Away) return true;
  if (!AttachConsole(ATTACH_PARENT_PROCESS) && !hasConsole()) return err != Output::Nowhere;
  onConsole = true;
  if (out == Output::Nowhere) std::freopen("CONOUT$", "w", stdout);
  if (err == Output::Nowhere) std::freopen("CONOUT$", "w", stderr);
  consoleCodePage = GetConsoleOutputCP();
  if (consoleCodePage != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) {
    std::atexit(restoreCodePage);
  } else {
    consoleCodePage = 0;
  }
  return true;
}

const bool outputSeen = attachOutput();

}  // namespace

const char* usageForm() {
  return "PRINTINGDIR=C:\\mapp\\";
}

const char* helpText() {
  return "Usage: lptspool.exe PRINTINGDIR=C:\\folder\\\n"
         "\n"
         "Folder print server: every 7 seconds each *.ps job in the folder is sent, raw and\n"
         "unchanged, to the printer behind LPT1, and removed once printed. The folder is created\n"
         "when missing. A folder with blanks is quoted: \"PRINTINGDIR=C:\\My jobs\\\".\n"
         "LPT1 is the port LPT1, or what the LPT1 environment variable names: a printer Windows\n"
         "has (by its name; the job goes to it raw), a folder (C:\\Printed), or |command.\n"
         "One server runs per folder; starting it again shows the running one.\n"
         "\n"
         "  --queue    list the waiting jobs and their states (state, name, size, reason)\n"
         "  --check    show the printer LPT1 stands for and whether it can work (status 1 if not)\n"
         "  --help     show this text\n"
         "  --version  show the version\n";
}

const char* unsetLpt1Note() {
  return "LPT1 unset: the port LPT1";
}

std::string printersLine(const std::optional<std::string>&) {
  DWORD needed = 0, count = 0;
  EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed,
                &count);
  std::vector<BYTE> buffer(needed ? needed : 1);
  std::string names;
  if (needed && EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4,
                              buffer.data(), needed, &needed, &count)) {
    const auto* printers = reinterpret_cast<const PRINTER_INFO_4A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
      if (!names.empty()) names += ", ";
      names += printers[i].pPrinterName ? printers[i].pPrinterName : "";
    }
  }
  return "Printers:      " + (names.empty() ? std::string("none") : names);
}

bool outputReachesUser() {
  return outputSeen;
}

void releaseConsole() {
  std::fflush(stdout);
  std::fflush(stderr);
  restoreCodePage();
  // A handle on the console would keep it, and its window, alive as long as the server runs: the
  // streams that lead there lead nowhere now. A file or a pipe they were led to stays theirs.
  DWORD mode = 0;
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  const bool inputOnConsole =
      input && input != INVALID_HANDLE_VALUE && GetConsoleMode(input, &mode);
  for (FILE* stream : {stdin, stdout, stderr}) {
    if (!onConsole || (stream == stdin && !inputOnConsole)) continue;
    const int fd = _fileno(stream);
    const HANDLE handle =
        fd < 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) continue;
    const int nowhere = _open("NUL", _O_RDWR);
    if (nowhere < 0) continue;
    _dup2(nowhere, fd);
    _close(nowhere);
  }
  onConsole = false;
  FreeConsole();
}

void tellUser(const std::string& line, const std::string& boxText, bool error) {
  if (outputSeen) {
    std::fprintf(stderr, "lptspool: %s\n", shownText(line).c_str());
    std::fflush(stderr);
    return;
  }
  // Started from Explorer, the Start menu or at login: nobody would see a line.
  MessageBoxW(nullptr, wideText(shownText(boxText)).c_str(), L"lptspool",
              MB_OK | MB_SETFOREGROUND | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

void refuseStart(const std::string& reason, const std::string& boxText) {
  tellUser(reason, boxText, true);
}

}  // namespace platform
