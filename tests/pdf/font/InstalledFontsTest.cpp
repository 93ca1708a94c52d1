// The installed TrueType faces, listed by fontconfig and measured with
// FreeType. scripts/setup.sh installs fonts-dejavu-core, whose "DejaVu Sans"
// and "DejaVu Sans Mono" the tests measure; a machine without them fails
// here rather than skipping.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "pdf/composite/CPDFEnv.h"
#include "pdf/font/FontconfigFontSource.h"
#include "pdf/font/TrueTypeFontInfo.h"
#include "tests/platform/ScopedTestState.h"

namespace {

constexpr const char* kDejaVuFolder = "/usr/share/fonts/truetype/dejavu/";
constexpr const char* kMissingFonts = "fonts-dejavu-core is missing: run scripts/setup.sh";

int32_t Advance(const TrueTypeFontInfo& info, uint8_t code) {
  const ABC* abc = info.GetABC(code);
  return abc ? abc->A + static_cast<int32_t>(abc->B) + abc->C : 0;
}

int32_t Measure(const TrueTypeFontInfo& info, const std::string& text) {
  int32_t sum = 0;
  for (unsigned char c : text) sum += Advance(info, c);
  return sum;
}

struct Record {
  std::string fullName;
  uint8_t charSet;
};

std::vector<Record> Collect(TrueTypeFontSource& source) {
  std::vector<Record> records;
  source.Enumerate([&](std::unique_ptr<TrueTypeFontInfo> info) {
    ASSERT_TRUE(info);
    EXPECT_EQ(info->logFont.lfHeight, -1000);
    EXPECT_EQ(info->textMetric.tmFirstChar, 32);
    EXPECT_EQ(info->textMetric.tmLastChar, 255);
    EXPECT_TRUE(info->HasWidths());
    records.push_back({info->logFont.elfFullName.c_str(), info->logFont.lfCharSet});
  });
  return records;
}

void CopyFile(const std::string& from, const std::string& to, size_t limit = std::string::npos) {
  std::ifstream in(from, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::ofstream(to, std::ios::binary) << bytes.substr(0, limit);
}

TEST(FontconfigFontSourceTest, CharSetsComeFromCodePagesElseFromCmaps) {
  using Source = FontconfigFontSource::CharSetSource;
  const struct {
    Source face;
    std::vector<uint8_t> charSets;
  } cases[] = {
      {{true, 1u, true, true}, {kAnsiCharSet}},
      {{true, 1u | 1u << 17 | 1u << 29, true, true}, {kShiftJISCharSet, kMacCharSet, kAnsiCharSet}},
      {{true, 1u << 17, false, false}, {kShiftJISCharSet}},
      {{true, 1u << 3, true, true}, {}},                      // Greek only: the cmaps do not count
      {{false, 0, true, true}, {kMacCharSet, kAnsiCharSet}},  // no code-page fields
      {{true, 0, true, false}, {kAnsiCharSet}},               // empty code-page fields
      {{false, 0, false, false}, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FontconfigFontSource::CharSetsOf(c.face), c.charSets)
        << std::hex << c.face.codePageRange1 << " " << c.face.hasWindowsUnicode;
  }
}

TEST(FontconfigFontSourceTest, CodesBecomeCharactersThroughTheCodePage) {
  const struct {
    uint8_t charSet;
    uint8_t code;
    uint32_t unicode;
  } cases[] = {
      {kAnsiCharSet, 'A', 'A'},     {kAnsiCharSet, 0x80, 0x20AC},
      {kAnsiCharSet, 0x81, 0},      {kAnsiCharSet, 0xE9, 0xE9},
      {kMacCharSet, 0x80, 0xC4},    {kMacCharSet, 0xA5, 0x2022},
      {kShiftJISCharSet, 'A', 'A'}, {kShiftJISCharSet, 0xB1, 0xFF71},
      {kShiftJISCharSet, 0x81, 0},  {kShiftJISCharSet, 0xE0, 0},  // lead bytes
      {kShiftJISCharSet, 0xA0, 0},  {161, 'A', 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FontconfigFontSource::CodeToUnicode(c.charSet, c.code), c.unicode)
        << int(c.charSet) << " " << int(c.code);
  }
}

TEST(FontconfigFontSourceTest, InstalledFacesAreFoundAndMeasured) {
  CPDFEnv env;  // the system's fonts: the default source
  TrueTypeFontInfo* mono = env.GetTrueTypeFontInfo("DejaVu Sans Mono");
  ASSERT_TRUE(mono) << kMissingFonts;
  EXPECT_EQ(mono->logFont.lfCharSet, kAnsiCharSet);
  EXPECT_EQ(mono->logFont.lfHeight, -1000);
  EXPECT_STREQ(mono->logFont.lfFaceName.c_str(), "DejaVu Sans Mono");
  EXPECT_EQ(mono->textMetric.tmFirstChar, 32);
  EXPECT_EQ(mono->textMetric.tmLastChar, 255);
  for (int code = 32; code < 127; ++code)
    EXPECT_EQ(Advance(*mono, static_cast<uint8_t>(code)), 602) << code;
  EXPECT_FALSE(mono->GetABC(31));
  EXPECT_GT(mono->outlineMetric.otmMacAscent, 0);
  EXPECT_LT(mono->outlineMetric.otmMacDescent, 0);
  EXPECT_LT(mono->outlineMetric.otmrcFontBox.left, mono->outlineMetric.otmrcFontBox.right);
  EXPECT_GT(mono->outlineMetric.otmrcFontBox.top, mono->outlineMetric.otmrcFontBox.bottom);

  TrueTypeFontInfo* sans = env.GetTrueTypeFontInfo("DejaVu Sans");
  ASSERT_TRUE(sans) << kMissingFonts;
  EXPECT_EQ(Measure(*sans, "Hello"), 2535);
  EXPECT_EQ(Measure(*sans, "A"), 684);
  EXPECT_GT(Advance(*sans, 0x80), 0);  // the euro sign of code page 1252
  // The spaced name of "DejaVuSans" is "Deja Vu Sans"; the PostScript name
  // finds the face.
  EXPECT_EQ(env.GetTrueTypeFontInfo("DejaVuSans"), sans);
  EXPECT_STREQ(sans->postScriptName.c_str(), "DejaVuSans");

  // CFF-flavoured OpenType faces are not TrueType.
  for (auto it = env.TrueTypeCache().Begin(); !it.IsEnd(); it.Next())
    EXPECT_EQ(std::string(it.GetKey()->c_str()).find("CJK"), std::string::npos)
        << it.GetKey()->c_str();
}

TEST(FontconfigFontSourceTest, FolderSourceListsItsFacesInOrder) {
  pntest::TempFolder folder;
  const std::string mono = std::string(kDejaVuFolder) + "DejaVuSansMono.ttf";
  const std::string sans = std::string(kDejaVuFolder) + "DejaVuSans.ttf";
  ASSERT_TRUE(std::filesystem::exists(mono)) << kMissingFonts;
  ASSERT_TRUE(std::filesystem::exists(sans)) << kMissingFonts;
  std::filesystem::create_directory(folder.Folder() + "b");
  CopyFile(mono, folder.Folder() + "b/mono.ttf");
  CopyFile(sans, folder.Folder() + "a.ttf");
  CopyFile(sans, folder.Folder() + "cut.ttf", 4000);  // a damaged copy
  std::ofstream(folder.Folder() + "junk.ttf") << "not a font";

  FontconfigFontSource source(folder.Folder());
  const std::vector<Record> records = Collect(source);
  ASSERT_FALSE(records.empty());
  // By file: a.ttf first, then b/mono.ttf; each face ends with ANSI.
  std::vector<std::string> order;
  for (const Record& r : records) {
    if (order.empty() || order.back() != r.fullName) order.push_back(r.fullName);
    EXPECT_TRUE(r.charSet == kAnsiCharSet || r.charSet == kMacCharSet) << int(r.charSet);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"DejaVu Sans", "DejaVu Sans Mono"}));
  EXPECT_EQ(records.back().charSet, kAnsiCharSet);

  // The same folder gives the same records.
  FontconfigFontSource again(folder.Folder());
  const std::vector<Record> second = Collect(again);
  ASSERT_EQ(second.size(), records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    EXPECT_EQ(second[i].fullName, records[i].fullName);
    EXPECT_EQ(second[i].charSet, records[i].charSet);
  }

  // Through the environment, as its source.
  CPDFEnv env;
  env.SetTrueTypeFontSource(std::make_unique<FontconfigFontSource>(folder.Folder()));
  ASSERT_TRUE(env.GetTrueTypeFontInfo("DejaVu Sans Mono"));
  EXPECT_EQ(Advance(*env.GetTrueTypeFontInfo("DejaVu Sans Mono"), 'x'), 602);
  EXPECT_FALSE(env.GetTrueTypeFontInfo("DejaVu Serif"));
}

TEST(FontconfigFontSourceTest, FilesThatAreNotFacesGiveNoRecords) {
  pntest::TempFolder folder;
  const std::string sans = std::string(kDejaVuFolder) + "DejaVuSans.ttf";
  ASSERT_TRUE(std::filesystem::exists(sans)) << kMissingFonts;
  std::ofstream(folder.Folder() + "junk.ttf") << "not a font";
  for (size_t cut : {size_t{12}, size_t{300}, size_t{4000}, size_t{60000}})
    CopyFile(sans, folder.Folder() + "cut" + std::to_string(cut) + ".ttf", cut);

  int records = 0;
  auto count = [&](std::unique_ptr<TrueTypeFontInfo>) { ++records; };
  FontconfigFontSource::EnumerateFace((folder.Folder() + "missing.ttf").c_str(), 0, "X", "X",
                                      count);
  FontconfigFontSource::EnumerateFace((folder.Folder() + "junk.ttf").c_str(), 0, "X", "X", count);
  FontconfigFontSource::EnumerateFace(sans.c_str(), 5, "X", "X", count);  // no such face
  EXPECT_EQ(records, 0);
  // Damaged copies: whatever reads, nothing crashes.
  for (size_t cut : {size_t{12}, size_t{300}, size_t{4000}, size_t{60000}}) {
    FontconfigFontSource::EnumerateFace(
        (folder.Folder() + "cut" + std::to_string(cut) + ".ttf").c_str(), 0, "X", "X", count);
  }
  FontconfigFontSource::EnumerateFace(sans.c_str(), 0, "DejaVu Sans", "DejaVu Sans", count);
  EXPECT_GE(records, 1);
}

}  // namespace
