#pragma once
// The PostScript XObject: a stream of PostScript code for printers. Only
// recognised and carried; its content is never interpreted.
#include "pdf/document/CPDFXObject.h"

class CPDFPSXObj : public CPDFXObject {
 public:
  CPDFPSXObj() : CPDFXObject(kPostScript, "PS") {}
  ~CPDFPSXObj() override = default;

  // The XObject check, then Subtype /PS.
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);
  // The XObject load: the document set, the source's entries and data taken
  // over.
  bool Load(CPDFObjRegistry* doc, CPDFStream* source);
  CPDFPSXObj* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  // "PS": generated resource names PS1, PS2, ...
  const CPDFName& GetNamePrefix() override;

  PDF_CONST_NAME(SubtypeName, "PS")
};
