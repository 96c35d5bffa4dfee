#include "platform/win32/wide_text.h"

namespace platform {

std::wstring wideText(const std::string& text, UINT codePage) {
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), n);
  return wide;
}

}  // namespace platform
