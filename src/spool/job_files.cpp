#include "spool/job_files.h"

#include <cstring>

#include "queue/job_standing.h"
#include "text/text.h"

std::string jobNameOf(const std::string& jobFileName) {
  std::string name;
  for (char c : jobFileName)
    if (c != '.') name += c;
  return name;
}

ScriptName scriptNameForm(const std::string& name) {
  if (!queue::scriptCanCarry(name)) return ScriptName::Unusable;
  bool quote = false;
  for (unsigned char c : name)
    if (c == ' ' || std::strchr("&|<>^(),;=%", c)) quote = true;
  return quote ? ScriptName::Quoted : ScriptName::Bare;
}

std::string scriptName(const std::string& name) {
  if (scriptNameForm(name) != ScriptName::Quoted) return name;
  std::string quoted = "\"";
  for (char c : name) {
    quoted += c;
    if (c == '%') quoted += '%';  // a single % would start a variable reference
  }
  return quoted + "\"";
}

std::array<std::string, 4> batchLines(const std::string& jobFileName, const std::string& jobName) {
  const std::string job = scriptName(jobFileName);
  return {"copy " + job + " lpt1" + CRLF, "del " + job + CRLF,
          "del " + scriptName(jobName + ".bat") + CRLF, "del " + scriptName(jobName + ".pif")};
}

size_t launcherFieldRoom(const std::string& templ) {
  return FText(templ, std::string(1, TAB), std::string(1, DLE)).size() + 1;
}

bool buildLauncher(const std::string& templ, const std::string& target, std::string& launcher) {
  const std::string Prefix = FText(templ, "", std::string(1, TAB));
  const std::string Field = FText(templ, std::string(1, TAB), std::string(1, DLE));
  const std::string Tail = FText(templ, std::string(1, DLE), "");
  const long Pad = static_cast<long>(Field.size()) + 1 - static_cast<long>(target.size());
  if (Pad < 0) return false;
  launcher = Prefix + target + std::string(static_cast<size_t>(Pad), '\0') + DLE + Tail;
  return true;
}

std::string shortJobName(const std::string& jobName, unsigned n) {
  const std::string suffix = "~" + std::to_string(n);
  const size_t room = suffix.size() < 8 ? 8 - suffix.size() : 1;
  std::string base;
  for (char c : jobName) {
    if (base.size() == room) break;
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-') base += c;
    if (c >= 'a' && c <= 'z') base += static_cast<char>(c - 'a' + 'A');
  }
  if (base.empty()) base = std::string("JOB").substr(0, room);
  return base + suffix;
}

namespace {

// The name a helper file was written for: its name without the extension the server gives it.
bool stemOf(const std::string& fileName, const char* extension, std::string& stem) {
  if (fileName.size() <= 4 || fileName.compare(fileName.size() - 4, 4, extension) != 0)
    return false;
  stem = fileName.substr(0, fileName.size() - 4);
  return true;
}

// A name as a script line carries it, back to the name: quotes removed, %% read as %.
std::string unscripted(const std::string& word) {
  if (word.size() < 2 || word.front() != '"' || word.back() != '"') return word;
  std::string name;
  for (size_t i = 1; i + 1 < word.size(); ++i) {
    name += word[i];
    if (word[i] == '%' && word[i + 1] == '%') ++i;
  }
  return name;
}

}  // namespace

bool isServerScript(const std::string& fileName, const std::string& bytes) {
  std::string jobName;
  if (!stemOf(fileName, ".bat", jobName) || bytes.compare(0, 5, "copy ") != 0) return false;
  // The job's name as line 2 gives it; rebuilding the four lines from it must give these bytes.
  const size_t second = bytes.find(CRLF);
  const size_t third = bytes.find(CRLF, second + 2);
  if (second == std::string::npos || third == std::string::npos ||
      bytes.compare(second + 2, 4, "del ") != 0)
    return false;
  const std::string jobFileName = unscripted(bytes.substr(second + 6, third - second - 6));
  if (scriptNameForm(jobFileName) == ScriptName::Unusable) return false;
  const std::array<std::string, 4> lines = batchLines(jobFileName, jobName);
  return bytes == lines[0] + lines[1] + lines[2] + lines[3];
}

bool isServerLauncher(const std::string& fileName, const std::string& bytes,
                      const std::string& templ, const std::string& printingDir) {
  std::string jobName, launcher;
  return stemOf(fileName, ".pif", jobName) &&
         buildLauncher(templ, printingDir + jobName + ".bat", launcher) && bytes == launcher;
}
