// How a name or a printer's text is put on screen: stderr, --queue and the document list all show
// it through printable(), so a name reads the same everywhere and reads back to one name only.
#include <cstdint>

#include "platform/host_texts.h"
#include "queue/job_state.h"

namespace queue {

namespace {

// Characters that are invisible or rearrange the text around them: the format characters
// (bidirectional overrides and isolates, zero-width characters, the soft hyphen, tags, ...)
// and the line and paragraph separators. Closed ranges of code points.
constexpr std::uint32_t kHidden[][2] = {
    {0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},   {0x06DD, 0x06DD},
    {0x070F, 0x070F},   {0x0890, 0x0891},   {0x08E2, 0x08E2},   {0x180E, 0x180E},
    {0x200B, 0x200F},   {0x2028, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
    {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD}, {0x110CD, 0x110CD},
    {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3}, {0x1D173, 0x1D17A}, {0xE0001, 0xE0001},
    {0xE0020, 0xE007F},
};

bool hidden(std::uint32_t c) {
  if (c >= 0x80 && c <= 0x9F) return true;  // C1 controls
  for (const auto& range : kHidden)
    if (c >= range[0] && c <= range[1]) return true;
  return false;
}

// The length of the well-formed UTF-8 sequence at `at` and its code point; 0 when the bytes
// there are not one (a stray byte, an overlong form, a surrogate, beyond U+10FFFF, cut short).
std::size_t utf8At(const std::string& text, std::size_t at, std::uint32_t& code) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  std::size_t length;
  std::uint32_t min;
  if (lead >= 0xC2 && lead <= 0xDF)
    length = 2, min = 0x80, code = lead & 0x1F;
  else if (lead >= 0xE0 && lead <= 0xEF)
    length = 3, min = 0x800, code = lead & 0x0F;
  else if (lead >= 0xF0 && lead <= 0xF4)
    length = 4, min = 0x10000, code = lead & 0x07;
  else
    return 0;
  if (text.size() - at < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(at + i) & 0x3F);
  }
  if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

void escapeByte(std::string& out, unsigned char c) {
  static const char* hex = "0123456789abcdef";
  out += "\\x";
  out += hex[c >> 4];
  out += hex[c & 15];
}

std::string shown(const std::string& bytes, bool escapeBackslash) {
  // Names on Windows come in the ANSI code page: decoded first, as everywhere they are shown.
  const std::string text = platform::shownText(bytes);
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if (c < 0x80) {
      if (c < 0x20 || c == 0x7f || (escapeBackslash && c == '\\'))
        escapeByte(out, c);
      else
        out += static_cast<char>(c);
      ++at;
      continue;
    }
    std::uint32_t code = 0;
    const std::size_t length = utf8At(text, at, code);
    if (length == 0 || hidden(code)) {
      // Every byte of it: what cannot be shown as it is, is shown as what it is made of.
      for (std::size_t i = 0; i < (length ? length : 1); ++i)
        escapeByte(out, static_cast<unsigned char>(text[at + i]));
      at += length ? length : 1;
    } else {
      out.append(text, at, length);
      at += length;
    }
  }
  return out;
}

}  // namespace

std::string printable(const std::string& name) {
  // The backslash too: a name holding the text \x0a must not read as one holding a newline.
  return shown(name, true);
}

std::string printableText(const std::string& text) {
  return shown(text, false);
}

}  // namespace queue
