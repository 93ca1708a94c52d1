// The conversion of one image file into a one-page PDF, end to end, on any
// file bytes: it succeeds and leaves a PDF at the output path, or fails and
// leaves nothing there (and no work file anywhere in the folder).
#include <sys/stat.h>

#include <string>

#include "converter/core/ConvertOne.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/FuzzTemp.h"
#include "tests/fuzz/ImageSeeds.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::WorkFolder& folder = fuzz::WorkFolder::Get();
  const std::string input = folder.File("input.img");
  const std::string output = folder.File("output.pdf");
  fuzz::WorkFolder::Write(input, data, size);
  const int32_t result = ostrel::ConvertOne(input.c_str(), output.c_str());
  FUZZ_CHECK(result == 0 || result == -1);
  struct stat info {};
  const bool written = ::stat(output.c_str(), &info) == 0;
  FUZZ_CHECK(written == (result == 0));
  if (written) {
    const fuzz::Bytes pdf = fuzz::WorkFolder::Read(output);
    FUZZ_CHECK(pdf.size() > 8 && std::string(pdf.begin(), pdf.begin() + 5) == "%PDF-");
  }
  ::unlink(input.c_str());
  ::unlink(output.c_str());
  FUZZ_CHECK(folder.Count() == 0);
  return 0;
}

void FuzzSeeds(FuzzSeedList& seeds) { fuzz::AddImageSeeds(seeds); }
