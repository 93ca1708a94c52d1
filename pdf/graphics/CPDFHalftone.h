#pragma once
// Halftone dictionaries (/Type /Halftone). CreateHalftone turns a raw
// dictionary read from a file into the type class that accepts it; a
// halftone no type class takes (a named one, an unknown HalftoneType) is a
// plain CPDFHalftone. Each of the five type classes is a row of constants
// over CPDFHalftoneType: its HalftoneType, the keys its Check requires and
// the keys its Load converts.
#include <cstdint>
#include <span>

#include "pdf/document/CPDFFunction.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFHalftone : public CPDFDataStruct, public CPDFDict {
 public:
  // Loads of this class count against the nesting limit (CPDFLoadDepth).
  static constexpr bool kNestedLoad = true;
  static constexpr uint32_t kNamedBit = 0x20;
  // The mask of every type but 5 (the halftones a type 5 may hold).
  static constexpr int32_t kAllButType5 = -3;

  CPDFHalftone() : CPDFHalftone(kNamedBit, "NamedHalftone") {}
  ~CPDFHalftone() override = default;

  // The type class whose Check first accepts the dictionary (0x1 type 1,
  // 0x2 type 5, 0x4 type 6, 0x8 type 10, 0x10 type 16, 0x20 the plain
  // class), built and loaded; none when no class accepts, when that class's
  // load fails, or when the loads nest too deep. Never throws; the caller
  // owns the result.
  static CPDFHalftone* CreateHalftone(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask);

  // Type is the name Halftone.
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);
  // Sets the document and takes over the entries, converting nothing.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFHalftone* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  uint32_t GetTypeBit() const { return typeBit_; }
  const char* GetTypeName() const { return typeName_; }

  PDF_CONST_NAME(Key_Type, "Type")
  PDF_CONST_NAME(TypeName, "Halftone")
  PDF_CONST_NAME(Key_HalftoneType, "HalftoneType")
  PDF_CONST_NAME(Key_HalftoneName, "HalftoneName")

 protected:
  // How a type's Load converts a key: an integer from a number, a function
  // (a name stays), or a halftone of any type but 5.
  enum class Convert { kNumber, kFunction, kHalftone };
  struct ConvertedKey {
    const char* key;
    Convert convert;
    PDFEntry entry;
  };

  CPDFHalftone(uint32_t typeBit, const char* typeName)
      : CPDFDataStruct(kHalftone), typeBit_(typeBit), typeName_(typeName) {}

  // The base check, no HalftoneName, and HalftoneType read from the file as
  // a number whose integer value is the value's.
  static bool CheckTyped(CPDFObjRegistry* doc, CPDFDict* dict, const CPDFInt& value);
  // The load frame of a type: the HalftoneType constant stored, then the
  // keys converted in order.
  bool LoadTyped(CPDFObjRegistry* doc, CPDFDict* source, const CPDFInt& value,
                 std::span<const ConvertedKey> keys);

 private:
  // Converts one key of a type's row; false when that fails.
  bool TypeKey(CPDFObjRegistry* doc, const ConvertedKey& what);

  uint32_t typeBit_ = 0;
  const char* typeName_ = "";
};

// One halftone type. Self declares its row: kType (its HalftoneType), kBit
// (its bit in the factory mask), kName ("Type1"), kRequired (the keys Check
// requires) and kConverted (the keys Load converts). The type gets its
// constructor, Check, Load and Clone from the row.
template <class Self>
class CPDFHalftoneType : public CPDFHalftone {
 public:
  // The HalftoneType constant.
  static const CPDFInt& TypeValue() { return PDFTypeNumber<Self::kType>(); }

  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict) {
    return CheckTyped(doc, dict, TypeValue()) && PDFHasRequired(dict, doc, Self::kRequired);
  }
  bool Load(CPDFObjRegistry* doc, CPDFDict* source) {
    return LoadTyped(doc, source, TypeValue(), Self::kConverted);
  }
  CPDFHalftone* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override {
    return PDFClone(static_cast<Self*>(this), doc, sourceDoc);
  }

  // Stores a direct copy of the HalftoneType constant.
  PDF_TYPE_SETTER(HalftoneType, TypeValue)

 protected:
  CPDFHalftoneType() : CPDFHalftone(Self::kBit, Self::kName) {}
};

// Functions (or a name, for SpotFunction) as stored; numbers as stored, the
// setters taking integers.

class CPDFType1Ht final : public CPDFHalftoneType<CPDFType1Ht> {
 public:
  static constexpr int32_t kType = 1;
  static constexpr uint32_t kBit = 0x1;
  static constexpr const char* kName = "Type1";
  static constexpr PDFRequiredKey kRequired[] = {
      {"Frequency", kNumber},
      {"Angle", kNumber},
      {"SpotFunction", CPDFObject::kName | kDictionary | kStream}};
  static constexpr ConvertedKey kConverted[] = {
      {"SpotFunction", Convert::kFunction, PDFEntry::kRequired},
      {"TransferFunction", Convert::kFunction, PDFEntry::kOptional}};
  PDF_ACCESSOR(SpotFunction, CPDFObject, CPDFFunction)
  PDF_ACCESSOR(TransferFunction, CPDFObject, CPDFFunction)
};

// Halftones per colourant, Default required.
class CPDFType5Ht final : public CPDFHalftoneType<CPDFType5Ht> {
 public:
  static constexpr int32_t kType = 5;
  static constexpr uint32_t kBit = 0x2;
  static constexpr const char* kName = "Type5";
  static constexpr PDFRequiredKey kRequired[] = {{"Default", kDictionary}};
  static constexpr ConvertedKey kConverted[] = {
      {"Cyan", Convert::kHalftone, PDFEntry::kOptional},
      {"Magenta", Convert::kHalftone, PDFEntry::kOptional},
      {"Yellow", Convert::kHalftone, PDFEntry::kOptional},
      {"Black", Convert::kHalftone, PDFEntry::kOptional},
      {"Default", Convert::kHalftone, PDFEntry::kRequired}};
};

class CPDFType6Ht final : public CPDFHalftoneType<CPDFType6Ht> {
 public:
  static constexpr int32_t kType = 6;
  static constexpr uint32_t kBit = 0x4;
  static constexpr const char* kName = "Type6";
  static constexpr PDFRequiredKey kRequired[] = {{"Width", kNumber}, {"Height", kNumber}};
  static constexpr ConvertedKey kConverted[] = {
      {"Width", Convert::kNumber, PDFEntry::kRequired},
      {"Height", Convert::kNumber, PDFEntry::kRequired},
      {"TransferFunction", Convert::kFunction, PDFEntry::kOptional}};
  PDF_ACCESSOR(TransferFunction, CPDFObject, CPDFFunction)
  PDF_ACCESSOR(Width, CPDFNumber, CPDFInt)
  PDF_ACCESSOR(Height, CPDFNumber, CPDFInt)
};

class CPDFType10Ht final : public CPDFHalftoneType<CPDFType10Ht> {
 public:
  static constexpr int32_t kType = 10;
  static constexpr uint32_t kBit = 0x8;
  static constexpr const char* kName = "Type10";
  static constexpr PDFRequiredKey kRequired[] = {{"Xsquare", kNumber}, {"Ysquare", kNumber}};
  static constexpr ConvertedKey kConverted[] = {
      {"Xsquare", Convert::kNumber, PDFEntry::kRequired},
      {"Ysquare", Convert::kNumber, PDFEntry::kRequired},
      {"TransferFunction", Convert::kFunction, PDFEntry::kOptional}};
  PDF_ACCESSOR(TransferFunction, CPDFObject, CPDFFunction)
  PDF_ACCESSOR(Xsquare, CPDFNumber, CPDFInt)
  PDF_ACCESSOR(Ysquare, CPDFNumber, CPDFInt)
};

class CPDFType16Ht final : public CPDFHalftoneType<CPDFType16Ht> {
 public:
  static constexpr int32_t kType = 16;
  static constexpr uint32_t kBit = 0x10;
  static constexpr const char* kName = "Type16";
  static constexpr PDFRequiredKey kRequired[] = {{"Width", kNumber}, {"Height", kNumber}};
  static constexpr ConvertedKey kConverted[] = {
      {"Width", Convert::kNumber, PDFEntry::kRequired},
      {"Height", Convert::kNumber, PDFEntry::kRequired},
      {"Width2", Convert::kNumber, PDFEntry::kOptional},
      {"Height2", Convert::kNumber, PDFEntry::kOptional},
      {"TransferFunction", Convert::kFunction, PDFEntry::kOptional}};
  PDF_ACCESSOR(TransferFunction, CPDFObject, CPDFFunction)
  PDF_ACCESSOR(Width, CPDFNumber, CPDFInt)
  PDF_ACCESSOR(Height, CPDFNumber, CPDFInt)
  PDF_ACCESSOR(Width2, CPDFNumber, CPDFInt)
  PDF_ACCESSOR(Height2, CPDFNumber, CPDFInt)
};
