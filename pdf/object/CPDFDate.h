#pragma once
// A date string "D:YYYYMMDDHHmmSS" with an optional zone part.
#include <cstdint>

#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFString.h"

class CPDFDate : public CPDFDataStruct, public CPDFString {
 public:
  CPDFDate() : CPDFDataStruct(kDate) {}
  CPDFDate(const char* text) : CPDFDataStruct(kDate), CPDFString(text) {}  // NOLINT
  ~CPDFDate() override = default;

  // True for a string of at least two bytes that begins with "D:".
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // SetDoc, then takes the source's bytes.
  bool Load(CPDFObjRegistry* doc, CPDFString* source);
  // The current local time; with the zone flag followed by "+HH'mm'",
  // "-HH'mm'" or "Z00'00'".
  bool SetNow(bool withZone = false);
  // The same for a given time (seconds since the epoch), for tests and
  // callers that stamp several objects with one time.
  bool SetTime(int64_t seconds, bool withZone);

  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  bool Duplicate(CPDFDate* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                 bool overwrite) const;
};
