#pragma once
// Halftone dictionaries (/Type /Halftone). CreateHalftone turns a raw
// dictionary read from a file into the type class that accepts it; a
// halftone no type class takes (a named one, an unknown HalftoneType) is a
// plain CPDFHalftone. The five type classes are one template over the
// HalftoneType number: what each one checks and converts is a row of the
// table in CPDFHalftone.cpp.
#include <cstdint>

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
  CPDFHalftone(uint32_t typeBit, const char* typeName)
      : CPDFDataStruct(kHalftone), typeBit_(typeBit), typeName_(typeName) {}

  // The base check, no HalftoneName, and HalftoneType read from the file as
  // a number whose integer value is the value's.
  static bool CheckTyped(CPDFObjRegistry* doc, CPDFDict* dict, const CPDFInt& value);

 private:
  uint32_t typeBit_ = 0;
  const char* typeName_ = "";
};

// The halftone type classes CPDFType1Ht, CPDFType5Ht, CPDFType6Ht,
// CPDFType10Ht and CPDFType16Ht.
template <int32_t N>
class CPDFTypedHalftone : public CPDFHalftone {
  static_assert(N == 1 || N == 5 || N == 6 || N == 10 || N == 16, "HalftoneType 1, 5, 6, 10, 16");

 public:
  static constexpr uint32_t kBit = N == 1    ? 0x1
                                   : N == 5  ? 0x2
                                   : N == 6  ? 0x4
                                   : N == 10 ? 0x8
                                             : 0x10;

  CPDFTypedHalftone() : CPDFHalftone(kBit, TypeNameOf()) {}
  ~CPDFTypedHalftone() override = default;

  // The HalftoneType constant.
  static const CPDFInt& TypeValue() {
    static const CPDFInt value(static_cast<int>(N));
    return value;
  }

  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFTypedHalftone* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override {
    return PDFClone(this, doc, sourceDoc);
  }

  // Stores a direct copy of the HalftoneType constant.
  PDF_TYPE_SETTER(HalftoneType, TypeValue)

  // Functions (or a name, for SpotFunction) as stored.
  PDF_ACCESSOR_WHERE(N == 1, SpotFunction, CPDFObject, CPDFFunction)
  PDF_ACCESSOR_WHERE(N != 5, TransferFunction, CPDFObject, CPDFFunction)
  // Numbers as stored; the setters take integers.
  PDF_ACCESSOR_WHERE(N == 6 || N == 16, Width, CPDFNumber, CPDFInt)
  PDF_ACCESSOR_WHERE(N == 6 || N == 16, Height, CPDFNumber, CPDFInt)
  PDF_ACCESSOR_WHERE(N == 16, Width2, CPDFNumber, CPDFInt)
  PDF_ACCESSOR_WHERE(N == 16, Height2, CPDFNumber, CPDFInt)
  PDF_ACCESSOR_WHERE(N == 10, Xsquare, CPDFNumber, CPDFInt)
  PDF_ACCESSOR_WHERE(N == 10, Ysquare, CPDFNumber, CPDFInt)

 private:
  static constexpr const char* TypeNameOf() {
    return N == 1 ? "Type1" : N == 5 ? "Type5" : N == 6 ? "Type6" : N == 10 ? "Type10" : "Type16";
  }
};

using CPDFType1Ht = CPDFTypedHalftone<1>;
using CPDFType5Ht = CPDFTypedHalftone<5>;
using CPDFType6Ht = CPDFTypedHalftone<6>;
using CPDFType10Ht = CPDFTypedHalftone<10>;
using CPDFType16Ht = CPDFTypedHalftone<16>;

extern template class CPDFTypedHalftone<1>;
extern template class CPDFTypedHalftone<5>;
extern template class CPDFTypedHalftone<6>;
extern template class CPDFTypedHalftone<10>;
extern template class CPDFTypedHalftone<16>;
