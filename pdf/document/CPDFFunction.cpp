#include "pdf/document/CPDFFunction.h"

#include "pdf/document/CPDFLoadDepth.h"
#include "pdf/object/CPDFFamily.h"

namespace {

constexpr CPDFFamilyMember<CPDFFunction> kMembers[] = {
    MakeFamilyMember<CPDFFunction, CPDFType0Func, CPDFDict>(CPDFFunction::kType0),
    MakeFamilyMember<CPDFFunction, CPDFType2Func, CPDFDict>(CPDFFunction::kType2),
    MakeFamilyMember<CPDFFunction, CPDFType3Func, CPDFDict>(CPDFFunction::kType3),
    MakeFamilyMember<CPDFFunction, CPDFType4Func, CPDFDict>(CPDFFunction::kType4),
};

bool HasArray(CPDFObjRegistry* doc, CPDFDict* dict, const CPDFName& key) {
  return PDFGetAs<CPDFArray>(dict, doc, key) != nullptr;
}

bool HasNumber(CPDFObjRegistry* doc, CPDFDict* dict, const CPDFName& key) {
  CPDFObject* value = dict->Get(doc, key);
  return value && value->IsType(CPDFObject::kNumber);
}

}  // namespace

CPDFFunction* CPDFFunction::CreateFunction(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask) {
  return CreateNestedFamilyMember<kMembers>(doc, object, mask);
}

bool CPDFFunction::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  auto* dict = dynamic_cast<CPDFDict*>(object);
  return dict && HasArray(doc, dict, Key_Domain());
}

bool CPDFFunction::CheckType(CPDFObjRegistry* doc, CPDFObject* object, const CPDFInt& value) {
  if (!CPDFFunction::Check(doc, object)) return false;
  return PDFCheckTypeNumber(static_cast<CPDFDict*>(object), doc, Key_FunctionType(), value,
                            PDFTypeMatch::kInteger);
}

bool CPDFFunction::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] { return TypeFunctionType(doc); });
}

bool CPDFFunction::Assign(CPDFObjRegistry* doc, CPDFDict* source) {
  if (auto* stream = dynamic_cast<CPDFStream*>(source)) return CPDFStream::Assign(doc, stream);
  return CPDFDict::Assign(doc, source);
}

bool CPDFFunction::TypeFunctionType(CPDFObjRegistry* doc) {
  return PDFTypeEntry<CPDFInt>(this, doc, Key_FunctionType(), PDFEntry::kRequired);
}

bool CPDFFunction::Duplicate(CPDFFunction* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                             bool overwrite) const {
  if (!dest) return false;
  CPDFStructBase::Duplicate(dest, doc, sourceDoc);
  if (streamForm_) return CPDFStream::Duplicate(dest, doc, sourceDoc, overwrite);
  // A dictionary function has no data: copying them would add a Length
  // that the written dictionary never had.
  dest->SetDoc(doc);
  return CPDFDict::Duplicate(dest, doc, sourceDoc, overwrite);
}

void CPDFFunction::Write(CPDFOutStream& out, const uint8_t* context) {
  if (streamForm_) {
    CPDFStream::Write(out, context);
  } else {
    CPDFDict::Write(out, context);
  }
}

// Type 0.

bool CPDFType0Func::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  if (!CheckType(doc, object, PDFTypeNumber<0>())) return false;
  auto* dict = static_cast<CPDFDict*>(object);
  return HasArray(doc, dict, Key_Size()) && HasNumber(doc, dict, Key_BitsPerSample());
}

bool CPDFType0Func::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return TypeFunctionType(doc) &&
           PDFTypeEntry<CPDFInt>(this, doc, Key_BitsPerSample(), PDFEntry::kRequired) &&
           PDFTypeEntry<CPDFInt>(this, doc, Key_Order());
  });
}

CPDFObject* CPDFType0Func::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc, DuplicateWith(doc, sourceDoc));
}

// Type 2.

bool CPDFType2Func::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  return CheckType(doc, object, PDFTypeNumber<2>()) &&
         HasNumber(doc, static_cast<CPDFDict*>(object), Key_N());
}

CPDFObject* CPDFType2Func::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc, DuplicateWith(doc, sourceDoc));
}

// Type 3.

bool CPDFType3Func::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  if (!CheckType(doc, object, PDFTypeNumber<3>())) return false;
  auto* dict = static_cast<CPDFDict*>(object);
  return HasArray(doc, dict, Key_Functions()) && HasArray(doc, dict, Key_Bounds()) &&
         HasArray(doc, dict, Key_Encode());
}

bool CPDFType3Func::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return TypeFunctionType(doc) && Get_Functions() &&
           PDFTypeEntryOrElements(this, doc, Key_Functions(), kDictionary | kStream,
                                  PDFFactory(&CreateFunction, doc), PDFEntry::kRequired);
  });
}

CPDFObject* CPDFType3Func::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc, DuplicateWith(doc, sourceDoc));
}

// Type 4.

bool CPDFType4Func::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  return CheckType(doc, object, PDFTypeNumber<4>());
}

CPDFObject* CPDFType4Func::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc, DuplicateWith(doc, sourceDoc));
}
