// Writes the launcher template print.txt: a program information file (PIF) for running a job's
// batch script hidden, with the two markers the server looks for.
//
// Layout of the basic section (0x171 bytes), then the first section heading:
//   0x000  1  reserved, 0
//   0x001  1  checksum: low byte of the sum of bytes 0x002-0x170
//   0x002 30  title, padded with spaces
//   0x020  2  maximum memory in KB (640)
//   0x022  2  minimum memory in KB (128)
//   0x024 63  program file name: TAB marks the field's first byte, NUL bytes up to 0x062
//   0x063  2  flags: 0x10 = close the window on exit; its low byte is the DLE marker
//   0x065 64  start-up folder (empty: the launcher runs in the spool folder)
//   0x0A5 64  parameters (none)
//   0x0E5  1  video mode (0x7F: text)
//   0x0E6  1  screen pages (1)
//   0x0E7  1  first interrupt vector (0)
//   0x0E8  1  last interrupt vector (0xFF)
//   0x0E9  1  rows (25)
//   0x0EA  1  columns (80)
//   0x0EB  2  window position (0)
//   0x0ED  2  system memory (7)
//   0x0EF 64  shared program path (none)
//   0x12F 64  shared program data file (none)
//   0x16F  2  program flags (0)
//   0x171 22  heading "MICROSOFT PIFEX": name (16), next heading 0xFFFF (none), data offset 0,
//             data length 0x171
// The server replaces the TAB and the field with the batch script's path and NUL padding and
// keeps every other byte. No TAB or DLE may stand before the field: the server takes the first
// of each as the markers.
//
// Usage: make_print_txt OUTPUT
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

void put16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v & 0xFF);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_print_txt OUTPUT\n");
    return 2;
  }
  std::vector<uint8_t> b(0x171 + 22, 0);
  const char* title = "lptspool print job";
  std::memset(&b[0x02], ' ', 30);
  std::memcpy(&b[0x02], title, std::strlen(title));
  put16(b, 0x20, 640);
  put16(b, 0x22, 128);
  b[0x24] = 0x09;          // TAB: the field starts here
  put16(b, 0x63, 0x0010);  // close on exit; the low byte is the DLE that ends the field
  b[0xE5] = 0x7F;
  b[0xE6] = 1;
  b[0xE7] = 0;
  b[0xE8] = 0xFF;
  b[0xE9] = 25;
  b[0xEA] = 80;
  put16(b, 0xED, 7);
  std::memcpy(&b[0x171], "MICROSOFT PIFEX", 15);
  put16(b, 0x171 + 16, 0xFFFF);
  put16(b, 0x171 + 18, 0x0000);
  put16(b, 0x171 + 20, 0x0171);
  unsigned sum = 0;
  for (size_t i = 0x02; i <= 0x170; ++i) sum += b[i];
  b[0x01] = static_cast<uint8_t>(sum & 0xFF);
  for (size_t i = 0; i < 0x24; ++i) {
    if (b[i] == 0x09 || b[i] == 0x10) {
      std::fprintf(stderr, "make_print_txt: a marker byte stands before the field at 0x%zx\n", i);
      return 1;
    }
  }
  std::FILE* out = std::fopen(argv[1], "wb");
  if (!out || std::fwrite(b.data(), 1, b.size(), out) != b.size() || std::fclose(out) != 0) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}
