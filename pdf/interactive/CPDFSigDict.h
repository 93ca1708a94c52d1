#pragma once
// A signature dictionary (Type /Sig): the value of a signature field. It
// names the signature handler and carries the signature bytes, the byte
// ranges of the file they cover, and the signer's name, time, place and
// reason. Nothing is computed or verified: Filter, SubFilter, Contents, Cert
// and the rest stay as read (Contents keeps its hexadecimal form).
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDate.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFSigDict : public CPDFDocStruct, public CPDFDict {
 public:
  CPDFSigDict() : CPDFDocStruct(kSignature) {}
  ~CPDFSigDict() override = default;

  // True when Type is the name Sig and ByteRange is an array (references
  // resolved). A dictionary without Type is not a signature dictionary here.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Takes over the source's entries; the number elements of ByteRange
  // become integers where the array lives (in this dictionary or as an
  // object of the document), Name, Location and Reason strings become text,
  // and an M string that begins "D:" becomes a date. A ByteRange that is
  // absent or not an array, or an element that cannot be fetched, fails;
  // on failure everything goes back to the source.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_CONST_NAME(Key_Type, "Type")
  PDF_CONST_NAME(TypeName, "Sig")
  // The byte ranges as stored (an array after a load); they are written by
  // the signing step, never set through this class.
  PDF_GETTER(ByteRange, CPDFObject)
  PDF_ACCESSOR(Name, CPDFObject)
  // A date only when the entry holds one (a raw string answers none).
  PDF_ACCESSOR(M, CPDFDate)
  PDF_ACCESSOR(Location, CPDFObject)
  PDF_ACCESSOR(Reason, CPDFObject)
};
