#include "pdf/document/CPDFHeader.h"

#include "pdf/object/CPDFOutStream.h"

bool CPDFHeader::Create(CPDFObjRegistry* doc, bool fdf, int32_t major, int32_t minor) {
  if (major < 0 || minor < 0) return false;
  SetDoc(doc);
  fdf_ = fdf;
  major_ = major;
  minor_ = minor;
  return true;
}

void CPDFHeader::Serialize(CPDFOutStream& out) {
  out.WriteText(fdf_ ? "%FDF-" : "%PDF-");
  out.WriteInt(major_);
  out.WriteByte('.');
  out.WriteInt(minor_);
  out.Write("\r\n%\xE2\xE3\xCF\xD3\r\n", 9);
}
