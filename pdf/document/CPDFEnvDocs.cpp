// The environment's document factory.
#include <memory>

#include "pdf/document/CPDFDoc.h"
#include "pdf/document/CPDFEnv.h"
#include "pdf/object/CPDFException.h"

CPDFDoc* CPDFEnv::CreateDoc(bool fdf, bool xrefForFdf, int32_t major, int32_t minor,
                            CPDFException* error) {
  std::unique_ptr<CPDFDoc> doc(new (std::nothrow) CPDFDoc);
  if (!doc) {
    if (error) error->Set("CPDFEnv", "CreateDoc", CPDFException::kStepFailed, "out of memory");
    return nullptr;
  }
  if (!doc->Create(fdf, xrefForFdf, major, minor)) {
    if (error) *error = doc->GetError();
    return nullptr;
  }
  return doc.release();
}

bool CPDFEnv::CloseDoc(CPDFDoc* doc) {
  if (doc) doc->Close();
  delete doc;
  return true;
}
