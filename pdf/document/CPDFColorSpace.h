#pragma once
// Colour spaces: array resources whose first element names the family.
// CreateColorSpace turns a raw array read from a file into the family class
// that accepts it; each family's Load converts the elements that hold
// further colour spaces, functions, attribute dictionaries and integers.
// CPDFIndexedCS::Build makes the palette colour space of the importers:
// [/Indexed /base hival lookup-reference].
//
// Colour spaces may refer to each other (an ICCBased alternate, a
// Separation alternate, an Indexed base); a file may make such references
// loop. CreateColorSpace therefore nests at most kMaxDepth deep; beyond
// that it answers none and the value stays as it was read.
#include <cstdint>
#include <memory>

#include "pdf/document/CPDFLoadDepth.h"
#include "pdf/document/CPDFResource.h"
#include "pdf/object/CPDFAccessor.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNumber.h"

class CPDFStream;
class CPDFColorDict;

class CPDFColorSpace : public CPDFResource, public CPDFArray {
 public:
  // Family bits, in the order the factory tries them.
  enum Family : int32_t {
    kDeviceGray = 1,
    kDeviceRGB = 2,
    kDeviceCMYK = 4,
    kCalGray = 8,
    kCalRGB = 16,
    kLab = 32,
    kICCBased = 64,
    kSeparation = 128,
    kDeviceN = 256,
    kIndexed = 512,
    kPattern = 1024,
  };
  // Masks of the factory.
  static constexpr int32_t kAllFamilies = -1;
  static constexpr int32_t kAllButPattern = ~int32_t{kPattern};
  static constexpr int32_t kAllButIndexedPattern = ~int32_t{kIndexed | kPattern};
  // The alternate space of Separation and DeviceN.
  static constexpr int32_t kAlternateFamilies =
      ~int32_t{kSeparation | kDeviceN | kIndexed | kPattern};
  // The deepest nesting of colour spaces that CreateColorSpace builds.
  static constexpr int32_t kMaxDepth = CPDFLoadDepth::kMaxDepth;

  ~CPDFColorSpace() override = default;

  // The family whose Check first accepts the array (families tried in bit
  // order, each only when its bit is in the mask), built and loaded; none
  // when no family accepts, when that family's load fails, for an object
  // that is not an array, or beyond kMaxDepth. Never throws; the caller
  // owns the result.
  static CPDFColorSpace* CreateColorSpace(CPDFObjRegistry* doc, CPDFObject* object,
                                          int32_t mask);

  int32_t GetFamily() const { return family_; }
  const char* GetFamilyName() const { return familyName_; }

  // One Clone per family serves both the resource's and the array's slot.
  CPDFColorSpace* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override = 0;
  // "CS" and "ColorSpace" for every family.
  const CPDFName& GetNamePrefix() override;
  const CPDFName& GetCategoryName() override;

  // Sets the document, then takes over the source's elements (the source is
  // left empty).
  bool Load(CPDFObjRegistry* doc, CPDFArray* source);
  // The document into the destination, then a deep copy of the elements.
  bool Duplicate(CPDFColorSpace* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) const;

 protected:
  CPDFColorSpace(int32_t family, const char* familyName)
      : CPDFResource(kColorSpace), family_(family), familyName_(familyName) {}

  // The name of a family bit ("DeviceRGB" for kDeviceRGB); "" for others.
  static constexpr const char* FamilyNameOf(int32_t family) {
    switch (family) {
      case kDeviceGray: return "DeviceGray";
      case kDeviceRGB: return "DeviceRGB";
      case kDeviceCMYK: return "DeviceCMYK";
      case kCalGray: return "CalGray";
      case kCalRGB: return "CalRGB";
      case kLab: return "Lab";
      case kICCBased: return "ICCBased";
      case kSeparation: return "Separation";
      case kDeviceN: return "DeviceN";
      case kIndexed: return "Indexed";
      case kPattern: return "Pattern";
      default: return "";
    }
  }
  // Element 0, resolved, is a name equal to the family name.
  static bool CheckFamilyName(CPDFObjRegistry* doc, CPDFArray* array, const CPDFName& name);
  // Element 1, resolved, is a dictionary holding WhitePoint as an array.
  static bool CheckWhitePoint(CPDFObjRegistry* doc, CPDFArray* array);

  // The element at the index, resolved through the document; none when it
  // is missing.
  CPDFObject* GetElement(int32_t index, CPDFObjRef* ref = nullptr);
  // Replaces the element at the index, or appends when the index is the
  // element count; false for a later index (values never land at another
  // index) and when the store fails (the value then stays the caller's).
  bool SetElement(int32_t index, CPDFObject* value, bool indirect, CPDFObjRef* ref);

  // The load of a family: Load, then convert(). When convert answers false
  // or throws, the elements go back to the source and the answer is false.
  template <class Convert>
  bool LoadWith(CPDFObjRegistry* doc, CPDFArray* source, Convert convert);

  // Converts element `index` into a colour space of the mask when it was
  // read from a file and is an array. A missing element fails only when
  // required. True when nothing was to be done, when no family accepts the
  // array (it stays as read), and when the result was stored.
  bool ConvertColorSpaceElement(int32_t index, int32_t mask, bool required);
  // Converts element `index` into a function when it was read from a file
  // and is a dictionary or stream. A missing element fails only when
  // required. True when nothing was to be done, when no function type
  // accepts it (it stays as read), and when the result was stored; when
  // the store fails the element gets its entries back.
  bool ConvertFunctionElement(int32_t index, bool required);

  // A new object of the family's class duplicated from this one; none on
  // failure.
  template <class F>
  static F* CloneAs(const F* self, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
    return PDFCloneWith<F>([&](F* copy) { return self->Duplicate(copy, doc, sourceDoc); },
                           "CPDFColorSpace");
  }

 private:
  int32_t family_ = 0;
  const char* familyName_ = "";
};

// The families whose Load converts nothing: the device families
// [/DeviceGray], [/DeviceRGB], [/DeviceCMYK], and the CIE-based families
// [/CalGray <<..>>], [/CalRGB <<..>>], [/Lab <<..>>], whose element 1 is a
// dictionary holding WhitePoint as an array.
template <int32_t Bit, bool CIEBased>
class CPDFPlainCS : public CPDFColorSpace {
 public:
  static const CPDFName& FamilyName() {
    static const CPDFName name(FamilyNameOf(Bit));
    return name;
  }
  CPDFPlainCS() : CPDFColorSpace(Bit, FamilyNameOf(Bit)) {}
  static bool Check(CPDFObjRegistry* doc, CPDFArray* array) {
    return CheckFamilyName(doc, array, FamilyName()) &&
           (!CIEBased || CheckWhitePoint(doc, array));
  }
  bool Load(CPDFObjRegistry* doc, CPDFArray* source) { return CPDFColorSpace::Load(doc, source); }
  CPDFPlainCS* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override {
    return CloneAs(this, doc, sourceDoc);
  }
};

using CPDFDevGrayCS = CPDFPlainCS<CPDFColorSpace::kDeviceGray, false>;
using CPDFDevRGBCS = CPDFPlainCS<CPDFColorSpace::kDeviceRGB, false>;
using CPDFDevCMYKCS = CPDFPlainCS<CPDFColorSpace::kDeviceCMYK, false>;
using CPDFCalGrayCS = CPDFPlainCS<CPDFColorSpace::kCalGray, true>;
using CPDFCalRGBCS = CPDFPlainCS<CPDFColorSpace::kCalRGB, true>;
using CPDFLabCS = CPDFPlainCS<CPDFColorSpace::kLab, true>;

// [/ICCBased stream]: the stream's dictionary holds N as a number. Load
// makes N an integer and converts an Alternate array (any family but
// Pattern).
class CPDFICCBasedCS : public CPDFColorSpace {
 public:
  PDF_CONST_NAME(FamilyName, "ICCBased")
  PDF_CONST_NAME(Key_N, "N")
  PDF_CONST_NAME(Key_Alternate, "Alternate")
  CPDFICCBasedCS() : CPDFColorSpace(kICCBased, FamilyNameOf(kICCBased)) {}
  static bool Check(CPDFObjRegistry* doc, CPDFArray* array);
  bool Load(CPDFObjRegistry* doc, CPDFArray* source);
  CPDFICCBasedCS* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  // Element 1 (the profile stream), or none.
  CPDFDict* Get_Stream(CPDFObjRef* ref = nullptr);
  // N and Alternate of the stream; none or false without the stream.
  CPDFObject* Get_N(CPDFObjRef* ref = nullptr) {
    return PDFGetAs<CPDFObject>(Get_Stream(), GetDoc(), Key_N(), ref);
  }
  bool Set_N(CPDFObject* value, bool indirect = false, CPDFObjRef* ref = nullptr) {
    return PDFSetAs(Get_Stream(), GetDoc(), Key_N(), value, indirect, ref);
  }
  CPDFObject* Get_Alternate(CPDFObjRef* ref = nullptr) {
    return PDFGetAs<CPDFObject>(Get_Stream(), GetDoc(), Key_Alternate(), ref);
  }
  bool Set_Alternate(CPDFColorSpace* value, bool indirect = false, CPDFObjRef* ref = nullptr) {
    return PDFSetAs(Get_Stream(), GetDoc(), Key_Alternate(), value, indirect, ref);
  }
};

// [/Separation /name alternate tintTransform]. Load converts an alternate
// array (kAlternateFamilies) and the tint transform (a function).
class CPDFSeparationCS : public CPDFColorSpace {
 public:
  PDF_CONST_NAME(FamilyName, "Separation")
  CPDFSeparationCS() : CPDFColorSpace(kSeparation, FamilyNameOf(kSeparation)) {}
  static bool Check(CPDFObjRegistry* doc, CPDFArray* array);
  bool Load(CPDFObjRegistry* doc, CPDFArray* source);
  CPDFSeparationCS* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  // Element 2: a name or a colour space.
  CPDFObject* Get_Alternate(CPDFObjRef* ref = nullptr) { return GetElement(2, ref); }
  bool Set_Alternate(CPDFColorSpace* value, bool indirect = false, CPDFObjRef* ref = nullptr);
  // Element 3: a dictionary or stream (a function).
  CPDFObject* Get_TintTransform(CPDFObjRef* ref = nullptr) { return GetElement(3, ref); }
  bool Set_TintTransform(CPDFObject* value, bool indirect = false, CPDFObjRef* ref = nullptr) {
    return SetElement(3, value, indirect, ref);
  }

 protected:
  CPDFSeparationCS(int32_t family, const char* familyName)
      : CPDFColorSpace(family, familyName) {}
  // The alternate and the tint transform, both required.
  bool ConvertAlternateAndTint();
};

// [/DeviceN [names] alternate tintTransform attributes?]: as Separation,
// and element 4 into a CPDFColorDict.
class CPDFDeviceNCS : public CPDFSeparationCS {
 public:
  PDF_CONST_NAME(FamilyName, "DeviceN")
  CPDFDeviceNCS() : CPDFSeparationCS(kDeviceN, FamilyNameOf(kDeviceN)) {}
  static bool Check(CPDFObjRegistry* doc, CPDFArray* array);
  bool Load(CPDFObjRegistry* doc, CPDFArray* source);
  CPDFDeviceNCS* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  CPDFColorDict* Get_Attributes(CPDFObjRef* ref = nullptr);
  bool Set_Attributes(CPDFColorDict* value, bool indirect = false, CPDFObjRef* ref = nullptr);
};

// [/Indexed base hival lookup]: the base a name or an array, hival a
// number, the lookup a string or a stream. Load converts a base array (any
// family but Indexed and Pattern) and makes hival an integer.
class CPDFIndexedCS : public CPDFColorSpace {
 public:
  PDF_CONST_NAME(FamilyName, "Indexed")
  CPDFIndexedCS() : CPDFColorSpace(kIndexed, FamilyNameOf(kIndexed)) {}
  static bool Check(CPDFObjRegistry* doc, CPDFArray* array);
  bool Load(CPDFObjRegistry* doc, CPDFArray* source);
  CPDFIndexedCS* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  // Sets the document and appends the name Indexed as element 0.
  bool Create(CPDFObjRegistry* doc);
  // [/Indexed /base hival lookup]: the base name and hival are copied; the
  // lookup stream is registered with the document and referred to. The
  // caller keeps the colour space. Once Build succeeded the document owns
  // the lookup stream; when it failed before the stream was stored (the
  // stream is then not registered) the stream stays the caller's. Never
  // throws.
  bool Build(CPDFObjRegistry* doc, const CPDFName& base, const CPDFInt& hival,
             CPDFStream* lookup);

  CPDFObject* Get_Base(CPDFObjRef* ref = nullptr) { return GetElement(1, ref); }
  bool Set_Base(CPDFObject* value, bool indirect = false, CPDFObjRef* ref = nullptr) {
    return SetElement(1, value, indirect, ref);
  }
  CPDFObject* Get_HiVal(CPDFObjRef* ref = nullptr) { return GetElement(2, ref); }
  bool Set_HiVal(CPDFObject* value, bool indirect = false, CPDFObjRef* ref = nullptr) {
    return SetElement(2, value, indirect, ref);
  }
  bool Set_Lookup(CPDFObject* value, bool indirect = false, CPDFObjRef* ref = nullptr) {
    return SetElement(3, value, indirect, ref);
  }
};

// [/Pattern] or [/Pattern underlying]: Load converts an underlying array
// (any family but Pattern).
class CPDFPatternCS : public CPDFColorSpace {
 public:
  PDF_CONST_NAME(FamilyName, "Pattern")
  CPDFPatternCS() : CPDFColorSpace(kPattern, FamilyNameOf(kPattern)) {}
  static bool Check(CPDFObjRegistry* doc, CPDFArray* array);
  bool Load(CPDFObjRegistry* doc, CPDFArray* source);
  CPDFPatternCS* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  // Element 1: a name or a colour space, or none.
  CPDFObject* Get_Base(CPDFObjRef* ref = nullptr) { return GetElement(1, ref); }
  bool Set_Base(CPDFColorSpace* value, bool indirect = false, CPDFObjRef* ref = nullptr);
};

// The attributes dictionary of DeviceN: Colorants maps colourant names to
// Separation colour spaces.
class CPDFColorDict : public CPDFDataStruct, public CPDFDict {
 public:
  CPDFColorDict() : CPDFDataStruct(kColorDict) {}
  ~CPDFColorDict() override = default;

  // Colorants present and a dictionary whose every value is an array.
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);
  // Takes over the entries; each Colorants value read from a file as an
  // array becomes a Separation colour space (others stay as read). False
  // without Colorants, for a value that cannot be got, or when a store
  // fails (the entries then go back to the source).
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFColorDict* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_DICT_ACCESSOR(Colorants, CPDFDict)
};
