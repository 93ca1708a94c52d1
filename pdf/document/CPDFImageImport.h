#pragma once
// The importers behind CPDFImageXObj::CreateImageXObj: each reads one kind of
// image file into a new image XObject of the document and sets the matrix to
// the identity scaled by the image's size in points. None on any failure
// (nothing recorded, the matrix unchanged; the reader's reason in *reason
// when given); the caller owns the result.
// Palette images get an Indexed colour space whose lookup stream is
// registered with the document. Without data (withData false) the image has
// its dictionary and no data: no pixel is read or decoded, and a file whose
// pixel data are damaged may still be described.
#include <string>

#include "pdf/document/BMPReader.h"
#include "pdf/document/CPDFImageXObj.h"
#include "pdf/document/JPEGReader.h"
#include "pdf/document/TIFFReader.h"

CPDFImageXObj* CreateBMPImage(CPDFObjRegistry* doc, const char* path, CPDFMatrix& matrix,
                              std::string* reason = nullptr, bool withData = true);
CPDFImageXObj* CreateJPEGImage(CPDFObjRegistry* doc, const char* path, CPDFMatrix& matrix,
                              std::string* reason = nullptr, bool withData = true);
CPDFImageXObj* CreateTIFFImage(CPDFObjRegistry* doc, const char* path, CPDFMatrix& matrix,
                              std::string* reason = nullptr, bool withData = true);
