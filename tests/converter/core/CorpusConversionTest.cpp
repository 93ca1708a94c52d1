// The converter over the fuzz corpus: every seed image of the image targets,
// damaged copies of them, and every input kept because it once broke a fuzz
// target, each under a .jpg, .bmp and .tif name in one folder. The run must
// end normally with every file either converted or listed as failed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "converter/core/ConversionDriver.h"
#include "converter/core/ConvertOne.h"
#include "tests/converter/core/FakeConverterUi.h"
#include "tests/fuzz/ImageSeeds.h"

using namespace ostrel;

namespace {

// The seed list is defined by each fuzz target; this program has none of its own.
struct Corpus {
  std::vector<std::pair<std::string, fuzz::Bytes>> files;
  size_t kept = 0;  // inputs read from tests/fuzz/crashes

  Corpus() {
    FuzzSeedList seeds;
    fuzz::AddImageSeeds(seeds);
    for (const auto& [name, bytes] : seeds.Items()) {
      files.emplace_back(name, bytes);
      // Cut in half, and with a header byte changed.
      files.emplace_back(name + "-half",
                         fuzz::Bytes(bytes.begin(), bytes.begin() + bytes.size() / 2));
      fuzz::Bytes flipped = bytes;
      if (flipped.size() > 20) flipped[18] ^= 0x7F;
      files.emplace_back(name + "-flipped", flipped);
    }
    files.emplace_back("empty", fuzz::Bytes{});
    const std::filesystem::path crashes =
        std::filesystem::path(PN_TEST_SOURCE_DIR) / "tests/fuzz/crashes";
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(crashes, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      if (!it->is_regular_file()) continue;
      files.emplace_back(
          it->path().parent_path().filename().string() + "-" + it->path().filename().string(),
          fuzz::WorkFolder::Read(it->path().string()));
      ++kept;
    }
  }
};

}  // namespace

TEST(CorpusConversionTest, EveryFileIsConvertedOrListedAsFailed) {
  test::TempDir tmp;
  test::FakeConverterUi ui;
  const Corpus corpus;
  size_t count = 0;
  for (const auto& [name, bytes] : corpus.files) {
    for (const char* extension : {".jpg", ".bmp", ".tif"}) {
      tmp.File("in/" + name + "-" + (extension + 1) + extension,
               std::string(bytes.begin(), bytes.end()));
      ++count;
    }
  }
  tmp.Dir("out");
  ConversionDriver driver(ui, [](const std::string& in, const std::string& out) {
    return ConvertOne(in.c_str(), out.c_str());
  });
  ConvertRequest request;
  request.input = tmp / "in";
  request.output = tmp / "out";
  driver.OnConvert(request);

  ASSERT_EQ(ui.results.size(), 1u);
  const ConversionResults& results = ui.results[0];
  EXPECT_EQ(results.converted.size() + results.failed.size(), count);
  EXPECT_GT(corpus.kept, 0u) << "no input of tests/fuzz/crashes was read";
  // The valid seeds convert whatever their extension says.
  for (const auto& [name, bytes] : corpus.files) {
    if (name.find("-half") != std::string::npos || name.find("-flipped") != std::string::npos)
      continue;
    const bool seed =
        name.rfind("bmp-", 0) == 0 || name.rfind("tiff-", 0) == 0 || name.rfind("jpeg-", 0) == 0;
    if (!seed) continue;
    for (const char* extension : {"jpg", "bmp", "tif"}) {
      const std::string pdf = tmp / ("out/" + name + "-" + extension + ".PDF");
      EXPECT_TRUE(std::filesystem::exists(pdf)) << pdf;
    }
  }
  EXPECT_EQ(ui.searchOpen, 0);
  EXPECT_EQ(ui.progressOpen, 0);
}
