#include "pdf/font/CPDFType1Font.h"

#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "pdf/font/AFMFile.h"
#include "pdf/font/CPDFEncoding.h"
#include "pdf/font/EncodingTable.h"
#include "pdf/font/FontResourceCache.h"
#include "pdf/font/internal/FontText.h"
#include "pdf/font/internal/SimpleFontWidths.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFObjRegistry.h"

namespace {

constexpr const char* kClass = "CPDFType1Font";

const simplefont::Names kNames{kClass, "CPDFType1Font::Get_BaseFont()",
                               "CPDFType1Font::Get_FirstChar()", "CPDFType1Font::Get_LastChar()"};

// The descriptors built for the standard fonts of one document, by BaseFont.
class StandardDescriptors : public CPDFRegistryAttachment {
 public:
  std::map<std::string, std::unique_ptr<CPDFFontDesc>> byName;
};

// The attachment tag: the address of this object.
const char kDescriptorsTag = 0;

EncodingTable* NamedEncoding(const char* name, const char* method) {
  EncodingTable* table = FontResourceCache::Global().GetEncoding(name);
  if (!table) {
    CPDFException::ThrowFormat(kClass, method, CPDFException::kUndefined,
                               "undefined Font Encoding: %s", name);
  }
  return table;
}

// How the font's codes reach glyph names: the Differences of an encoding
// dictionary first, then the base table (the named encoding, the
// dictionary's /BaseEncoding, else StandardEncoding).
struct GlyphNames {
  EncodingTable* base = nullptr;
  std::unique_ptr<EncodingTable> differences;
};

// The font's built-in encoding, else StandardEncoding.
EncodingTable* ImplicitEncoding(CPDFType1Font* font, const char* method) {
  EncodingTable* builtIn = font->BuiltInEncoding();
  return builtIn ? builtIn : NamedEncoding("StandardEncoding", method);
}

GlyphNames FindGlyphNames(CPDFType1Font* font, const char* method) {
  GlyphNames names;
  if (!font->HasKey(CPDFFont::Key_Encoding())) {
    names.base = ImplicitEncoding(font, method);
    return names;
  }
  CPDFObject* encoding = font->Get_Encoding();
  if (auto* name = dynamic_cast<CPDFName*>(encoding)) {
    names.base = NamedEncoding(name->c_str(), method);
    return names;
  }
  auto* dict = dynamic_cast<CPDFDict*>(encoding);
  if (!dict || dict->GetType() != CPDFObject::kDictionary) {
    CPDFException::ThrowFormat(kClass, method, CPDFException::kSyntax, "typecheck: %s",
                               encoding ? encoding->GetTypeName() : "Null");
  }
  // Typed as an encoding or left a plain dictionary (no /Type): read alike.
  // A /BaseEncoding that is not a name counts as absent, as in the text
  // conversions.
  CPDFObjRegistry* doc = font->GetDoc();
  auto* base = PDFGetAs<CPDFName>(dict, doc, CPDFEncoding::Key_BaseEncoding());
  names.base = base ? NamedEncoding(base->c_str(), method) : ImplicitEncoding(font, method);
  if (auto* differences = PDFGetAs<CPDFArray>(dict, doc, CPDFEncoding::Key_Differences())) {
    names.differences = std::make_unique<EncodingTable>();
    if (!CPDFFont::ApplyDifferences(doc, differences, *names.differences)) {
      fonttext::StepFailed();
    }
  }
  return names;
}

// The widths of a font without /Widths: the WX of the glyph a code names
// (or of the metrics' glyph of the character the name stands for, as
// nacute for uni0144), 0 when it names none or the metrics lack the glyph. Each code is looked
// up once per measurement. With forWidths, a glyph that /Differences names
// and the metrics lack is a failure instead: 0 written into /Widths would
// make viewers overprint the next glyph, where without /Widths they measure
// the glyph themselves.
simplefont::CodeWidth MetricWidths(CPDFType1Font* font, const char* method, bool forWidths) {
  const char* baseFont = font->Get_BaseFont()->c_str();
  AFMFile* metrics = FontResourceCache::Global().GetAFM(baseFont);
  if (!metrics) {
    CPDFException::ThrowFormat(kClass, method, CPDFException::kUndefined, "undefined AFM: %s",
                               baseFont);
  }
  // Metrics with an encoding of their own (Symbol, ZapfDingbats): the glyph
  // of a code is the one the metrics list under that code.
  const bool builtIn = std::strcmp(metrics->EncodingScheme.c_str(), "FontSpecific") == 0;
  if (metrics->IsCIDFont ||
      (!builtIn && std::strcmp(metrics->EncodingScheme.c_str(), "AdobeStandardEncoding") != 0)) {
    CPDFException::ThrowFormat(kClass, method, CPDFException::kUndefined, "invalid AFM: %s",
                               baseFont);
  }
  struct State {
    GlyphNames names;
    bool builtIn = false;
    std::array<int32_t, 256> builtInWidth{};  // by the metrics' own codes
    std::array<int32_t, 256> width{};
    std::array<bool, 256> known{};
  };
  auto state = std::make_shared<State>();
  state->names = FindGlyphNames(font, method);
  // The glyph list the font's names go by: a dingbat name is a glyph of
  // ZapfDingbats only.
  const GlyphNameList list = EncodingTable::ListOfFont(baseFont);
  state->builtIn = builtIn;
  if (builtIn) {
    // The base encoding is still checked above, but such a font's glyphs
    // carry no standard names: a code the Differences leave alone keeps the
    // metrics' own glyph.
    metrics->ForEachCharMetric([&](const AFMCharMetric& metric) {
      if (metric.C >= 0 && metric.C < 256) state->builtInWidth[metric.C] = metric.WX;
    });
  }
  return [metrics, state, method, forWidths, list,
          font = std::string(baseFont)](uint8_t code) -> int32_t {
    if (state->known[code]) return state->width[code];
    auto widthOf = [&](const char* glyph) {
      const AFMCharMetric* metric = metrics->FindGlyph(glyph, list);
      return metric ? metric->WX : 0;
    };
    int32_t width = 0;
    const char* different =
        state->names.differences ? state->names.differences->FindGlyphName(code) : nullptr;
    if (different) {
      if (forWidths && std::strcmp(different, ".notdef") != 0 &&
          !metrics->FindGlyph(different, list)) {
        CPDFException::ThrowFormat(kClass, method, CPDFException::kUndefined,
                                   "no metrics for glyph %s of %s", different, font.c_str());
      }
      width = widthOf(different);
    } else if (state->builtIn) {
      width = state->builtInWidth[code];
    } else {
      TempString glyph;
      if (state->names.base->GetGlyphName(code, glyph)) width = widthOf(glyph.c_str());
    }
    state->width[code] = width;
    state->known[code] = true;
    return width;
  };
}

}  // namespace

bool CPDFType1Font::IsStandardFont(const char* baseFont) {
  static constexpr const char* kStandard[] = {
      "Courier",     "Courier-Bold",   "Courier-BoldOblique",   "Courier-Oblique",
      "Helvetica",   "Helvetica-Bold", "Helvetica-BoldOblique", "Helvetica-Oblique",
      "Times-Roman", "Times-Bold",     "Times-Italic",          "Times-BoldItalic",
      "Symbol",      "ZapfDingbats"};
  if (!baseFont) return false;
  for (const char* name : kStandard) {
    if (std::strcmp(name, baseFont) == 0) return true;
  }
  return false;
}

bool CPDFType1Font::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  try {
    if (!CPDFFont::Check(doc, object)) return false;
    auto* dict = static_cast<CPDFDict*>(object);
    auto* subtype = PDFGetAs<CPDFName>(dict, doc, Key_Subtype());
    if (!subtype || !subtype->IsEqual(SubtypeName())) return false;
    if (IsStandardFont(PDFGetAs<CPDFName>(dict, doc, Key_BaseFont())->c_str())) return true;
    auto isNumber = [&](const CPDFName& key) {
      CPDFObject* value = dict->Get(doc, key);
      return value && value->IsType(kNumber);
    };
    return isNumber(Key_FirstChar()) && isNumber(Key_LastChar()) &&
           PDFGetAs<CPDFArray>(dict, doc, Key_Widths()) &&
           PDFGetAs<CPDFDict>(dict, doc, Key_FontDescriptor());
  } catch (...) {
    return CPDFException::Absorb(nullptr, kClass, "Check");
  }
}

bool CPDFType1Font::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source,
                      [&] { return simplefont::TypeWidthKeys(this, doc, true); });
}

bool CPDFType1Font::Create(CPDFObjRegistry* doc, const char* baseFont) {
  return CPDFFont::Create(doc, baseFont) && Set_Subtype();
}

CPDFType1Font* CPDFType1Font::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

EncodingTable* CPDFType1Font::BuiltInEncoding() {
  CPDFName* baseFont = Get_BaseFont();
  if (!baseFont || !IsStandardFont(baseFont->c_str())) return nullptr;
  // An embedded program has an encoding of its own, which only the program
  // tells.
  if (auto* desc = PDFGetAs<CPDFDict>(this, GetDoc(), Key_FontDescriptor())) {
    if (desc->HasKey(CPDFFontDesc::Key_FontFile()) || desc->HasKey(CPDFFontDesc::Key_FontFile2()) ||
        desc->HasKey(CPDFFontDesc::Key_FontFile3())) {
      return nullptr;
    }
  }
  // Metrics with codes of their own (EncodingScheme FontSpecific: Symbol,
  // ZapfDingbats) give their encoding; the Latin fonts draw StandardEncoding.
  AFMFile* metrics = FontResourceCache::Global().GetAFM(baseFont->c_str());
  if (metrics && !metrics->IsCIDFont &&
      std::strcmp(metrics->EncodingScheme.c_str(), "FontSpecific") == 0) {
    return metrics->CodeEncoding();
  }
  return FontResourceCache::Global().GetEncoding("StandardEncoding");
}

const CPDFName& CPDFType1Font::GetNamePrefix() {
  static const CPDFName prefix("F");
  return prefix;
}

CPDFFontDesc* CPDFType1Font::GetFontDescriptor() {
  try {
    CPDFName* baseFont = Get_BaseFont();
    if (!baseFont) return nullptr;
    if (!IsStandardFont(baseFont->c_str())) return Get_FontDescriptor();
    CPDFObjRegistry* doc = GetDoc();
    if (!doc) return nullptr;
    auto* cache = static_cast<StandardDescriptors*>(doc->GetAttachment(&kDescriptorsTag));
    if (cache) {
      auto it = cache->byName.find(baseFont->c_str());
      if (it != cache->byName.end()) return it->second.get();
    }
    AFMFile* metrics = FontResourceCache::Global().GetAFM(baseFont->c_str());
    if (!metrics || metrics->IsCIDFont) return nullptr;
    std::unique_ptr<CPDFFontDesc> desc(BuildFontDescriptor(doc, *metrics, baseFont->c_str()));
    if (!desc ||
        !desc->Set(doc, CPDFFontDesc::Key_XHeight(), std::make_unique<CPDFInt>(metrics->XHeight))) {
      return nullptr;
    }
    if (!cache) {
      auto made = std::make_unique<StandardDescriptors>();
      cache = made.get();
      doc->SetAttachment(&kDescriptorsTag, std::move(made));
    }
    CPDFFontDesc* answer = desc.get();
    cache->byName[baseFont->c_str()] = std::move(desc);
    return answer;
  } catch (...) {
    CPDFException::Absorb(nullptr, kClass, "GetFontDescriptor");
  }
  return nullptr;
}

int32_t CPDFType1Font::CalcStringWidth(const uint8_t* text, int32_t length) {
  return simplefont::MeasureText(this, kNames, text, length,
                                 [&] { return MetricWidths(this, "CalcStringWidth", false); });
}

bool CPDFType1Font::UpdateCharWidth() {
  return simplefont::UpdateWidths(this, kNames, "UpdateCharWidth",
                                  [&] { return MetricWidths(this, "UpdateCharWidth", true); });
}
