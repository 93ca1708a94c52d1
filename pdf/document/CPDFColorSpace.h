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
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFStream;

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

  PDF_ACCESSOR(Colorants, CPDFDict)
};

class CPDFColorSpace : public CPDFResource, public CPDFArray {
 public:
  // Loads of this class count against the nesting limit (CPDFLoadDepth).
  static constexpr bool kNestedLoad = true;
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
  static CPDFColorSpace* CreateColorSpace(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask);

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

 private:
  int32_t family_ = 0;
  const char* familyName_ = "";
};

// The families whose Load converts nothing: the device families
// [/DeviceGray], [/DeviceRGB], [/DeviceCMYK], and the CIE-based families
// [/CalGray <<..>>], [/CalRGB <<..>>], [/Lab <<..>>], whose element 1 is a
// dictionary holding WhitePoint as an array. Self declares its row: kBit
// (its family bit, which names it) and kCIEBased. The family gets its
// constructor, Check and Clone from the row and loads with
// CPDFColorSpace::Load.
template <class Self>
class CPDFPlainCS : public CPDFColorSpace {
 public:
  static const CPDFName& FamilyName() {
    static const CPDFName name(FamilyNameOf(Self::kBit));
    return name;
  }
  static bool Check(CPDFObjRegistry* doc, CPDFArray* array) {
    return CheckFamilyName(doc, array, FamilyName()) &&
           (!Self::kCIEBased || CheckWhitePoint(doc, array));
  }
  CPDFColorSpace* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override {
    return PDFClone(static_cast<Self*>(this), doc, sourceDoc);
  }

 protected:
  CPDFPlainCS() : CPDFColorSpace(Self::kBit, FamilyNameOf(Self::kBit)) {}
};

class CPDFDevGrayCS final : public CPDFPlainCS<CPDFDevGrayCS> {
 public:
  static constexpr int32_t kBit = kDeviceGray;
  static constexpr bool kCIEBased = false;
};

class CPDFDevRGBCS final : public CPDFPlainCS<CPDFDevRGBCS> {
 public:
  static constexpr int32_t kBit = kDeviceRGB;
  static constexpr bool kCIEBased = false;
};

class CPDFDevCMYKCS final : public CPDFPlainCS<CPDFDevCMYKCS> {
 public:
  static constexpr int32_t kBit = kDeviceCMYK;
  static constexpr bool kCIEBased = false;
};

class CPDFCalGrayCS final : public CPDFPlainCS<CPDFCalGrayCS> {
 public:
  static constexpr int32_t kBit = kCalGray;
  static constexpr bool kCIEBased = true;
};

class CPDFCalRGBCS final : public CPDFPlainCS<CPDFCalRGBCS> {
 public:
  static constexpr int32_t kBit = kCalRGB;
  static constexpr bool kCIEBased = true;
};

class CPDFLabCS final : public CPDFPlainCS<CPDFLabCS> {
 public:
  static constexpr int32_t kBit = kLab;
  static constexpr bool kCIEBased = true;
};

// [/ICCBased stream]: the stream's dictionary holds N as a number. Load
// makes N an integer and converts an Alternate array (any family but
// Pattern).
class CPDFICCBasedCS : public CPDFColorSpace {
 public:
  PDF_CONST_NAME(FamilyName, "ICCBased")
  CPDFICCBasedCS() : CPDFColorSpace(kICCBased, FamilyNameOf(kICCBased)) {}
  static bool Check(CPDFObjRegistry* doc, CPDFArray* array);
  bool Load(CPDFObjRegistry* doc, CPDFArray* source);
  CPDFICCBasedCS* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  // Element 1 (the profile stream), or none. Written by hand: only a stream
  // answers, a plain dictionary at element 1 does not.
  CPDFDict* Get_Stream(CPDFObjRef* ref = nullptr);
  // N and Alternate (a name or a colour space) live in the stream's
  // dictionary.
  PDF_NESTED_ACCESSOR(N, Get_Stream, CPDFObject)
  PDF_NESTED_ACCESSOR(Alternate, Get_Stream, CPDFObject)
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
  PDF_ELEMENT_ACCESSOR(Alternate, 2, CPDFObject)
  // Element 3: a dictionary or stream (a function).
  PDF_ELEMENT_ACCESSOR(TintTransform, 3, CPDFObject)

 protected:
  CPDFSeparationCS(int32_t family, const char* familyName) : CPDFColorSpace(family, familyName) {}
  // The alternate and the tint transform, both required.
  bool TypeAlternateAndTint();
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

  // Element 4: the attributes dictionary, when it is typed.
  PDF_ELEMENT_ACCESSOR(Attributes, 4, CPDFColorDict)
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
  bool Build(CPDFObjRegistry* doc, const CPDFName& base, const CPDFInt& hival, CPDFStream* lookup);

  // Element 1: a name or a colour space; 2: hival; 3: the lookup string or
  // stream.
  PDF_ELEMENT_ACCESSOR(Base, 1, CPDFObject)
  PDF_ELEMENT_ACCESSOR(HiVal, 2, CPDFObject)
  PDF_ELEMENT_ACCESSOR(Lookup, 3, CPDFObject)
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
  PDF_ELEMENT_ACCESSOR(Base, 1, CPDFObject)
};
