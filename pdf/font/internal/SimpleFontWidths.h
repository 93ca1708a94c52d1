#pragma once
// What the single-byte fonts with /Widths share (Type 1, TrueType, Multiple
// Master): the typing of their keys on load, and measuring text and
// rewriting /Widths from a width per code that each font finds its own way
// (AFM metrics through an encoding, or an installed font's widths).
#include <cstdint>
#include <functional>

class CPDFFont;
class CPDFDict;
class CPDFObjRegistry;

namespace simplefont {

// A code's width in thousandths of the em.
using CodeWidth = std::function<int32_t(uint8_t)>;

// The class name and the messages a font reports.
struct Names {
  const char* className;
  const char* baseFontMessage;   // "...::Get_BaseFont()"
  const char* firstCharMessage;  // "...::Get_FirstChar()"
  const char* lastCharMessage;   // "...::Get_LastChar()"
};

// Types FirstChar and LastChar (integers), the number elements of Widths, an
// /Encoding dictionary (CPDFEncoding) and, with the flag, a /FontDescriptor
// dictionary (CPDFFontDesc). For use inside a Load frame.
bool TypeWidthKeys(CPDFDict* font, CPDFObjRegistry* doc, bool descriptor);

// The width of the text: with /Widths, its elements for the codes from
// FirstChar to LastChar; without, widthsOf() (called once; it throws a
// CPDFException when the font's widths cannot be found) for the codes from
// FirstChar (or 0) to LastChar (or 255). FirstChar and LastChar are clamped
// to 0..255. Other codes add 0. -1 on failure, recorded in the document's
// error record while that is empty (the record is cleared first).
int32_t MeasureText(CPDFFont* font, const Names& names, const uint8_t* text, int32_t length,
                    const std::function<CodeWidth()>& widthsOf);

// Rewrites /Widths with one integer per code from FirstChar to LastChar
// (clamped to 0..255; FirstChar above LastChar fails). An indirect /Widths
// is reported to the document as changed and refilled in place; without
// /Widths a new indirect array is stored, together with the FirstChar and
// LastChar it covers as direct integers. Every width is found first: when
// widthsOf() or one of its widths throws, nothing changes. False on
// failure, recorded as above.
bool UpdateWidths(CPDFFont* font, const Names& names, const char* method,
                  const std::function<CodeWidth()>& widthsOf);

}  // namespace simplefont
