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

// A raw value read from a file with a type of the mask.
bool IsRaw(const CPDFObject* o, int32_t mask) { return o && o->IsLoaded() && o->IsType(mask); }

// A new integer holding the raw number's value.
std::unique_ptr<CPDFInt> ToInt(CPDFObjRegistry* doc, CPDFObject* number) {
  auto value = std::make_unique<CPDFInt>();
  value->Assign(doc, static_cast<CPDFNumber*>(number));
  return value;
}

// Makes a colour space of the mask from a raw array and hands it to
// store(space). True when no family accepts the array (it stays as read) or
// the store succeeded. When the store fails the array gets its elements
// back and the answer is false.
template <class Store>
bool ConvertRawSpace(CPDFObjRegistry* doc, CPDFObject* raw, int32_t mask, Store store) {
  std::unique_ptr<CPDFColorSpace> space(CPDFColorSpace::CreateColorSpace(doc, raw, mask));
  if (!space) return true;
  if (store(space.get())) {
    space.release();
    return true;
  }
  PDFGiveBack(static_cast<CPDFArray*>(space.get()), raw, doc);
  return false;
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
  CPDFLoadDepth depth;
  if (depth.TooDeep()) return nullptr;
  return CreateFamilyMember<kMembers>(doc, object, mask);
}

const CPDFName& CPDFColorSpace::GetNamePrefix() {
  static const CPDFName prefix("CS");
  return prefix;
}

const CPDFName& CPDFColorSpace::GetCategoryName() { return CategoryName(kColorSpace); }

bool CPDFColorSpace::Load(CPDFObjRegistry* doc, CPDFArray* source) {
  if (!source || source == this) return false;
  SetDoc(doc);
  return CPDFArray::Assign(doc, source);
}

bool CPDFColorSpace::Duplicate(CPDFColorSpace* dest, CPDFObjRegistry* doc,
                               CPDFObjRegistry* sourceDoc) const {
  return CopyDataStruct(const_cast<CPDFColorSpace*>(this), dest, doc, sourceDoc, true);
}

bool CPDFColorSpace::CheckFamilyName(CPDFObjRegistry* doc, CPDFArray* array,
                                     const CPDFName& name) {
  if (!array) return false;
  auto* first = dynamic_cast<CPDFName*>(array->Get(doc, 0));
  return first && first->IsEqual(name);
}

CPDFObject* CPDFColorSpace::GetElement(int32_t index, CPDFObjRef* ref) {
  return CPDFArray::Get(GetDoc(), index, ref);
}

bool CPDFColorSpace::SetElement(int32_t index, CPDFObject* value, bool indirect,
                                CPDFObjRef* ref) {
  if (!value || index < 0) return false;
  if (index == GetCount()) return CPDFArray::Push_Back(GetDoc(), value, indirect, ref);
  if (index > GetCount()) return false;
  return CPDFArray::SetAt(GetDoc(), index, value, indirect, ref);
}

template <class Convert>
bool CPDFColorSpace::LoadWith(CPDFObjRegistry* doc, CPDFArray* source, Convert convert) {
  if (!CPDFColorSpace::Load(doc, source)) return false;
  bool ok = false;
  try {
    ok = convert();
  } catch (...) {
    ok = CPDFException::Absorb(nullptr, "CPDFColorSpace", "Load");
  }
  // Nothing the file held is lost: the elements go back to the source.
  if (!ok) source->Assign(doc, this);
  return ok;
}

bool CPDFColorSpace::ConvertColorSpaceElement(int32_t index, int32_t mask, bool required) {
  CPDFObjRef ref;
  CPDFObject* value = GetElement(index, &ref);
  if (!value) return !required;
  if (!IsRaw(value, kArray)) return true;
  return ConvertRawSpace(GetDoc(), value, mask, [&](CPDFColorSpace* space) {
    return SetElement(index, space, ref.IsDefined(), &ref);
  });
}

bool CPDFColorSpace::ConvertFunctionElement(int32_t index, bool required) {
  CPDFObjRef ref;
  CPDFObject* value = GetElement(index, &ref);
  if (!value) return !required;
  if (!IsRaw(value, kDictionary | kStream)) return true;
  std::unique_ptr<CPDFFunction> function(CPDFFunction::CreateFunction(GetDoc(), value, -1));
  if (!function) return true;  // no function type accepts it: it stays as read
  if (SetElement(index, function.get(), ref.IsDefined(), &ref)) {
    function.release();
    return true;
  }
  // The store failed: the raw value gets its entries (and data) back.
  PDFGiveBack(static_cast<CPDFStream*>(function.get()), value, GetDoc());
  return false;
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
  return LoadWith(doc, source, [this] {
    CPDFDict* stream = Get_Stream();
    if (!stream) return false;
    CPDFObjRef ref;
    CPDFObject* n = Get_N(&ref);
    if (!n) return false;
    if (IsRaw(n, kNumber)) {
      std::unique_ptr<CPDFInt> value = ToInt(GetDoc(), n);
      if (!Set_N(value.get(), ref.IsDefined(), &ref)) return false;
      value.release();
    }
    CPDFObject* alternate = Get_Alternate(&ref);
    if (!IsRaw(alternate, kArray)) return true;
    return ConvertRawSpace(GetDoc(), alternate, kAllButPattern, [&](CPDFColorSpace* space) {
      return Set_Alternate(space, ref.IsDefined(), &ref);
    });
  });
}

CPDFICCBasedCS* CPDFICCBasedCS::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return CloneAs(this, doc, sourceDoc);
}

CPDFDict* CPDFICCBasedCS::Get_Stream(CPDFObjRef* ref) {
  CPDFObject* stream = GetElement(1, ref);
  return stream && stream->IsType(kStream) ? static_cast<CPDFDict*>(stream) : nullptr;
}

// ---- Separation and DeviceN ------------------------------------------------

bool CPDFSeparationCS::Check(CPDFObjRegistry* doc, CPDFArray* array) {
  if (!CheckFamilyName(doc, array, FamilyName())) return false;
  CPDFObject* name = array->Get(doc, 1);
  return name && name->IsType(kName) && IsArrayOrName(array->Get(doc, 2)) &&
         IsFunctionShape(array->Get(doc, 3));
}

bool CPDFSeparationCS::ConvertAlternateAndTint() {
  return ConvertColorSpaceElement(2, kAlternateFamilies, true) && ConvertFunctionElement(3, true);
}

bool CPDFSeparationCS::Load(CPDFObjRegistry* doc, CPDFArray* source) {
  return LoadWith(doc, source, [this] { return ConvertAlternateAndTint(); });
}

CPDFSeparationCS* CPDFSeparationCS::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return CloneAs(this, doc, sourceDoc);
}

bool CPDFSeparationCS::Set_Alternate(CPDFColorSpace* value, bool indirect, CPDFObjRef* ref) {
  return SetElement(2, value, indirect, ref);
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
  return LoadWith(doc, source, [this] {
    if (!ConvertAlternateAndTint()) return false;
    CPDFObjRef ref;
    CPDFObject* value = GetElement(4, &ref);
    if (!IsRaw(value, kDictionary)) return true;
    auto* raw = static_cast<CPDFDict*>(value);
    if (!CPDFColorDict::Check(GetDoc(), raw)) return true;
    auto attributes = std::make_unique<CPDFColorDict>();
    // A dictionary that does not load stays as read.
    if (!attributes->Load(GetDoc(), raw)) return true;
    if (!Set_Attributes(attributes.get(), ref.IsDefined(), &ref)) {
      PDFGiveBack(static_cast<CPDFDict*>(attributes.get()), raw, GetDoc());
      return false;
    }
    attributes.release();
    return true;
  });
}

CPDFDeviceNCS* CPDFDeviceNCS::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return CloneAs(this, doc, sourceDoc);
}

CPDFColorDict* CPDFDeviceNCS::Get_Attributes(CPDFObjRef* ref) {
  return dynamic_cast<CPDFColorDict*>(GetElement(4, ref));
}

bool CPDFDeviceNCS::Set_Attributes(CPDFColorDict* value, bool indirect, CPDFObjRef* ref) {
  return SetElement(4, value, indirect, ref);
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
  return LoadWith(doc, source, [this] {
    if (!ConvertColorSpaceElement(1, kAllButIndexedPattern, true)) return false;
    CPDFObjRef ref;
    CPDFObject* hival = Get_HiVal(&ref);
    if (!hival) return false;
    if (IsRaw(hival, kNumber)) {
      std::unique_ptr<CPDFInt> value = ToInt(GetDoc(), hival);
      if (!Set_HiVal(value.get(), ref.IsDefined(), &ref)) return false;
      value.release();
    }
    return true;
  });
}

CPDFIndexedCS* CPDFIndexedCS::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return CloneAs(this, doc, sourceDoc);
}

bool CPDFIndexedCS::Create(CPDFObjRegistry* doc) {
  try {
    // Element 0 only of an empty array.
    if (GetCount() != 0) return false;
    SetDoc(doc);
    auto name = std::make_unique<CPDFName>(FamilyName());
    if (!SetElement(0, name.get(), false, nullptr)) return false;
    name.release();
    return true;
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFIndexedCS", "Create");
  }
}

bool CPDFIndexedCS::Build(CPDFObjRegistry* doc, const CPDFName& base, const CPDFInt& hival,
                          CPDFStream* lookup) {
  try {
    if (!lookup || !Create(doc)) return false;
    auto baseName = std::make_unique<CPDFName>();
    if (!Set_Base(baseName.get())) return false;
    CPDFName* storedBase = baseName.release();
    if (!storedBase->TempString::Assign(base)) return false;
    auto value = std::make_unique<CPDFInt>();
    if (!Set_HiVal(value.get())) return false;
    value.release()->SetInt(hival.GetInt());
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
  return LoadWith(doc, source,
                  [this] { return ConvertColorSpaceElement(1, kAllButPattern, false); });
}

CPDFPatternCS* CPDFPatternCS::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return CloneAs(this, doc, sourceDoc);
}

bool CPDFPatternCS::Set_Base(CPDFColorSpace* value, bool indirect, CPDFObjRef* ref) {
  return SetElement(1, value, indirect, ref);
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
  SetDoc(doc);
  return PDFLoadEntries(this, doc, source, [this, doc] {
    CPDFDict* colorants = Get_Colorants();
    if (!colorants) return false;
    // The keys first: storing a value must not disturb the walk.
    std::vector<CPDFName> keys;
    keys.reserve(static_cast<size_t>(colorants->GetCount()));
    for (auto it = colorants->Begin(); !it.IsEnd(); it.Next()) keys.push_back(*it.GetKey());
    for (const CPDFName& key : keys) {
      CPDFObjRef ref;
      CPDFObject* value = colorants->Get(doc, key, &ref);
      if (!value) return false;
      if (!IsRaw(value, kArray)) continue;
      const bool stored = ConvertRawSpace(
          doc, value, CPDFColorSpace::kSeparation, [&](CPDFColorSpace* space) {
            return PDFSetAs(colorants, doc, key, space, ref.IsDefined(), &ref);
          });
      if (!stored) return false;
    }
    return true;
  });
}

CPDFColorDict* CPDFColorDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFCloneStruct(this, doc, sourceDoc, "CPDFColorDict");
}
