#pragma once
// Text operators: text objects, text state, positioning and showing. Each
// kind writes its operands and keyword as listed with its enumerator.
#include <cstdint>

#include "pdf/object/CPDFGraphObjs.h"

class CPDFTextOperator : public CPDFGraphOperator {
 public:
  enum Kind : int32_t {
    kBT = 0,             // BT
    kET = 1,             // ET
    kCharSpacing = 2,    // x Tc
    kWordSpacing = 3,    // x Tw
    kHorizScaling = 4,   // x Tz
    kLeading = 5,        // x TL
    kFont = 6,           // /name size Tf
    kRenderMode = 7,     // x Tr
    kRise = 8,           // x Ts
    kMove = 9,           // tx ty Td
    kMoveLeading = 10,   // tx ty TD
    kTextMatrix = 11,    // a b c d e f Tm
    kNextLine = 12,      // T*
    kShow = 13,          // (string) Tj
    kNextLineShow = 14,  // (string) '
    // Slots 0-2 word spacing, character spacing, string; slot 3 a CPDFBool:
    // true writes aw ac (string) ", false aw Tw ac Tc (string) Tj.
    kSpacingShow = 15,
    // Slot 0 the array, slot 1 a CPDFBool: true puts "T* " before it.
    kShowArray = 16,  // [array] TJ
  };

  CPDFTextOperator() : CPDFGraphOperator(kTextOperator, "Text Operator") {}
  ~CPDFTextOperator() override = default;

  // Any kind outside 0..16 writes nothing.
  void Write(CPDFOutStream& out) override;
  // 0x100 for kinds 0-1, 0x200 for 2-8, 0x400 for 9-12, 0x800 for 13-16.
  uint32_t GetCategory() const override;

  void SetBT() { Replace(kBT, nullptr, 0); }
  void SetET() { Replace(kET, nullptr, 0); }
  void SetFont(const char* fontName, float size);
  void SetRenderMode(int32_t mode);
  void SetTextMatrix(float a, float b, float c, float d, float e, float f);
  // A string of the bytes (copied).
  void SetShowText(const char* bytes, int32_t length);
};
