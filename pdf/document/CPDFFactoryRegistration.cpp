#include "pdf/document/CPDFFactoryRegistration.h"

#include <mutex>

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

}  // namespace

void PDFRegisterFactories() {
  static std::once_flag once;
  std::call_once(once, [] {
    PDFSetEntryFactory(CPDFTypedEntry::kStreamF, TypeStreamFileSpec);
    PDFRegisterGraphicsFactories();
    PDFRegisterFontFactories();
  });
}
