#include "launch/script.h"

#include <cstring>

namespace launch {

namespace {

struct Token {
  std::string text;
  bool quoted = false;
};

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string lowered(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// cmd would expand a lone % as a variable, and these split or redirect a bare word; the server
// quotes names that hold them, so a bare one means the script is not the server's.
bool isBareSpecial(char c) {
  return c != '\0' && std::strchr("&|<>^(),;=", c) != nullptr;
}

// Appends text[i], reading %% as %. False for a lone %.
bool takePercent(const std::string& text, std::size_t& i, std::string& out) {
  if (text[i] != '%') {
    out += text[i];
    return true;
  }
  if (i + 1 >= text.size() || text[i + 1] != '%') return false;
  out += '%';
  ++i;
  return true;
}

bool tokenize(const std::string& line, std::vector<Token>& tokens, std::string& error) {
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i >= line.size()) return true;
    Token token;
    if (line[i] == '"') {
      token.quoted = true;
      ++i;
      while (i < line.size() && line[i] != '"') {
        if (!takePercent(line, i, token.text)) return error = "lone % in a name", false;
        ++i;
      }
      if (i >= line.size()) return error = "unterminated quote", false;
      ++i;
      if (i < line.size() && !isBlank(line[i])) return error = "text after a closing quote", false;
    } else {
      while (i < line.size() && !isBlank(line[i])) {
        if (line[i] == '"') return error = "quote inside a word", false;
        if (isBareSpecial(line[i])) return error = "special character in a bare word", false;
        if (!takePercent(line, i, token.text)) return error = "lone % in a name", false;
        ++i;
      }
    }
    tokens.push_back(token);
  }
}

bool isPlainName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7f || c == '/' || c == '\\') return false;
  return true;
}

bool parseLine(const std::string& line, std::vector<ScriptLine>& lines, std::string& error) {
  std::vector<Token> tokens;
  if (!tokenize(line, tokens, error)) return false;
  if (tokens.empty()) return true;
  std::string command = tokens[0].quoted ? std::string() : lowered(tokens[0].text);
  ScriptLine parsed;
  if (command == "copy" && tokens.size() == 3) {
    std::string device = tokens[2].quoted ? std::string() : lowered(tokens[2].text);
    if (device != "lpt1" && device != "lpt1:") return error = "copy to something not lpt1", false;
    parsed.command = ScriptLine::Command::Copy;
  } else if (command == "del" && tokens.size() == 2) {
    parsed.command = ScriptLine::Command::Del;
  } else {
    return error = "not a copy to lpt1 or a del", false;
  }
  parsed.name = tokens[1].text;
  if (!isPlainName(parsed.name)) return error = "not a plain file name", false;
  lines.push_back(parsed);
  return true;
}

}  // namespace

bool parseScript(const std::string& bytes, std::vector<ScriptLine>& lines, std::string& error) {
  std::vector<ScriptLine> parsed;
  std::size_t start = 0;
  for (int number = 1; start <= bytes.size(); ++number) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string why;
    if (!parseLine(line, parsed, why)) {
      error = "line " + std::to_string(number) + ": " + why;
      return false;
    }
    start = end + 1;
  }
  lines.swap(parsed);
  return true;
}

}  // namespace launch
