#include "pdf/composite/CPDFFactoryRegistration.h"

#include <mutex>

#include "pdf/composite/CPDFCatalog.h"
#include "pdf/composite/CPDFDoc.h"
#include "pdf/document/CPDFCatalogHook.h"
#include "pdf/document/CPDFFileSpec.h"
#include "pdf/font/FontFactories.h"
#include "pdf/graphics/GraphicsFactories.h"
#include "pdf/object/CPDFEntryFactories.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CPDFTypedStruct.h"

namespace {

bool TypeStreamFileSpec(CPDFDict* dict, CPDFObjRegistry* doc) {
  return PDFTypeEntry<CPDFFileSpec>(dict, doc, CPDFStream::Key_F());
}

// The catalog of a document (a CPDFCatalog as Root); none for another
// registry and for an FDF document, whose Root is an FDF catalog.
CPDFDict* FindCatalog(CPDFObjRegistry* doc, CPDFObjRef* ref) {
  auto* owner = dynamic_cast<CPDFDoc*>(doc);
  CPDFCatalog* catalog = owner ? owner->GetCatalog(ref) : nullptr;
  if (!catalog && ref) ref->Reset();
  return catalog;
}

}  // namespace

void PDFRegisterFactories() {
  static std::once_flag once;
  std::call_once(once, [] {
    PDFSetEntryFactory(CPDFTypedEntry::kStreamF, TypeStreamFileSpec);
    PDFSetCatalogFinder(FindCatalog);
    PDFRegisterGraphicsFactories();
    PDFRegisterFontFactories();
  });
}
