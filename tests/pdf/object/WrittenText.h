#pragma once
// The bytes an object writes, with the encryption context when given.
#include <cstdint>
#include <string>

#include "pdf/object/CPDFObject.h"
#include "pdf/object/CPDFOutStream.h"

inline std::string WrittenText(CPDFObject& o, const uint8_t* context = nullptr) {
  CPDFStrOutStream out;
  out.Open();
  o.Write(out, context);
  const TempString& s = out.GetString();
  return std::string(s.c_str(), static_cast<size_t>(s.GetLength()));
}
