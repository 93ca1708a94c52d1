#include "pdf/graphics/GraphicsFactories.h"

#include <memory>

#include "pdf/document/CPDFResource.h"
#include "pdf/document/CPDFResourceFactories.h"
#include "pdf/graphics/CPDFExtGState.h"
#include "pdf/graphics/CPDFPattern.h"
#include "pdf/graphics/CPDFProperties.h"
#include "pdf/graphics/CPDFShading.h"

namespace {

// A new T loaded from a raw dictionary; none when the load fails.
template <class T>
CPDFObject* LoadDict(CPDFObjRegistry* doc, CPDFDict* dict) {
  std::unique_ptr<T> typed(new T);
  if (!typed->Load(doc, dict)) return nullptr;
  return static_cast<CPDFObject*>(typed.release());
}

CPDFObject* MakeExtGState(CPDFObjRegistry* doc, CPDFObject* raw) {
  auto* dict = dynamic_cast<CPDFDict*>(raw);
  if (!dict || !CPDFExtGState::Check(doc, dict)) return nullptr;
  return LoadDict<CPDFExtGState>(doc, dict);
}

CPDFObject* MakeProperties(CPDFObjRegistry* doc, CPDFObject* raw) {
  auto* dict = dynamic_cast<CPDFDict*>(raw);
  return dict ? LoadDict<CPDFProperties>(doc, dict) : nullptr;
}

CPDFObject* MakePattern(CPDFObjRegistry* doc, CPDFObject* raw) {
  return CPDFResource::GetPDFObject(CPDFPattern::CreatePattern(doc, raw, -1));
}

CPDFObject* MakeShading(CPDFObjRegistry* doc, CPDFObject* raw) {
  return CPDFResource::GetPDFObject(CPDFShading::CreateShading(doc, raw, -1));
}

}  // namespace

void PDFRegisterGraphicsFactories() {
  PDFSetResourceFactory(CPDFResource::kExtGState, MakeExtGState);
  PDFSetResourceFactory(CPDFResource::kPattern, MakePattern);
  PDFSetResourceFactory(CPDFResource::kProperties, MakeProperties);
  PDFSetResourceFactory(CPDFResource::kShading, MakeShading);
}
