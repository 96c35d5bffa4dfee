#include "text/text.h"

std::string FText(const std::string& InText, const std::string& BeginText,
                  const std::string& EndText) {
  std::string S = InText;
  if (!BeginText.empty()) {
    // An absent delimiter counts as found at position 0, so the cut starts at its length.
    const size_t found = S.find(BeginText);
    const size_t p = found == std::string::npos ? 0 : found + 1;
    const size_t from = p + BeginText.size();  // 1-based
    S = from > S.size() ? std::string() : S.substr(from - 1);
  }
  if (!EndText.empty()) {
    const size_t q = S.find(EndText);
    if (q == std::string::npos) return std::string();
    S.resize(q);
  }
  return S;
}

bool isText(const std::string& InText, const std::string& FindText) {
  return !InText.empty() && InText.find(FindText) != std::string::npos;
}
