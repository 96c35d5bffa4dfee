// A print command for the tests: appends its standard input to the file named by its argument.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  std::FILE* out = std::fopen(argv[1], "ab");
  if (!out) return 1;
  _setmode(_fileno(stdin), _O_BINARY);  // no CR LF or Ctrl-Z handling
  char buffer[65536];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, stdin)) > 0;)
    if (std::fwrite(buffer, 1, n, out) != n) return 1;
  return std::fclose(out) == 0 && !std::ferror(stdin) ? 0 : 1;
}
