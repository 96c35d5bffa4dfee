// File names on Windows come in the ANSI code page (the A calls), the program's own texts in
// UTF-8: what is shown is decoded piece by piece.
#include <windows.h>

#include "platform/host_texts.h"

namespace platform {
namespace {

// The length of the well-formed UTF-8 sequence at `at` that is not plain ASCII, or 0.
size_t utf8Sequence(const std::string& text, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the bounds of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() - at < length) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
  return length;
}

std::string utf8Of(const wchar_t* wide, int count) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, wide, count, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, wide, count, out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::string shownText(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      out += bytes[i++];
      continue;
    }
    if (const size_t n = utf8Sequence(bytes, i)) {
      out.append(bytes, i, n);
      i += n;
      continue;
    }
    // One character of the ANSI code page: one byte, or two where the code page has lead bytes.
    const int n = IsDBCSLeadByte(c) && i + 1 < bytes.size() ? 2 : 1;
    wchar_t wide[2];
    const int got = MultiByteToWideChar(CP_ACP, 0, bytes.data() + i, n, wide, 2);
    out += got > 0 ? utf8Of(wide, got) : "\xEF\xBF\xBD";
    i += static_cast<size_t>(n);
  }
  return out;
}

}  // namespace platform
