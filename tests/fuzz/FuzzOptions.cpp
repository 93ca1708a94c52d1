// The libFuzzer options a target brings along: its largest input
// (PN_FUZZ_MAX_LEN, from MAX_LEN in Targets.cmake). libFuzzer otherwise takes
// the size of the largest seed, and a few large seeds would make every input
// that large and every run that slow. An option given on the command line
// wins. Linked into the libFuzzer programs only, never into the replay
// runners.
#include <cstring>
#include <string>
#include <vector>

#ifndef PN_FUZZ_MAX_LEN
#error "PN_FUZZ_MAX_LEN must be defined"
#endif

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  for (int i = 1; i < *argc; ++i) {
    if (std::strncmp((*argv)[i], "-max_len=", 9) == 0) return 0;
  }
  // libFuzzer reads the options after this call and copies them; the new
  // vector only has to outlive the call, but stays for the process.
  static std::string option = "-max_len=" + std::to_string(PN_FUZZ_MAX_LEN);
  static std::vector<char*> args;
  args.assign(*argv, *argv + *argc);
  args.insert(args.begin() + 1, option.data());
  args.push_back(nullptr);
  *argc += 1;
  *argv = args.data();
  return 0;
}
