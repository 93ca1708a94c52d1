#include "pdf/font/CPDFFontDesc.h"

#include <cstring>
#include <memory>
#include <vector>

#include "pdf/document/CPDFLoadDepth.h"
#include "pdf/font/AFMFile.h"
#include "pdf/object/CPDFException.h"

namespace {

// The descriptor flags a descriptor built from metrics uses.
constexpr int32_t kFixedPitch = 1;
constexpr int32_t kSymbolic = 4;
constexpr int32_t kNonsymbolic = 32;

template <class T>
bool StoreNew(CPDFFontDesc* desc, const CPDFName& key, std::unique_ptr<T> value) {
  return desc->Set(desc->GetDoc(), key, std::unique_ptr<CPDFObject>(value.release()));
}

bool StoreInt(CPDFFontDesc* desc, const CPDFName& key, int32_t value) {
  return StoreNew(desc, key, std::make_unique<CPDFInt>(value));
}

bool CheckShape(CPDFObjRegistry* doc, CPDFObject* object, bool typeRequired) {
  try {
    auto* dict = dynamic_cast<CPDFDict*>(object);
    if (!dict || dict->IsType(CPDFObject::kStream)) return false;
    using D = CPDFFontDesc;
    if (typeRequired || dict->Get(doc, D::Key_Type())) {
      auto* type = PDFGetAs<CPDFName>(dict, doc, D::Key_Type());
      if (!type || !type->IsEqual(D::TypeName())) return false;
    }
    return PDFHasRequired(dict, doc, D::kRequired);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFFontDesc", "Check");
  }
}

}  // namespace

bool CPDFFontDesc::CheckKeyed(CPDFObjRegistry* doc, CPDFObject* object) {
  return CheckShape(doc, object, false);
}

bool CPDFFontDesc::TypeKeyedEntry(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key,
                                  PDFEntry rule) {
  return PDFTypeEntry(
      dict, doc, key, kDictionary,
      [doc](CPDFObject* value) -> CPDFFontDesc* {
        if (!CheckKeyed(doc, value)) return nullptr;
        auto typed = std::make_unique<CPDFFontDesc>();
        if (!typed->Load(doc, static_cast<CPDFDict*>(value))) return nullptr;
        return typed.release();
      },
      rule);
}

bool CPDFFontDesc::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  return CheckShape(doc, object, true);
}

bool CPDFFontDesc::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  // A descriptor of FD can list descriptors in turn (or itself): past the
  // nesting limit (kept by the frame) those entries stay raw.
  return PDFLoadFrame(this, doc, source, kRequired, [&] {
    if (!PDFTypeEntry<CPDFInt>(this, doc, Key_Ascent()) ||
        !PDFTypeEntry<CPDFInt>(this, doc, Key_CapHeight()) ||
        !PDFTypeEntry<CPDFInt>(this, doc, Key_Descent()) ||
        !PDFTypeEntry<CPDFInt>(this, doc, Key_Flags()) ||
        !PDFTypeEntry<CPDFRect>(this, doc, Key_FontBBox()) ||
        !PDFTypeEntry<CPDFInt>(this, doc, Key_ItalicAngle()) ||
        !PDFTypeEntry<CPDFInt>(this, doc, Key_StemV()) ||
        !PDFTypeEntry<CPDFInt>(this, doc, Key_AvgWidth()) ||
        !PDFTypeEntry<CPDFFontFile>(this, doc, Key_FontFile()) ||
        !PDFTypeEntry<CPDFFontFile>(this, doc, Key_FontFile2()) ||
        !CPDFFontFile::TypeKeyedEntry(this, doc, Key_FontFile3()) ||
        !PDFTypeEntry<CPDFInt>(this, doc, Key_Leading()) ||
        !PDFTypeEntry<CPDFInt>(this, doc, Key_MaxWidth()) ||
        !PDFTypeEntry<CPDFInt>(this, doc, Key_MissingWidth()) ||
        !PDFTypeEntry<CPDFInt>(this, doc, Key_StemH()) ||
        !PDFTypeEntry<CPDFInt>(this, doc, Key_XHeight())) {
      return false;
    }
    CPDFDict* fd = Get_FD();
    if (!fd) return true;
    // The keys first: typing an entry replaces its value.
    std::vector<CPDFName> keys;
    for (auto it = fd->Begin(); !it.IsEnd(); it.Next()) keys.push_back(*it.GetKey());
    for (const CPDFName& key : keys) {
      if (!PDFTypeEntry<CPDFFontDesc>(fd, doc, key, PDFEntry::kRequired)) return false;
    }
    return true;
  });
}

bool CPDFFontDesc::Create(CPDFObjRegistry* doc, int32_t ascent, int32_t capHeight, int32_t descent,
                          int32_t flags, const CPDFRect& fontBBox, const char* fontName,
                          int32_t italicAngle, int32_t stemV) {
  if (!SetDoc(doc)) return false;
  try {
    if (!Set_Type() || !StoreInt(this, Key_Ascent(), ascent) ||
        !StoreInt(this, Key_CapHeight(), capHeight) || !StoreInt(this, Key_Descent(), descent) ||
        !StoreInt(this, Key_Flags(), flags)) {
      return false;
    }
    auto box = std::make_unique<CPDFRect>();
    if (!box->Copy(fontBBox) || !StoreNew(this, Key_FontBBox(), std::move(box))) return false;
    if (!fontName || !StoreNew(this, Key_FontName(), std::make_unique<CPDFName>(fontName))) {
      return false;
    }
    return StoreInt(this, Key_ItalicAngle(), italicAngle) && StoreInt(this, Key_StemV(), stemV);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFFontDesc", "Create");
  }
}

CPDFFontDesc* CPDFFontDesc::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

CPDFFontDesc* BuildFontDescriptor(CPDFObjRegistry* doc, const AFMFile& metrics,
                                  const char* baseFont) {
  if (metrics.IsCIDFont || !baseFont) return nullptr;
  // Symbol and ZapfDingbats have glyphs outside the standard Latin set: a
  // reader must not apply StandardEncoding to them.
  const char* name = metrics.FontName.c_str();
  const bool symbolic = std::strcmp(name, "Symbol") == 0 || std::strcmp(name, "ZapfDingbats") == 0;
  const int32_t flags =
      (symbolic ? kSymbolic : kNonsymbolic) | (metrics.IsFixedPitch ? kFixedPitch : 0);
  const CPDFRect box(
      static_cast<float>(metrics.FontBBox[0]), static_cast<float>(metrics.FontBBox[1]),
      static_cast<float>(metrics.FontBBox[2]), static_cast<float>(metrics.FontBBox[3]));
  // The vertical stem width: an AFM's stemV when it gives one, else its
  // StdVW (which every standard font's metrics carry), so that a reader
  // substituting a font picks the right weight.
  const int32_t stemV = metrics.stemV != 0 ? metrics.stemV : metrics.StdVW;
  try {
    auto desc = std::make_unique<CPDFFontDesc>();
    if (!desc->Create(doc, metrics.Ascender, metrics.CapHeight, metrics.Descender, flags, box,
                      baseFont, metrics.ItalicAngle, stemV)) {
      return nullptr;
    }
    return desc.release();
  } catch (...) {
    CPDFException::Absorb(nullptr, "CPDFFontDesc", "BuildFontDescriptor");
  }
  return nullptr;
}
