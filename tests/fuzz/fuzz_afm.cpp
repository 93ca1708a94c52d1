// The AFM reader over any bytes from memory: a text it accepts has a font
// name and a box that is not all zero, and the entry counts of both maps
// equal what their walks visit (the CID walk in strictly ascending order).
#include <algorithm>
#include <string>

#include "pdf/font/AFMFile.h"
#include "pdf/object/CPDFInStream.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto length = static_cast<int32_t>(std::min<size_t>(size, AFMFile::kMaxFileSize));
  CPDFMemInStream in;
  if (!in.Open(data, length)) return 0;
  AFMFile afm;
  const bool ok = afm.Parse(in);
  in.Close();
  if (ok) {
    FUZZ_CHECK(!afm.FontName.IsEmpty());
    FUZZ_CHECK(afm.FontBBox[0] != 0 || afm.FontBBox[1] != 0 || afm.FontBBox[2] != 0 ||
               afm.FontBBox[3] != 0);
  }
  int32_t names = 0;
  afm.ForEachCharMetric([&](const AFMCharMetric& m) {
    FUZZ_CHECK(!m.N.IsEmpty());
    FUZZ_CHECK(afm.GetCharMetric(m.N.c_str()) != nullptr);
    ++names;
  });
  FUZZ_CHECK(names == afm.GetCharMetricCount());
  int32_t cids = 0;
  bool first = true;
  int32_t previous = 0;
  afm.ForEachCIDMetric([&](int32_t cid, const AFMCharMetric&) {
    FUZZ_CHECK(first || cid > previous);
    first = false;
    previous = cid;
    ++cids;
  });
  FUZZ_CHECK(cids == afm.GetCIDMetricCount());
  return 0;
}

void FuzzSeeds(FuzzSeedList& seeds) {
  const std::string head =
      "StartFontMetrics 4.1\nComment Generated for tests\nFontName Test-Regular\n"
      "FullName Test Regular\nFamilyName Test\nWeight Medium\nItalicAngle -12.5\n"
      "IsFixedPitch false\nFontBBox -166 -225 1000 931\nUnderlinePosition -100\n"
      "UnderlineThickness 50\nVersion 001.000\nNotice Nobody's font.\n"
      "EncodingScheme AdobeStandardEncoding\nCapHeight 718\nXHeight 523\nAscender 718\n"
      "Descender -207\nStdHW 76\nStdVW 88\n";
  seeds.Add("simple", head +
                          "StartCharMetrics 3\n"
                          "C 32 ; WX 278 ; N space ; B 0 0 0 0 ;\n"
                          "C 102 ; WX 278 ; N f ; B 14 0 262 728 ; L i fi ; L l fl ;\n"
                          "C -1 ; WX 500 ; N fi ; B 14 0 434 728 ;\n"
                          "EndCharMetrics\nEndFontMetrics\n");
  seeds.Add("kerning-composites",
            head +
                "StartCharMetrics 2\nC 65 ; WX 667 ; N A ; B 14 0 654 718 ;\n"
                "C 86 ; WX 667 ; N V ; B 14 0 653 718 ;\nEndCharMetrics\n"
                "StartKernData\nStartKernPairs 3\nKPX A V -70\nKPX V A -80\nKPX A y -40\n"
                "EndKernPairs\nEndKernData\n"
                "StartComposites 1\nCC Aacute 2 ; PCC A 0 0 ; PCC acute 194 175 ;\n"
                "EndComposites\nEndFontMetrics\n");
  seeds.Add("cid",
            "StartFontMetrics 4.1\nFontName Test-CID\nWeight W3\nCharacterSet Adobe-Japan1-2\n"
            "Characters 3\nIsBaseFont true\nIsCIDFont true\nVVector 500 880\nIsFixedV true\n"
            "FontBBox -123 -257 1001 910\nStartCharMetrics 3\n"
            "C -1 ; W0X 1000 ; N 0 ; B 0 0 0 0 ;\nC -1 ; W0X 250 ; N 1 ; B 0 0 0 0 ;\n"
            "C -1 ; W0X 1000 ; W1Y -1000 ; VV 500 880 ; N 845 ; B 43 -73 955 807 ;\n"
            "EndCharMetrics\nEndFontMetrics\n");
  seeds.Add("codes-and-edges",
            head +
                "StartCharMetrics 5\nCH <8140> ; WX 1000 ; N kanji ;\nCH (A) ; N lit ;\n"
                "C 66 ; W 600 -20 ; N name; WX 250;\nC 1 ; WX 1 ; N a ;\nC 2 ; WX 2 ; N a ;\n"
                "% comment\nEndCharMetrics\nEndFontMetrics \nCapHeight 123456789012\n");
  seeds.Add("no-name-in-metrics", head + "StartCharMetrics 1\nComment here\nEndCharMetrics\n");
  seeds.Add("zero-box", "StartFontMetrics 3.0\r\nFontName Z\r\nFontBBox 0 0 0 0\r\n");
  seeds.Add("long-line", head + "Notice " + std::string(600, 'x') + "\nStartCharMetrics 1\n" +
                             "C 1 ; N " + std::string(300, 'g') + " ;\nEndCharMetrics\n");
}
