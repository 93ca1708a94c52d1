#pragma once
// A movie dictionary: the movie file (F), its rotation and its poster
// image.
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFFileSpec;
class CPDFImageXObj;

class CPDFMovieDict : public CPDFDocStruct, public CPDFDict {
 public:
  CPDFMovieDict() : CPDFDocStruct(kMovie) {}
  ~CPDFMovieDict() override = default;

  // True when F (references resolved) is a string or a dictionary.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Takes over the entries, then types F (required; a Filespec dictionary
  // becomes a file specification, a string stays), Rotate (an integer) and
  // a Poster image stream. False (entries given back) on failure.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  // The stored values: a typed file specification or poster answers as the
  // object it is.
  PDF_ACCESSOR_DECL(F, CPDFObject, CPDFFileSpec)
  PDF_ACCESSOR(Rotate, CPDFObject)
  PDF_ACCESSOR_DECL(Poster, CPDFObject, CPDFImageXObj)
};
