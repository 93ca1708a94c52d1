#include "pdf/document/CPDFPieceInfoDict.h"

#include <vector>

#include "pdf/document/CPDFAppDataDict.h"

bool CPDFPieceInfoDict::Check(CPDFObjRegistry*, CPDFObject* object) {
  return dynamic_cast<CPDFDict*>(object) != nullptr;
}

bool CPDFPieceInfoDict::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    // The keys first: storing a typed value must not disturb the walk.
    std::vector<CPDFName> keys;
    keys.reserve(static_cast<size_t>(GetCount()));
    for (auto it = Begin(); !it.IsEnd(); it.Next()) keys.push_back(*it.GetKey());
    // Every value must be fetched; an application-data dictionary is typed.
    for (const CPDFName& key : keys) {
      if (!PDFTypeEntry<CPDFAppDataDict>(this, doc, key, PDFEntry::kRequired)) return false;
    }
    return true;
  });
}

CPDFObject* CPDFPieceInfoDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
