#include "queue/job_state.h"

#include <ctime>

namespace queue {

namespace {

// One field per line; a backslash or a line end inside a value is escaped.
std::string escaped(const std::string& value) {
  std::string out;
  for (char c : value) {
    if (c == '\\')
      out += "\\\\";
    else if (c == '\n')
      out += "\\n";
    else
      out += c;
  }
  return out;
}

std::string unescaped(const std::string& value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) {
      ++i;
      out += value[i] == 'n' ? '\n' : value[i];
    } else {
      out += value[i];
    }
  }
  return out;
}

bool number(const std::string& text, std::int64_t& value) {
  if (text.empty() || text.size() > 18) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return true;
}

std::tm localTime(std::int64_t when) {
  // The server has one thread, so the shared result of localtime is safe here.
  const std::time_t t = static_cast<std::time_t>(when);
  const std::tm* tm = std::localtime(&t);
  return tm ? *tm : std::tm{};
}

std::string triesNote(const JobRecord& record, std::int64_t now) {
  if (record.tries < 2 || record.since == 0) return "";
  return " (" + std::to_string(record.tries) + " tries since " + clockTime(record.since, now) + ")";
}

}  // namespace

std::string encode(const JobRecord& r) {
  return "lptspool-state 2\nname=" + escaped(r.name) + "\njob=" + r.job.text() +
         "\nkind=" + wordsOf(r.kind).record + "\nreason=" + escaped(r.reason) +
         "\ntries=" + std::to_string(r.tries) + "\nsince=" + std::to_string(r.since) +
         "\nat=" + std::to_string(r.at) + "\npid=" + std::to_string(r.pid) + "\n";
}

bool decode(const std::string& bytes, JobRecord& record) {
  // A record of the first format names no job file: it is no record of any job now.
  const std::string magic = "lptspool-state 2\n";
  if (bytes.compare(0, magic.size(), magic) != 0) return false;
  JobRecord r;
  int seen = 0;
  std::size_t at = magic.size();
  while (at < bytes.size()) {
    const std::size_t end = bytes.find('\n', at);
    if (end == std::string::npos) return false;  // torn: the last line has no end
    const std::string line = bytes.substr(at, end - at);
    at = end + 1;
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "name") {
      r.name = unescaped(value);
    } else if (key == "reason") {
      r.reason = unescaped(value);
    } else if (key == "kind") {
      if (!kindOfRecordWord(value, r.kind)) return false;
    } else if (key == "job") {
      if (!platform::parseIdentity(value, r.job)) return false;
    } else {
      std::int64_t* field = key == "tries"   ? &r.tries
                            : key == "since" ? &r.since
                            : key == "at"    ? &r.at
                            : key == "pid"   ? &r.pid
                                             : nullptr;
      if (!field || !number(value, *field)) return false;
    }
    ++seen;
  }
  if (seen != 8 || r.name.empty()) return false;
  record = r;
  return true;
}

JobRecord advance(const std::optional<JobRecord>& previous, const std::string& name, Kind kind,
                  const std::string& reason, std::int64_t pid, std::int64_t now) {
  JobRecord next;
  if (previous && previous->name == name) next = *previous;
  next.name = name;
  // A failure right after "printing" from the same launcher is the end of the same try.
  const bool sameTry = previous && previous->kind == Kind::Printing && previous->pid == pid;
  if ((kind == Kind::Printing || kind == Kind::Failed) && !sameTry) {
    if (next.tries == 0) next.since = now;
    ++next.tries;
  }
  next.kind = kind;
  next.reason = reason;
  next.at = now;
  next.pid = pid;
  return next;
}

std::string clockTime(std::int64_t when, std::int64_t now) {
  const std::tm t = localTime(when), today = localTime(now);
  char text[32];
  if (t.tm_year == today.tm_year && t.tm_yday == today.tm_yday)
    std::strftime(text, sizeof text, "%H:%M", &t);
  else
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &t);
  return text;
}

std::string reasonText(const JobRecord& r, std::int64_t now) {
  return printableText(r.reason) + triesNote(r, now);
}

std::string stderrLine(const JobRecord& r) {
  const char* word = wordsOf(r.kind).server;
  if (!word) return "";
  const std::string reason = printableText(r.reason);
  if (reason.empty()) return printable(r.name) + ' ' + word;
  // What was printed is told as an aside; why a job waits is the point of the line.
  return printable(r.name) + ' ' + word +
         (r.kind == Kind::Printed ? " (" + reason + ")" : ": " + reason);
}

}  // namespace queue
