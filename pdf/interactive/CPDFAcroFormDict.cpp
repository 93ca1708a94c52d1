#include "pdf/interactive/CPDFAcroFormDict.h"

#include <cstdint>
#include <memory>

#include "pdf/font/CPDFEncoding.h"
#include "pdf/font/CPDFType1Font.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNumber.h"

namespace {

PDF_CONST_NAME(Key_Encoding, "Encoding")
PDF_CONST_NAME(Key_PDFDocEncoding, "PDFDocEncoding")
PDF_CONST_NAME(Key_Helv, "Helv")

constexpr const char* kDefaultAppearance = "/Helv 0 Tf 0 g";
constexpr const char* kDefaultFont = "Helvetica";

// The Differences that make the standard encoding PDFDocEncoding: each row
// is a start code and the glyph names of the codes that follow it. Codes
// the table leaves out (159, 161 to 163, ...) keep their standard names.
constexpr int32_t kMaxRunLength = 64;
struct DifferencesRow {
  int32_t start;
  const char* names[kMaxRunLength];  // unused slots are none
};

constexpr DifferencesRow kDifferences[] = {
    {24, {"breve", "caron", "circumflex", "dotaccent", "hungarumlaut", "ogonek", "ring", "tilde"}},
    {39, {"quotesingle"}},
    {96, {"grave"}},
    {128, {"bullet",         "dagger",       "daggerdbl",
           "ellipsis",       "emdash",       "endash",
           "florin",         "fraction",     "guilsinglleft",
           "guilsinglright", "minus",        "perthousand",
           "quotedblbase",   "quotedblleft", "quotedblright",
           "quoteleft",      "quoteright",   "quotesinglbase",
           "trademark",      "fi",           "fl",
           "Lslash",         "OE",           "Scaron",
           "Ydieresis",      "Zcaron",       "dotlessi",
           "lslash",         "oe",           "scaron",
           "zcaron"}},
    {160, {"Euro"}},
    {164, {"currency"}},
    {166, {"brokenbar"}},
    {168, {"dieresis", "copyright", "ordfeminine"}},
    {172,
     {"logicalnot", ".notdef", "registered", "macron", "degree", "plusminus", "twosuperior",
      "threesuperior", "acute", "mu"}},
    {183, {"periodcentered", "cedilla", "onesuperior", "ordmasculine"}},
    {188, {"onequarter", "onehalf", "threequarters"}},
    {192, {"Agrave",      "Aacute",     "Acircumflex", "Atilde",      "Adieresis",   "Aring",
           "AE",          "Ccedilla",   "Egrave",      "Eacute",      "Ecircumflex", "Edieresis",
           "Igrave",      "Iacute",     "Icircumflex", "Idieresis",   "Eth",         "Ntilde",
           "Ograve",      "Oacute",     "Ocircumflex", "Otilde",      "Odieresis",   "multiply",
           "Oslash",      "Ugrave",     "Uacute",      "Ucircumflex", "Udieresis",   "Yacute",
           "Thorn",       "germandbls", "agrave",      "aacute",      "acircumflex", "atilde",
           "adieresis",   "aring",      "ae",          "ccedilla",    "egrave",      "eacute",
           "ecircumflex", "edieresis",  "igrave",      "iacute",      "icircumflex", "idieresis",
           "eth",         "ntilde",     "ograve",      "oacute",      "ocircumflex", "otilde",
           "odieresis",   "divide",     "oslash",      "ugrave",      "uacute",      "ucircumflex",
           "udieresis",   "yacute",     "thorn",       "ydieresis"}},
};

constexpr int32_t RunLength(const DifferencesRow& row) {
  int32_t n = 0;
  while (n < kMaxRunLength && row.names[n]) ++n;
  return n;
}

// The element count of the array: one start code per row and its names.
// Also checks that the runs ascend without overlapping and stay in a byte.
constexpr int32_t DifferencesCount() {
  int32_t count = 0;
  int32_t next = 0;
  for (const DifferencesRow& row : kDifferences) {
    const int32_t n = RunLength(row);
    if (n == 0 || row.start < next || row.start + n > 256) return -1;
    next = row.start + n;
    count += 1 + n;
  }
  return count;
}

constexpr int32_t kDifferencesCount = DifferencesCount();
static_assert(kDifferencesCount == 12 + 128, "12 start codes and 128 glyph names");

}  // namespace

bool CPDFAcroFormDict::Create(CPDFObjRegistry* doc, CPDFArray* fields) {
  try {
    if (!SetDoc(doc)) return false;
    // The caller keeps an array the form could not take.
    if (!Set_Fields(fields)) return false;

    std::unique_ptr<CPDFResDict> resources(new CPDFResDict);
    if (!resources->SetDoc(doc) || !Set_DR(resources.get(), true)) return false;
    CPDFResDict* dr = resources.release();

    std::unique_ptr<CPDFDict> encodings(new CPDFDict);
    if (!dr->Set(doc, Key_Encoding(), encodings.get(), true)) return false;
    CPDFDict* encodingDict = encodings.release();

    std::unique_ptr<CPDFEncoding> made(CreatePDFDocEncoding());
    if (!made) return false;
    CPDFObjRef encodingRef;
    if (!encodingDict->Set(doc, Key_PDFDocEncoding(), made.get(), true, &encodingRef)) {
      return false;
    }
    CPDFEncoding* encoding = made.release();

    std::unique_ptr<CPDFDict> fonts(new CPDFDict);
    if (!dr->Set_Font(fonts.get(), true)) return false;
    CPDFDict* fontDict = fonts.release();

    std::unique_ptr<CPDFType1Font> helv(new CPDFType1Font);
    if (!helv->Create(doc, kDefaultFont) || !fontDict->Set(doc, Key_Helv(), helv.get(), true)) {
      return false;
    }
    CPDFType1Font* font = helv.release();

    // The encoding is registered again under its own reference: the document
    // keeps the very object, and the font's /Encoding refers to it.
    if (!font->Set_Encoding(encoding, true, &encodingRef)) return false;

    std::unique_ptr<CPDFString> appearance(new CPDFString);
    if (!Set_DA(appearance.get())) return false;
    return appearance.release()->TempString::Assign(kDefaultAppearance);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFAcroFormDict", "Create");
  }
}

CPDFEncoding* CPDFAcroFormDict::CreatePDFDocEncoding() {
  try {
    std::unique_ptr<CPDFEncoding> encoding(new CPDFEncoding);
    if (!encoding->Create(GetDoc())) return nullptr;
    std::unique_ptr<CPDFArray> differences(new CPDFArray);
    if (!differences->Reserve(kDifferencesCount)) return nullptr;
    for (const DifferencesRow& row : kDifferences) {
      if (!differences->Push_Back(GetDoc(), std::make_unique<CPDFInt>(row.start))) return nullptr;
      for (int32_t i = 0; i < RunLength(row); ++i) {
        if (!differences->Push_Back(GetDoc(), std::make_unique<CPDFName>(row.names[i]))) {
          return nullptr;
        }
      }
    }
    if (!encoding->Set_Differences(differences.get())) return nullptr;
    differences.release();
    return encoding.release();
  } catch (...) {
    CPDFException::Absorb(nullptr, "CPDFAcroFormDict", "CreatePDFDocEncoding");
    return nullptr;
  }
}
