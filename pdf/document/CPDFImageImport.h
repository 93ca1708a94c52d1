#pragma once
// The importers behind CPDFImageXObj::CreateImageXObj: each reads one kind of
// image file into a new image XObject of the document and sets the matrix to
// the identity scaled by the image's size in points. None on any failure
// (nothing recorded, the matrix unchanged; the reader's reason in *reason
// when given); the caller owns the result.
// Palette images get an Indexed colour space whose lookup stream is
// registered with the document.
#include <string>

#include "pdf/document/BMPReader.h"
#include "pdf/document/CPDFImageXObj.h"
#include "pdf/document/JPEGReader.h"
#include "pdf/document/TIFFReader.h"

CPDFImageXObj* CreateBMPImage(CPDFObjRegistry* doc, const char* path, CPDFMatrix& matrix,
                              std::string* reason = nullptr);
CPDFImageXObj* CreateJPEGImage(CPDFObjRegistry* doc, const char* path, CPDFMatrix& matrix,
                              std::string* reason = nullptr);
CPDFImageXObj* CreateTIFFImage(CPDFObjRegistry* doc, const char* path, CPDFMatrix& matrix,
                              std::string* reason = nullptr);
