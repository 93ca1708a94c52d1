#pragma once
// The catalog, Root of a PDF document: its Type and the page tree.
#include "pdf/composite/CPDFPages.h"
#include "pdf/interactive/CPDFAcroFormDict.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFCatalog : public CPDFDocStruct, public CPDFDict {
 public:
  PDF_CONST_NAME(Name_Catalog, "Catalog")

  CPDFCatalog() : CPDFDocStruct(kCatalog) { SetStructureFlags(false, false, false); }
  ~CPDFCatalog() override = default;

  PDF_ACCESSOR(Type, CPDFName)
  PDF_ACCESSOR(Pages, CPDFPages)
  PDF_ACCESSOR(AcroForm, CPDFAcroFormDict)

  // Type Catalog and a new page-tree root registered as Pages. On failure
  // nothing registered stays behind.
  bool Create(CPDFObjRegistry* doc);
  // A new catalog with a deep copy of the entries; none on failure.
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
};
