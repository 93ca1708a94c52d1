#pragma once
// An explicit destination: an array whose element 0 is the page (a
// reference to a page object, or a page number for a remote document) and
// whose element 1 names the view, followed by the view's numbers
// ([3 0 R /XYZ 0 792 0], [0 /Fit]). Made by the go-to actions and the link
// annotation when they read a file; its elements are read and written
// through the array itself.
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDataStruct.h"

class CPDFDestination : public CPDFDataStruct, public CPDFArray {
 public:
  CPDFDestination() : CPDFDataStruct(kDestination) {}
  ~CPDFDestination() override = default;

  // True when element 1 (references resolved) is a name and, for the views
  // XYZ, FitH, FitV, FitR, FitBH and FitBV, the view's numbers follow it.
  // Fit, FitB and any other name need nothing more. Element 0 is never
  // looked at, and extra elements are allowed.
  static bool Check(CPDFObjRegistry* doc, CPDFArray* array);
  // Sets the document and takes over the source's elements; converts
  // nothing.
  bool Load(CPDFObjRegistry* doc, CPDFArray* source);
  // Copies this destination into dest, which belongs to doc. The page is
  // never copied: when element 0 is a reference, the copy's element 0 is an
  // undefined reference (written as null) that the caller may point at a
  // page of its own document. A page number is copied like the rest. False
  // for an empty destination or a failed copy.
  bool Duplicate(CPDFDestination* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc);
  CPDFDestination* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
};
