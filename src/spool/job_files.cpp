#include "spool/job_files.h"

#include <cstring>

#include "text/text.h"

std::string jobNameOf(const std::string& jobFileName) {
  std::string name;
  for (char c : jobFileName)
    if (c != '.') name += c;
  return name;
}

ScriptName scriptNameForm(const std::string& name) {
  if (name.empty()) return ScriptName::Unusable;
  bool quote = false;
  for (unsigned char c : name) {
    if (c < 0x20 || c == 0x7F || c == '"' || c == '\\' || c == '/') return ScriptName::Unusable;
    if (c == ' ' || std::strchr("&|<>^(),;=%", c)) quote = true;
  }
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
