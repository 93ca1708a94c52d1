// convert_one_child INPUT OUTPUT: converts one image file as the converter
// does, then writes "peak-kilobytes N" on its standard output (the most
// memory the process held, VmHWM) and exits 0 when the conversion succeeded,
// 1 when it failed, 2 on wrong use. The single-file conversion tests run it
// so that a peak is the conversion's own, measured in a process that
// started empty rather than in a copy of the test program.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "converter/core/ConvertOne.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: convert_one_child INPUT OUTPUT\n");
    return 2;
  }
  const int result = ostrel::ConvertOne(argv[1], argv[2]);
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) {
      std::printf("peak-kilobytes %ld\n", std::strtol(line.c_str() + 6, nullptr, 10));
      break;
    }
  }
  return result == 0 ? 0 : 1;
}
