#pragma once
// Registers the font family with the resource dictionary's factory table:
// the entries of a Font category are typed through CPDFFont::CreateFont.
// Called once by PDFRegisterFactories; calling it again changes nothing.
void PDFRegisterFontFactories();
