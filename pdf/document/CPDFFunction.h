#pragma once
// PDF functions (sampled, exponential, stitching and PostScript calculator)
// as typed objects; they are modelled, not evaluated. Every function is held
// in a stream, whether the file stores it as a stream (types 0 and 4) or as
// a plain dictionary (types 2 and 3); the dictionary kinds have no data and
// are written as a dictionary.
#include <cstdint>

#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFFunction : public CPDFDataStruct, public CPDFStream {
 public:
  // Loads of this class count against the nesting limit (CPDFLoadDepth).
  static constexpr bool kNestedLoad = true;
  enum TypeBit : int32_t { kType0 = 1, kType2 = 2, kType3 = 4, kType4 = 8 };

  ~CPDFFunction() override = default;

  int32_t GetTypeBit() const { return typeBit_; }
  const char* GetFunctionTypeName() const { return functionTypeName_; }
  // True for the kinds a file stores as a stream (types 0 and 4).
  bool IsStreamForm() const { return streamForm_; }

  // The family factory: types 0, 2, 3, 4 (bits 1, 2, 4, 8) in that order,
  // each only when its bit is in the mask. The first whose Check accepts the
  // object (a dictionary or a stream) is built and loaded; none when that
  // load fails, when nothing fits, or when functions nest too deeply. The
  // caller owns the result.
  static CPDFFunction* CreateFunction(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask);

  // True when Domain is present and an array.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Sets the document and takes over the source (a dictionary's entries, or
  // a stream's entries and data); a raw FunctionType becomes an integer.
  // False when FunctionType is absent or a conversion fails; the source
  // then has its entries (and data) back.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  bool Duplicate(CPDFFunction* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                 bool overwrite) const;
  // The exchange of a load: a stream's entries and data, or a dictionary's
  // entries (a dictionary-form function has no data).
  bool Assign(CPDFObjRegistry* doc, CPDFDict* source);

  // Types 0 and 4: the stream; types 2 and 3: the dictionary alone.
  void Write(CPDFOutStream& out, const uint8_t* context) override;

  PDF_CONST_NAME(Key_Domain, "Domain")
  PDF_CONST_NAME(Key_Range, "Range")
  PDF_ACCESSOR(FunctionType, CPDFNumber, CPDFInt)

 protected:
  CPDFFunction(int32_t typeBit, const char* typeName, bool streamForm)
      : CPDFDataStruct(kFunction),
        typeBit_(typeBit),
        functionTypeName_(typeName),
        streamForm_(streamForm) {}

  // The common part of the members' checks: Check, then FunctionType a
  // parsed number equal to the value.
  static bool CheckType(CPDFObjRegistry* doc, CPDFObject* object, const CPDFInt& value);
  // FunctionType (required) as an integer: the first conversion of every
  // member's Load.
  bool TypeFunctionType(CPDFObjRegistry* doc);
  // The copy step of every member's Clone: Duplicate with overwrite.
  auto DuplicateWith(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
    return [this, doc, sourceDoc](CPDFFunction* copy) {
      return Duplicate(copy, doc, sourceDoc, true);
    };
  }

 private:
  int32_t typeBit_ = 0;
  const char* functionTypeName_ = "";
  bool streamForm_ = false;
};

// Sampled function.
class CPDFType0Func : public CPDFFunction {
 public:
  CPDFType0Func() : CPDFFunction(kType0, "Type0", true) {}
  // Also Size an array and BitsPerSample a number.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // BitsPerSample (required) and Order (optional) become integers.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_ACCESSOR(BitsPerSample, CPDFNumber)
  PDF_ACCESSOR(Order, CPDFNumber)
  PDF_CONST_NAME(Key_Size, "Size")
};

// Exponential interpolation function.
class CPDFType2Func : public CPDFFunction {
 public:
  CPDFType2Func() : CPDFFunction(kType2, "Type2", false) {}
  // Also N a number.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_CONST_NAME(Key_N, "N")
};

// Stitching function.
class CPDFType3Func : public CPDFFunction {
 public:
  CPDFType3Func() : CPDFFunction(kType3, "Type3", false) {}
  // Also Functions, Bounds and Encode arrays.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Each raw dictionary or stream of Functions that is a function becomes
  // one; an element that cannot be fetched fails.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_ACCESSOR(Functions, CPDFArray)
  PDF_CONST_NAME(Key_Bounds, "Bounds")
  PDF_CONST_NAME(Key_Encode, "Encode")
};

// PostScript calculator function.
class CPDFType4Func : public CPDFFunction {
 public:
  CPDFType4Func() : CPDFFunction(kType4, "Type4", true) {}
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
};
