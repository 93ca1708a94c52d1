#pragma once
// The interactive form dictionary of a catalog. The library only writes it:
// Create builds a new form with default resources (the font Helv, a Type 1
// Helvetica with a PDFDocEncoding Differences encoding, and the default
// appearance "/Helv 0 Tf 0 g") for a document that receives a form field.
// A form read from a file is never typed and stays a plain dictionary.
#include "pdf/document/CPDFResDict.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFString.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFEncoding;

class CPDFAcroFormDict : public CPDFDocStruct, public CPDFDict {
 public:
  CPDFAcroFormDict() : CPDFDocStruct(kAcroForm) { SetStructureFlags(false, false, false); }
  ~CPDFAcroFormDict() override = default;

  // Fills a new form for the document, registering each indirect object as
  // it is stored, in this order: the resource dictionary (DR), its Encoding
  // dictionary, the PDFDocEncoding encoding listed there, its Font
  // dictionary, and the font Helv, whose /Encoding then refers to that same
  // encoding object. The form takes the array as its Fields entry (direct)
  // and gets DA "/Helv 0 Tf 0 g" (direct).
  // False on the first step that fails. Nothing is rolled back: objects
  // registered so far stay with the document, and the caller deletes the
  // form (and the array, when the form does not hold it as its Fields).
  bool Create(CPDFObjRegistry* doc, CPDFArray* fields);
  // A new encoding of the form's document with the Differences array that
  // turns the standard encoding into PDFDocEncoding; none on failure.
  CPDFEncoding* CreatePDFDocEncoding();

  // A new form dictionary with a deep copy of the entries; none on failure.
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override {
    return PDFClone(this, doc, sourceDoc);
  }

  PDF_SETTER(Fields, CPDFArray)
  // The getter answers none for a DR that is not a typed resource dictionary.
  PDF_ACCESSOR(DR, CPDFResDict)
  PDF_SETTER(DA, CPDFString)
};
