#pragma once
// A transformation matrix [a b c d e f] of six numbers, the identity when
// made: x' = a x + c y + e, y' = b x + d y + f. Reading accesses check the
// element count and that each element is a number.
#include <cstdint>

#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFNumber.h"

class CPDFMatrix : public CPDFDataStruct, public CPDFArray {
 public:
  CPDFMatrix();
  ~CPDFMatrix() override = default;

  // True for an array of exactly six numbers.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  bool Assign(CPDFObjRegistry* doc, CPDFArray* source);
  // SetDoc, then Assign; false (entries given back) when the result is not
  // a matrix of six numbers.
  bool Load(CPDFObjRegistry* doc, CPDFArray* source);

  // The element at 0..5 as a number, or none.
  CPDFNumber* GetA() const { return GetNumber(0); }
  CPDFNumber* GetB() const { return GetNumber(1); }
  CPDFNumber* GetC() const { return GetNumber(2); }
  CPDFNumber* GetD() const { return GetNumber(3); }
  CPDFNumber* GetE() const { return GetNumber(4); }
  CPDFNumber* GetF() const { return GetNumber(5); }
  CPDFNumber* GetNumber(int32_t index) const;
  bool IsWellFormed() const;

  CPDFMatrix& SetIdentity();
  // Replaces this matrix M by M x N, N = [A B C D E F]. A malformed matrix
  // starts again from the identity.
  CPDFMatrix& Concat(float A, float B, float C, float D, float E, float F);
  CPDFMatrix& Translate(float tx, float ty) { return Concat(1, 0, 0, 1, tx, ty); }
  CPDFMatrix& Scale(float sx, float sy) { return Concat(sx, 0, 0, sy, 0, 0); }

  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  bool Duplicate(CPDFMatrix* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                 bool overwrite) const;
};
