#pragma once
// The importers behind CPDFImageXObj::CreateImageXObj: each reads one kind of
// image file into a new image XObject of the document and sets the matrix to
// the identity scaled by the image's size in points. None on any failure
// (nothing recorded, the matrix unchanged; the reader's reason in *reason
// when given); the caller owns the result. The options are those of
// CreateImageXObj; the state is the caller's to keep.
// Palette images get an Indexed colour space whose lookup stream is
// registered with the document. Without data (withData false) the image has
// its dictionary and no data: no pixel is read or decoded, and a file whose
// pixel data are damaged may still be described. With compress, BMP and TIFF
// samples are compressed as they are read (Filter FlateDecode; the data are
// those FlateEncode would make of the samples), so the image is never held
// uncompressed; JPEG data keep their DCT encoding either way. Index picks
// the image of a file that holds several (TIFF); a BMP or JPEG file holds
// one, and any other index is refused. The file's Orientation (1 to 8, see
// ImageDescription) goes to *orientation when given, on success only; a
// bitmap has none.
#include <cstdint>
#include <string>

#include "pdf/document/CPDFImageXObj.h"
#include "pdf/document/internal/BMPReader.h"
#include "pdf/document/internal/ImageFile.h"
#include "pdf/document/internal/JPEGReader.h"
#include "pdf/document/internal/TIFFReader.h"

CPDFImageXObj* CreateBMPImage(CPDFObjRegistry* doc, const char* path, CPDFMatrix& matrix,
                              const CPDFImageXObj::ImportOptions& options = {},
                              ImageError* reason = nullptr);
CPDFImageXObj* CreateJPEGImage(CPDFObjRegistry* doc, const char* path, CPDFMatrix& matrix,
                               const CPDFImageXObj::ImportOptions& options = {},
                               ImageError* reason = nullptr);
CPDFImageXObj* CreateTIFFImage(CPDFObjRegistry* doc, const char* path, CPDFMatrix& matrix,
                               const CPDFImageXObj::ImportOptions& options = {},
                               ImageError* reason = nullptr);
