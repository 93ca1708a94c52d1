#pragma once
// Page-description operators: graphics state, colour, compatibility
// sections and marked content. Each kind writes its operands and keyword as
// listed with its enumerator; operands are separated by single blanks.
#include <cstdint>

#include "pdf/object/CPDFGraphObjs.h"

class CPDFPageDescOp : public CPDFGraphOperator {
 public:
  enum Kind : int32_t {
    kGSave = 0,              // q
    kGRestore = 1,           // Q
    kConcat = 2,             // a b c d e f cm
    kFlatness = 3,           // x i
    kLineCap = 4,            // x J
    kDash = 5,               // [array] phase d
    kLineJoin = 6,           // x j
    kLineWidth = 7,          // x w
    kMiterLimit = 8,         // x M
    kExtGState = 9,          // /name gs
    kFillGray = 10,          // x g
    kStrokeGray = 11,        // x G
    kFillRGB = 12,           // r g b rg
    kStrokeRGB = 13,         // r g b RG
    kFillCMYK = 14,          // c m y k k
    kStrokeCMYK = 15,        // c m y k K
    kFillColorSpace = 16,    // /name cs
    kStrokeColorSpace = 17,  // /name CS
    kFillColor = 18,         // 1 to 4 components sc (up to the first empty slot)
    kStrokeColor = 19,       // 1 to 4 components SC (up to the first empty slot)
    kFillColorN = 20,        // slot 0 an array of components, slot 1 a name: c1 .. cn /name scn
    kStrokeColorN = 21,      // the same with SCN
    kIntent = 22,            // /name ri
    kBeginCompat = 23,       // BX
    kEndCompat = 24,         // raw bytes, then " EX"
    kBeginMarked = 25,       // /tag BMC
    kBeginMarkedProps = 26,  // slot 0 tag, slot 1 dictionary, else slot 2 name: /tag <<..>> BDC
    kEndMarked = 27,         // EMC
    kMarkPoint = 28,         // /tag MP
    kMarkPointProps = 29,    // as kBeginMarkedProps with DP
  };

  CPDFPageDescOp() : CPDFGraphOperator(kPageDescOp, "Page-Description Operator") {}
  ~CPDFPageDescOp() override = default;

  // Any kind outside 0..29 writes nothing.
  void Write(CPDFOutStream& out) override;
  // 1 for kinds 0-2, 2 for 3-9, 4 for 10-22, 8 for 23-24, 16 for 25-29.
  uint32_t GetCategory() const override;

  void SetGSave() { Replace(kGSave, nullptr, 0); }
  void SetGRestore() { Replace(kGRestore, nullptr, 0); }
  void SetMatrix(float a, float b, float c, float d, float e, float f);
  void SetLineWidth(float width);
  void SetStrokeGray(float gray);
  // EX with the bytes (copied) that stand before it.
  void SetEndCompat(const char* bytes, int32_t length) { ReplaceBytes(kEndCompat, bytes, length); }
};
