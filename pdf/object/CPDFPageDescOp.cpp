#include "pdf/object/CPDFPageDescOp.h"

#include <iterator>

#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFOutStream.h"

namespace {

// The keywords of kinds 0..29 and how many operand slots each writes.
struct Entry {
  const char* keyword;
  int32_t operands;
};

constexpr Entry kTable[] = {
    {"q", 0},  {"Q", 0},   {"cm", 6},  {"i", 1},   {"J", 1},   {"d", 2},   {"j", 1},  {"w", 1},
    {"M", 1},  {"gs", 1},  {"g", 1},   {"G", 1},   {"rg", 3},  {"RG", 3},  {"k", 4},  {"K", 4},
    {"cs", 1}, {"CS", 1},  {"sc", 4},  {"SC", 4},  {"scn", 0}, {"SCN", 0}, {"ri", 1}, {"BX", 0},
    {"EX", 0}, {"BMC", 1}, {"BDC", 0}, {"EMC", 0}, {"MP", 1},  {"DP", 0},
};

}  // namespace

void CPDFPageDescOp::Write(CPDFOutStream& out) {
  const int32_t kind = GetOperator();
  if (kind < 0 || kind >= static_cast<int32_t>(std::size(kTable))) return;
  const Entry& entry = kTable[kind];
  switch (kind) {
    case kFillColorN:
    case kStrokeColorN: {
      // The components one by one, then the pattern name when there is one.
      if (auto* components = dynamic_cast<CPDFArray*>(GetOperand(0))) {
        for (int32_t i = 0; i < components->GetCount(); ++i) {
          if (CPDFObject* c = components->Get(nullptr, i)) {
            c->Write(out, nullptr);
            out.WriteByte(' ');
          }
        }
      }
      WriteOperand(out, 1);
      out.WriteText(entry.keyword);
      return;
    }
    case kEndCompat: {
      const TempString& bytes = GetBytes();
      if (!bytes.IsEmpty()) {
        out.Write(bytes.c_str(), bytes.GetLength());
        out.WriteByte(' ');
      }
      out.WriteText(entry.keyword);
      return;
    }
    case kBeginMarkedProps:
    case kMarkPointProps:
      // The tag, then the property dictionary, or else the property-list name.
      WriteOperand(out, 0);
      if (!WriteOperand(out, 1)) WriteOperand(out, 2);
      out.WriteText(entry.keyword);
      return;
    default: WriteOperands(out, entry.operands, entry.keyword); return;
  }
}

uint32_t CPDFPageDescOp::GetCategory() const {
  return CategoryOf(GetOperator(), {{kConcat, kSpecialGraphicsState},
                                    {kExtGState, kGeneralGraphicsState},
                                    {kIntent, kColor},
                                    {kEndCompat, kCompatibility},
                                    {kMarkPointProps, kMarkedContent}});
}

void CPDFPageDescOp::SetMatrix(float a, float b, float c, float d, float e, float f) {
  ReplaceNumbers(kConcat, {a, b, c, d, e, f});
}

void CPDFPageDescOp::SetLineWidth(float width) { ReplaceNumbers(kLineWidth, {width}); }

void CPDFPageDescOp::SetStrokeGray(float gray) { ReplaceNumbers(kStrokeGray, {gray}); }
