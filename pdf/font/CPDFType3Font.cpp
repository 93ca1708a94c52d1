#include "pdf/font/CPDFType3Font.h"

#include "pdf/font/CPDFEncoding.h"
#include "pdf/font/internal/SimpleFontWidths.h"
#include "pdf/object/CPDFException.h"

namespace {

bool IsNumber(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key) {
  CPDFObject* value = dict->Get(doc, key);
  return value && value->IsType(CPDFObject::kNumber);
}

bool HasSubtype(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& name) {
  auto* subtype = PDFGetAs<CPDFName>(dict, doc, CPDFFont::Key_Subtype());
  return subtype && subtype->IsEqual(name);
}

}  // namespace

bool CPDFType3Font::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  try {
    auto* dict = dynamic_cast<CPDFDict*>(object);
    if (!dict) return false;
    auto* type = PDFGetAs<CPDFName>(dict, doc, Key_Type());
    if (!type || !type->IsEqual(TypeName()) || !HasSubtype(dict, doc, SubtypeName())) {
      return false;
    }
    CPDFObject* encoding = dict->Get(doc, Key_Encoding());
    return IsNumber(dict, doc, Key_FirstChar()) && IsNumber(dict, doc, Key_LastChar()) &&
           PDFGetAs<CPDFArray>(dict, doc, Key_Widths()) &&
           PDFGetAs<CPDFDict>(dict, doc, Key_CharProcs()) &&
           PDFGetAs<CPDFArray>(dict, doc, Key_FontBBox()) &&
           PDFGetAs<CPDFArray>(dict, doc, Key_FontMatrix()) && encoding &&
           encoding->IsType(kName | kDictionary);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFType3Font", "Check");
  }
}

bool CPDFType3Font::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return PDFTypeEntry<CPDFInt>(this, doc, Key_FirstChar()) &&
           PDFTypeEntry<CPDFInt>(this, doc, Key_LastChar()) &&
           PDFTypeElements<CPDFInt>(PDFGetAs<CPDFArray>(this, doc, Key_Widths()), doc) &&
           PDFTypeEntry<CPDFRect>(this, doc, Key_FontBBox()) &&
           PDFTypeEntry<CPDFMatrix>(this, doc, Key_FontMatrix()) &&
           PDFTypeEntry<CPDFResDict>(this, doc, Key_Resources()) &&
           CPDFEncoding::TypeKeyedEntry(this, doc, Key_Encoding());
  });
}

CPDFType3Font* CPDFType3Font::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

const CPDFName& CPDFType3Font::GetNamePrefix() {
  static const CPDFName prefix("T");
  return prefix;
}

bool CPDFMMType1Font::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  try {
    if (!CPDFFont::Check(doc, object)) return false;
    auto* dict = static_cast<CPDFDict*>(object);
    return HasSubtype(dict, doc, SubtypeName()) && IsNumber(dict, doc, Key_FirstChar()) &&
           IsNumber(dict, doc, Key_LastChar()) && PDFGetAs<CPDFArray>(dict, doc, Key_Widths()) &&
           PDFGetAs<CPDFDict>(dict, doc, Key_FontDescriptor());
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFMMType1Font", "Check");
  }
}

bool CPDFMMType1Font::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source,
                      [&] { return simplefont::TypeWidthKeys(this, doc, true); });
}

CPDFMMType1Font* CPDFMMType1Font::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

const CPDFName& CPDFMMType1Font::GetNamePrefix() {
  static const CPDFName prefix("F");
  return prefix;
}
