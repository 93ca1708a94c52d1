#include "pdf/interactive/CPDFDestination.h"

#include <memory>

#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFTypedStruct.h"

namespace {

// A view and the elements that must be numbers after its name (none when
// first is 0).
struct View {
  const char* name;
  int32_t first, last;
};

constexpr View kViews[] = {
    {"XYZ", 2, 4},  {"Fit", 0, -1},  {"FitH", 2, 2},  {"FitV", 2, 2},
    {"FitR", 2, 5}, {"FitB", 0, -1}, {"FitBH", 2, 2}, {"FitBV", 2, 2},
};

}  // namespace

bool CPDFDestination::Check(CPDFObjRegistry* doc, CPDFArray* array) {
  auto* view = PDFGetElementAs<CPDFName>(array, doc, 1);
  if (!view || !view->IsType(kName)) return false;
  for (const View& known : kViews) {
    if (!view->IsEqual(known.name)) continue;
    for (int32_t i = known.first; i <= known.last; ++i) {
      CPDFObject* number = array->Get(doc, i);
      if (!number || !number->IsType(kNumber)) return false;
    }
    return true;
  }
  // A view of no known kind needs nothing more.
  return true;
}

bool CPDFDestination::Load(CPDFObjRegistry* doc, CPDFArray* source) {
  return PDFLoadFrame(this, doc, source);
}

bool CPDFDestination::Duplicate(CPDFDestination* dest, CPDFObjRegistry* doc,
                                CPDFObjRegistry* sourceDoc) {
  if (!dest) return false;
  try {
    if (!CPDFStructBase::Duplicate(dest, doc, sourceDoc)) return false;
    if (GetCount() == 0) return false;
    // Element 0 is only asked whether it is a reference: the page is
    // neither fetched nor copied, so a page missing from the file does
    // not stop the copy.
    CPDFObjRef page;
    Get(nullptr, 0, &page);
    if (page.IsDefined()) {
      // The copy's page is left undefined; the array copy below keeps an
      // index the copy already holds.
      auto undefined = std::make_unique<CPDFObjRef>();
      if (!dest->Elements::Push_Back(undefined.get())) return false;
      undefined.release();
    }
    return CPDFArray::Duplicate(dest, doc, sourceDoc, false);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFDestination", "Duplicate");
  }
}

CPDFDestination* CPDFDestination::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc,
                  [&](CPDFDestination* copy) { return Duplicate(copy, doc, sourceDoc); });
}
