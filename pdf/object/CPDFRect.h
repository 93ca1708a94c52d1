#pragma once
// A rectangle [x1 y1 x2 y2] of four numbers. Every reading access checks the
// element count and that each element is a number; a malformed array gives
// 0 (or false) instead of reading out of bounds.
#include <cstdint>

#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFNumber.h"

namespace pdfgeometry {
// True for an array of exactly count elements that are all numbers.
bool HasNumbers(CPDFObjRegistry* doc, CPDFObject* object, int32_t count);
// Replaces every element of the array with new numbers of the values.
bool Rebuild(CPDFArray& array, const float* values, int32_t count);
}  // namespace pdfgeometry

class CPDFRect : public CPDFDataStruct, public CPDFArray {
 public:
  CPDFRect();
  CPDFRect(float x1, float y1, float x2, float y2);
  ~CPDFRect() override = default;

  // True for an array of exactly four numbers.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Takes over the source array's elements.
  bool Assign(CPDFObjRegistry* doc, CPDFArray* source);
  // SetDoc, then Assign; false (entries given back) when the result is not
  // a rectangle of four numbers.
  bool Load(CPDFObjRegistry* doc, CPDFArray* source);

  // Stores the four values (rebuilding the elements when they are not four
  // numbers).
  bool Set(float x1, float y1, float x2, float y2);
  // Replaces the elements with copies of the source's four numbers; false
  // (nothing changed) when the source is not a rectangle of numbers.
  bool Copy(const CPDFRect& source);

  // The element at 0..3 as a number (through the document), or none.
  CPDFNumber* GetNumber(int32_t index) const;
  double GetX1() const { return Value(0); }
  double GetY1() const { return Value(1); }
  double GetX2() const { return Value(2); }
  double GetY2() const { return Value(3); }
  double GetWidth() const { return IsWellFormed() ? Value(2) - Value(0) : 0.0; }
  double GetHeight() const { return IsWellFormed() ? Value(3) - Value(1) : 0.0; }
  bool IsWellFormed() const;

  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  bool Duplicate(CPDFRect* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                 bool overwrite) const;

 private:
  double Value(int32_t index) const;
};
