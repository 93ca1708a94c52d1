#include "pdf/interactive/CPDFAddActDict.h"

#include "pdf/interactive/CPDFAction.h"

bool CPDFAddActDict::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  const auto action = PDFFactory(&CPDFAction::CreateAction, doc);
  return PDFLoadFrame(this, doc, source, [&] {
    for (const CPDFName* key :
         {&Key_E(), &Key_X(), &Key_D(), &Key_U(), &Key_O(), &Key_C(), &Key_F(), &Key_V(), &Key_K(),
          &Key_FP(), &Key_PP(), &Key_NP(), &Key_LP()}) {
      if (!PDFTypeEntry(this, doc, *key, kDictionary, action)) return false;
    }
    return true;
  });
}

CPDFObject* CPDFAddActDict::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

PDF_ACCESSOR_DEF(CPDFAddActDict, E, CPDFAction)
PDF_ACCESSOR_DEF(CPDFAddActDict, X, CPDFAction)
PDF_ACCESSOR_DEF(CPDFAddActDict, D, CPDFAction)
PDF_ACCESSOR_DEF(CPDFAddActDict, U, CPDFAction)
PDF_ACCESSOR_DEF(CPDFAddActDict, O, CPDFAction)
PDF_ACCESSOR_DEF(CPDFAddActDict, C, CPDFAction)
PDF_ACCESSOR_DEF(CPDFAddActDict, F, CPDFAction)
PDF_ACCESSOR_DEF(CPDFAddActDict, V, CPDFAction)
PDF_ACCESSOR_DEF(CPDFAddActDict, K, CPDFAction)
PDF_ACCESSOR_DEF(CPDFAddActDict, FP, CPDFAction)
PDF_ACCESSOR_DEF(CPDFAddActDict, PP, CPDFAction)
PDF_ACCESSOR_DEF(CPDFAddActDict, NP, CPDFAction)
PDF_ACCESSOR_DEF(CPDFAddActDict, LP, CPDFAction)
