#include "pdf/document/CPDFOPIDict.h"

#include "pdf/document/CPDFFileSpec.h"
#include "pdf/document/CPDFTypedEntries.h"
#include "pdf/object/CPDFFamily.h"

namespace {

constexpr CPDFFamilyMember<CPDFOPIDict> kVersions[] = {
    MakeFamilyMember<CPDFOPIDict, CPDFOPI13, CPDFDict>(1),
    MakeFamilyMember<CPDFOPIDict, CPDFOPI20, CPDFDict>(2),
};

// The array under the key: its elements first, first + step, ... to numbers
// of class T. True when the key is absent or not an array.
template <class T>
bool ConvertElements(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key,
                     int32_t first = 0, int32_t step = 1) {
  auto* array = PDFGetAs<CPDFArray>(dict, doc, key);
  return !array || PDFConvertNumberElements<T>(array, doc, first, step);
}

}  // namespace

CPDFOPIDict* CPDFOPIDict::CreateOPIDict(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask) {
  return CreateFamilyMember<kVersions>(doc, object, mask);
}

CPDFDict* CPDFOPIDict::CheckVersion(CPDFObjRegistry* doc, CPDFObject* object,
                                    const CPDFName& versionKey, const CPDFNumber& version) {
  auto* outer = dynamic_cast<CPDFDict*>(object);
  if (!outer) return nullptr;
  auto* dict = PDFGetAs<CPDFDict>(outer, doc, versionKey);
  if (!dict || dict->IsType(kStream)) return nullptr;
  auto* type = PDFGetAs<CPDFName>(dict, doc, Key_Type());
  if (!type || !type->IsEqual(Name_OPI())) return nullptr;
  auto* number = PDFGetAs<CPDFNumber>(dict, doc, Key_Version());
  if (!number || !number->IsType(kNumber) || number->NotEqual(version)) return nullptr;
  CPDFObject* f = dict->Get(doc, Key_F());
  if (!f || !f->IsType(kString | kDictionary)) return nullptr;
  return dict;
}

template <class Convert>
bool CPDFOPIDict::LoadVersion(CPDFObjRegistry* doc, CPDFDict* source, Convert convert) {
  SetDoc(doc);
  return PDFLoadEntries(this, doc, source, [&] {
    CPDFDict* version = Get_OPI();
    return version && ConvertF(version) && convert(version);
  });
}

bool CPDFOPIDict::ConvertF(CPDFDict* version) {
  // Required; a string stays a string.
  return version->Get(GetDoc(), Key_F()) &&
         PDFLoadEntry<CPDFFileSpec, CPDFDict>(version, GetDoc(), Key_F(), kDictionary);
}

// Version 1.3.

const CPDFNumber& CPDFOPI13::Version() {
  static const CPDFNumber version(1.3f);
  return version;
}

bool CPDFOPI13::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  CPDFDict* dict = CheckVersion(doc, object, Key_Version13(), Version());
  if (!dict) return false;
  for (const CPDFName* key : {&Key_CropRect(), &Key_Position(), &Key_Size()}) {
    if (!PDFGetAs<CPDFArray>(dict, doc, *key)) return false;
  }
  return true;
}

bool CPDFOPI13::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return LoadVersion(doc, source, [&](CPDFDict* v) {
    // CropRect and Size are required.
    if (!PDFGetAs<CPDFArray>(v, doc, Key_CropRect())) return false;
    if (!ConvertElements<CPDFInt>(v, doc, Key_CropRect())) return false;
    if (!PDFConvertTextEntry(v, doc, Key_Comments())) return false;
    if (!ConvertElements<CPDFReal>(v, doc, Key_CropFixed())) return false;
    if (!ConvertElements<CPDFInt>(v, doc, Key_ImageType())) return false;
    if (!PDFGetAs<CPDFArray>(v, doc, Key_Size())) return false;
    if (!ConvertElements<CPDFInt>(v, doc, Key_Size())) return false;
    return ConvertElements<CPDFInt>(v, doc, Key_Tags(), 0, 2);
  });
}

CPDFObject* CPDFOPI13::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFCloneStruct<CPDFOPI13>(this, doc, sourceDoc);
}

CPDFDict* CPDFOPI13::Get_OPI(CPDFObjRef* ref) {
  return PDFGetAs<CPDFDict>(this, GetDoc(), Key_Version13(), ref);
}

bool CPDFOPI13::Set_OPI(CPDFDict* value, bool indirect, CPDFObjRef* ref) {
  return PDFSetAs(this, GetDoc(), Key_Version13(), value, indirect, ref);
}

// Version 2.0.

const CPDFNumber& CPDFOPI20::Version() {
  static const CPDFNumber version(2.0f);
  return version;
}

bool CPDFOPI20::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  return CheckVersion(doc, object, Key_Version20(), Version()) != nullptr;
}

bool CPDFOPI20::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return LoadVersion(doc, source, [&](CPDFDict* v) {
    if (!ConvertElements<CPDFInt>(v, doc, Key_IncludedImageDimensions())) return false;
    // Inks: the ink kind, then pairs of ink name and tint. A pair without
    // its tint fails.
    if (auto* inks = PDFGetAs<CPDFArray>(v, doc, Key_Inks())) {
      if (inks->GetCount() > 1 && inks->GetCount() % 2 == 0) return false;
      if (!PDFConvertNumberElements<CPDFReal>(inks, doc, 2, 2)) return false;
    }
    return ConvertElements<CPDFInt>(v, doc, Key_Tags(), 0, 2);
  });
}

CPDFObject* CPDFOPI20::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFCloneStruct<CPDFOPI20>(this, doc, sourceDoc);
}

CPDFDict* CPDFOPI20::Get_OPI(CPDFObjRef* ref) {
  return PDFGetAs<CPDFDict>(this, GetDoc(), Key_Version20(), ref);
}

bool CPDFOPI20::Set_OPI(CPDFDict* value, bool indirect, CPDFObjRef* ref) {
  return PDFSetAs(this, GetDoc(), Key_Version20(), value, indirect, ref);
}
