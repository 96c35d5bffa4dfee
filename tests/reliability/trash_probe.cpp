// Moves one file of a folder to the running user's trash, as the document list's "Ta bort" does,
// and says what happened: for the trash scenarios, run as other users.
#include <cstdio>
#include <string>

#include "platform/trash.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: trash_probe FOLDER NAME\n", stderr);
    return 2;
  }
  std::string error;
  if (platform::moveToTrash(argv[1], argv[2], error)) return 0;
  std::fprintf(stderr, "trash_probe: %s\n", error.c_str());
  return 1;
}
