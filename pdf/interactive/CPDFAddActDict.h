#pragma once
// An additional-actions dictionary (the AA of a page or an annotation): each
// trigger key names an event and holds the action to run when it happens.
// Loading types every trigger whose dictionary the action factory accepts;
// a trigger it refuses, and every key outside the list of triggers, stays
// as read.
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFAction;

class CPDFAddActDict : public CPDFDocStruct, public CPDFDict {
 public:
  CPDFAddActDict() : CPDFDocStruct(kAddActions) {}
  ~CPDFAddActDict() override = default;

  // Takes over the entries, then offers each trigger (E, X, D, U, O, C, F,
  // V, K, FP, PP, NP, LP, in that order) that is a dictionary read from a
  // file to the action factory. False (entries given back) when a typed
  // action cannot be stored.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  // The trigger actions; a value that stayed raw answers none.
  PDF_ACCESSOR_DECL(E, CPDFAction)
  PDF_ACCESSOR_DECL(X, CPDFAction)
  PDF_ACCESSOR_DECL(D, CPDFAction)
  PDF_ACCESSOR_DECL(U, CPDFAction)
  PDF_ACCESSOR_DECL(O, CPDFAction)
  PDF_ACCESSOR_DECL(C, CPDFAction)
  PDF_ACCESSOR_DECL(F, CPDFAction)
  PDF_ACCESSOR_DECL(V, CPDFAction)
  PDF_ACCESSOR_DECL(K, CPDFAction)
  PDF_ACCESSOR_DECL(FP, CPDFAction)
  PDF_ACCESSOR_DECL(PP, CPDFAction)
  PDF_ACCESSOR_DECL(NP, CPDFAction)
  PDF_ACCESSOR_DECL(LP, CPDFAction)
  // A second pair on the key C: page and field events both name it, and
  // each has its accessor; both read and write the one entry.
  CPDFAction* Get_C2(CPDFObjRef* ref = nullptr) { return Get_C(ref); }
  bool Set_C2(CPDFAction* value, bool indirect = false, CPDFObjRef* ref = nullptr) {
    return Set_C(value, indirect, ref);
  }
};
