#include "platform/dos_path.h"

namespace platform {

bool isExistingDrive(const std::string& dos) {
  return dos.size() >= 3 && (dos[0] == 'Z' || dos[0] == 'z') && dos[1] == ':' && dos[2] == '\\';
}

bool toHostPath(const std::string& dos, std::string& host) {
  if (!isExistingDrive(dos) || dos.find('/') != std::string::npos) return false;
  std::string out = dos.substr(2);
  for (char& c : out)
    if (c == '\\') c = '/';
  host = out;
  return true;
}

bool toDosPath(const std::string& host, std::string& dos) {
  if (host.empty() || host[0] != '/' || host.find('\\') != std::string::npos) return false;
  std::string out = "Z:" + host;
  for (char& c : out)
    if (c == '/') c = '\\';
  dos = out;
  return true;
}

}  // namespace platform
