#include "pdf/interactive/CPDFAnnotTypes.h"

#include "pdf/document/CPDFFileSpec.h"
#include "pdf/interactive/CPDFAction.h"
#include "pdf/interactive/CPDFDestination.h"
#include "pdf/interactive/CPDFMovieActiv.h"
#include "pdf/interactive/CPDFMovieDict.h"
#include "pdf/interactive/CPDFSound.h"

bool CPDFLinkAnnot::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  const auto action = PDFFactory(&CPDFAction::CreateAction, doc);
  return PDFLoadFrame(this, doc, source, [&] {
    return LoadEntries(doc) && PDFTypeEntry<CPDFDestination>(this, doc, Key_Dest()) &&
           PDFTypeEntry(this, doc, Key_A(), kDictionary, action) &&
           PDFTypeEntry(this, doc, Key_PA(), kDictionary, action);
  });
}

PDF_ACCESSOR_DEF(CPDFLinkAnnot, Dest, CPDFObject, CPDFDestination)
PDF_ACCESSOR_DEF(CPDFLinkAnnot, A, CPDFAction)
PDF_ACCESSOR_DEF(CPDFLinkAnnot, PA, CPDFAction)

bool CPDFMovieAnnot::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return LoadEntries(doc) &&
           PDFTypeEntry<CPDFMovieDict>(this, doc, Key_Movie(), PDFEntry::kRequired) &&
           PDFTypeEntry<CPDFMovieActiv>(this, doc, Key_A());
  });
}

PDF_ACCESSOR_DEF(CPDFMovieAnnot, Movie, CPDFMovieDict)
PDF_ACCESSOR_DEF(CPDFMovieAnnot, A, CPDFObject, CPDFMovieActiv)

bool CPDFSoundAnnot::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return LoadEntries(doc) && PDFTypeEntry<CPDFSound>(this, doc, Key_Sound(), PDFEntry::kRequired);
  });
}

PDF_ACCESSOR_DEF(CPDFSoundAnnot, Sound, CPDFSound)

bool CPDFFileAttachAnnot::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return LoadEntries(doc) && PDFTypeEntry<CPDFFileSpec>(this, doc, Key_FS(), PDFEntry::kRequired);
  });
}

PDF_ACCESSOR_DEF(CPDFFileAttachAnnot, FS, CPDFObject, CPDFFileSpec)
