#pragma once
// A page (or page template) of the page tree.
#include <cstdint>

#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFObjRef.h"
#include "pdf/object/CPDFRect.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFStream;

class CPDFPage : public CPDFDocStruct, public CPDFDict {
 public:
  PDF_CONST_NAME(Name_Page, "Page")
  PDF_CONST_NAME(Name_Template, "Template")

  CPDFPage() : CPDFDocStruct(kPage) { SetStructureFlags(false, false, false); }
  ~CPDFPage() override = default;

  PDF_ACCESSOR(Type, CPDFName)
  PDF_ACCESSOR(Parent, CPDFDict)
  // A content stream or an array of them.
  PDF_ACCESSOR(Contents, CPDFObject)
  PDF_ACCESSOR(CropBox, CPDFRect)
  PDF_ACCESSOR(Rotate, CPDFNumber)
  PDF_ACCESSOR(Annots, CPDFArray)
  PDF_ACCESSOR(ArtBox, CPDFRect)
  PDF_ACCESSOR(TrimBox, CPDFRect)
  PDF_ACCESSOR(BleedBox, CPDFRect)

  // Type Page needs Parent to be a dictionary (and B, when present, an
  // array); Type Template needs nothing more; any other Type fails.
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);
  // Type Page (or Template); Parent when given for a page; a new empty
  // resource dictionary as Resources, indirect.
  bool Create(CPDFObjRegistry* doc, bool isTemplate = false,
              const CPDFObjRef& parent = CPDFObjRef());
  // Takes over a raw page and types the values read from a file; a value
  // that fails its check stays as read.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  // Written by hand: MediaBox and Resources are inherited, so the getters
  // answer the page's own value or else the nearest ancestor's (its
  // reference reported); none when no node has it.
  CPDFRect* Get_MediaBox(CPDFObjRef* ref = nullptr);
  CPDFDict* Get_Resources(CPDFObjRef* ref = nullptr);
  PDF_SETTER(MediaBox, CPDFRect)
  PDF_SETTER(Resources, CPDFDict)
  // Written by hand: stores the name Page or Template for the flag.
  bool Set_Type(bool isTemplate);
  // Written by hand: stores a copy of the parent reference; refused for a
  // template.
  bool Set_Parent(const CPDFObjRef& parent);
  bool IsTemplate();

  // The page's content becomes a copy of the stream (which stays the
  // caller's): a single content stream is overwritten, an array is emptied
  // and given one new stream, no content gets a new indirect stream.
  bool AddContents(CPDFStream* stream);
  // The decoded bytes of all content streams, each of an array followed by
  // a space.
  bool GetContents(CPDFStream* out);
  // Copies an inherited MediaBox and Resources onto the page.
  bool Uninherit();

 private:
  // The value of the key on the page or its nearest ancestor.
  CPDFObject* GetInherited(const CPDFName& key, CPDFObjRef* ref);
};
