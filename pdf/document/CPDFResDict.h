#pragma once
// The resource dictionary of a page or form: under each category name
// (ColorSpace, XObject, ExtGState, Font, Pattern, Shading, Properties) a
// dictionary from resource name to resource, and under ProcSet an array of
// procedure-set names.
#include <cstdint>
#include <string>
#include <vector>

#include "pdf/document/CPDFResource.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFResDict : public CPDFDataStruct, public CPDFDict {
 public:
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

  // A name "<prefix>N" (N from 1) not yet listed in the resource's category,
  // typed or not: the lowest free one, as long as no entry of the category
  // was removed and another added between two calls (the search for a
  // prefix goes on from the last name it gave, and starts at 1 again when
  // the category has fewer entries than then). So a fresh dictionary gets
  // Im1, Im2, ..., and the n-th name costs what the first did. False only
  // when every N up to 2^31-1 is taken, or for a null resource, with the
  // reason in the document's error record.
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
  // changed, so that an incremental save writes it. Every refusal leaves
  // its reason in the document's error record ("typecheck: Null" for no
  // resource, "not a category of named resources: ProcSet", "typecheck: %s"
  // for a category value of another type, or the step that failed).
  bool AddResource(const CPDFName& name, CPDFResource* resource, CPDFObjRef* ref = nullptr);
  // Sets ProcSet to [/PDF], plus /Text when fonts are listed and /ImageB
  // /ImageC /ImageI when XObjects are listed. A failed step leaves its
  // reason in the document's error record.
  void SetDefaultProcSet();

 private:
  bool LoadCategories();
  // The category value as a dictionary, or none; *ref receives its reference.
  CPDFDict* CategoryDict(const CPDFName& category, CPDFObjRef* ref);

  // Where MakeUniqueName's search for one category and prefix stands.
  struct NameCursor {
    std::string category;
    std::string prefix;
    const CPDFDict* dict = nullptr;  // the category dictionary searched
    int32_t entries = 0;             // its entries then
    int32_t next = 1;                // every number below it was taken then
  };
  std::vector<NameCursor> nameCursors_;
};
