#include "pdf/graphics/CPDFHalftone.h"

#include <memory>

#include "pdf/document/CPDFLoadDepth.h"
#include "pdf/object/CPDFFamily.h"

namespace {

constexpr CPDFFamilyMember<CPDFHalftone> kMembers[] = {
    MakeFamilyMember<CPDFHalftone, CPDFType1Ht, CPDFDict>(CPDFType1Ht::kBit),
    MakeFamilyMember<CPDFHalftone, CPDFType5Ht, CPDFDict>(CPDFType5Ht::kBit),
    MakeFamilyMember<CPDFHalftone, CPDFType6Ht, CPDFDict>(CPDFType6Ht::kBit),
    MakeFamilyMember<CPDFHalftone, CPDFType10Ht, CPDFDict>(CPDFType10Ht::kBit),
    MakeFamilyMember<CPDFHalftone, CPDFType16Ht, CPDFDict>(CPDFType16Ht::kBit),
    MakeFamilyMember<CPDFHalftone, CPDFHalftone, CPDFDict>(CPDFHalftone::kNamedBit),
};

// How Load types a key: an integer from a number, a function (a name
// stays), or a halftone of any type but 5.
enum class Rule { kNone, kNumber, kFunction, kHalftone };

// What a halftone type checks and converts; unused slots have no key.
struct TypeKeys {
  struct Converted {
    const char* key;
    Rule rule;
    PDFEntry entry;
  };
  PDFRequiredKey required[3];
  Converted converted[6];
};

constexpr int32_t kNumber = CPDFObject::kNumber;
constexpr auto kRequired = PDFEntry::kRequired;
constexpr auto kOptional = PDFEntry::kOptional;

constexpr TypeKeys kType1 = {
    {{"Frequency", kNumber},
     {"Angle", kNumber},
     {"SpotFunction", CPDFObject::kName | CPDFObject::kDictionary | CPDFObject::kStream}},
    {{"SpotFunction", Rule::kFunction, kRequired},
     {"TransferFunction", Rule::kFunction, kOptional}}};
constexpr TypeKeys kType5 = {{{"Default", CPDFObject::kDictionary}},
                             {{"Cyan", Rule::kHalftone, kOptional},
                              {"Magenta", Rule::kHalftone, kOptional},
                              {"Yellow", Rule::kHalftone, kOptional},
                              {"Black", Rule::kHalftone, kOptional},
                              {"Default", Rule::kHalftone, kRequired}}};
constexpr TypeKeys kType6 = {{{"Width", kNumber}, {"Height", kNumber}},
                             {{"Width", Rule::kNumber, kRequired},
                              {"Height", Rule::kNumber, kRequired},
                              {"TransferFunction", Rule::kFunction, kOptional}}};
constexpr TypeKeys kType10 = {{{"Xsquare", kNumber}, {"Ysquare", kNumber}},
                              {{"Xsquare", Rule::kNumber, kRequired},
                               {"Ysquare", Rule::kNumber, kRequired},
                               {"TransferFunction", Rule::kFunction, kOptional}}};
constexpr TypeKeys kType16 = {{{"Width", kNumber}, {"Height", kNumber}},
                              {{"Width", Rule::kNumber, kRequired},
                               {"Height", Rule::kNumber, kRequired},
                               {"Width2", Rule::kNumber, kOptional},
                               {"Height2", Rule::kNumber, kOptional},
                               {"TransferFunction", Rule::kFunction, kOptional}}};

template <int32_t N>
constexpr const TypeKeys& KeysOf() {
  if constexpr (N == 1) return kType1;
  if constexpr (N == 5) return kType5;
  if constexpr (N == 6) return kType6;
  if constexpr (N == 10) return kType10;
  if constexpr (N == 16) return kType16;
}

bool TypeKey(CPDFDict* dict, CPDFObjRegistry* doc, const TypeKeys::Converted& what) {
  const CPDFName key(what.key);
  switch (what.rule) {
    case Rule::kNumber: return PDFTypeEntry<CPDFInt>(dict, doc, key, what.entry);
    case Rule::kFunction:
      return PDFTypeEntry(dict, doc, key, CPDFObject::kDictionary | CPDFObject::kStream,
                          PDFFactory(&CPDFFunction::CreateFunction, doc), what.entry);
    case Rule::kHalftone:
      return PDFTypeEntry(
          dict, doc, key, CPDFObject::kDictionary,
          PDFFactory(&CPDFHalftone::CreateHalftone, doc, CPDFHalftone::kAllButType5), what.entry);
    case Rule::kNone: break;
  }
  return true;
}

}  // namespace

CPDFHalftone* CPDFHalftone::CreateHalftone(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask) {
  return CreateNestedFamilyMember<kMembers>(doc, object, mask);
}

bool CPDFHalftone::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  auto* type = PDFGetAs<CPDFName>(dict, doc, Key_Type());
  return type && type->IsEqual(TypeName());
}

bool CPDFHalftone::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source);
}

CPDFHalftone* CPDFHalftone::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

bool CPDFHalftone::CheckTyped(CPDFObjRegistry* doc, CPDFDict* dict, const CPDFInt& value) {
  if (!Check(doc, dict) || dict->Get(doc, Key_HalftoneName())) return false;
  return PDFCheckTypeNumber(dict, doc, Key_HalftoneType(), value, PDFTypeMatch::kInteger);
}

template <int32_t N>
bool CPDFTypedHalftone<N>::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  return CheckTyped(doc, dict, TypeValue()) && PDFHasRequired(dict, doc, KeysOf<N>().required);
}

template <int32_t N>
bool CPDFTypedHalftone<N>::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    if (!Set_HalftoneType()) return false;
    for (const auto& converted : KeysOf<N>().converted) {
      if (!converted.key) break;
      if (!TypeKey(this, doc, converted)) return false;
    }
    return true;
  });
}

template class CPDFTypedHalftone<1>;
template class CPDFTypedHalftone<5>;
template class CPDFTypedHalftone<6>;
template class CPDFTypedHalftone<10>;
template class CPDFTypedHalftone<16>;
