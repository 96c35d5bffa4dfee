// The command tail as Windows passes it to a program: what follows the program's name, quotes and
// all. cmd users write the folder without quotes or quote the whole argument; both become the
// quoted form the start-up reads.
#include <cctype>

#include "platform/process.h"

namespace platform {
namespace {

constexpr const char kKeyword[] = "PRINTINGDIR=";
constexpr size_t kKeywordSize = sizeof kKeyword - 1;

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

bool keywordAt(const std::string& line, size_t at) {
  if (line.size() - at < kKeywordSize) return false;
  for (size_t i = 0; i < kKeywordSize; ++i)
    if (std::toupper(static_cast<unsigned char>(line[at + i])) != kKeyword[i]) return false;
  return true;
}

}  // namespace

std::string commandTailOf(const std::string& line) {
  // The program's name: up to the closing quote when quoted, else up to the first blank.
  size_t at = 0;
  if (!line.empty() && line[0] == '"') {
    const size_t close = line.find('"', 1);
    at = close == std::string::npos ? line.size() : close + 1;
  } else {
    while (at < line.size() && !isBlank(line[at])) ++at;
  }
  while (at < line.size() && isBlank(line[at])) ++at;
  const std::string tail = line.substr(at);

  std::string out;
  for (size_t i = 0; i < tail.size();) {
    const bool wholeQuoted = tail[i] == '"' && keywordAt(tail, i + 1);
    const size_t key = wholeQuoted ? i + 1 : i;
    if (!keywordAt(tail, key) || (key > 0 && !isBlank(tail[key - 1]) && !wholeQuoted)) {
      out += tail[i++];
      continue;
    }
    const size_t value = key + kKeywordSize;
    if (value >= tail.size() || tail[value] == '"' || isBlank(tail[value])) {
      out.append(tail, i, value - i);
      i = value;
      continue;
    }
    // "PRINTINGDIR=C:\Program Files\Jobs" runs to its closing quote, PRINTINGDIR=C:\Jobs to the
    // next blank.
    size_t end = value;
    while (end < tail.size() && tail[end] != '"' && (wholeQuoted || !isBlank(tail[end]))) ++end;
    out += tail.substr(key, kKeywordSize) + '"' + tail.substr(value, end - value) + '"';
    i = wholeQuoted && end < tail.size() ? end + 1 : end;
  }
  return out;
}

}  // namespace platform
