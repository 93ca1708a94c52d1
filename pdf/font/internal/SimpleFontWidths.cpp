#include "pdf/font/internal/SimpleFontWidths.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "pdf/font/CPDFEncoding.h"
#include "pdf/font/CPDFFont.h"
#include "pdf/font/CPDFFontDesc.h"
#include "pdf/font/internal/FontText.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFObjRegistry.h"
#include "pdf/object/CPDFTypedStruct.h"

namespace simplefont {
namespace {

const CPDFName& FirstCharKey() {
  static const CPDFName key("FirstChar");
  return key;
}
const CPDFName& LastCharKey() {
  static const CPDFName key("LastChar");
  return key;
}
const CPDFName& WidthsKey() {
  static const CPDFName key("Widths");
  return key;
}
const CPDFName& FontDescriptorKey() {
  static const CPDFName key("FontDescriptor");
  return key;
}

// A step that failed without an error of its own (recorded as code 5 with
// no message).
struct StepFailure {};
[[noreturn]] void StepFailed() { throw StepFailure{}; }

[[noreturn]] void Missing(const Names& names, const char* method, const char* message) {
  CPDFException::Throw(names.className, method, CPDFException::kStepFailed, message);
}

// A code bound read from the font, clamped to the byte range; none when
// absent or not a number.
bool ReadCode(CPDFFont* font, const CPDFName& key, int32_t& out, bool& inRange) {
  auto* number = dynamic_cast<CPDFNumber*>(font->Get(font->GetDoc(), key));
  if (!number) return false;
  out = std::clamp(number->GetInt(), 0, 255);
  inRange = out == number->GetInt();
  return true;
}

// The code range and the /Widths array (none when absent).
struct Range {
  int32_t first = 0;
  int32_t last = 255;
  bool firstInRange = true;
  bool lastInRange = true;
  CPDFArray* widths = nullptr;
  CPDFObjRef widthsRef;
};

Range FindRange(CPDFFont* font, const Names& names, const char* method) {
  if (!PDFGetAs<CPDFName>(font, font->GetDoc(), CPDFFont::Key_BaseFont())) {
    Missing(names, method, names.baseFontMessage);
  }
  Range range;
  range.widths = PDFGetAs<CPDFArray>(font, font->GetDoc(), WidthsKey(), &range.widthsRef);
  const bool haveFirst = ReadCode(font, FirstCharKey(), range.first, range.firstInRange);
  if (range.widths && !haveFirst) Missing(names, method, names.firstCharMessage);
  const bool haveLast = ReadCode(font, LastCharKey(), range.last, range.lastInRange);
  if (range.widths && !haveLast) Missing(names, method, names.lastCharMessage);
  return range;
}

// Runs a width operation: any failure is the fallback with the record filled.
template <class Result, class Body>
Result Run(CPDFFont* font, const Names& names, const char* method, Result failed, Body body) {
  return fonttext::Guarded<Result>(font->GetDoc(), names.className, method, failed, body);
}

bool StoreInt(CPDFFont* font, const CPDFName& key, int32_t value) {
  return font->Set(font->GetDoc(), key, std::make_unique<CPDFInt>(value));
}

}  // namespace

bool TypeWidthKeys(CPDFDict* font, CPDFObjRegistry* doc, bool descriptor) {
  return PDFTypeEntry<CPDFInt>(font, doc, FirstCharKey()) &&
         PDFTypeEntry<CPDFInt>(font, doc, LastCharKey()) &&
         PDFTypeElements<CPDFInt>(PDFGetAs<CPDFArray>(font, doc, WidthsKey()), doc) &&
         CPDFEncoding::TypeKeyedEntry(font, doc, CPDFFont::Key_Encoding()) &&
         (!descriptor || CPDFFontDesc::TypeKeyedEntry(font, doc, FontDescriptorKey()));
}

int32_t MeasureText(CPDFFont* font, const Names& names, const uint8_t* text, int32_t length,
                    const std::function<CodeWidth()>& widthsOf) {
  static constexpr const char* kMethod = "CalcStringWidth";
  return Run(font, names, kMethod, -1, [&]() -> int32_t {
    if (length < 0 || (length > 0 && !text)) StepFailed();
    const Range range = FindRange(font, names, kMethod);
    CodeWidth width;
    if (range.widths) {
      width = [&](uint8_t c) -> int32_t {
        auto* number =
            dynamic_cast<CPDFNumber*>(range.widths->Get(font->GetDoc(), c - range.first));
        if (!number) StepFailed();
        return number->GetInt();
      };
    } else {
      width = widthsOf();
    }
    // The sum wraps as 32-bit arithmetic rather than overflowing.
    uint32_t sum = 0;
    for (int32_t i = 0; i < length; ++i) {
      const uint8_t c = text[i];
      if (c < range.first || c > range.last) continue;
      sum += static_cast<uint32_t>(width(c));
    }
    return static_cast<int32_t>(sum);
  });
}

bool UpdateWidths(CPDFFont* font, const Names& names, const char* method,
                  const std::function<CodeWidth()>& widthsOf) {
  return Run(font, names, method, false, [&]() -> bool {
    CPDFObjRegistry* doc = font->GetDoc();
    Range range = FindRange(font, names, method);
    if (range.first > range.last) StepFailed();
    // Every width is found before anything changes: a code without one
    // leaves the dictionary as it was.
    const CodeWidth width = widthsOf();
    std::vector<int32_t> values;
    for (int32_t c = range.first; c <= range.last; ++c) {
      values.push_back(width(static_cast<uint8_t>(c)));
    }
    CPDFArray* widths = range.widths;
    if (widths) {
      if (range.widthsRef.IsDefined() && (!doc || !doc->UpdateObj(range.widthsRef))) {
        StepFailed();
      }
      for (int32_t i = widths->GetCount() - 1; i >= 0; --i) widths->Remove(doc, i);
      // A bound outside the byte range was clamped: the dictionary gets the
      // bound the new elements start and end at.
      if (!range.firstInRange && !StoreInt(font, FirstCharKey(), range.first)) StepFailed();
      if (!range.lastInRange && !StoreInt(font, LastCharKey(), range.last)) StepFailed();
    } else {
      // A new array: the dictionary gets the code range it covers as well,
      // since /Widths is read against FirstChar and LastChar.
      CPDFObjRef ref;
      if (!font->Set(doc, WidthsKey(), std::make_unique<CPDFArray>(), true, &ref)) StepFailed();
      widths = PDFGetAs<CPDFArray>(font, doc, WidthsKey());
      if (!widths) StepFailed();
      if (!StoreInt(font, FirstCharKey(), range.first) ||
          !StoreInt(font, LastCharKey(), range.last)) {
        StepFailed();
      }
    }
    for (int32_t value : values) {
      if (!widths->Push_Back(doc, std::make_unique<CPDFInt>(value))) StepFailed();
    }
    return true;
  });
}

}  // namespace simplefont
