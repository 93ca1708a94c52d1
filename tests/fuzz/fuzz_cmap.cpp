// The CMap reader over any bytes (the first byte's low bit chooses between a
// CMap file, whose header line is required, and stream data), with no CMap
// directory, then the lookups over the first 256 bytes into buffers of
// exactly the capacity they are given: every answer lies in 0..capacity,
// and a code passed over is counted once at most.
#include <algorithm>
#include <memory>
#include <string>

#include "pdf/composite/CPDFEnv.h"
#include "pdf/font/CMapFile.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// Runs one lookup into a heap buffer of exactly capacity bytes.
template <class Lookup>
void Check(Lookup lookup, const uint8_t* in, int32_t length, int32_t capacity) {
  std::unique_ptr<uint8_t[]> out(new uint8_t[static_cast<size_t>(capacity) + 1]);
  // The extra byte keeps a zero capacity allocatable; the lookup gets the
  // buffer from its end so that any write past capacity is caught.
  uint8_t* buffer = out.get() + 1;
  const int32_t n = lookup(buffer, capacity, in, length);
  FUZZ_CHECK(n >= 0 && n <= capacity);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool unset = [] {
    CPDFEnv::Global().SetCMapDirectory(nullptr);
    return true;
  }();
  (void)unset;
  if (size < 1) return 0;
  const bool stream = (data[0] & 1) != 0;
  const auto* text = reinterpret_cast<const char*>(data + 1);
  const auto length = static_cast<int32_t>(std::min<size_t>(size - 1, CMapFile::kMaxDataSize));
  CMapFile cmap;
  cmap.LoadStream(text, length, stream);

  const uint8_t* in = data + 1;
  const int32_t n = std::min<int32_t>(length, 256);
  for (int32_t capacity : {2 * n, n, n / 2, 1}) {
    Check([&](uint8_t* o, int32_t c, const uint8_t* i,
              int32_t l) { return cmap.CodeToCID(o, c, i, l); },
          in, n, capacity);
    Check([&](uint8_t* o, int32_t c, const uint8_t* i,
              int32_t l) { return cmap.CIDToCode(o, c, i, l); },
          in, n, capacity);
    Check([&](uint8_t* o, int32_t c, const uint8_t* i,
              int32_t l) { return cmap.CodeToUnicode(o, c, i, l); },
          in, n, capacity);
    Check([&](uint8_t* o, int32_t c, const uint8_t* i,
              int32_t l) { return cmap.UnicodeToCode(o, c, i, l); },
          in, n, capacity);
    Check(
        [&](uint8_t* o, int32_t c, const uint8_t* i, int32_t l) {
          int32_t skipped = -1;
          const int32_t written = cmap.CodeToUnicodeOrSkip(o, c, i, l, &skipped);
          FUZZ_CHECK(skipped >= 0 && skipped <= l);
          return written;
        },
        in, n, capacity);
    Check(
        [&](uint8_t* o, int32_t c, const uint8_t* i, int32_t l) {
          int32_t replaced = -1;
          const int32_t written = cmap.CodeToCIDOrNotdef(o, c, i, l, &replaced);
          FUZZ_CHECK(replaced >= 0 && replaced <= l);
          return written;
        },
        in, n, capacity);
    Check(
        [&](uint8_t* o, int32_t c, const uint8_t* i, int32_t l) {
          return cmap.CIDToCodeRanked(o, c, i, l, [](uint32_t code, int32_t codeLength) {
            return static_cast<int32_t>((code + static_cast<uint32_t>(codeLength)) % 7);
          });
        },
        in, n, capacity);
  }
  uint8_t notdef[2];
  int32_t notdefLength = 0;
  if (cmap.FindNotdefCode(notdef, notdefLength)) FUZZ_CHECK(notdefLength == 1 || notdefLength == 2);
  return 0;
}

void FuzzSeeds(FuzzSeedList& seeds) {
  const std::string header = "%!PS-Adobe-3.0 Resource-CMap\n";
  auto file = [&](const std::string& body) { return std::string(1, '\0') + header + body; };
  auto stream = [](const std::string& body) { return "\x01" + body; };
  const std::string twoByte =
      "%%Title: (Test-H Adobe Japan1 2)\n"
      "/CIDSystemInfo 3 dict dup begin\n/Registry (Adobe) def\n/Ordering (Japan1) def\n"
      "/Supplement 2 def\nend def\n/CMapName /Test-H def\n/CMapVersion 10.003 def\n"
      "/WMode 0 def\n"
      "1 begincodespacerange\n<8140> <9ffc>\nendcodespacerange\n"
      "1 beginnotdefrange\n<8140> <8140> 1\nendnotdefrange\n"
      "2 begincidrange\n<8140> <817e> 633\n<8180> <81ac> 696\nendcidrange\n%%EOF\n";
  seeds.Add("file-two-byte", file(twoByte));
  seeds.Add("file-bad-header",
            std::string("\x00", 1) + "%!PS-Adobe-3.0 Resource-CMap \n" + twoByte);
  seeds.Add("stream-two-byte", stream(twoByte));
  seeds.Add("stream-one-line", stream("1 begincidrange <8140> <817e> 633 endcidrange"));
  seeds.Add("stream-identity-v", stream("/WMode 1 def\n/Identity-H usecmap\n"));
  seeds.Add("stream-self-usecmap", stream("/CMapName /Self def\n/Self usecmap\n"));
  seeds.Add("stream-tounicode-bfrange",
            stream("/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                   "1 begincodespacerange <00> <ff> endcodespacerange\n"
                   "2 beginbfchar\n<41> <0041>\n<42> <00420043>\nendbfchar\n"
                   "2 beginbfrange\n<61> <7a> <0061>\n<2000> <20ff> <0100>\nendbfrange\n"
                   "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n"));
  seeds.Add("stream-mixed-codespace",
            stream("2 begincodespacerange <00> <7f> <8140> <9ffc> endcodespacerange\n"
                   "2 begincidrange <20> <7e> 1 <8140> <817e> 633 endcidrange\n"
                   "2 beginbfchar <41> <0041> <8141> <3001> endbfchar\n"));
  seeds.Add("stream-cidchar", stream("1 begincidrange <3000> <30ff> 600 endcidrange\n"
                                     "2 begincidchar\n<4e9c> 1125\n<5c> 97\nendcidchar\n"));
  seeds.Add("stream-broken-ranges",
            stream("6 begincidrange\n<0020> <0010> 5\n<20> <0030> 5\n<010203> <010204> 5\n"
                   "<0040> <0041> 70000\n<0050> <0051> 65535\n<0060> <0061> -3\nendcidrange\n"));
  seeds.Add("stream-counts", stream("2000000000 begincidrange\n<01> <02> 10\nendcidrange\n"
                                    "-5 beginbfchar\n<01> <0041>\nendbfchar\n"));
  seeds.Add("stream-overlap",
            stream("4 begincidrange\n<0010> <0020> 100\n<0000> <00ff> 500\n<00> <ff> 900\n"
                   "<0018> <0030> 2000\nendcidrange\n"));
  seeds.Add("stream-tounicode-producers",
            stream("1 begincodespacerange<0000><ffff>endcodespacerange\n"
                   "3 beginbfchar\n<2e><002e><32><0032><01><D835DC00>\nendbfchar\n"
                   "2 beginbfrange\n<41> <42> [<00AB> <00BB>]\n<61><63>[<D83DDE00><0062>]\n"
                   "endbfrange\n/CMapName/X def %comment <20> <0020>\n"));
  seeds.Add("stream-notdef-gaps",
            stream("2 begincodespacerange <00> <80> <8140> <9ffc> endcodespacerange\n"
                   "1 beginnotdefrange <00> <1f> 231 endnotdefrange\n"
                   "2 begincidrange <20> <7e> 1 <8140> <817e> 633 endcidrange\n"));
  seeds.Add("stream-long-line",
            stream("%" + std::string(253, 'x') + "1 begincidrange <20> <20> 7 endcidrange\n"));
  std::string wide = "1 begincodespacerange <00> <ff> endcodespacerange 40 beginbfchar";
  for (int code = 0x41; code < 0x41 + 40; ++code) {
    wide += " <" + std::to_string(code % 10) + std::to_string(code % 7) + "> <00" +
            std::to_string(code) + ">";
  }
  seeds.Add("stream-400-byte-line", stream(wide + " endbfchar\n"));
  seeds.Add("stream-split-entries",
            stream("1 begincodespacerange\n<00>\n<ff>\nendcodespacerange\n1\nbeginbfchar\n<41>\n"
                   "% a comment between operands\n<00\n41>\nendbfchar\n"
                   "1 beginbfrange <61>\r<63>\r[<0061>\r<>\r<62>]\rendbfrange\n"
                   "/CMapName\n/Split def /Registry\n(Ad\nobe)\n"));
  seeds.Add("stream-no-header-encoding",
            stream("/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                   "/CMapName /Test-H def\n1 begincodespacerange <00> <ff> endcodespacerange\n"
                   "1 begincidrange <41> <42> 1 endcidrange\nendcmap\n"));
  seeds.Add("stream-open-string", stream("1 begincidrange <20> <20> 7 endcidrange\n(abc"));
  seeds.Add("file-open-hex", file("1 begincidrange <20> <20> 7 endcidrange\n<4"));
}
