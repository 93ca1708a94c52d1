// The CMap reader and its lookups, on CMaps the tests write: in memory
// through LoadStream, and as files in a CMap directory for Load.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/pdf/font/CMapTestSupport.h"
#include "tests/platform/ScopedTestState.h"

namespace {

using cmaptest::Bytes;
using cmaptest::CIDToCode;
using cmaptest::CodeToCID;
using cmaptest::CodeToUnicode;
using cmaptest::FromText;
using cmaptest::kHeader;
using cmaptest::Lookup;
using cmaptest::UnicodeToCode;

const std::string kTwoByte =
    "1 begincodespacerange\n<8140> <9ffc>\nendcodespacerange\n"
    "2 begincidrange\n<8140> <817e> 633\n<8180> <81ac> 696\nendcidrange\n";

TEST(CMapReader, HeaderIsExactForFilesAndNotNeededForStreams) {
  EXPECT_TRUE(FromText(std::string(kHeader) + kTwoByte, false));
  EXPECT_TRUE(FromText("%!PS-Adobe-3.0 Resource-CMap\r\n" + kTwoByte, false));
  EXPECT_FALSE(FromText("%!PS-Adobe-3.0 Resource-CMap \n" + kTwoByte, false));
  EXPECT_FALSE(FromText(kTwoByte, false));
  EXPECT_FALSE(FromText("", false));
  // A stream's first line is read like any other.
  auto stream = FromText("/CIDInit /ProcSet findresource begin\n" + kTwoByte);
  ASSERT_TRUE(stream);
  EXPECT_EQ(stream->GetCIDRangeCount(), 2);
  auto oneLine = FromText("1 begincidrange <20> <20> 9 endcidrange");
  ASSERT_TRUE(oneLine);
  EXPECT_EQ(CodeToCID(*oneLine, {0x20}), (Bytes{0x00, 0x09}));
}

TEST(CMapReader, TitleNeedsFourWordsInParentheses) {
  auto four = FromText("%%Title: (Test-H Adobe Japan1 2)\n");
  ASSERT_TRUE(four);
  EXPECT_STREQ(four->GetCMapName().c_str(), "Test-H");
  EXPECT_STREQ(four->GetRegistry().c_str(), "Adobe");
  EXPECT_STREQ(four->GetOrdering().c_str(), "Japan1");
  EXPECT_EQ(four->GetSupplement(), 2);
  for (const char* title : {"%%Title: (Test-H Adobe Japan1)\n", "%%Title: Test-H Adobe Japan1 2\n",
                            "%%Title: (Test-H Adobe Japan1 2\n", "%%Title:\n"}) {
    auto none = FromText(title);
    ASSERT_TRUE(none) << title;
    EXPECT_TRUE(none->GetCMapName().IsEmpty()) << title;
    EXPECT_TRUE(none->GetRegistry().IsEmpty()) << title;
    EXPECT_EQ(none->GetSupplement(), 0) << title;
  }
}

TEST(CMapReader, KeysAndCIDSystemInfo) {
  const std::string title = "%%Title: (Test-H Adobe Japan1 2)\n";
  auto full = FromText(title +
                       "/CIDSystemInfo 3 dict dup begin\n  /Registry (Adobe) def\n"
                       "  /Ordering (Korea1) def\n  /Supplement 4 def\nend def\n"
                       "/CMapName /My#2dCMap def\n/CMapVersion 10.003 def\n/CMapMode 2 def\n"
                       "/WMode 1 def\n/CMapType 1 def\n");
  ASSERT_TRUE(full);
  EXPECT_STREQ(full->GetRegistry().c_str(), "Adobe");
  EXPECT_STREQ(full->GetOrdering().c_str(), "Korea1");
  EXPECT_EQ(full->GetSupplement(), 4);
  EXPECT_STREQ(full->GetCMapName().c_str(), "My-CMap");
  EXPECT_EQ(full->GetCMapVersion(), 10);
  EXPECT_EQ(full->GetCMapMode(), 2);
  EXPECT_EQ(full->GetWMode(), 1);

  // Without Supplement (or with a negative one) the title's values stay.
  for (const char* supplement : {"", "/Supplement -1 def\n"}) {
    auto partial = FromText(title + "/Registry (Other) def\n/Ordering (Korea1) def\n" + supplement);
    ASSERT_TRUE(partial);
    EXPECT_STREQ(partial->GetRegistry().c_str(), "Adobe");
    EXPECT_STREQ(partial->GetOrdering().c_str(), "Japan1");
    EXPECT_EQ(partial->GetSupplement(), 2);
  }
  // A key without "def", or cut by the end of the line, sets nothing.
  auto cut = FromText("/WMode 1\n/WMode\n/CMapName /X fed\n");
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->GetWMode(), 0);
  EXPECT_TRUE(cut->GetCMapName().IsEmpty());
}

TEST(CMapReader, EntriesShareLinesAndSpanLines) {
  auto cmap = FromText("1 begincidrange <8140> <817e> 633 endcidrange\n");
  ASSERT_TRUE(cmap);
  EXPECT_EQ(cmap->GetCIDRangeCount(), 1);
  EXPECT_EQ(CodeToCID(*cmap, {0x81, 0x41}), (Bytes{0x02, 0x7A}));

  auto several = FromText(
      "3 begincidrange <01> <01> 5 <02> <03> 6 <04> <05>\n7\n<06> <06> 9 endcidrange\n"
      "%%EOF\n1 begincidrange <07> <07> 1 endcidrange\n");
  ASSERT_TRUE(several);
  EXPECT_EQ(several->GetCIDRangeCount(), 4);  // <04> <05> / 7 is one entry; after %%EOF nothing
  EXPECT_EQ(CodeToCID(*several, {0x01, 0x03, 0x06}), (Bytes{0, 5, 0, 7, 0, 9}));
  EXPECT_EQ(CodeToCID(*several, {0x04}), (Bytes{0, 7}));
  EXPECT_EQ(CodeToCID(*several, {0x07}), Bytes{});

  // A missing end keyword keeps the reader in the section; comments are
  // skipped inside it too.
  auto open = FromText("1 begincodespacerange\n<00> <ff>\n% note\n<8140> <9ffc>\n");
  ASSERT_TRUE(open);
  EXPECT_EQ(open->GetCodespaceRangeCount(), 2);
}

TEST(CMapReader, LinesHaveNoLengthLimit) {
  // A comment runs to the end of its line however long the line is.
  std::string line = "%" + std::string(253, 'x') + "1 begincidrange <20> <20> 7 endcidrange";
  line += std::string(300 - line.size(), ' ');
  ASSERT_EQ(line.size(), 300u);
  auto comment = FromText(line + "\n1 begincidrange <21> <21> 8 endcidrange\n");
  ASSERT_TRUE(comment);
  EXPECT_EQ(CodeToCID(*comment, {0x20}), Bytes{});
  EXPECT_EQ(CodeToCID(*comment, {0x21}), (Bytes{0x00, 0x08}));

  // An entry past byte 254 of its line, and a 400-byte line of entries.
  std::string across = std::string(250, ' ') + "<20> <20> 7\n";
  auto far = FromText("1 begincidrange\n" + across + "endcidrange\n");
  ASSERT_TRUE(far);
  EXPECT_EQ(CodeToCID(*far, {0x20}), (Bytes{0x00, 0x07}));
  std::string entries = "40 beginbfchar ";
  for (int code = 0x41; code < 0x41 + 40; ++code) {
    char entry[16];
    std::snprintf(entry, sizeof entry, "<%02X> <%04X> ", code, code + 0x20);
    entries += entry;
  }
  ASSERT_GE(entries.size(), 400u);
  auto wide = FromText(entries + "endbfchar\n");
  ASSERT_TRUE(wide);
  EXPECT_EQ(wide->GetBfCharCount(), 40);
  EXPECT_EQ(CodeToUnicode(*wide, {0x41, 0x68}), (Bytes{0x00, 0x61, 0x00, 0x88}));
}

TEST(CMapReader, NotdefRangesComeFirst) {
  auto cmap = FromText(
      "1 begincidrange <00> <7f> 100 endcidrange\n"
      "1 beginnotdefrange <00> <1f> 1 endnotdefrange\n");
  ASSERT_TRUE(cmap);
  EXPECT_EQ(CodeToCID(*cmap, {0x05, 0x20, 0x1f}), (Bytes{0, 1, 0, 132, 0, 1}));
  // The reverse lookup reads CID ranges only.
  EXPECT_EQ(CIDToCode(*cmap, {0, 1, 0, 132}), Bytes{0x20});
}

TEST(CMapReader, StopsAndSkips) {
  auto cmap = FromText(kTwoByte);
  ASSERT_TRUE(cmap);
  // An unmapped code in the middle stops CodeToCID.
  EXPECT_EQ(CodeToCID(*cmap, {0x81, 0x40, 0x20, 0x81, 0x41}), (Bytes{0x02, 0x79}));
  // A lone last byte of a two-byte code maps nothing.
  EXPECT_EQ(CodeToCID(*cmap, {0x81, 0x40, 0x81}), (Bytes{0x02, 0x79}));
  // CIDToCode skips an uncovered CID and an odd trailing byte.
  EXPECT_EQ(CIDToCode(*cmap, {0x02, 0x79, 0x00, 0x01, 0x02, 0xB8, 0x02}),
            (Bytes{0x81, 0x40, 0x81, 0x80}));
}

TEST(CMapReader, BrokenRangesMatchNothing) {
  auto cmap = FromText(
      "6 begincidrange\n"
      "<0020> <0010> 5\n"      // high below low
      "<20> <0030> 5\n"        // lengths differ
      "<010203> <010204> 5\n"  // three bytes
      "<0040> <0041> 70000\n"  // CID beyond 16 bits
      "<0050> <0051> 65535\n"  // last CID beyond 16 bits
      "<0060> <0061> -3\n"     // negative CID
      "endcidrange\n");
  ASSERT_TRUE(cmap);
  EXPECT_EQ(cmap->GetCIDRangeCount(), 6);
  for (Bytes code : {Bytes{0x00, 0x15}, Bytes{0x00, 0x20}, Bytes{0x20}, Bytes{0x01, 0x02},
                     Bytes{0x00, 0x40}, Bytes{0x00, 0x50}, Bytes{0x00, 0x60}, Bytes{0x00, 0x00}}) {
    EXPECT_EQ(CodeToCID(*cmap, code), Bytes{}) << int(code[0]) << " " << int(code.back());
  }
  for (Bytes cid : {Bytes{0x00, 0x05}, Bytes{0x00, 0x00}, Bytes{0x11, 0x70}, Bytes{0xFF, 0xFF}}) {
    EXPECT_EQ(CIDToCode(*cmap, cid), Bytes{});
  }
  // A non-numeric CID reads as 0.
  auto zero = FromText("1 begincidrange <41> <41> abc endcidrange\n");
  ASSERT_TRUE(zero);
  EXPECT_EQ(CodeToCID(*zero, {0x41}), (Bytes{0, 0}));
}

TEST(CMapReader, SectionCountsOnlyReserve) {
  for (const char* count : {"2000000000", "-5", "0", "x"}) {
    auto cmap =
        FromText(std::string(count) + " begincidrange\n<01> <02> 10\n<03> <03> 20\nendcidrange\n" +
                 count + " beginbfchar\n<01> <0041>\nendbfchar\n");
    ASSERT_TRUE(cmap) << count;
    EXPECT_EQ(cmap->GetCIDRangeCount(), 2) << count;
    EXPECT_EQ(cmap->GetBfCharCount(), 1) << count;
    EXPECT_EQ(CodeToCID(*cmap, {0x02, 0x03}), (Bytes{0, 11, 0, 20})) << count;
  }
}

TEST(CMapReader, FirstEntryInFileOrderWins) {
  // Overlapping ranges, later ones wider: each code maps through the first
  // range that holds it, one-byte and two-byte entries compared by order.
  auto cmap = FromText(
      "4 begincidrange\n<0010> <0020> 100\n<0000> <00ff> 500\n<00> <ff> 900\n"
      "<0018> <0030> 2000\nendcidrange\n");
  ASSERT_TRUE(cmap);
  EXPECT_EQ(CodeToCID(*cmap, {0x00, 0x18}), (Bytes{0, 108}));
  EXPECT_EQ(CodeToCID(*cmap, {0x00, 0x28}), (Bytes{0x02, 0x1C}));  // 540
  EXPECT_EQ(CodeToCID(*cmap, {0x05}), (Bytes{0x03, 0x89}));        // 905, one byte left
  // Reverse: CID 108 lies only in the first range; 2008 only in the last.
  EXPECT_EQ(CIDToCode(*cmap, {0, 108, 0x07, 0xD8}), (Bytes{0x00, 0x18, 0x00, 0x20}));
}

TEST(CMapReader, CIDCharEntriesAreOneCodeRanges) {
  auto cmap = FromText(
      "1 begincidrange <3000> <30ff> 600 endcidrange\n"
      "2 begincidchar\n<4e9c> 1125\n<5c> 97\nendcidchar\n");
  ASSERT_TRUE(cmap);
  EXPECT_EQ(cmap->GetCIDRangeCount(), 3);
  EXPECT_EQ(CodeToCID(*cmap, {0x4E, 0x9C, 0x30, 0x01, 0x5C}),
            (Bytes{0x04, 0x65, 0x02, 0x59, 0, 97}));
  EXPECT_EQ(CIDToCode(*cmap, {0x04, 0x65, 0, 97}), (Bytes{0x4E, 0x9C, 0x5C}));
}

TEST(CMapReader, OneByteBfCodesStayOneByte) {
  auto simple = FromText(
      "1 begincodespacerange <00> <ff> endcodespacerange\n"
      "2 beginbfchar\n<41> <0041>\n<42> <00420043>\nendbfchar\n"
      "1 beginbfrange <61> <63> <0061> endbfrange\n");
  ASSERT_TRUE(simple);
  EXPECT_EQ(CodeToUnicode(*simple, {0x41, 0x62, 0x42}), (Bytes{0, 0x41, 0, 0x62, 0, 0x42}));
  EXPECT_EQ(UnicodeToCode(*simple, {0x00, 0x41}), Bytes{0x41});
  EXPECT_EQ(UnicodeToCode(*simple, {0x00, 0x63, 0x12, 0x34, 0x00}), Bytes{0x63});
  // An unmapped byte stops the conversion.
  EXPECT_EQ(CodeToUnicode(*simple, {0x41, 0x20, 0x41}), (Bytes{0x00, 0x41}));

  // Two-byte codes: two bytes in, two out, and without any codespace range
  // codes are two bytes.
  for (const char* codespace : {"1 begincodespacerange <0000> <ffff> endcodespacerange\n", ""}) {
    auto wide = FromText(std::string(codespace) +
                         "1 beginbfchar <0041> <3042> endbfchar\n"
                         "1 beginbfrange <2000> <20ff> <0100> endbfrange\n");
    ASSERT_TRUE(wide);
    EXPECT_EQ(CodeToUnicode(*wide, {0x00, 0x41, 0x20, 0x05, 0x00}),
              (Bytes{0x30, 0x42, 0x01, 0x05}));
    EXPECT_EQ(UnicodeToCode(*wide, {0x01, 0x05, 0x30, 0x42}), (Bytes{0x20, 0x05, 0x00, 0x41}));
    EXPECT_EQ(CodeToUnicode(*wide, {0x41}), Bytes{});
  }

  // Mixed codespace: one-byte codes below 0x80, two-byte codes above.
  auto mixed = FromText(
      "2 begincodespacerange <00> <7f> <8140> <9ffc> endcodespacerange\n"
      "2 beginbfchar <41> <0041> <8141> <3001> endbfchar\n");
  ASSERT_TRUE(mixed);
  EXPECT_EQ(CodeToUnicode(*mixed, {0x41, 0x81, 0x41, 0x41}), (Bytes{0, 0x41, 0x30, 0x01, 0, 0x41}));
  EXPECT_EQ(UnicodeToCode(*mixed, {0x30, 0x01, 0x00, 0x41}), (Bytes{0x81, 0x41, 0x41}));
}

// ToUnicode CMaps as producers write them: tokens run together, array
// destinations, characters beyond U+FFFF, one-byte codes under a two-byte
// codespace.
TEST(CMapReader, ToUnicodeFormsOfProducers) {
  struct Case {
    const char* name;
    std::string program;
    Bytes codes;
    Bytes unicode;
  };
  const std::string one = "1 begincodespacerange <00> <ff> endcodespacerange\n";
  const Case cases[] = {
      {"tokens without blanks",
       one + "2 beginbfchar\n<2e><002e>\n<32><0032>\nendbfchar\n",
       {0x2e, 0x32},
       {0x00, 0x2e, 0x00, 0x32}},
      {"a bfrange without blanks",
       one + "1 beginbfrange\n<41><43><0061>\nendbfrange\n",
       {0x41, 0x43},
       {0x00, 0x61, 0x00, 0x63}},
      {"a codespace without blanks",
       "1 begincodespacerange<00><ff>endcodespacerange\n"
       "1 beginbfchar<20><0020>endbfchar\n",
       {0x20},
       {0x00, 0x20}},
      {"an array destination",
       one + "1 beginbfrange\n<41> <42> [<00AB> <00BB>]\nendbfrange\n",
       {0x41, 0x42},
       {0x00, 0xAB, 0x00, 0xBB}},
      {"an array run together",
       one + "1 beginbfrange <41><43>[<00AB><00BB><2019>] endbfrange\n",
       {0x43, 0x41},
       {0x20, 0x19, 0x00, 0xAB}},
      {"an array shorter than the range",
       one + "1 beginbfrange <41> <43> [<0078>] endbfrange\n",
       {0x41, 0x42},
       {0x00, 0x78}},
      {"a surrogate pair",
       one + "1 beginbfchar <01> <D835DC00> endbfchar\n"
             "1 beginbfchar <02> <0041> endbfchar\n",
       {0x01, 0x02},
       {0xFF, 0xFD, 0x00, 0x41}},
      {"a range of surrogate pairs",
       one + "1 beginbfrange <01> <03> <D83DDE00> endbfrange\n",
       {0x01, 0x03},
       {0xFF, 0xFD, 0xFF, 0xFD}},
      {"a surrogate pair in an array",
       one + "1 beginbfrange <01> <02> [<D83DDE00> <0042>] "
             "endbfrange\n",
       {0x01, 0x02},
       {0xFF, 0xFD, 0x00, 0x42}},
      {"a ligature keeps its first letter",
       one + "1 beginbfchar <05> <00660069> endbfchar\n",
       {0x05},
       {0x00, 0x66}},
      {"one-byte codes under a two-byte codespace",
       "1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
       "2 beginbfchar <20> <0020> <41> <0041> endbfchar\n",
       {0x41, 0x20},
       {0x00, 0x41, 0x00, 0x20}},
      {"two-byte entries still come first",
       "1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
       "2 beginbfchar <41> <0041> <4142> <3042> endbfchar\n",
       {0x41, 0x42, 0x41},
       {0x30, 0x42, 0x00, 0x41}},
      {"a comment after an entry",
       one + "1 beginbfchar <41> <0061>% note <42> <0062>\nendbfchar\n",
       {0x41, 0x42},
       {0x00, 0x61}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto cmap = FromText(c.program);
    ASSERT_TRUE(cmap);
    EXPECT_EQ(CodeToUnicode(*cmap, c.codes), c.unicode);
  }
  // An array may run over lines; one left open ends at the section's end
  // keyword and is dropped.
  auto lines = FromText(one + "1 beginbfrange <41> <42> [<0061>\n<0062>] endbfrange\n");
  ASSERT_TRUE(lines);
  EXPECT_EQ(CodeToUnicode(*lines, {0x41, 0x42}), (Bytes{0x00, 0x61, 0x00, 0x62}));
  auto open = FromText(one +
                       "2 beginbfrange <41> <42> [<0061> endbfrange\n"
                       "1 beginbfchar <43> <0063> endbfchar\n");
  ASSERT_TRUE(open);
  EXPECT_EQ(CodeToUnicode(*open, {0x41}), Bytes{});
  EXPECT_EQ(CodeToUnicode(*open, {0x43}), (Bytes{0x00, 0x63}));
  // Names and strings run together with keys still read.
  auto keys = FromText("/CMapName/Adobe-Identity-UCS def /WMode 1 def\n");
  ASSERT_TRUE(keys);
  EXPECT_STREQ(keys->GetCMapName().c_str(), "Adobe-Identity-UCS");
  EXPECT_EQ(keys->GetWMode(), 1);
}

// The program is PDF syntax over the whole data: line breaks are white
// space like any other, wherever they fall.
TEST(CMapReader, EntriesAndKeysAcrossLines) {
  struct Case {
    const char* name;
    std::string program;
    Bytes codes;
    Bytes unicode;
  };
  const std::string one = "1 begincodespacerange <00> <ff> endcodespacerange\n";
  const Case cases[] = {
      {"an entry split over two lines",
       one + "1 beginbfchar\n<41>\n<0041>\nendbfchar\n",
       {0x41},
       {0x00, 0x41}},
      {"a bfrange over three lines",
       one + "1 beginbfrange\n<61>\n<63>\n<0041>\nendbfrange\n",
       {0x63},
       {0x00, 0x43}},
      {"a comment between code and destination",
       one + "1 beginbfchar <41> % the letter A\n<0041> endbfchar\n",
       {0x41},
       {0x00, 0x41}},
      {"hex strings split by white space",
       one + "1 beginbfchar <4\n1> <00 41> endbfchar\n"
             "1 beginbfrange <61> <62> <30\r\n42> endbfrange\n",
       {0x41, 0x62},
       {0x00, 0x41, 0x30, 0x43}},
      {"CR alone ends lines, TAB and FF separate",
       one + "1 beginbfchar\r<41>\t<0041>\f\rendbfchar\r",
       {0x41},
       {0x00, 0x41}},
      {"the count on the line before its keyword",
       one + "1\nbeginbfchar <41> <0041> endbfchar\n",
       {0x41},
       {0x00, 0x41}},
      {"an end keyword where an operand is due drops the entry",
       one + "2 beginbfchar <41> <0041> <42>\nendbfchar\n1 beginbfchar <43> <0043> endbfchar\n",
       {0x41, 0x42, 0x43},
       {0x00, 0x41}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto cmap = FromText(c.program);
    ASSERT_TRUE(cmap);
    EXPECT_EQ(CodeToUnicode(*cmap, c.codes), c.unicode);
  }
  auto keys = FromText(
      "/CMapName\n/Split-H\ndef /WMode\n1\ndef\n/CIDSystemInfo <<\n/Registry\n(Adobe)\n"
      "/Ordering (Ja\npan1) /Supplement\n2 >> def\n");
  ASSERT_TRUE(keys);
  EXPECT_STREQ(keys->GetCMapName().c_str(), "Split-H");
  EXPECT_EQ(keys->GetWMode(), 1);
  EXPECT_STREQ(keys->GetRegistry().c_str(), "Adobe");
  EXPECT_STREQ(keys->GetOrdering().c_str(), "Ja\npan1");
  EXPECT_EQ(keys->GetSupplement(), 2);
  // A key without its value is passed over; the next key still reads.
  auto missing = FromText("/WMode\n/CMapName /Next def\n");
  ASSERT_TRUE(missing);
  EXPECT_STREQ(missing->GetCMapName().c_str(), "Next");
  EXPECT_EQ(missing->GetWMode(), 0);
}

// A string or hex string left open is data that does not parse, in a file
// and in a stream alike; stray closing delimiters are tokens like others.
TEST(CMapReader, UnclosedStringsDoNotParse) {
  const std::string entry = "1 begincidrange <20> <20> 7 endcidrange\n";
  for (const char* tail : {"<41", "(abc", "(a(b)", "1 begincidrange <20> <2", "(\\)"}) {
    SCOPED_TRACE(tail);
    EXPECT_FALSE(FromText(entry + tail));
    EXPECT_FALSE(FromText(std::string(kHeader) + entry + tail, false));
  }
  // After %%EOF nothing is read, so nothing there can fail.
  EXPECT_TRUE(FromText(entry + "%%EOF\n<41"));
  for (const char* tail : {")", ">", "]", "}", "% (<\n", "(a%b)", "(a\\)b)", "(x(y)z)"}) {
    SCOPED_TRACE(tail);
    auto cmap = FromText(entry + tail);
    ASSERT_TRUE(cmap);
    EXPECT_EQ(CodeToCID(*cmap, {0x20}), (Bytes{0x00, 0x07}));
  }
  // A '%' inside a string is no comment.
  auto literal = FromText("/Registry (Ado%be) /Ordering (X) /Supplement 1\n");
  ASSERT_TRUE(literal);
  EXPECT_STREQ(literal->GetRegistry().c_str(), "Ado%be");
}

// <> maps a code to nothing; a one-byte destination is that byte's value.
TEST(CMapReader, EmptyAndOneByteDestinations) {
  auto cmap = FromText(
      "1 begincodespacerange <00> <ff> endcodespacerange\n"
      "3 beginbfchar <41> <> <42> <42> <43> <0043> endbfchar\n"
      "3 beginbfrange <61> <62> <> <63> <64> <61> <70> <72> [<0078> <> <7A>] endbfrange\n");
  ASSERT_TRUE(cmap);
  EXPECT_EQ(CodeToUnicode(*cmap, {0x42, 0x43}), (Bytes{0x00, 0x42, 0x00, 0x43}));
  EXPECT_EQ(CodeToUnicode(*cmap, {0x63, 0x64}), (Bytes{0x00, 0x61, 0x00, 0x62}));
  EXPECT_EQ(CodeToUnicode(*cmap, {0x70, 0x72}), (Bytes{0x00, 0x78, 0x00, 0x7A}));
  for (uint8_t code : {0x41, 0x61, 0x62, 0x71}) {
    EXPECT_EQ(CodeToUnicode(*cmap, {code}), Bytes{}) << int(code);
  }
  // Nothing maps back to U+0000 or to a high byte.
  EXPECT_EQ(UnicodeToCode(*cmap, {0x00, 0x00, 0x42, 0x00, 0x00, 0x61, 0x61, 0x00, 0x00, 0x42}),
            (Bytes{0x63, 0x42}));
}

// The conversion the fonts use: an uncovered code is passed over, as long
// as the codespace (or, without one, the entries) says, and the rest
// follows.
TEST(CMapReader, CodeToUnicodeOrSkipPassesOverUncoveredCodes) {
  struct Case {
    const char* name;
    std::string program;
    Bytes codes;
    Bytes unicode;
    int32_t skipped;
  };
  const Case cases[] = {
      {"one-byte codespace",
       "1 begincodespacerange <00> <ff> endcodespacerange\n"
       "2 beginbfchar <41> <0041> <43> <0043> endbfchar\n",
       {0x41, 0x42, 0x43, 0x00, 0x43},
       {0x00, 0x41, 0x00, 0x43, 0x00, 0x43},
       2},
      {"two-byte codespace",
       "1 begincodespacerange <0000> <ffff> endcodespacerange\n"
       "2 beginbfchar <0041> <0041> <0043> <0043> endbfchar\n",
       {0x00, 0x41, 0x00, 0x42, 0x00, 0x43, 0x00},
       {0x00, 0x41, 0x00, 0x43},
       2},
      {"two-byte codespace over one-byte entries",
       "1 begincodespacerange <0000> <ffff> endcodespacerange\n"
       "2 beginbfchar <41> <0041> <43> <0043> endbfchar\n",
       {0x41, 0x42, 0x43},
       {0x00, 0x41, 0x00, 0x43},
       1},
      {"mixed codespace",
       "2 begincodespacerange <00> <7f> <8140> <9ffc> endcodespacerange\n"
       "2 beginbfchar <41> <0041> <8141> <3001> endbfchar\n",
       {0x81, 0x40, 0x41, 0x20, 0x81, 0x41},
       {0x00, 0x41, 0x30, 0x01},
       2},
      {"no codespace, two-byte entries",
       "1 beginbfrange <0100> <01ff> <0061> endbfrange\n",
       {0x00, 0x05, 0x01, 0x01},
       {0x00, 0x62},
       1},
      {"no codespace, one-byte entries",
       "1 beginbfchar <43> <0043> endbfchar\n",
       {0x41, 0x42, 0x43},
       {0x00, 0x43},
       2},
      {"an empty destination",
       "1 begincodespacerange <00> <ff> endcodespacerange\n"
       "2 beginbfchar <41> <> <42> <0042> endbfchar\n",
       {0x41, 0x42},
       {0x00, 0x42},
       1},
      {"nothing mapped", "", {0x41, 0x42}, {}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto cmap = FromText(c.program);
    ASSERT_TRUE(cmap);
    Bytes out(c.codes.size() * 2 + 1);
    int32_t skipped = -1;
    const int32_t n =
        cmap->CodeToUnicodeOrSkip(out.data(), static_cast<int32_t>(out.size()), c.codes.data(),
                                  static_cast<int32_t>(c.codes.size()), &skipped);
    ASSERT_GE(n, 0);
    EXPECT_EQ(Bytes(out.begin(), out.begin() + n), c.unicode);
    EXPECT_EQ(skipped, c.skipped);
  }
}

TEST(CMapReader, IdentityCMapsAreBuiltIn) {
  CMapFile h;
  ASSERT_TRUE(h.LoadPredefined("Identity-H"));
  EXPECT_EQ(CodeToCID(h, {0x12, 0x34}), (Bytes{0x12, 0x34}));
  EXPECT_EQ(CIDToCode(h, {0xFF, 0xFF}), (Bytes{0xFF, 0xFF}));
  EXPECT_EQ(h.GetWMode(), 0);
  EXPECT_STREQ(h.GetOrdering().c_str(), "Identity");

  CMapFile v;
  ASSERT_TRUE(v.Load("Identity-V"));  // no CMap directory: built in
  EXPECT_EQ(v.GetWMode(), 1);
  EXPECT_STREQ(v.GetUseCMapName().c_str(), "Identity-H");
  ASSERT_TRUE(v.GetParent());
  EXPECT_EQ(v.GetCIDRangeCount(), 0);
  EXPECT_EQ(CodeToCID(v, {0x12, 0x34}), (Bytes{0x12, 0x34}));

  CMapFile other;
  EXPECT_FALSE(other.LoadPredefined("identity-h"));
  EXPECT_FALSE(other.Load("Unknown-H"));
}

TEST(CMapReader, UseCMapInStreams) {
  auto vertical = FromText("/WMode 1 def\n/Identity-H usecmap\n");
  ASSERT_TRUE(vertical);
  EXPECT_EQ(CodeToCID(*vertical, {0xAB, 0xCD}), (Bytes{0xAB, 0xCD}));
  EXPECT_FALSE(FromText("/Nowhere-H usecmap\n"));
  EXPECT_FALSE(FromText("/CMapName /Self def\n/Self usecmap\n"));
  EXPECT_FALSE(FromText("/Identity-H#00x usecmap\n"));
}

TEST(CMapReader, EveryLookupKeepsToItsCapacity) {
  auto cmap = FromText(
      "2 begincodespacerange <00> <7f> <8140> <9ffc> endcodespacerange\n"
      "2 begincidrange <20> <7e> 1 <8140> <817e> 633 endcidrange\n"
      "2 beginbfchar <41> <0041> <8141> <3001> endbfchar\n");
  ASSERT_TRUE(cmap);
  struct Case {
    Lookup lookup;
    Bytes in;
    size_t needed;
  };
  const Case cases[] = {
      {Lookup::kCodeToCID, {0x41, 0x81, 0x41, 0x42}, 6},
      {Lookup::kCIDToCode, {0x00, 0x22, 0x02, 0x7A}, 3},
      {Lookup::kCIDToCode, {0x02, 0x7A, 0x00, 0x22}, 3},
      {Lookup::kCodeToUnicode, {0x41, 0x81, 0x41}, 4},
      {Lookup::kUnicodeToCode, {0x30, 0x01, 0x00, 0x41}, 3},
      {Lookup::kUnicodeToCode, {0x00, 0x41, 0x30, 0x01}, 3},
      {Lookup::kCodeToUnicodeOrSkip, {0x41, 0x20, 0x81, 0x41, 0x81, 0x42, 0x41}, 6},
  };
  for (const Case& c : cases) {
    const Bytes full = cmaptest::Run(*cmap, c.lookup, c.in);
    ASSERT_EQ(full.size(), c.needed) << int(c.lookup);
    for (int32_t capacity = 0; capacity < static_cast<int32_t>(c.needed); ++capacity) {
      const Bytes part = cmaptest::Run(*cmap, c.lookup, c.in, capacity);
      EXPECT_LE(part.size(), static_cast<size_t>(capacity));
      EXPECT_EQ(part, Bytes(full.begin(), full.begin() + static_cast<long>(part.size())));
    }
    EXPECT_GE(cmaptest::Run(*cmap, c.lookup, c.in, static_cast<int32_t>(c.needed) - 1).size(),
              c.needed - 2);
  }
}

// Large tables: 60,000 one-code ranges looked up both ways, and 100,000
// one-entry sections. Their speed is the benchmark's business; a search that
// went through every range per code would run for minutes here.
TEST(CMapReader, LargeTablesLookUpAndLoad) {
  std::string text = "60000 begincidrange\n";
  char line[64];
  for (int code = 0; code < 60000; ++code) {
    std::snprintf(line, sizeof line, "<%04x> <%04x> %d\n", code, code, code + 1);
    text += line;
  }
  text += "endcidrange\n";
  auto cmap = FromText(text);
  ASSERT_TRUE(cmap);
  ASSERT_EQ(cmap->GetCIDRangeCount(), 60000);
  Bytes codes, cids;
  for (int code = 0; code < 60000; ++code) {
    codes.push_back(static_cast<uint8_t>(code >> 8));
    codes.push_back(static_cast<uint8_t>(code));
    cids.push_back(static_cast<uint8_t>((code + 1) >> 8));
    cids.push_back(static_cast<uint8_t>(code + 1));
  }
  CodeToCID(*cmap, {0x00, 0x00});  // the index is built on the first search
  EXPECT_EQ(CodeToCID(*cmap, codes), cids);
  EXPECT_EQ(CIDToCode(*cmap, cids), codes);

  std::string sections;
  for (int i = 0; i < 100000; ++i) sections += "1 begincidrange <41> <41> 1 endcidrange\n";
  auto many = FromText(sections);
  ASSERT_TRUE(many);
  EXPECT_EQ(many->GetCIDRangeCount(), 100000);
}

// ---------------------------------------------------------------- files

class CMapFolderTest : public testing::Test {
 protected:
  void Write(const std::string& name, const std::string& body) {
    cmaptest::WriteFile(folder_.Folder() + name, kHeader + body);
  }
  pntest::TempFolder folder_{"cmaps"};
  cmaptest::ScopedCMapFolder scope_{folder_.Folder()};
};

TEST_F(CMapFolderTest, LoadReadsTheDirectoryBeforeTheBuiltIns) {
  Write("Test-H", "/CMapName /Test-H def\n" + kTwoByte);
  Write("Test-V",
        "/WMode 1 def\n/Test-H usecmap\n1 begincidrange <8141> <8141> 7887 endcidrange\n");
  CMapFile v;
  ASSERT_TRUE(v.Load("Test-V"));
  EXPECT_EQ(v.GetWMode(), 1);
  ASSERT_TRUE(v.GetParent());
  EXPECT_STREQ(v.GetParent()->GetCMapName().c_str(), "Test-H");
  EXPECT_EQ(CodeToCID(v, {0x81, 0x41, 0x81, 0x42}), (Bytes{0x1E, 0xCF, 0x02, 0x7B}));
  EXPECT_EQ(CIDToCode(v, {0x1E, 0xCF, 0x02, 0x7A}), (Bytes{0x81, 0x41, 0x81, 0x41}));
  EXPECT_FALSE(CMapFile().Load("test-h"));  // case matters

  // A file named like a built-in CMap takes precedence, also for the parent
  // of Identity-V.
  Write("Identity-H", "1 begincidrange <0000> <fffe> 1 endcidrange\n");
  CMapFile identity;
  ASSERT_TRUE(identity.Load("Identity-V"));
  EXPECT_EQ(CodeToCID(identity, {0x00, 0x05}), (Bytes{0x00, 0x06}));
  // A broken file falls back to the built-in one.
  cmaptest::WriteFile(folder_.Folder() + "Identity-H", "not a CMap\n");
  CMapFile builtIn;
  ASSERT_TRUE(builtIn.Load("Identity-H"));
  EXPECT_EQ(CodeToCID(builtIn, {0x00, 0x05}), (Bytes{0x00, 0x05}));
  EXPECT_EQ(builtIn.GetCIDRangeCount(), 1);
}

TEST_F(CMapFolderTest, UseCMapCyclesAndLongChainsFail) {
  Write("A", "/B usecmap\n");
  Write("B", "/A usecmap\n");
  Write("Self", "/Self usecmap\n");
  Write("Named", "/CMapName /Other def\n/Other usecmap\n");
  Write("Other", "/Named usecmap\n");
  Write("Missing", "/Nowhere usecmap\n");
  for (const char* name : {"A", "B", "Self", "Named", "Other", "Missing"}) {
    CMapFile cmap;
    EXPECT_FALSE(cmap.Load(name)) << name;
  }
  // C1 uses C2 ... uses CN: eight CMaps load, nine do not.
  for (int i = 1; i <= 9; ++i) {
    const std::string next = "/C" + std::to_string(i + 1) + " usecmap\n";
    Write("C" + std::to_string(i), i == 9 ? "1 begincidrange <41> <41> 3 endcidrange\n" : next);
  }
  CMapFile nine;
  EXPECT_FALSE(nine.Load("C1"));
  CMapFile eight;
  ASSERT_TRUE(eight.Load("C2"));
  EXPECT_EQ(CodeToCID(eight, {0x41}), (Bytes{0x00, 0x03}));
}

TEST_F(CMapFolderTest, NamesStayInsideTheFolder) {
  // A CMap one level up, reachable only by an escaping name.
  pntest::TempFolder outer("cmaps-outer");
  cmaptest::WriteFile(outer.Folder() + "x", kHeader + kTwoByte);
  const std::string up = "../" + outer.Path().filename().string() + "/x";
  Write(".hidden", kTwoByte);
  ::mkdir((folder_.Folder() + "a").c_str(), 0700);
  Write("a/b", kTwoByte);
  const std::string tooLong(300, 'n');
  Write(tooLong.substr(0, 200), kTwoByte);
  for (const std::string& name :
       {up, std::string("../x"), std::string("a/b"), std::string(".hidden"), tooLong,
        std::string("a\\b"), std::string("..")}) {
    CMapFile cmap;
    EXPECT_FALSE(cmap.Load(name.c_str())) << name;
    EXPECT_EQ(cmap.GetCIDRangeCount(), 0) << name;
  }
  EXPECT_FALSE(CMapFile().Load(""));
  EXPECT_FALSE(CMapFile().Load(nullptr));
  EXPECT_TRUE(CMapFile().Load(tooLong.substr(0, 200).c_str()));
  // A folder is not a CMap.
  EXPECT_FALSE(CMapFile().Load("a"));
}

TEST_F(CMapFolderTest, SizeLimit) {
  const std::string path = folder_.Folder() + "Big";
  Write("Big", kTwoByte);
  ASSERT_EQ(::truncate(path.c_str(), CMapFile::kMaxDataSize + 1), 0);
  EXPECT_FALSE(CMapFile().LoadFile(path.c_str(), false));
  ASSERT_EQ(::truncate(path.c_str(), CMapFile::kMaxDataSize), 0);
  EXPECT_TRUE(CMapFile().LoadFile(path.c_str(), false));
  const std::string data(static_cast<size_t>(CMapFile::kMaxDataSize) + 1, ' ');
  EXPECT_FALSE(CMapFile().LoadStream(data.data(), static_cast<int32_t>(data.size()), true));
  EXPECT_FALSE(CMapFile().LoadStream(data.data(), -1, true));
  EXPECT_FALSE(CMapFile().LoadFile((folder_.Folder() + "none").c_str(), false));
}

TEST(CMapReader, NoDirectoryNoFiles) {
  // With the directory unset, a file in the current folder is not read.
  pntest::TempFolder here("cmaps-cwd");
  cmaptest::WriteFile(here.Folder() + "Local-H", kHeader + kTwoByte);
  char old[4096];
  ASSERT_TRUE(::getcwd(old, sizeof old));
  ASSERT_EQ(::chdir(here.Folder().c_str()), 0);
  CMapFile cmap;
  EXPECT_FALSE(cmap.Load("Local-H"));
  EXPECT_TRUE(CMapFile().Load("Identity-H"));
  ASSERT_EQ(::chdir(old), 0);
}

}  // namespace
