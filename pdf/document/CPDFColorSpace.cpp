#include "pdf/document/CPDFColorSpace.h"

#include <memory>
#include <vector>

#include "pdf/document/CPDFFunction.h"
#include "pdf/document/CPDFLoadDepth.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFFamily.h"
#include "pdf/object/CPDFStream.h"

namespace {

bool IsArrayOrName(const CPDFObject* o) {
  return o && o->IsType(CPDFObject::kArray | CPDFObject::kName);
}

bool IsFunctionShape(const CPDFObject* o) {
  return o && o->IsType(CPDFObject::kDictionary | CPDFObject::kStream);
}

// The function factory for the tint transforms.
auto FunctionFactory(CPDFObjRegistry* doc) {
  return PDFFactory(&CPDFFunction::CreateFunction, doc);
}

}  // namespace

// ---- CPDFColorSpace -------------------------------------------------------

CPDFColorSpace* CPDFColorSpace::CreateColorSpace(CPDFObjRegistry* doc, CPDFObject* object,
                                                 int32_t mask) {
  static constexpr CPDFFamilyMember<CPDFColorSpace> kMembers[] = {
      MakeFamilyMember<CPDFColorSpace, CPDFDevGrayCS, CPDFArray>(kDeviceGray),
      MakeFamilyMember<CPDFColorSpace, CPDFDevRGBCS, CPDFArray>(kDeviceRGB),
      MakeFamilyMember<CPDFColorSpace, CPDFDevCMYKCS, CPDFArray>(kDeviceCMYK),
      MakeFamilyMember<CPDFColorSpace, CPDFCalGrayCS, CPDFArray>(kCalGray),
      MakeFamilyMember<CPDFColorSpace, CPDFCalRGBCS, CPDFArray>(kCalRGB),
      MakeFamilyMember<CPDFColorSpace, CPDFLabCS, CPDFArray>(kLab),
      MakeFamilyMember<CPDFColorSpace, CPDFICCBasedCS, CPDFArray>(kICCBased),
      MakeFamilyMember<CPDFColorSpace, CPDFSeparationCS, CPDFArray>(kSeparation),
      MakeFamilyMember<CPDFColorSpace, CPDFDeviceNCS, CPDFArray>(kDeviceN),
      MakeFamilyMember<CPDFColorSpace, CPDFIndexedCS, CPDFArray>(kIndexed),
      MakeFamilyMember<CPDFColorSpace, CPDFPatternCS, CPDFArray>(kPattern),
  };
  if (!object || !object->IsType(kArray)) return nullptr;
  return CreateNestedFamilyMember<kMembers>(doc, object, mask);
}

const CPDFName& CPDFColorSpace::GetNamePrefix() {
  static const CPDFName prefix("CS");
  return prefix;
}

const CPDFName& CPDFColorSpace::GetCategoryName() { return CategoryName(kColorSpace); }

bool CPDFColorSpace::Load(CPDFObjRegistry* doc, CPDFArray* source) {
  if (source == this) return false;
  return PDFLoadFrame(this, doc, source);
}

bool CPDFColorSpace::Duplicate(CPDFColorSpace* dest, CPDFObjRegistry* doc,
                               CPDFObjRegistry* sourceDoc) const {
  return CopyDataStruct(const_cast<CPDFColorSpace*>(this), dest, doc, sourceDoc, true);
}

bool CPDFColorSpace::CheckFamilyName(CPDFObjRegistry* doc, CPDFArray* array, const CPDFName& name) {
  if (!array) return false;
  auto* first = dynamic_cast<CPDFName*>(array->Get(doc, 0));
  return first && first->IsEqual(name);
}

bool CPDFColorSpace::CheckWhitePoint(CPDFObjRegistry* doc, CPDFArray* array) {
  CPDFObject* dict = array ? array->Get(doc, 1) : nullptr;
  if (!dict || !dict->IsType(kDictionary)) return false;
  static const CPDFName kWhitePoint("WhitePoint");
  CPDFObject* white = static_cast<CPDFDict*>(dict)->Get(doc, kWhitePoint);
  return white && white->IsType(kArray);
}

// ---- ICCBased -------------------------------------------------------------

bool CPDFICCBasedCS::Check(CPDFObjRegistry* doc, CPDFArray* array) {
  if (!CheckFamilyName(doc, array, FamilyName())) return false;
  CPDFObject* stream = array->Get(doc, 1);
  if (!stream || !stream->IsType(kStream)) return false;
  CPDFObject* n = static_cast<CPDFDict*>(stream)->Get(doc, Key_N());
  return n && n->IsType(kNumber);
}

bool CPDFICCBasedCS::Load(CPDFObjRegistry* doc, CPDFArray* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    CPDFDict* stream = Get_Stream();
    return stream && PDFTypeEntry<CPDFInt>(stream, doc, Key_N(), PDFEntry::kRequired) &&
           PDFTypeEntry(stream, doc, Key_Alternate(), kArray,
                        PDFFactory(&CreateColorSpace, doc, kAllButPattern));
  });
}

CPDFICCBasedCS* CPDFICCBasedCS::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

CPDFDict* CPDFICCBasedCS::Get_Stream(CPDFObjRef* ref) {
  CPDFObject* stream = CPDFArray::Get(GetDoc(), 1, ref);
  return stream && stream->IsType(kStream) ? static_cast<CPDFDict*>(stream) : nullptr;
}

// ---- Separation and DeviceN ------------------------------------------------

bool CPDFSeparationCS::Check(CPDFObjRegistry* doc, CPDFArray* array) {
  if (!CheckFamilyName(doc, array, FamilyName())) return false;
  CPDFObject* name = array->Get(doc, 1);
  return name && name->IsType(kName) && IsArrayOrName(array->Get(doc, 2)) &&
         IsFunctionShape(array->Get(doc, 3));
}

bool CPDFSeparationCS::TypeAlternateAndTint() {
  CPDFObjRegistry* doc = GetDoc();
  return PDFTypeElement(this, doc, 2, kArray,
                        PDFFactory(&CreateColorSpace, doc, kAlternateFamilies),
                        PDFEntry::kRequired) &&
         PDFTypeElement(this, doc, 3, kDictionary | kStream, FunctionFactory(doc),
                        PDFEntry::kRequired);
}

bool CPDFSeparationCS::Load(CPDFObjRegistry* doc, CPDFArray* source) {
  return PDFLoadFrame(this, doc, source, [this] { return TypeAlternateAndTint(); });
}

CPDFSeparationCS* CPDFSeparationCS::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

bool CPDFDeviceNCS::Check(CPDFObjRegistry* doc, CPDFArray* array) {
  if (!CheckFamilyName(doc, array, FamilyName())) return false;
  CPDFObject* names = array->Get(doc, 1);
  if (!names || !names->IsType(kArray)) return false;
  if (!IsArrayOrName(array->Get(doc, 2)) || !IsFunctionShape(array->Get(doc, 3))) return false;
  CPDFObject* attributes = array->Get(doc, 4);
  return !attributes || attributes->IsType(kDictionary);
}

bool CPDFDeviceNCS::Load(CPDFObjRegistry* doc, CPDFArray* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return TypeAlternateAndTint() && PDFTypeElement<CPDFColorDict>(this, doc, 4);
  });
}

CPDFDeviceNCS* CPDFDeviceNCS::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

// ---- Indexed --------------------------------------------------------------

bool CPDFIndexedCS::Check(CPDFObjRegistry* doc, CPDFArray* array) {
  if (!CheckFamilyName(doc, array, FamilyName())) return false;
  CPDFObject* hival = array->Get(doc, 2);
  CPDFObject* lookup = array->Get(doc, 3);
  return IsArrayOrName(array->Get(doc, 1)) && hival && hival->IsType(kNumber) && lookup &&
         lookup->IsType(kString | kStream);
}

bool CPDFIndexedCS::Load(CPDFObjRegistry* doc, CPDFArray* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return PDFTypeElement(this, doc, 1, kArray,
                          PDFFactory(&CreateColorSpace, doc, kAllButIndexedPattern),
                          PDFEntry::kRequired) &&
           PDFTypeElement<CPDFInt>(this, doc, 2, PDFEntry::kRequired);
  });
}

CPDFIndexedCS* CPDFIndexedCS::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

bool CPDFIndexedCS::Create(CPDFObjRegistry* doc) {
  try {
    // Element 0 only of an empty array.
    if (GetCount() != 0) return false;
    SetDoc(doc);
    return Push_Back(doc, std::make_unique<CPDFName>(FamilyName()));
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFIndexedCS", "Create");
  }
}

bool CPDFIndexedCS::Build(CPDFObjRegistry* doc, const CPDFName& base, const CPDFInt& hival,
                          CPDFStream* lookup) {
  try {
    if (!lookup || !Create(doc)) return false;
    auto baseName = std::make_unique<CPDFName>();
    if (!baseName->TempString::Assign(base)) return false;
    if (!Push_Back(doc, std::move(baseName))) return false;
    if (!Push_Back(doc, std::make_unique<CPDFInt>(hival.GetInt()))) return false;
    CPDFObjRef ref;
    return Set_Lookup(lookup, true, &ref);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFIndexedCS", "Build");
  }
}

// ---- Pattern --------------------------------------------------------------

bool CPDFPatternCS::Check(CPDFObjRegistry* doc, CPDFArray* array) {
  return CheckFamilyName(doc, array, FamilyName());
}

bool CPDFPatternCS::Load(CPDFObjRegistry* doc, CPDFArray* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return PDFTypeElement(this, doc, 1, kArray, PDFFactory(&CreateColorSpace, doc, kAllButPattern));
  });
}

CPDFPatternCS* CPDFPatternCS::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

// ---- CPDFColorDict --------------------------------------------------------

bool CPDFColorDict::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  if (!dict) return false;
  auto* colorants = dynamic_cast<CPDFDict*>(dict->Get(doc, Key_Colorants()));
  if (!colorants || !colorants->IsType(kDictionary)) return false;
  for (auto it = colorants->Begin(); !it.IsEnd(); it.Next()) {
    CPDFObject* value = colorants->Get(doc, *it.GetKey());
    if (!value || !value->IsType(kArray)) return false;
  }
  return true;
}

bool CPDFColorDict::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    CPDFDict* colorants = Get_Colorants();
    if (!colorants) return false;
    // The keys first: storing a value must not disturb the walk.
    std::vector<CPDFName> keys;
    keys.reserve(static_cast<size_t>(colorants->GetCount()));
    for (auto it = colorants->Begin(); !it.IsEnd(); it.Next()) keys.push_back(*it.GetKey());
    for (const CPDFName& key : keys) {
      if (!PDFTypeEntry(
              colorants, doc, key, kArray,
              PDFFactory(&CPDFColorSpace::CreateColorSpace, doc, CPDFColorSpace::kSeparation),
              PDFEntry::kRequired)) {
        return false;
      }
    }
    return true;
  });
}

CPDFColorDict* CPDFColorDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
