#pragma once
// A movie activation dictionary: how a movie is played (start, duration,
// rate, scale, ...). Only the numbers of the Start, Duration and FWScale
// arrays are typed; every other entry is carried as read.
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFMovieActiv : public CPDFDocStruct, public CPDFDict {
 public:
  CPDFMovieActiv() : CPDFDocStruct(kMovieActivation) {}
  ~CPDFMovieActiv() override = default;

  // Takes over the entries, then types the number elements of Start,
  // Duration and FWScale as integers, each only when it is an array. False
  // (entries given back) when an element cannot be fetched or stored.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  // The stored values (no setters).
  PDF_GETTER(Start, CPDFObject)
  PDF_GETTER(Duration, CPDFObject)
  PDF_GETTER(FWScale, CPDFObject)
};
