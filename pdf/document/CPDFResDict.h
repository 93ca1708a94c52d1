#pragma once
// The resource dictionary of a page or form: under each category name
// (ColorSpace, XObject, ExtGState, Font, Pattern, Shading, Properties) a
// dictionary from resource name to resource, and under ProcSet an array of
// procedure-set names.
#include <cstdint>

#include "pdf/document/CPDFResource.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFResDict : public CPDFDataStruct, public CPDFDict {
 public:
  // The most names generated per category (Im1 .. Im4095).
  static constexpr int32_t kMaxGeneratedNames = 4095;

  CPDFResDict() : CPDFDataStruct(kResDict) {}
  ~CPDFResDict() override = default;

  // The category values (references resolved); none when absent or of
  // another type.
  PDF_ACCESSOR(ColorSpace, CPDFDict)
  PDF_ACCESSOR(XObject, CPDFDict)
  PDF_ACCESSOR(ExtGState, CPDFDict)
  PDF_ACCESSOR(Font, CPDFDict)
  PDF_ACCESSOR(Pattern, CPDFDict)
  PDF_ACCESSOR(ProcSet, CPDFArray)
  PDF_ACCESSOR(Properties, CPDFDict)
  PDF_ACCESSOR(Shading, CPDFDict)

  // Sets the document, takes over the source's entries and converts the
  // entries read from a file into typed resources, category by category.
  // An entry no family accepts stays as read. False when an entry cannot be
  // fetched or a typed entry cannot be stored; the entries then go back to
  // the source, written as they were read.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  // A new resource dictionary duplicated from this one; none on failure.
  CPDFResDict* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  // The resource listed under the category and name, or none (also none for
  // a category outside the seven dictionary categories, and for an entry
  // that is not a typed resource).
  CPDFResource* GetResource(const CPDFName& category, const CPDFName& name);
  // True when the category dictionary holds the name, typed or not.
  bool HasResource(const CPDFName& category, const CPDFName& name);

  // The first name "<prefix>N", N = 1 .. 4095, not yet listed in the
  // resource's category. False when all are taken (out then holds the name
  // for 4095).
  bool MakeUniqueName(CPDFName& out, CPDFResource* resource);
  // Lists the resource under its category and the name, registered as an
  // indirect object (the document owns it from then on); an entry of that
  // name is replaced. The reference is copied to *ref when given. False for
  // procedure sets and categories outside the seven, when the category value
  // is not a dictionary, and when a store or the document update fails; the
  // resource then stays the caller's. A resource the document holds already
  // (a font listed on another page) keeps its reference: it is listed here
  // too and written once. One that another document holds is refused (the
  // document's error record says so). The dictionary that changes (the
  // category's when it is indirect, else this one when it is) is marked
  // changed, so that an incremental save writes it.
  bool AddResource(const CPDFName& name, CPDFResource* resource, CPDFObjRef* ref = nullptr);
  // Sets ProcSet to [/PDF], plus /Text when fonts are listed and /ImageB
  // /ImageC /ImageI when XObjects are listed.
  void SetDefaultProcSet();

 private:
  bool LoadCategories();
  // The category value as a dictionary, or none; *ref receives its reference.
  CPDFDict* CategoryDict(const CPDFName& category, CPDFObjRef* ref);
};
