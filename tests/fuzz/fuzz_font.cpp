// Fonts read from one PDF object, with a real document as the registry: a
// dictionary goes to the font factory (and, when no font kind takes it, to
// the font base), a descriptor dictionary to the descriptor load, and a
// stream becomes the /ToUnicode CMap of a font. Every font then runs the
// four text conversions into buffers of exactly the room they promise: an
// answer is -1 with the document's error record filled, or fits. The CMap
// directory is poppler-data's Adobe-Japan1 folder when it is installed, so
// that Type 0 fonts convert through the Unicode and host CMaps.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFEnv.h"
#include "pdf/font/CPDFCIDFont.h"
#include "pdf/font/CPDFFont.h"
#include "pdf/font/CPDFFontDesc.h"
#include "pdf/font/CPDFType0Font.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFObject.h"
#include "pdf/object/CPDFStream.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

CPDFDoc* Doc() {
  static CPDFDoc* doc = [] {
    constexpr char kCMapDir[] = "/usr/share/poppler/cMap/Adobe-Japan1";
    std::error_code error;
    if (std::filesystem::is_directory(kCMapDir, error)) {
      CPDFEnv::Global().SetCMapDirectory(kCMapDir);
    }
    CPDFDoc* d = CPDFEnv::Global().CreateDoc(false, false, 1, 3, nullptr);
    FUZZ_CHECK(d != nullptr);
    return d;
  }();
  return doc;
}

// The font base alone, for dictionaries no font kind accepts.
class BaseFont : public CPDFFont {
 public:
  BaseFont* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override {
    return PDFClone(this, doc, sourceDoc);
  }
  const CPDFName& GetNamePrefix() override {
    static const CPDFName prefix("F");
    return prefix;
  }
};

void CheckAnswer(int32_t n, int32_t capacity) {
  FUZZ_CHECK(n == -1 || (n >= 0 && n <= capacity));
  // A failure always says why.
  if (n == -1) FUZZ_CHECK(Doc()->GetError().IsError() && *Doc()->GetError().GetMessage() != 0);
}

void Exercise(CPDFFont& font) {
  static const uint8_t kCodes[] = {'A', 0x00, 0x82, 0xA0, 0xFF, 0x41, 0xC8, 0xE9, '!'};
  static const uint8_t kHost[] = {'A', 0x82, 0xA0, 'b', 0xB1};
  // A surrogate pair and a lone surrogate among them; alpha and a dingbat,
  // which Symbol and ZapfDingbats hold.
  static const char16_t kUnits[] = {u'A',   u'\x3042', u'\xFF71', u'b',     0xD842,
                                    0xDFB7, 0xDC00,    u'\xE9',   u'\x3B1', u'\x2701'};
  const int32_t codes = static_cast<int32_t>(sizeof kCodes);
  const int32_t host = static_cast<int32_t>(sizeof kHost);
  const int32_t units = static_cast<int32_t>(sizeof kUnits / sizeof kUnits[0]);
  // Exact-size heap buffers, so that a write past the promised room is seen.
  {
    std::vector<char16_t> out(static_cast<size_t>(codes));
    CheckAnswer(font.ToUnicode(out.data(), codes, kCodes, codes), codes);
  }
  {
    std::vector<uint8_t> out(static_cast<size_t>(codes) * 2);
    CheckAnswer(font.ToHostEncoding(out.data(), codes * 2, kCodes, codes), codes * 2);
  }
  {
    std::vector<uint8_t> out(static_cast<size_t>(units) * 2);
    CheckAnswer(font.FromUnicode(out.data(), units * 2, kUnits, units), units * 2);
  }
  {
    std::vector<uint8_t> out(static_cast<size_t>(host) * 2);
    CheckAnswer(font.FromHostEncoding(out.data(), host * 2, kHost, host), host * 2);
  }
  font.CalcStringWidth(kCodes, codes);
  font.UpdateCharWidth();
}

void Dictionary(CPDFDict* dict) {
  CPDFDoc* doc = Doc();
  if (CPDFFontDesc::Check(doc, dict)) {
    CPDFFontDesc desc;
    desc.Load(doc, dict);
    return;
  }
  std::unique_ptr<CPDFFont> font(CPDFFont::CreateFont(doc, dict, -1));
  if (font) {
    Exercise(*font);
    return;
  }
  std::unique_ptr<CPDFCIDFont> cidFont(CPDFCIDFont::CreateCIDFont(doc, dict, -1));
  if (cidFont) {
    Exercise(*cidFont);
    return;
  }
  BaseFont base;
  if (base.Load(doc, dict)) Exercise(base);
}

void ToUnicodeStream(std::unique_ptr<CPDFObject> stream) {
  CPDFDoc* doc = Doc();
  CPDFObjRef ref;
  if (!doc->RegistObj(stream.get(), &ref)) return;
  stream.release();
  BaseFont font;
  if (font.Create(doc, "Fuzz") && PDFSetRef(&font, CPDFFont::Key_ToUnicode(), ref)) {
    Exercise(font);
  }
  font.Remove(nullptr, CPDFFont::Key_ToUnicode());
  // The same stream as the embedded encoding CMap of a Type 0 font.
  CPDFType0Font type0;
  if (type0.Create(doc, "Fuzz") && PDFSetRef(&type0, CPDFFont::Key_Encoding(), ref)) {
    Exercise(type0);
  }
  type0.Remove(nullptr, CPDFFont::Key_Encoding());
  doc->DeleteObj(ref);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (size_t{1} << 20)) return 0;
  CPDFMemInStream in;
  FUZZ_CHECK(in.Open(data, static_cast<int32_t>(size), 0));
  std::unique_ptr<CPDFObject> object;
  try {
    object.reset(CPDFObject::SerializeObject(Doc(), in, nullptr));
  } catch (CPDFException* e) {
    delete e;
    return 0;
  }
  if (dynamic_cast<CPDFStream*>(object.get())) {
    ToUnicodeStream(std::move(object));
  } else if (auto* dict = dynamic_cast<CPDFDict*>(object.get())) {
    Dictionary(dict);
  }
  return 0;
}

void FuzzSeeds(FuzzSeedList& seeds) {
  const std::string font = "<< /Type /Font /Subtype /Type1 /BaseFont /Test ";
  seeds.Add("no-encoding", font + ">>");
  seeds.Add("named", font + "/Encoding /WinAnsiEncoding >>");
  seeds.Add("unknown-name", font + "/Encoding /FooEncoding >>");
  seeds.Add("dict", font + "/Encoding << /Type /Encoding /Differences [65 /B 200 /A] >>");
  seeds.Add("plain-dict",
            font + "/Encoding << /BaseEncoding /StandardEncoding /Differences [254 /a /b /c] >>");
  seeds.Add("array", font + "/Encoding [1 2] >>");
  seeds.Add("glyph-names",
            font + "/Encoding << /Differences [65 /uni00E9 /eacute /G41 /uniD800] >>");
  seeds.Add("not-stream", font + "/ToUnicode 5 >>");
  auto stream = [](const std::string& entries, const std::string& data) {
    return "<< " + entries + "/Length " + std::to_string(data.size()) + " >>\nstream\n" + data +
           "\nendstream\nendobj";
  };
  seeds.Add("cmap", stream("",
                           "1 begincodespacerange\n<00> <FF>\nendcodespacerange\n"
                           "1 beginbfchar\n<41> <0041>\nendbfchar\n"));
  seeds.Add("cmap-usecmap", stream("", "/Nope usecmap\n"));
  seeds.Add("cmap-flate", stream("/Filter /FlateDecode ", "xxxxx"));
  seeds.Add("type1-standard", "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  seeds.Add("type1-standard-dict",
            "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding << /BaseEncoding "
            "/WinAnsiEncoding /Differences [24 /breve 39 /quotesingle 128 /nosuchglyph] >> >>");
  seeds.Add("symbol-standard", "<< /Type /Font /Subtype /Type1 /BaseFont /Symbol >>");
  seeds.Add("zapfdingbats-standard", "<< /Type /Font /Subtype /Type1 /BaseFont /ZapfDingbats >>");
  seeds.Add("standard-embedded",
            "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /FontDescriptor << /Type "
            "/FontDescriptor /FontName /Helvetica /FontFile 5 >> >>");
  seeds.Add("code-names",
            "<< /Type /Font /Subtype /Type1 /BaseFont /Symbol /Encoding << /Differences [128 "
            "/uni0144 /u0144 /u1F600 /u110000 /uni00e9 /a191] >> >>");
  seeds.Add("zapfdingbats-dict",
            "<< /Type /Font /Subtype /Type1 /BaseFont /ZapfDingbats /Encoding << /Differences "
            "[65 /a1 /a89] >> >>");
  seeds.Add("type1-widths",
            font + "/FirstChar -5 /LastChar 300 /Widths [250 300] /FontDescriptor << >> >>");
  seeds.Add("truetype",
            "<< /Type /Font /Subtype /TrueType /BaseFont /DejaVu#20Sans,Bold /FirstChar 200 "
            "/LastChar 100 >>");
  seeds.Add("truetype-subset-style",
            "<< /Type /Font /Subtype /TrueType /BaseFont /ABCDEF+DejaVuSans,BoldItalic >>");
  seeds.Add("mmtype1",
            "<< /Type /Font /Subtype /MMType1 /BaseFont /MM_400_ /FirstChar 32 /LastChar 32 "
            "/Widths [212] /FontDescriptor << >> >>");
  seeds.Add("type3",
            "<< /Type /Font /Subtype /Type3 /FirstChar 97 /LastChar 97 /Widths [500] /FontBBox "
            "[0 0 750 750] /FontMatrix [0.001 0 0 0.001 0 0] /CharProcs << >> /Resources << "
            "/Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Symbol >> >> >> /Encoding "
            "<< /Type /Encoding /Differences [97 /a] >> >>");
  const std::string cidFont =
      "<< /Type /Font /Subtype /CIDFontType0 /BaseFont /HeiseiMin-W3 /CIDSystemInfo << /Registry "
      "(Adobe) /Ordering (Japan1) /Supplement 2 >> /FontDescriptor << /Type /FontDescriptor "
      "/Ascent 880 /CapHeight 700 /Descent -120 /Flags 4 /FontBBox [0 -120 1000 880] /FontName "
      "/HeiseiMin-W3 /ItalicAngle 0 /StemV 80 >> /DW 1000 /W [1 [500 600] 10 20 700] >>";
  seeds.Add("cid-font", cidFont);
  seeds.Add("type0-identity",
            "<< /Type /Font /Subtype /Type0 /BaseFont /HeiseiMin-W3 /Encoding "
            "/Identity-H /DescendantFonts [" +
                cidFont + "] >>");
  seeds.Add("type0-encoding-cmap", stream("/Type /CMap /CMapName /Test-H ",
                                          "%!PS-Adobe-3.0 Resource-CMap\n/CMapName /Test-H def\n"
                                          "1 begincodespacerange\n<00> <FF>\nendcodespacerange\n"
                                          "1 begincidrange\n<20> <7E> 1\nendcidrange\n"));
  seeds.Add("type0-vertical",
            "<< /Type /Font /Subtype /Type0 /BaseFont /HeiseiMin-W3 /Encoding "
            "/UniJIS-UCS2-V /DescendantFonts [" +
                cidFont + "] >>");
  seeds.Add("type0-add-vertical",
            "<< /Type /Font /Subtype /Type0 /BaseFont /HeiseiMin-W3 /Encoding "
            "/Add-RKSJ-V /DescendantFonts [" +
                cidFont + "] >>");
  seeds.Add("type0-vertical-cmap",
            stream("/Type /CMap /CMapName /90ms-RKSJ-V ",
                   "%!PS-Adobe-3.0 Resource-CMap\n/CMapName /90ms-RKSJ-V def\n/WMode 1 def\n"
                   "/Ext-RKSJ-H usecmap\n"
                   "1 begincidrange\n<8141> <8142> 7887\n<41> <41> 8269\nendcidrange\n"));
  seeds.Add("descriptor",
            "<< /Type /FontDescriptor /Ascent 718 /CapHeight 718 /Descent -207 /Flags 32 "
            "/FontBBox [-166 -225 1000 931] /FontName /Helvetica /ItalicAngle 0 /StemV 88 "
            "/AvgWidth 500 /FD << /Sub << /Type /FontDescriptor /Ascent 1 /CapHeight 1 "
            "/Descent 1 /Flags 4 /FontBBox [0 0 1] /FontName /X /ItalicAngle 0 /StemV 0 >> >> "
            ">>");
}
