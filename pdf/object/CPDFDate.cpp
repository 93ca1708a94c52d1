#include "pdf/object/CPDFDate.h"

#include <ctime>

#include "pdf/object/CPDFTypedStruct.h"

bool CPDFDate::Check(CPDFObjRegistry*, CPDFObject* object) {
  auto* text = dynamic_cast<CPDFString*>(object);
  if (!text || text->GetLength() < 2) return false;
  return text->c_str()[0] == 'D' && text->c_str()[1] == ':';
}

bool CPDFDate::Load(CPDFObjRegistry* doc, CPDFString* source) {
  return PDFLoadFrame(this, doc, source);
}

bool CPDFDate::SetNow(bool withZone) {
  return SetTime(static_cast<int64_t>(std::time(nullptr)), withZone);
}

bool CPDFDate::SetTime(int64_t seconds, bool withZone) {
  const time_t t = static_cast<time_t>(seconds);
  struct tm local {};
  if (!localtime_r(&t, &local)) return false;
  TempString text;
  bool ok = text.Format("D:%04d%02d%02d%02d%02d%02d", local.tm_year + 1900, local.tm_mon + 1,
                        local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  if (ok && withZone) {
    const long offset = local.tm_gmtoff;
    const char sign = offset > 0 ? '+' : offset < 0 ? '-' : 'Z';
    const long magnitude = offset < 0 ? -offset : offset;
    TempString zone;
    ok = zone.Format("%c%02ld'%02ld'", sign, magnitude / 3600, (magnitude % 3600) / 60) &&
         text.Append(zone.c_str(), zone.GetLength());
  }
  return ok && TempString::Assign(text);
}

CPDFObject* CPDFDate::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

bool CPDFDate::Duplicate(CPDFDate* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                         bool overwrite) const {
  if (!dest) return false;
  CPDFStructBase::Duplicate(dest, doc, sourceDoc);
  return CPDFString::Duplicate(dest, doc, sourceDoc, overwrite);
}
