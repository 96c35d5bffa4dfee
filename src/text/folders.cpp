#include "platform/files.h"
#include "text/text.h"

std::string getXFolder(const std::string& Path, int32_t PartID) {
  const std::string Root = Path.substr(0, 3);
  std::string Rest = Path.size() > 3 ? Path.substr(3) : std::string();
  std::string Acc;
  int32_t i = 0;
  while (!Rest.empty() && i != PartID) {
    const size_t k = Rest.find('\\');
    if (k == std::string::npos) return std::string();  // a middle name without its backslash
    Acc += Rest.substr(0, k) + "\\";
    Rest = Rest.substr(k + 1);
    ++i;
  }
  if (i < 0 || i > PartID || Rest.empty()) return std::string();
  const size_t k = Rest.find('\\');
  return Root + Acc + (k == std::string::npos ? std::string() : Rest.substr(0, k + 1));
}

void MkDirX(const std::string& Path) {
  int32_t n = 0;
  for (std::string S = getXFolder(Path, 0); !S.empty(); S = getXFolder(Path, ++n)) {
    // Most levels exist already; a failure here is expected and harmless.
    platform::MkDir(S.substr(0, S.size() - 1));
  }
}
