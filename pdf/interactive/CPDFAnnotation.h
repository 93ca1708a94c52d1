#pragma once
// Annotations of a page: the typed class of a dictionary in a page's
// /Annots array, and the factory that picks the class of its subtype
// (CPDFAnnotTypes.h holds the fourteen subtypes; the popup is here). A
// dictionary that no subtype accepts goes to the form-field factory.
//
// Every annotation types the keys all annotations share (Rect, T, M, F,
// BS, AA, AP, Contents, Page) when it is loaded; every other key stays as
// read. An annotation's dictionary has its copy, release and linearize
// flags clear: a container that is duplicated (a page's Clone, an Annots
// array) skips it, a release that is not forced keeps it in memory, and the
// linearisation walk does not descend into it. An annotation is copied only
// through its own Clone.
#include <cstdint>

#include "pdf/interactive/CPDFAddActDict.h"
#include "pdf/interactive/CPDFAppearDict.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDate.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFRect.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFAnnotation : public CPDFDocStruct, public CPDFDict {
 public:
  ~CPDFAnnotation() override = default;

  // A new annotation of the first subtype in the mask whose Check accepts
  // the dictionary. When none accepts it, the form-field factory answers
  // (with every field kind, whatever the mask). When a subtype accepted it
  // but failed to load, none: no later subtype and no field is tried. The
  // caller owns the result.
  static CPDFAnnotation* CreateAnnotation(CPDFObjRegistry* doc, CPDFDict* dict, int32_t mask);

  // True when Type (references resolved) is the name Annot, Rect is an
  // array, and Page is a number when present; without Page, false in an FDF
  // document.
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);
  // Takes over the entries and types the shared keys. An absent Rect, or an
  // absent Page in an FDF document, fails the load (entries given back).
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  // Sets the destination's document and deep-copies this dictionary into
  // it; a key the destination already holds keeps its value.
  bool Duplicate(CPDFAnnotation* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override = 0;

  // The class's bit in the factory's mask and its /Subtype value.
  uint32_t GetSubtypeBit() const { return subtypeBit_; }
  const char* GetSubtypeName() const { return subtypeName_; }

  PDF_CONST_NAME(Key_Type, "Type")
  PDF_CONST_NAME(Key_Subtype, "Subtype")
  PDF_CONST_NAME(TypeName, "Annot")

  PDF_ACCESSOR(Rect, CPDFRect)
  PDF_ACCESSOR(T, CPDFObject)
  PDF_ACCESSOR(M, CPDFDate)
  PDF_ACCESSOR(F, CPDFObject)
  PDF_ACCESSOR(BS, CPDFBorderStyle)
  PDF_ACCESSOR(AA, CPDFAddActDict)
  PDF_ACCESSOR(AP, CPDFAppearDict)
  PDF_ACCESSOR(Contents, CPDFObject)
  PDF_ACCESSOR(Page, CPDFObject)

 protected:
  CPDFAnnotation(uint32_t bit, const char* name)
      : CPDFDocStruct(kAnnotation), subtypeBit_(bit), subtypeName_(name) {
    SetStructureFlags(false, false, false);
  }

  // The typing of the shared keys and the required-key test, on entries
  // already taken over. A subtype with keys of its own runs this and its
  // own conversions in one load frame.
  bool LoadEntries(CPDFObjRegistry* doc);
  // Check, then /Subtype (references resolved) is the given name and, when
  // key is given, that key is present with one of the type codes.
  static bool CheckSubtype(CPDFObjRegistry* doc, CPDFDict* dict, const CPDFName& subtype,
                           const char* key = nullptr, int32_t types = 0);

 private:
  uint32_t subtypeBit_;
  const char* subtypeName_;
};

// A popup: the window that shows the text of its parent annotation. It
// converts nothing beyond the shared keys.
class CPDFPopupAnnot final : public CPDFAnnotation {
 public:
  static constexpr uint32_t kBit = 0x4000;

  CPDFPopupAnnot() : CPDFAnnotation(kBit, "Popup") {}

  // Check, and /Subtype is Popup.
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_CONST_NAME(SubtypeValue, "Popup")
};
