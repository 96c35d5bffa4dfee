// The bytes of a job's helper files: its four-line batch script and its launcher, built from the
// template beside the executable. Pure functions; the tick decides when they are written.
#pragma once

#include <array>
#include <cstddef>
#include <string>

constexpr char TAB = '\x09';
constexpr char DLE = '\x10';
constexpr const char* CRLF = "\r\n";

// The job file name with every "." removed: Invoice.2.ps -> Invoice2ps.
std::string jobNameOf(const std::string& jobFileName);

// How a name stands in a batch script: bare when it can, double-quoted (with % doubled) when a
// space or a batch metacharacter would split or change it, and not at all when no quoting can
// carry it (control characters, '"', '\', '/').
enum class ScriptName { Bare, Quoted, Unusable };
ScriptName scriptNameForm(const std::string& name);
std::string scriptName(const std::string& name);

// The four lines, each with its line end except the last.
std::array<std::string, 4> batchLines(const std::string& jobFileName, const std::string& jobName);

// How many bytes of path the template's field holds: the TAB and the bytes up to the first DLE
// after it; 1 when the template has no usable field, which no path fits.
size_t launcherFieldRoom(const std::string& templ);

// Prefix + target + NUL padding + DLE + tail. False, leaving `launcher` untouched, when the target
// does not fit the field.
bool buildLauncher(const std::string& templ, const std::string& target, std::string& launcher);

// The n-th short job name for a job name, the way long file names get 8.3 aliases: up to eight
// characters, the first letters and digits of the name, '~', n. For example QUARTE~1.
std::string shortJobName(const std::string& jobName, unsigned n);

// Whether a file in the spool folder is a helper file this server writes, told by its name and its
// bytes alone: a script of exactly the four lines written for its own job name, or a launcher built
// from the template for this folder's script of the same name. The sweep removes only these, so a
// user's own backup.bat or notes.pif in the folder survives.
constexpr size_t kMaxScriptBytes = 4096;  // four lines of names of at most 255 bytes, quoted
bool isServerScript(const std::string& fileName, const std::string& bytes);
bool isServerLauncher(const std::string& fileName, const std::string& bytes,
                      const std::string& templ, const std::string& printingDir);
