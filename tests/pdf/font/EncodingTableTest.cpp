// Encoding tables: the five predefined encodings row by row (through a
// digest of their text), the facts of the published tables, the fill order,
// the "G%02X" names every table understands, and the glyph names that
// stand for characters.
#include <gtest/gtest.h>
#include <md5.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "pdf/font/EncodingTable.h"

namespace {

// One line "code name" per code the table defines, in ascending order.
std::string Dump(const EncodingTable& table) {
  std::string text;
  for (int code = 0; code < 256; ++code) {
    if (const char* name = table.FindGlyphName(static_cast<uint8_t>(code))) {
      text += std::to_string(code) + " " + name + "\n";
    }
  }
  return text;
}

std::string Md5(const std::string& text) {
  MD5_CTX context;
  MD5Init(&context);
  MD5Update(&context, reinterpret_cast<const uint8_t*>(text.data()), text.size());
  uint8_t digest[MD5_DIGEST_LENGTH];
  MD5Final(digest, &context);
  static const char kHex[] = "0123456789abcdef";
  std::string hex;
  for (uint8_t byte : digest) {
    hex += kHex[byte >> 4];
    hex += kHex[byte & 15];
  }
  return hex;
}

// The codes the table defines.
std::vector<int> Codes(const EncodingTable& table) {
  std::vector<int> codes;
  for (int code = 0; code < 256; ++code) {
    if (table.FindGlyphName(static_cast<uint8_t>(code))) codes.push_back(code);
  }
  return codes;
}

std::vector<int> Range(int first, int last, std::vector<int> without = {}) {
  std::vector<int> codes;
  size_t skip = 0;
  for (int code = first; code <= last; ++code) {
    if (skip < without.size() && without[skip] == code) {
      ++skip;
      continue;
    }
    codes.push_back(code);
  }
  return codes;
}

std::string Name(const EncodingTable& table, int code) {
  const char* name = table.FindGlyphName(static_cast<uint8_t>(code));
  return name ? name : "<undefined>";
}

int Code(const EncodingTable& table, const char* name) {
  uint8_t code = 0;
  return table.GetCode(name, code) ? code : -1;
}

struct Digest {
  const char* encoding;
  size_t rows;
  size_t bytes;
  const char* md5;
};

class PredefinedEncoding : public testing::TestWithParam<Digest> {};

TEST_P(PredefinedEncoding, EveryRowIsByteExact) {
  const Digest& expected = GetParam();
  EncodingTable table;
  ASSERT_TRUE(table.LoadStandard(expected.encoding));
  const std::string text = Dump(table);
  EXPECT_EQ(Codes(table).size(), expected.rows);
  EXPECT_EQ(text.size(), expected.bytes);
  EXPECT_EQ(Md5(text), expected.md5);
  // Every defined code leads back to itself or to a lower code of the same
  // name, and its name is what GetGlyphName answers.
  for (int code : Codes(table)) {
    TempString name;
    EXPECT_TRUE(table.GetGlyphName(static_cast<uint8_t>(code), name));
    EXPECT_EQ(name.c_str(), Name(table, code));
    const int back = Code(table, name.c_str());
    EXPECT_LE(back, code) << name.c_str();
    EXPECT_EQ(Name(table, back), name.c_str());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Tables, PredefinedEncoding,
    testing::Values(Digest{"StandardEncoding", 149, 1438, "92f8475c1eb93c9faa3de11ec7578673"},
                    Digest{"WinAnsiEncoding", 224, 2386, "9a1bbeb33927715827939403743d20e4"},
                    Digest{"MacRomanEncoding", 208, 2187, "b39627cbc9c974baf431e0e8bd35aa2a"},
                    Digest{"MacExpertEncoding", 165, 2497, "1815e903a98516d9151cf32285f8da41"},
                    Digest{"PDFDocEncoding", 229, 2434, "5e778039bffe8c5937372bcbc60abd91"}),
    [](const testing::TestParamInfo<Digest>& info) { return std::string(info.param.encoding); });

std::unique_ptr<EncodingTable> Loaded(const char* encoding) {
  auto table = std::make_unique<EncodingTable>();
  EXPECT_TRUE(table->LoadStandard(encoding)) << encoding;
  return table;
}

TEST(PredefinedEncodingFacts, WinAnsiTextBeginsWithTheAsciiRows) {
  const std::string first = "32 space\n33 exclam\n34 quotedbl\n";
  EXPECT_EQ(Dump(*Loaded("WinAnsiEncoding")).substr(0, first.size()), first);
}

TEST(PredefinedEncodingFacts, CodeRanges) {
  EXPECT_EQ(Codes(*Loaded("StandardEncoding")).front(), 32);
  EXPECT_EQ(Codes(*Loaded("StandardEncoding")).back(), 251);
  EXPECT_EQ(Codes(*Loaded("WinAnsiEncoding")), Range(32, 255));
  EXPECT_EQ(Codes(*Loaded("MacRomanEncoding")), Range(32, 255,
                                                      {127, 173, 176, 178, 179, 182, 183, 184, 185,
                                                       186, 189, 195, 197, 198, 215, 240}));
  EXPECT_EQ(Codes(*Loaded("MacExpertEncoding")).front(), 32);
  EXPECT_EQ(Codes(*Loaded("MacExpertEncoding")).back(), 251);
  EXPECT_EQ(Codes(*Loaded("PDFDocEncoding")), Range(24, 255, {127, 159, 173}));
}

TEST(PredefinedEncodingFacts, ExtraCodesOfTheNotes) {
  const auto win = Loaded("WinAnsiEncoding");
  for (int code : {127, 129, 141, 143, 144, 157}) EXPECT_EQ(Name(*win, code), "bullet") << code;
  EXPECT_EQ(Name(*win, 160), "space");
  EXPECT_EQ(Name(*win, 173), "hyphen");
  EXPECT_EQ(Name(*Loaded("MacRomanEncoding"), 202), "space");
}

TEST(PredefinedEncodingFacts, SpotRows) {
  struct Spot {
    const char* encoding;
    int code;
    const char* name;
  } const spots[] = {
      {"StandardEncoding", 39, "quoteright"},   {"StandardEncoding", 96, "quoteleft"},
      {"StandardEncoding", 164, "fraction"},    {"StandardEncoding", 168, "currency"},
      {"StandardEncoding", 169, "quotesingle"}, {"StandardEncoding", 208, "emdash"},
      {"StandardEncoding", 225, "AE"},          {"StandardEncoding", 251, "germandbls"},
      {"WinAnsiEncoding", 39, "quotesingle"},   {"WinAnsiEncoding", 96, "grave"},
      {"WinAnsiEncoding", 128, "Euro"},         {"WinAnsiEncoding", 130, "quotesinglbase"},
      {"WinAnsiEncoding", 142, "Zcaron"},       {"WinAnsiEncoding", 158, "zcaron"},
      {"WinAnsiEncoding", 159, "Ydieresis"},    {"MacRomanEncoding", 128, "Adieresis"},
      {"MacRomanEncoding", 160, "dagger"},      {"MacRomanEncoding", 219, "currency"},
      {"MacRomanEncoding", 222, "fi"},          {"MacRomanEncoding", 223, "fl"},
      {"MacRomanEncoding", 255, "caron"},       {"MacExpertEncoding", 33, "exclamsmall"},
      {"MacExpertEncoding", 86, "ff"},          {"MacExpertEncoding", 123, "colonmonetary"},
      {"MacExpertEncoding", 251, "Ringsmall"},  {"PDFDocEncoding", 24, "breve"},
      {"PDFDocEncoding", 25, "caron"},          {"PDFDocEncoding", 26, "circumflex"},
      {"PDFDocEncoding", 27, "dotaccent"},      {"PDFDocEncoding", 28, "hungarumlaut"},
      {"PDFDocEncoding", 29, "ogonek"},         {"PDFDocEncoding", 30, "ring"},
      {"PDFDocEncoding", 31, "tilde"},          {"PDFDocEncoding", 128, "bullet"},
      {"PDFDocEncoding", 160, "Euro"},
  };
  for (const Spot& spot : spots) {
    EXPECT_EQ(Name(*Loaded(spot.encoding), spot.code), spot.name)
        << spot.encoding << " " << spot.code;
  }
}

TEST(PredefinedEncodingFacts, LongestNameIsThreequartersemdash) {
  size_t longest = 0;
  std::string which;
  for (const char* encoding : {"StandardEncoding", "WinAnsiEncoding", "MacRomanEncoding",
                               "MacExpertEncoding", "PDFDocEncoding"}) {
    const auto table = Loaded(encoding);
    for (int code : Codes(*table)) {
      if (Name(*table, code).size() > longest) {
        longest = Name(*table, code).size();
        which = Name(*table, code);
      }
    }
  }
  EXPECT_EQ(longest, 19u);
  EXPECT_EQ(which, "threequartersemdash");
}

// The tables go in from the highest code down: a name at several codes
// leads back to the lowest.
TEST(EncodingTableFill, NameAtSeveralCodesLeadsToTheLowest) {
  const auto win = Loaded("WinAnsiEncoding");
  EXPECT_EQ(Code(*win, "bullet"), 127);
  EXPECT_EQ(Code(*win, "space"), 32);
  EXPECT_EQ(Code(*win, "hyphen"), 45);
  const auto mac = Loaded("MacRomanEncoding");
  TempString name;
  EXPECT_TRUE(mac->GetGlyphName(202, name));
  EXPECT_STREQ(name.c_str(), "space");
  EXPECT_EQ(Code(*mac, "space"), 32);
}

TEST(EncodingTableNames, UndefinedCodeAnswersItsGName) {
  const auto win = Loaded("WinAnsiEncoding");
  TempString name("stale text that is longer than the answer");
  EXPECT_FALSE(win->GetGlyphName(31, name));
  EXPECT_STREQ(name.c_str(), "G1F");
  EXPECT_EQ(Code(*win, "G1F"), 31);
  EXPECT_EQ(Code(*win, "G1f"), 31);
  EXPECT_EQ(Code(*win, "g1f"), -1);
  EXPECT_EQ(Code(*win, "G1"), -1);
  EXPECT_EQ(Code(*win, "G1F0"), -1);
  EXPECT_EQ(Code(*win, "GXF"), -1);
  EXPECT_EQ(Code(*win, ""), -1);
  EXPECT_EQ(Code(*win, nullptr), -1);
  // Upper-case digits, also above 0x7F.
  EXPECT_FALSE(win->GetGlyphName(0, name));
  EXPECT_STREQ(name.c_str(), "G00");
  EXPECT_EQ(Code(*win, "Gff"), 255);
  EncodingTable empty;
  EXPECT_FALSE(empty.GetGlyphName(200, name));
  EXPECT_STREQ(name.c_str(), "GC8");
}

TEST(EncodingTableNames, GNameHeldAsAGlyphNameAnswersTrue) {
  EncodingTable table;
  ASSERT_TRUE(table.Add(65, "G42"));
  TempString name;
  EXPECT_TRUE(table.GetGlyphName(66, name));
  EXPECT_STREQ(name.c_str(), "G42");
  EXPECT_EQ(Code(table, "G42"), 65);
  EXPECT_FALSE(table.GetGlyphName(67, name));
  EXPECT_STREQ(name.c_str(), "G43");
}

TEST(EncodingTableAdd, ReplacedNameKeepsItsWayBack) {
  EncodingTable table;
  ASSERT_TRUE(table.Add(65, "a"));
  ASSERT_TRUE(table.Add(65, "b"));
  EXPECT_EQ(Name(table, 65), "b");
  EXPECT_EQ(Code(table, "b"), 65);
  EXPECT_EQ(Code(table, "a"), 65);
  // A name given another code leads to the newer one.
  ASSERT_TRUE(table.Add(200, "b"));
  EXPECT_EQ(Code(table, "b"), 200);
  EXPECT_EQ(Name(table, 65), "b");
  EXPECT_FALSE(table.Add(66, nullptr));
  EXPECT_EQ(Name(table, 66), "<undefined>");
}

// Names from a document have no length limit.
TEST(EncodingTableAdd, LongNameIsKeptWhole) {
  const std::string longName(5000, 'x');
  EncodingTable table;
  ASSERT_TRUE(table.Add(250, longName.c_str()));
  TempString name;
  EXPECT_TRUE(table.GetGlyphName(250, name));
  EXPECT_EQ(std::string(name.c_str(), name.GetLength()), longName);
  EXPECT_EQ(Code(table, longName.c_str()), 250);
}

TEST(EncodingTableLoad, OnlyTheExactNamesLoad) {
  for (const char* wrong :
       {"WinAnsi", "winansiencoding", "WinAnsiEncoding ", " WinAnsiEncoding", "", "Identity-H"}) {
    EncodingTable table;
    EXPECT_FALSE(table.LoadStandard(wrong)) << "'" << wrong << "'";
    EXPECT_TRUE(Codes(table).empty()) << "'" << wrong << "'";
  }
  EncodingTable table;
  EXPECT_FALSE(table.LoadStandard(nullptr));
  EXPECT_TRUE(table.LoadByName("PDFDocEncoding"));
  EXPECT_EQ(Codes(table).size(), 229u);
}

TEST(EncodingTableLoad, SecondLoadAddsToTheTable) {
  EncodingTable table;
  ASSERT_TRUE(table.LoadStandard("StandardEncoding"));
  ASSERT_TRUE(table.LoadStandard("PDFDocEncoding"));
  // PDFDocEncoding's rows replace those it defines; StandardEncoding's
  // rows stay where PDFDocEncoding has none.
  EXPECT_EQ(Codes(table), Range(24, 255, {127, 159}));
  EXPECT_EQ(Name(table, 39), "quotesingle");
  EXPECT_EQ(Name(table, 159), "<undefined>");
  EXPECT_EQ(Name(table, 173), "guilsinglright");
  EXPECT_EQ(Name(table, 168), "dieresis");
  // A name both define leads to the code the second load gave it.
  EXPECT_EQ(Code(table, "currency"), 164);
}

}  // namespace

namespace {

constexpr GlyphNameList kAdobe = GlyphNameList::kAdobe;
constexpr GlyphNameList kZapf = GlyphNameList::kZapfDingbats;

// The names of a character, and the character of a name as "U+XXXX" ("-"
// for none), in a font whose names go by the list.
std::string NamesOf(char32_t character, GlyphNameList list = kAdobe) {
  std::string names;
  EncodingTable::GlyphNamesOf walk(character, list);
  while (const char* name = walk.Next()) names += std::string(name) + " ";
  return names;
}
std::string CharacterOf(const char* name, GlyphNameList list = kAdobe) {
  char32_t character = 0;
  if (!EncodingTable::UnicodeOfGlyph(name, list, character)) return "-";
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(character));
  return text;
}

}  // namespace

// The glyph table against the lists it is generated from: every name of
// both reads as its character in ZapfDingbats, and the character leads back
// to the name; elsewhere only the Adobe Glyph List's names do.
TEST(GlyphNames, EveryListedNameReadsAsItsCharacterAndBack) {
  const std::filesystem::path data =
      std::filesystem::path(PN_TEST_SOURCE_DIR) / "tools/glyphs/data";
  int listed = 0;
  for (const char* list : {"glyphlist.txt", "zapfdingbats.txt"}) {
    std::ifstream in(data / list);
    ASSERT_TRUE(in) << list;
    std::string line;
    while (std::getline(in, line)) {
      const size_t semicolon = line.find(';');
      if (line.empty() || line[0] == '#' || semicolon == std::string::npos) continue;
      const std::string name = line.substr(0, semicolon);
      const std::string value = line.substr(semicolon + 1);
      if (value.find(' ') != std::string::npos) continue;  // a sequence: not in the table
      ++listed;
      const bool adobe = std::string(list) == "glyphlist.txt";
      const char32_t character = static_cast<char32_t>(std::stoul(value, nullptr, 16));
      EXPECT_EQ(CharacterOf(name.c_str(), kZapf), "U+" + value) << name;
      EXPECT_EQ(CharacterOf(name.c_str()), adobe ? "U+" + value : "-") << name;
      EXPECT_NE(NamesOf(character, kZapf).find(name + " "), std::string::npos) << name;
      EXPECT_EQ(NamesOf(character).find(name + " ") != std::string::npos, adobe) << name;
    }
  }
  EXPECT_EQ(listed, 4200 + 201);
}

TEST(GlyphNames, SpotNamesAndCodeNames) {
  const std::pair<const char*, const char*> spots[] = {
      {"zacute", "U+017A"},
      {"Zacute", "U+0179"},
      {"lslash", "U+0142"},
      {"Lslash", "U+0141"},
      {"alpha", "U+03B1"},
      {"Delta", "U+2206"},
      {"a1", "-"},  // a dingbat name, outside ZapfDingbats
      {"uni0144", "U+0144"},
      {"u0144", "U+0144"},
      {"u1F600", "U+1F600"},
      {"u10FFFF", "U+10FFFF"},
      // Upper-case digits only, four after uni, four to six after u, no
      // surrogate, nothing past U+10FFFF.
      {"uni00e9", "-"},
      {"uni00E", "-"},
      {"uni00E9A", "-"},
      {"u12", "-"},
      {"u1234567", "-"},
      {"uniD800", "-"},
      {"uDFFF", "-"},
      {"u110000", "-"},
      {"G41", "-"},
      {"", "-"},
  };
  for (const auto& [name, character] : spots) EXPECT_EQ(CharacterOf(name), character) << name;
  EXPECT_EQ(CharacterOf(nullptr), "-");

  // The way back: the listed names in name order, then the code names.
  EXPECT_EQ(NamesOf(0x017A), "zacute uni017A u017A ");
  EXPECT_EQ(NamesOf(0x0179), "Zacute uni0179 u0179 ");
  EXPECT_EQ(NamesOf(0x2206), "Delta increment uni2206 u2206 ");
  EXPECT_EQ(NamesOf(0x2701), "uni2701 u2701 ");
  EXPECT_EQ(NamesOf(0x2701, kZapf), "a1 uni2701 u2701 ");
  // Delta, Omega and mu read as the signs and stand for the Greek letters
  // too, after the letters' own names; the lists' other "...greek" names
  // stand for nothing more.
  EXPECT_EQ(NamesOf(0x0394) + NamesOf(0x03BC),
            "Deltagreek Delta uni0394 u0394 mugreek mu uni03BC u03BC ");
  EXPECT_EQ(NamesOf(0x037E), "questiongreek uni037E u037E ");
  EXPECT_EQ(NamesOf(0x1F600), "u1F600 ");
  EXPECT_EQ(NamesOf(0xD800), "");
}
