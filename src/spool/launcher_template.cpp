#include "spool/launcher_template.h"

#include "platform/files.h"
#include "platform/process.h"

bool readLauncherTemplate(std::string& templ) {
  constexpr int kFile = 1;
  if (!platform::OpenForBinaryRead(kFile, platform::appPath() + "\\print.txt")) return false;
  const bool ok = platform::GetAll(kFile, templ);
  return platform::Close(kFile) && ok;
}
