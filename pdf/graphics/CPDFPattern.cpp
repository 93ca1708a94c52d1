#include "pdf/graphics/CPDFPattern.h"

#include "pdf/document/CPDFLoadDepth.h"
#include "pdf/object/CPDFFamily.h"

namespace {

constexpr CPDFFamilyMember<CPDFPattern> kMembers[] = {
    MakeFamilyMember<CPDFPattern, CPDFType1Pat, CPDFDict>(CPDFType1Pat::kBit),
    MakeFamilyMember<CPDFPattern, CPDFType2Pat, CPDFDict>(CPDFType2Pat::kBit),
};

// The keys each type's Check requires. Load requires a subset of them (see
// each Load): a load may run without the check.
constexpr PDFRequiredKey kTiling[] = {
    {"Resources", CPDFObject::kDictionary}, {"PaintType", CPDFObject::kNumber},
    {"TilingType", CPDFObject::kNumber},    {"BBox", CPDFObject::kArray},
    {"XStep", CPDFObject::kNumber},         {"YStep", CPDFObject::kNumber},
};
constexpr PDFRequiredKey kShadingPattern[] = {
    {"Shading", CPDFObject::kDictionary},
    {"ExtGState", CPDFObject::kDictionary},
};

}  // namespace

CPDFPattern* CPDFPattern::CreatePattern(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask) {
  return CreateNestedFamilyMember<kMembers>(doc, object, mask);
}

bool CPDFPattern::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  auto* type = PDFGetAs<CPDFName>(dict, doc, Key_Type());
  return type && type->GetType() == kName && type->IsEqual(CategoryName(kPattern));
}

bool CPDFPattern::Assign(CPDFObjRegistry* doc, CPDFDict* source) {
  if (!source) return false;
  if (source->GetType() == kStream) {
    auto* stream = dynamic_cast<CPDFStream*>(source);
    return stream && CPDFStream::Assign(doc, stream);
  }
  return source->GetType() == kDictionary && CPDFDict::Assign(doc, source);
}

const CPDFName& CPDFPattern::GetNamePrefix() {
  static const CPDFName prefix("P");
  return prefix;
}

// Tiling patterns.

bool CPDFType1Pat::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  return CheckTyped(doc, dict, TypeValue(), kTiling);
}

bool CPDFType1Pat::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return LoadTyped(doc, source, TypeValue(), [&] {
    return PDFTypeEntry<CPDFResDict>(this, doc, Key_Resources(), PDFEntry::kRequired) &&
           PDFTypeEntry<CPDFInt>(this, doc, Key_PaintType(), PDFEntry::kRequired) &&
           PDFTypeEntry<CPDFInt>(this, doc, Key_TilingType(), PDFEntry::kRequired) &&
           PDFTypeEntry<CPDFRect>(this, doc, Key_BBox(), PDFEntry::kRequired);
  });
}

CPDFType1Pat* CPDFType1Pat::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

// Shading patterns.

bool CPDFType2Pat::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  return CheckTyped(doc, dict, TypeValue(), kShadingPattern);
}

bool CPDFType2Pat::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return LoadTyped(doc, source, TypeValue(), [&] {
    // ExtGState may be absent when the load runs without the check.
    return PDFTypeEntry(this, doc, Key_Shading(), kDictionary,
                        PDFFactory(&CPDFShading::CreateShading, doc), PDFEntry::kRequired) &&
           PDFTypeEntry<CPDFExtGState>(this, doc, Key_ExtGState());
  });
}

CPDFType2Pat* CPDFType2Pat::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  // The shared dictionary copy step copies the dictionary part alone.
  return PDFClone(this, doc, sourceDoc, [&](CPDFType2Pat* copy) {
    return CopyDataStruct(this, copy, doc, sourceDoc, true);
  });
}

void CPDFType2Pat::Write(CPDFOutStream& out, const uint8_t* context) {
  CPDFDict::Write(out, context);
}
