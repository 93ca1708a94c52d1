#include "pdf/object/CPDFAccessor.h"

#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFStream.h"

void PDFGiveBack(CPDFObject* typed, CPDFObject* raw, CPDFObjRegistry* doc) {
  if (auto* from = dynamic_cast<CPDFStream*>(typed)) {
    if (auto* to = dynamic_cast<CPDFStream*>(raw)) {
      to->Assign(doc, from);
    } else if (auto* dict = dynamic_cast<CPDFDict*>(raw)) {
      // A dictionary-form function is held in a stream: only the entries
      // were taken.
      dict->CPDFDict::Assign(doc, from);
    }
  } else if (auto* from = dynamic_cast<CPDFDict*>(typed)) {
    if (auto* to = dynamic_cast<CPDFDict*>(raw)) to->Assign(doc, from);
  } else if (auto* from = dynamic_cast<CPDFArray*>(typed)) {
    if (auto* to = dynamic_cast<CPDFArray*>(raw)) to->Assign(doc, from);
  }
}
