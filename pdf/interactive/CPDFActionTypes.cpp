#include "pdf/interactive/CPDFActionTypes.h"

#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFString.h"

bool CPDFGoToAct::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, kRequired, [&] {
    return LoadNext(doc) && PDFTypeEntry<CPDFDestination>(this, doc, Key_D());
  });
}

bool CPDFGoToRAct::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, kRequired, [&] {
    return LoadNext(doc) && PDFTypeEntry<CPDFDestination>(this, doc, Key_D()) &&
           PDFTypeEntry<CPDFFileSpec>(this, doc, Key_F());
  });
}

bool CPDFLaunchAct::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return LoadNext(doc) && PDFTypeEntry<CPDFFileSpec>(this, doc, Key_F()) &&
           PDFTypeEntry<CPDFWinLaunch>(this, doc, Key_Win());
  });
}

bool CPDFThreadAct::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return LoadNext(doc) && PDFTypeEntry<CPDFFileSpec>(this, doc, Key_F());
  });
}

CPDFAction* CPDFThreadAct::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc, [&](CPDFThreadAct* copy) {
    return CopyLeavingOut(copy, doc, sourceDoc, {"D", "B"});
  });
}

bool CPDFSoundAct::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, kRequired, [&] {
    return LoadNext(doc) && PDFTypeEntry<CPDFSound>(this, doc, Key_Sound());
  });
}

bool CPDFMovieAct::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source,
                      [&] { return LoadNext(doc) && PDFTypeEntry<CPDFText>(this, doc, Key_T()); });
}

CPDFAction* CPDFMovieAct::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc, [&](CPDFMovieAct* copy) {
    return CopyLeavingOut(copy, doc, sourceDoc, {"Annot"});
  });
}

bool CPDFSubmitFormAct::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, kRequired, [&] {
    return LoadNext(doc) && PDFTypeEntry<CPDFFileSpec>(this, doc, Key_F()) &&
           PDFTypeEntry<CPDFInt>(this, doc, Key_Flags());
  });
}

CPDFAction* CPDFSubmitFormAct::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc, [&](CPDFSubmitFormAct* copy) {
    return CopyLeavingOut(copy, doc, sourceDoc, {"Fields"});
  });
}

bool CPDFResetFormAct::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return LoadNext(doc) && PDFTypeEntry<CPDFInt>(this, doc, Key_Flags());
  });
}

CPDFAction* CPDFResetFormAct::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc, [&](CPDFResetFormAct* copy) {
    return CopyLeavingOut(copy, doc, sourceDoc, {"Fields"});
  });
}

bool CPDFImportDataAct::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, kRequired, [&] {
    return LoadNext(doc) && PDFTypeEntry<CPDFFileSpec>(this, doc, Key_F());
  });
}
