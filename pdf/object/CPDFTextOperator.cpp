#include "pdf/object/CPDFTextOperator.h"

#include <iterator>
#include <memory>
#include <new>

#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/CPDFString.h"

namespace {

struct Entry {
  const char* keyword;
  int32_t operands;
};

// Kinds 15 and 16 have their own forms (see Write).
constexpr Entry kTable[] = {
    {"BT", 0}, {"ET", 0}, {"Tc", 1}, {"Tw", 1}, {"Tz", 1}, {"TL", 1},
    {"Tf", 2}, {"Tr", 1}, {"Ts", 1}, {"Td", 2}, {"TD", 2}, {"Tm", 6},
    {"T*", 0}, {"Tj", 1}, {"'", 1},  {"\"", 3}, {"TJ", 1},
};

}  // namespace

void CPDFTextOperator::Write(CPDFOutStream& out) {
  const int32_t kind = GetOperator();
  if (kind < 0 || kind >= static_cast<int32_t>(std::size(kTable))) return;
  switch (kind) {
    case kSpacingShow:
      if (GetFlag(3)) {
        WriteOperands(out, 3, "\"");
      } else {
        // The same effect in three operators: set word and character
        // spacing, then show the string.
        if (WriteOperand(out, 0)) out.WriteText("Tw ");
        if (WriteOperand(out, 1)) out.WriteText("Tc ");
        WriteOperand(out, 2);
        out.WriteText("Tj");
      }
      return;
    case kShowArray:
      if (GetFlag(1)) out.WriteText("T* ");
      WriteOperands(out, 1, "TJ");
      return;
    default: WriteOperands(out, kTable[kind].operands, kTable[kind].keyword); return;
  }
}

uint32_t CPDFTextOperator::GetCategory() const {
  return CategoryOf(GetOperator(), {{kET, kTextObjectOps},
                                    {kRise, kTextState},
                                    {kNextLine, kTextPositioning},
                                    {kShowArray, kTextShowing}});
}

void CPDFTextOperator::SetFont(const char* fontName, float size) {
  std::unique_ptr<CPDFObject> ops[] = {std::make_unique<CPDFName>(fontName ? fontName : ""),
                                       std::make_unique<CPDFNumber>(size)};
  Replace(kFont, ops, 2);
}

void CPDFTextOperator::SetRenderMode(int32_t mode) {
  std::unique_ptr<CPDFObject> ops[] = {std::make_unique<CPDFInt>(mode)};
  Replace(kRenderMode, ops, 1);
}

void CPDFTextOperator::SetTextMatrix(float a, float b, float c, float d, float e, float f) {
  ReplaceNumbers(kTextMatrix, {a, b, c, d, e, f});
}

void CPDFTextOperator::SetShowText(const char* bytes, int32_t length) {
  std::unique_ptr<CPDFString> text = std::make_unique<CPDFString>();
  if (bytes && length > 0 && !text->TempString::Assign(bytes, length)) throw std::bad_alloc();
  std::unique_ptr<CPDFObject> ops[] = {std::move(text)};
  Replace(kShow, ops, 1);
}
