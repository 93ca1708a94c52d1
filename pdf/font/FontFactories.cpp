#include "pdf/font/FontFactories.h"

#include "pdf/document/CPDFResource.h"
#include "pdf/document/CPDFResourceFactories.h"
#include "pdf/font/CPDFFont.h"

namespace {

// A font for a raw entry of the Font category; none (the entry stays as
// read) when no font kind accepts it.
CPDFObject* MakeFont(CPDFObjRegistry* doc, CPDFObject* raw) {
  return CPDFResource::GetPDFObject(CPDFFont::CreateFont(doc, raw, -1));
}

}  // namespace

void PDFRegisterFontFactories() { PDFSetResourceFactory(CPDFResource::kFont, MakeFont); }
