#include "pdf/font/CPDFTrueTypeFont.h"

#include <cstring>
#include <memory>

#include "pdf/font/FontResourceCache.h"
#include "pdf/font/TrueTypeFontInfo.h"
#include "pdf/font/internal/SimpleFontWidths.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/TempString.h"

namespace {

constexpr const char* kClass = "CPDFTrueTypeFont";

const simplefont::Names kNames{kClass, "CPDFTrueTypeFont::Get_BaseFont()",
                               "CPDFTrueTypeFont::Get_FirstChar()",
                               "CPDFTrueTypeFont::Get_LastChar()"};

// Font-information names are limited to 255 bytes.
constexpr size_t kMaxInfoName = 255;

// The widths of the installed face the BaseFont names (its family, in the
// style given after a comma when that face is installed).
simplefont::CodeWidth InstalledWidths(CPDFTrueTypeFont* font, const char* method) {
  const char* baseFont = font->Get_BaseFont()->c_str();
  std::unique_ptr<CPDFName> infoName(CPDFTrueTypeFont::GetFontInfoName(baseFont));
  TrueTypeFontInfo* info =
      infoName ? FontResourceCache::Global().GetTrueTypeFace(baseFont) : nullptr;
  if (!info) {
    CPDFException::ThrowFormat(kClass, method, CPDFException::kUndefined,
                               "undefined TrueType font: %s",
                               infoName ? infoName->c_str() : baseFont);
  }
  return [info](uint8_t code) -> int32_t {
    const ABC* abc = info->GetABC(code);
    if (!abc) return 0;
    // 32-bit arithmetic with wrap: the widths come from a font file.
    return static_cast<int32_t>(static_cast<uint32_t>(abc->A) + abc->B +
                                static_cast<uint32_t>(abc->C));
  };
}

}  // namespace

bool CPDFTrueTypeFont::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  try {
    if (!CPDFFont::Check(doc, object)) return false;
    auto* subtype = PDFGetAs<CPDFName>(static_cast<CPDFDict*>(object), doc, Key_Subtype());
    return subtype && subtype->IsEqual(SubtypeName());
  } catch (...) {
    return CPDFException::Absorb(nullptr, kClass, "Check");
  }
}

bool CPDFTrueTypeFont::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source,
                      [&] { return simplefont::TypeWidthKeys(this, doc, true); });
}

CPDFTrueTypeFont* CPDFTrueTypeFont::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

const CPDFName& CPDFTrueTypeFont::GetNamePrefix() {
  static const CPDFName prefix("TT");
  return prefix;
}

CPDFName* CPDFTrueTypeFont::GetFontInfoName(const char* baseFont) {
  if (!baseFont) return nullptr;
  const size_t length = std::strlen(baseFont);
  if (length > kMaxInfoName) return nullptr;
  const char* comma = std::strchr(baseFont, ',');
  TempString name;
  if (!name.Assign(baseFont, static_cast<int32_t>(comma ? comma - baseFont : length))) {
    return nullptr;
  }
  return new CPDFName(name.c_str());
}

int32_t CPDFTrueTypeFont::CalcStringWidth(const uint8_t* text, int32_t length) {
  return simplefont::MeasureText(this, kNames, text, length,
                                 [&] { return InstalledWidths(this, "CalcStringWidth"); });
}

bool CPDFTrueTypeFont::UpdateCharWidth() {
  return simplefont::UpdateWidths(this, kNames, "UpdateCharWidth",
                                  [&] { return InstalledWidths(this, "UpdateCharWidth"); });
}
