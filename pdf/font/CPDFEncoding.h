#pragma once
// The encoding dictionary (/Type /Encoding) of a single-byte font: a base
// encoding and the /Differences that replace some of its codes' glyph
// names. The fonts type a dictionary under /Encoding as this class when it
// passes Check; the form code creates one for its form encoding.
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFEncoding : public CPDFDataStruct, public CPDFDict {
 public:
  CPDFEncoding() : CPDFDataStruct(kEncoding) {}
  ~CPDFEncoding() override = default;

  PDF_CONST_NAME(TypeName, "Encoding")
  PDF_CONST_NAME(Key_Type, "Type")
  PDF_CONST_NAME(Key_BaseEncoding, "BaseEncoding")

  // True for a dictionary (not a stream) whose /Type is the name Encoding.
  // /Type is read as it stands: a reference does not pass, and nothing is
  // fetched.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Check for a value reached through a font's /Encoding, whose key already
  // names its class: a dictionary whose /Type, when present, is Encoding,
  // with a /BaseEncoding name or a /Differences array (each, when present,
  // of that type). Check itself stays strict.
  static bool CheckKeyed(CPDFObjRegistry* doc, CPDFObject* object);
  // Types the value under the key (a font's /Encoding) as an encoding when
  // it passes CheckKeyed, as PDFTypeEntry does.
  static bool TypeKeyedEntry(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key,
                             PDFEntry rule = PDFEntry::kOptional);
  // Sets the document and /Type /Encoding. False when /Type cannot be
  // stored.
  bool Create(CPDFObjRegistry* doc);
  // Takes over the source's entries; the plain numbers of /Differences (as
  // read from a file) become integers in their places, names and everything
  // else stay. False, the entries given back, when an element cannot be
  // fetched or an integer cannot be stored. A /Differences that is not an
  // array is left as it is.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFEncoding* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_ACCESSOR(Differences, CPDFArray)

  // Written by hand: the /BaseEncoding entry itself (none when absent or not
  // a name), beside Get_BaseEncoding below, which answers with a default.
  CPDFName* Get_BaseEncodingEntry(CPDFObjRef* ref = nullptr) {
    return PDFGetAs<CPDFName>(this, GetDoc(), Key_BaseEncoding(), ref);
  }
  // The base encoding's name; "StandardEncoding" when /BaseEncoding is
  // absent or not a name.
  const char* Get_BaseEncoding();
  // Stores a new name Encoding under /Type.
  PDF_TYPE_SETTER(Type, TypeName)
};
