#include "pdf/document/CPDFPieceInfoDict.h"

#include <vector>

#include "pdf/document/CPDFAppDataDict.h"
#include "pdf/document/CPDFTypedEntries.h"

bool CPDFPieceInfoDict::Check(CPDFObjRegistry*, CPDFObject* object) {
  return dynamic_cast<CPDFDict*>(object) != nullptr;
}

bool CPDFPieceInfoDict::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  SetDoc(doc);
  return PDFLoadEntries(this, doc, source, [&] {
    // The keys first: storing a typed value must not disturb the walk.
    std::vector<CPDFName> keys;
    keys.reserve(static_cast<size_t>(GetCount()));
    for (auto it = Begin(); !it.IsEnd(); it.Next()) keys.push_back(*it.GetKey());
    for (const CPDFName& key : keys) {
      // The raw value itself: a typed getter's cast would hide it.
      if (!Get(doc, key)) return false;
      if (!PDFLoadEntry<CPDFAppDataDict, CPDFDict>(this, doc, key, kDictionary)) return false;
    }
    return true;
  });
}

CPDFObject* CPDFPieceInfoDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFCloneStruct<CPDFPieceInfoDict>(this, doc, sourceDoc);
}
