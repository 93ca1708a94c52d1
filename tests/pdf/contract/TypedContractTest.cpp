// The contract every typed class keeps, asserted for each class of the
// library from one table. A new typed class is one row: its adapter
// (Typed<Class>() or Family<&Class::CreateFamily>()), a sample it accepts
// written as PDF text, and a sample its Check refuses.
//
// For each row:
// - the sample, read into a document, loads and writes back the bytes it
//   was read as (the objects it refers to included);
// - a load that fails (a store that the document refuses, a fetch that
//   throws, a reference that does not resolve) leaves the source and the
//   objects it refers to as they were read;
// - a clone, into the same document and into another, writes the same
//   bytes (or those the row gives for a copy that reshapes by design) and
//   is of the same class;
// - Check refuses the bad sample and leaves it as it was; Load, Clone and
//   Check let no exception out, whatever the document does.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "TypedContract.h"
#include "pdf/composite/CPDFCatalog.h"
#include "pdf/composite/CPDFFDFCatalog.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/composite/CPDFPages.h"
#include "pdf/document/CPDFAltImageDict.h"
#include "pdf/document/CPDFAppDataDict.h"
#include "pdf/document/CPDFColorSpace.h"
#include "pdf/document/CPDFEmbedFile.h"
#include "pdf/document/CPDFEmbedFileParams.h"
#include "pdf/document/CPDFEncryptDict.h"
#include "pdf/document/CPDFFileSpec.h"
#include "pdf/document/CPDFFormXObj.h"
#include "pdf/document/CPDFFunction.h"
#include "pdf/document/CPDFImageXObj.h"
#include "pdf/document/CPDFInfoDict.h"
#include "pdf/document/CPDFMacFileInfo.h"
#include "pdf/document/CPDFOPIDict.h"
#include "pdf/document/CPDFPSXObj.h"
#include "pdf/document/CPDFPieceInfoDict.h"
#include "pdf/document/CPDFResDict.h"
#include "pdf/document/CPDFResource.h"
#include "pdf/document/CPDFSepInfoDict.h"
#include "pdf/document/CPDFThumbnail.h"
#include "pdf/font/CPDFCIDFont.h"
#include "pdf/font/CPDFCIDSysInfo.h"
#include "pdf/font/CPDFCMap.h"
#include "pdf/font/CPDFEncoding.h"
#include "pdf/font/CPDFFont.h"
#include "pdf/font/CPDFFontDesc.h"
#include "pdf/font/CPDFFontFile.h"
#include "pdf/font/CPDFTrueTypeFont.h"
#include "pdf/font/CPDFType1Font.h"
#include "pdf/font/CPDFType3Font.h"
#include "pdf/graphics/CPDFExtGState.h"
#include "pdf/graphics/CPDFHalftone.h"
#include "pdf/graphics/CPDFPattern.h"
#include "pdf/graphics/CPDFProperties.h"
#include "pdf/graphics/CPDFShading.h"
#include "pdf/interactive/CPDFAcroFormDict.h"
#include "pdf/interactive/CPDFAction.h"
#include "pdf/interactive/CPDFActionTypes.h"
#include "pdf/interactive/CPDFAddActDict.h"
#include "pdf/interactive/CPDFAnnotTypes.h"
#include "pdf/interactive/CPDFAnnotation.h"
#include "pdf/interactive/CPDFAppearDict.h"
#include "pdf/interactive/CPDFDestination.h"
#include "pdf/interactive/CPDFField.h"
#include "pdf/interactive/CPDFFieldTypes.h"
#include "pdf/interactive/CPDFMovieActiv.h"
#include "pdf/interactive/CPDFMovieDict.h"
#include "pdf/interactive/CPDFSigDict.h"
#include "pdf/interactive/CPDFSound.h"
#include "pdf/interactive/CPDFTransition.h"
#include "pdf/interactive/CPDFWinLaunch.h"
#include "pdf/object/CPDFDate.h"
#include "pdf/object/CPDFMatrix.h"
#include "pdf/object/CPDFRect.h"
#include "tests/pdf/object/TestDoc.h"

namespace {

using contract::Build;
using contract::DeepText;
using contract::Escaped;
using contract::Family;
using contract::FaultRegistry;
using contract::Ops;
using contract::Typed;
using contract::World;

// Row flags.
enum : unsigned {
  // The family has no member yet: the factory answers none, and the
  // source stays as read.
  kNoMember = 1,
};

struct Row {
  Row(std::string name, Ops ops, std::string sample, std::string bad, unsigned flags = 0,
      std::string cloneDrops = "", std::string cloneAs = "")
      : name(std::move(name)),
        ops(ops),
        sample(std::move(sample)),
        bad(std::move(bad)),
        flags(flags),
        cloneDrops(std::move(cloneDrops)),
        cloneAs(std::move(cloneAs)) {}

  std::string name;
  Ops ops;
  std::string sample;  // accepted; see contract::Build
  std::string bad;     // refused by Check (or by the factory); "" when nothing is refused
  unsigned flags;
  // A key the class's Clone leaves out by design ("" for none).
  std::string cloneDrops;
  // What a clone writes, in the sample's notation, when the class's copy
  // reshapes the object by design (a form field's copy stands alone: its
  // inherited values become its own, T its full name, without Parent); ""
  // when a clone writes what the sample loads to.
  std::string cloneAs;
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

// Objects several samples refer to.
const std::string kImage =
    "<< /Type /XObject /Subtype /Image /Width 2 /Height 1 /BitsPerComponent 8 "
    "/ColorSpace /DeviceGray /Length 2 >> stream\r\nab\r\nendstream";
const std::string kMask =
    "<< /Type /XObject /Subtype /Image /Width 8 /Height 1 /BitsPerComponent 1 /ImageMask true "
    "/Length 1 >> stream\r\nx\r\nendstream";
const std::string kForm =
    "<< /Type /XObject /Subtype /Form /FormType 1 /BBox [0 0 10 10] /Matrix [1 0 0 1 0 0] "
    "/Resources << >> /Length 3 >> stream\r\nq Q\r\nendstream";
const std::string kTint = "<< /FunctionType 2 /Domain [0 1] /C0 [0 0 0 0] /C1 [0 1 0 0] /N 1 >>";
const std::string kCalc =
    "<< /FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1 0 1] /Length 13 >> "
    "stream\r\n{ dup dup 0 }\r\nendstream";
const std::string kICC = "<< /N 3 /Alternate /DeviceRGB /Length 4 >> stream\r\nabcd\r\nendstream";
const std::string kCal = "<< /WhitePoint [0.9505 1 1.089] /Gamma [2.2 2.2 2.2] >>";
const std::string kFont = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
const std::string kData = "<< /Length 3 >> stream\r\nxyz\r\nendstream";
const std::string kEmbedded =
    "<< /Type /EmbeddedFile /Params << /Size 3 >> /Length 3 >> stream\r\nxyz\r\nendstream";

std::vector<Row> Rows() {
  const std::string _ = " ;; ";
  return {
      // pdf/object
      {"Rect", Typed<CPDFRect>(), "[0 0 612.5 792]", "[0 0 612]"},
      {"Matrix", Typed<CPDFMatrix>(), "[1 0 0 1 10 20.5]", "[1 0 0 1]"},
      {"Date", Typed<CPDFDate>(), "(D:20200102030405+01'00')", "(yesterday)"},
      // pdf/document
      {"Catalog", Typed<CPDFCatalog>(),
       "<< /Type /Catalog /Pages @1 /PageMode /UseNone >>" + _ +
           "<< /Type /Pages /Kids [] /Count 0 >>",
       ""},
      {"FDFCatalog", Typed<CPDFFDFCatalog>(), "<< /FDF << /F (a.pdf) /Fields [] >> >>", ""},
      {"InfoDict", Typed<CPDFInfoDict>(),
       "<< /Title (t) /CreationDate (D:20200101000000) /ModDate @1 /Producer (p) >>" + _ +
           "(D:20210101)",
       ""},
      {"EncryptDict", Typed<CPDFEncryptDict>(),
       "<< /Filter /Standard /R 2 /V 1 /P -44 /O <00ff> /U <ff00> >>", ""},
      {"FileSpec", Typed<CPDFFileSpec>(),
       "<< /Type /Filespec /F (data.bin) /EF << /F @1 /DOS @2 >> /RF << /F [(a.bin) @3 (b.bin) @2] "
       ">> >>" +
           _ + kData + _ + kEmbedded + _ + kEmbedded,
       "<< /F (data.bin) >>"},
      {"EmbedFile", Typed<CPDFEmbedFile>(),
       "<< /Type /EmbeddedFile /Subtype /text#2Fplain /Params @1 /Length 3 >> "
       "stream\r\nxyz\r\nendstream" +
           _ + "<< /Size @2 /ModDate (D:20200101) /Mac << /Creator (ab) >> >>" + _ + "3",
       "<< /Type /Other /Length 1 >> stream\r\nx\r\nendstream"},
      {"EmbedFileParams", Typed<CPDFEmbedFileParams>(),
       "<< /Size @1 /CreationDate (D:20200101) /ModDate @2 /Mac @3 /CheckSum <00ff> >>" + _ + "3" +
           _ + "(D:2021)" + _ + "<< /Creator (ab) /Type (cd) >>",
       ""},
      {"MacFileInfo", Typed<CPDFMacFileInfo>(),
       "<< /Creator (ab) /Type (cd) /ResFork @1 >>" + _ + kData, ""},
      {"Pages", Typed<CPDFPages>(),
       "<< /Type /Pages /Kids [] /Count 0 /MediaBox @1 /Resources @2 >>" + _ + "[0 0 612 792]" + _ +
           "<< /ProcSet [/PDF] >>",
       "<< /Type /Pages /Kids [] >>"},
      {"Page", Typed<CPDFPage>(),
       "<< /Type /Page /Parent @1 /MediaBox [0 0 612 792] /CropBox @2 /Resources @3 /Rotate 90 "
       "/Contents @4 /Thumb @5 /Annots [<< /Subtype /Widget /Rect [0 0 1 1] /FT /Btn >>] /Trans << "
       "/S /Wipe >> /AA << /O << /S /Named /N /NextPage >> >> /Dur 2.5 /PieceInfo << /App << "
       "/LastModified (D:2020) >> >> /SeparationInfo << /Pages [] /DeviceColorant /Cyan >> "
       "/LastModified (D:20200101) >>" +
           _ + "<< /Type /Pages /Kids [] /Count 0 >>" + _ + "[0 0 600 700]" + _ +
           "<< /XObject << /Im1 @6 >> /ProcSet [/PDF /ImageB] >>" + _ + kData + _ +
           "<< /Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace /DeviceGray /Length 2 >> "
           "stream\r\nab\r\nendstream" +
           _ + kImage,
       "<< /Type /Page /MediaBox [0 0 1 1] >>", 0, "SeparationInfo"},
      {"ResDict", Typed<CPDFResDict>(),
       "<< /ProcSet [/PDF /ImageC] /XObject << /Im1 @1 /Fm1 @2 >> /ColorSpace << /CS1 @3 /CS2 "
       "[/CalRGB " +
           kCal +
           "] >> /ExtGState << /GS1 << /Type /ExtGState /LW 2 >> >> /Properties << /Pr1 << /A 1 >> "
           ">> /Font << /F1 @4 >> /Shading << /Sh1 << /ShadingType 2 >> >> >>" +
           _ + kImage + _ + kForm + _ + "[/ICCBased @5]" + _ + kFont + _ + kICC,
       ""},
      {"ProcSet", Typed<CPDFProcSet>(), "/ImageC", ""},
      {"ImageXObj", Typed<CPDFImageXObj>(),
       "<< /Type /XObject /Subtype /Image /Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace @1 "
       "/Mask @2 /OPI << /2.0 << /Type /OPI /Version 2 /F (a.eps) >> >> /Alternates [<< /Image @3 "
       ">>] /Length 6 >> stream\r\nabcdef\r\nendstream" +
           _ + "[/Indexed /DeviceRGB 1 <FF000000FF00>]" + _ + kMask + _ + kImage,
       "<< /Type /XObject /Subtype /Image /Height 1 /BitsPerComponent 8 /Length 2 >> "
       "stream\r\nab\r\nendstream"},
      {"FormXObj", Typed<CPDFFormXObj>(),
       "<< /Type /XObject /Subtype /Form /FormType 1 /BBox [0 0 10 10] /Matrix [1 0 0 1 0 0] "
       "/Resources @1 /LastModified (D:2020) /Length 3 >> stream\r\nq Q\r\nendstream" +
           _ + "<< /XObject << /Im1 @2 >> >>" + _ + kImage,
       "<< /Type /XObject /Subtype /Form /FormType 1 /Matrix [1 0 0 1 0 0] /Length 3 >> "
       "stream\r\nq Q\r\nendstream"},
      {"PSXObj", Typed<CPDFPSXObj>(),
       "<< /Type /XObject /Subtype /PS /Level1 @1 /Length 6 >> stream\r\nmoveto\r\nendstream" + _ +
           kData,
       "<< /Type /XObject /Length 1 >> stream\r\nx\r\nendstream"},
      {"XObjectFamily", Family<&CPDFXObject::CreateXObject>(), kForm,
       "<< /Type /XObject /Subtype /Other /Length 1 >> stream\r\nx\r\nendstream"},
      {"Thumbnail", Typed<CPDFThumbnail>(),
       "<< /Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace @1 /Length 6 >> "
       "stream\r\nabcdef\r\nendstream" +
           _ + "[/CalRGB " + kCal + "]",
       "<< /Width 2 /BitsPerComponent 8 /Length 1 >> stream\r\nx\r\nendstream"},
      {"AltImageDict", Typed<CPDFAltImageDict>(),
       "<< /Image @1 /DefaultForPrinting true >>" + _ + kImage, "<< /DefaultForPrinting true >>"},
      {"OPI13", Typed<CPDFOPI13>(),
       "<< /1.3 << /Type /OPI /Version 1.3 /F (proxy.tif) /CropRect [0 0 10 20] /Position [0 0 1 0 "
       "1 1 0 1] /Size @1 /Comments (c) /Tags [1 (a)] >> >>" +
           _ + "[100 200]",
       "<< /1.3 << /Type /OPI /Version 1.3 /CropRect [] /Position [] /Size [] >> >>"},
      {"OPI20", Typed<CPDFOPI20>(),
       "<< /2.0 << /Type /OPI /Version 2.0 /F @1 /Inks [/monochrome /Black 0.5] "
       "/IncludedImageDimensions [640 480] >> >>" +
           _ + "<< /Type /Filespec /F (hires.eps) >>",
       "<< /2.0 << /Type /OPI /Version 2.5 /F (a) >> >>"},
      {"OPIFamily", Family<&CPDFOPIDict::CreateOPIDict>(),
       "<< /2.0 @1 >>" + _ + "<< /Type /OPI /Version 2 /F (a.eps) >>",
       "<< /3.0 << /Type /OPI >> >>"},
      {"AppDataDict", Typed<CPDFAppDataDict>(),
       "<< /LastModified (D:20200101) /Private @1 >>" + _ + "[1 2 3]", "<< /Private 1 >>"},
      {"PieceInfoDict", Typed<CPDFPieceInfoDict>(),
       "<< /AppA << /LastModified (D:20200101) /Private 5 >> /AppC @1 /AppD 7 >>" + _ +
           "<< /LastModified (D:2021) /Private [1 2] >>",
       "[1]"},
      {"SepInfoDict", Typed<CPDFSepInfoDict>(),
       "<< /Pages [] /DeviceColorant /Cyan /ColorSpace @1 >>" + _ +
           "[/Separation /Cyan /DeviceCMYK @2]" + _ + kTint,
       "<< /Pages [] >>", 0, "Pages"},
      {"DevGrayCS", Typed<CPDFDevGrayCS>(), "[/DeviceGray]", "[/DeviceRGB]"},
      {"DevRGBCS", Typed<CPDFDevRGBCS>(), "[/DeviceRGB]", "[/Unknown]"},
      {"DevCMYKCS", Typed<CPDFDevCMYKCS>(), "[/DeviceCMYK]", "[(DeviceCMYK)]"},
      {"CalGrayCS", Typed<CPDFCalGrayCS>(),
       "[/CalGray << /WhitePoint [0.9505 1 1.089] /Gamma 2.2 >>]", "[/CalGray [1 1 1]]"},
      {"CalRGBCS", Typed<CPDFCalRGBCS>(), "[/CalRGB @1]" + _ + kCal, "[/CalRGB << /Gamma 2.2 >>]"},
      {"LabCS", Typed<CPDFLabCS>(), "[/Lab << /WhitePoint [0.9 1 1] /Range [-100 100 -100 100] >>]",
       "[/Lab]"},
      {"ICCBasedCS", Typed<CPDFICCBasedCS>(), "[/ICCBased @1]" + _ + kICC,
       "[/ICCBased << /N 3 >>]"},
      {"SeparationCS", Typed<CPDFSeparationCS>(),
       "[/Separation /Spot @1 @2]" + _ + "[/DeviceCMYK]" + _ + kTint,
       "[/Separation /Spot /DeviceCMYK]"},
      {"DeviceNCS", Typed<CPDFDeviceNCS>(),
       "[/DeviceN [/Cyan /Spot] /DeviceCMYK @1 << /Colorants << /Spot [/Separation /Spot "
       "/DeviceCMYK @1] >> >>]" +
           _ + kCalc,
       "[/DeviceN /Spot /DeviceCMYK << >>]"},
      {"IndexedCS", Typed<CPDFIndexedCS>(),
       "[/Indexed @1 1 @2]" + _ + "[/CalRGB " + kCal + "]" + _ +
           "<< /Length 6 >> stream\r\nabcdef\r\nendstream",
       "[/Indexed /DeviceRGB 1]"},
      {"PatternCS", Typed<CPDFPatternCS>(), "[/Pattern @1]" + _ + "[/DeviceRGB]", "[/Unknown]"},
      {"ColorDict", Typed<CPDFColorDict>(),
       "<< /Colorants << /Spot @1 >> >>" + _ + "[/Separation /Spot /DeviceCMYK " + kTint + "]",
       "<< /Colorants [/Spot] >>"},
      {"ColorSpaceFamily", Family<&CPDFColorSpace::CreateColorSpace>(),
       "[/Indexed [/ICCBased @1] 1 (abcdef)]" + _ + kICC, "[/Indexed /DeviceRGB (1) (abc)]"},
      {"Type0Func", Typed<CPDFType0Func>(),
       "<< /FunctionType 0 /Domain [0 1] /Range [0 1] /Size [2] /BitsPerSample 8 /Order 1 /Length "
       "2 >> stream\r\nab\r\nendstream",
       "<< /FunctionType 0 /Domain [0 1] /BitsPerSample 8 /Length 2 >> stream\r\nab\r\nendstream"},
      {"Type2Func", Typed<CPDFType2Func>(), kTint, "<< /FunctionType 2 /Domain [0 1] >>"},
      {"Type3Func", Typed<CPDFType3Func>(),
       "<< /FunctionType 3 /Domain [0 1] /Functions [@1 @2] /Bounds [0.5] /Encode [0 1 0 1] >>" +
           _ + kTint + _ + kCalc,
       "<< /FunctionType 3 /Domain [0 1] /Functions [] /Encode [] >>"},
      {"Type4Func", Typed<CPDFType4Func>(), kCalc,
       "<< /FunctionType 4 /Length 1 >> stream\r\nx\r\nendstream"},
      {"FunctionFamily", Family<&CPDFFunction::CreateFunction>(),
       "<< /FunctionType 3 /Domain [0 1] /Functions [" + kTint + "] /Bounds [] /Encode [0 1] >>",
       "<< /FunctionType 9 /Domain [0 1] >>"},
      // pdf/font
      {"CIDSysInfo", Typed<CPDFCIDSysInfo>(),
       "<< /Registry (Adobe) /Ordering @1 /Supplement @2 >>" + _ + "(Japan1)" + _ + "2",
       "<< /Registry /Adobe /Ordering (Japan1) /Supplement 2 >>"},
      {"CMap", Typed<CPDFCMap>(),
       "<< /Type /CMap /CMapName /Test-V /CIDSystemInfo @1 /WMode 1 /UseCMap @2 /Length 46 >> "
       "stream\r\n1 begincidrange <8141> <8141> 7887 endcidrange\r\nendstream" +
           _ + "<< /Registry (Adobe) /Ordering (Japan1) /Supplement 2 >>" + _ +
           "<< /Type /CMap /CMapName /Test-H /CIDSystemInfo [(Adobe) (Japan1) 2] /UseCMap "
           "/Identity-H /Length 3 >> stream\r\nabc\r\nendstream",
       "<< /Type /CMap /CIDSystemInfo << >> /Length 1 >> stream\r\nx\r\nendstream"},
      {"Encoding", Typed<CPDFEncoding>(),
       "<< /Type /Encoding /BaseEncoding /MacRomanEncoding /Differences [32 /space @1 /a /b @2] "
       ">>" +
           _ + "65" + _ + "[/c 70 /d]",
       "<< /BaseEncoding /WinAnsiEncoding /Differences [32 /space] >>"},
      {"FontDesc", Typed<CPDFFontDesc>(),
       "<< /Type /FontDescriptor /Ascent @1 /CapHeight 718 /Descent -207 /Flags 32 /FontBBox [-166 "
       "-225 1000 931] /FontName /Helvetica /ItalicAngle 0 /StemV 88 /MissingWidth 250 /FontFile "
       "@2 /FontFile3 @3 /FD << /A @4 >> >>" +
           _ + "718" + _ + "<< /Length1 3 /Length2 0 /Length 3 >> stream\r\nabc\r\nendstream" + _ +
           kData + _ +
           "<< /Type /FontDescriptor /Ascent 1 /CapHeight 1 /Descent 0 /Flags 4 /FontBBox [0 0 1] "
           "/FontName /X /ItalicAngle 0 /StemV 0 >>",
       "<< /Type /FontDescriptor /Ascent 718 /CapHeight 718 /Descent -207 /Flags 32 /FontBBox [0 0 "
       "1 1] /FontName /Helvetica /ItalicAngle 0 >>"},
      {"FontFile", Typed<CPDFFontFile>(),
       "<< /Length1 @1 /Length3 0 /Subtype /Type1C /Length 3 >> stream\r\nabc\r\nendstream" + _ +
           "3",
       "<< /Length 3 >> stream\r\nabc\r\nendstream"},
      {"FontFamily", Family<&CPDFFont::CreateFont>(), kFont,
       "<< /Type /Font /Subtype /Type2 /BaseFont /X >>"},
      {"Type1Font", Typed<CPDFType1Font>(),
       "<< /Type /Font /Subtype /Type1 /BaseFont /Foo /FirstChar @1 /LastChar 66 /Widths [@2 600] "
       "/Encoding << /Type /Encoding /Differences [65 /B] >> /FontDescriptor @3 >>" +
           _ + "65" + _ + "722" + _ +
           "<< /Type /FontDescriptor /Ascent 718 /CapHeight 718 /Descent -207 /Flags 32 /FontBBox "
           "[0 0 1 1] /FontName /Foo /ItalicAngle 0 /StemV 88 >>",
       "<< /Type /Font /Subtype /Type1 /BaseFont /Foo >>"},
      {"TrueTypeFont", Typed<CPDFTrueTypeFont>(),
       "<< /Type /Font /Subtype /TrueType /BaseFont /Arial,Bold /FirstChar 32 /LastChar @1 /Widths "
       "@2 /Encoding /WinAnsiEncoding >>" +
           _ + "33" + _ + "[250 @1]",
       "<< /Type /Font /Subtype /Type1 /BaseFont /Arial >>"},
      {"MMType1Font", Typed<CPDFMMType1Font>(),
       "<< /Type /Font /Subtype /MMType1 /BaseFont /MM_400_ /FirstChar 32 /LastChar 32 /Widths "
       "[@1] /FontDescriptor << /Type /FontDescriptor >> >>" +
           _ + "212",
       "<< /Type /Font /Subtype /MMType1 /BaseFont /MM_400_ >>"},
      {"Type3Font", Typed<CPDFType3Font>(),
       "<< /Type /Font /Subtype /Type3 /FirstChar 97 /LastChar 97 /Widths [@1] /FontBBox @2 "
       "/FontMatrix [0.001 0 0 0.001 0 0] /CharProcs << /a @3 >> /Resources << /Font << /F1 @4 >> "
       ">> /Encoding << /Type /Encoding /Differences [97 /a] >> >>" +
           _ + "500" + _ + "[0 0 750 750]" + _ + kData + _ + kFont,
       "<< /Type /Font /Subtype /Type3 /FirstChar 97 /LastChar 97 /Widths [500] /FontBBox [0 0 1 "
       "1] /FontMatrix [1 0 0 1 0 0] /Encoding /StandardEncoding >>"},
      {"Type0FontFamily", Family<&CPDFFont::CreateFont>(),
       "<< /Type /Font /Subtype /Type0 /BaseFont /HeiseiMin-W3 /Encoding /Identity-H "
       "/DescendantFonts [@1] >>" +
           _ +
           "<< /Type /Font /Subtype /CIDFontType2 /BaseFont /HeiseiMin-W3 /CIDSystemInfo << "
           "/Registry (Adobe) /Ordering (Japan1) /Supplement 2 >> /FontDescriptor << /Type "
           "/FontDescriptor /Ascent 880 /CapHeight 700 /Descent -120 /Flags 4 /FontBBox [0 -120 "
           "1000 880] /FontName /HeiseiMin-W3 /ItalicAngle 0 /StemV 80 >> /W [1 [500]] >>",
       "<< /Type /Font /Subtype /Type0 /BaseFont /X /Encoding /Identity-H >>"},
      {"CIDFontFamily", Family<&CPDFCIDFont::CreateCIDFont>(),
       "<< /Type /Font /Subtype /CIDFontType0 /BaseFont /HeiseiMin-W3 /CIDSystemInfo @1 "
       "/FontDescriptor @2 /DW @3 /W [1 [500 @3] 10 20 700] /DW2 [880 -1000] >>" +
           _ + "<< /Registry (Adobe) /Ordering (Japan1) /Supplement 2 >>" + _ +
           "<< /Type /FontDescriptor /Ascent 880 /CapHeight 700 /Descent -120 /Flags 4 /FontBBox "
           "[0 -120 1000 880] /FontName /HeiseiMin-W3 /ItalicAngle 0 /StemV 80 >>" +
           _ + "1000",
       "<< /Type /Font /Subtype /CIDFontType0 /BaseFont /X /CIDSystemInfo << >> >>"},
      // pdf/graphics
      {"ExtGState", Typed<CPDFExtGState>(),
       "<< /Type /ExtGState /LW 2 /Font [@1 12] /OPM @2 /BG " + kTint +
           " /TR [@3 /Identity @5] /HT @4 /HTP [0 @2] /LC 1 /LJ 2 >>" + _ + kFont + _ + "1" + _ +
           kTint + _ + "<< /Type /Halftone /HalftoneType 1 /Frequency 60 /Angle 45 /SpotFunction " +
           kTint + " >>" + _ + kCalc,
       "<< /LW 2 >>"},
      {"Properties", Typed<CPDFProperties>(), "<< /Metadata @1 /A [1 2] >>" + _ + kData, ""},
      {"Type1Sh", Typed<CPDFType1Sh>(),
       "<< /ShadingType 1 /ColorSpace /DeviceRGB /Domain [0 1 0 1] /Matrix [1 0 0 1 0 0] /Function "
       "[@1 " +
           kTint + "] >>" + _ + kTint,
       "<< /ShadingType 1 /ColorSpace /DeviceRGB /Function /Identity >>"},
      {"Type2Sh", Typed<CPDFType2Sh>(),
       "<< /ShadingType 2 /ColorSpace @1 /BBox [0 0 10 10] /Coords [0 0 1 1] /Function @2 >>" + _ +
           "[/Indexed /DeviceRGB 1 <FF000000FF00>]" + _ + kTint,
       "<< /ShadingType 2.5 /ColorSpace /DeviceRGB /Coords [0 0 1 1] /Function << >> >>"},
      {"Type3Sh", Typed<CPDFType3Sh>(),
       "<< /ShadingType 3 /ColorSpace /DeviceCMYK /Coords [0 0 0 0 0 1] /Function " + kTint +
           " /Extend [true true] >>",
       "<< /ShadingType 3 /ColorSpace /DeviceCMYK /Function " + kTint + " >>"},
      {"Type4Sh", Typed<CPDFType4Sh>(),
       "<< /ShadingType 4 /ColorSpace /DeviceRGB /BitsPerCoordinate @1 /BitsPerComponent 8 "
       "/BitsPerFlag 8 /Decode [0 1 0 1 0 1 0 1 0 1] /Function [@2] >>" +
           _ + "16" + _ + kTint,
       "<< /ShadingType 4 /ColorSpace /DeviceRGB /BitsPerCoordinate 16 /BitsPerComponent 8 /Decode "
       "[] >>"},
      {"Type5Sh", Typed<CPDFType5Sh>(),
       "<< /ShadingType 5 /ColorSpace /DeviceGray /BitsPerCoordinate @1 /BitsPerComponent 8 "
       "/Decode [0 1 0 1 0 1] /VerticesPerRow 4 /BitsPerFlag 2 >>" +
           _ + "16",
       "<< /ShadingType 5 /ColorSpace /DeviceGray /BitsPerCoordinate 16 /BitsPerComponent 8 "
       "/Decode [] >>"},
      {"Type6Sh", Typed<CPDFType6Sh>(),
       "<< /ShadingType 6 /ColorSpace /DeviceRGB /BitsPerCoordinate @1 /BitsPerComponent 8 "
       "/BitsPerFlag 8 /Decode [0 1 0 1 0 1 0 1 0 1] /Function [@2] >>" +
           _ + "16" + _ + kTint,
       "<< /ShadingType 6 /ColorSpace /DeviceRGB /BitsPerCoordinate 16 /BitsPerComponent 8 "
       "/BitsPerFlag 8 /Decode 1 >>"},
      {"Type7Sh", Typed<CPDFType7Sh>(),
       "<< /ShadingType 7 /ColorSpace /DeviceRGB /BitsPerCoordinate @1 /BitsPerComponent 8 "
       "/BitsPerFlag 8 /Decode [0 1 0 1 0 1 0 1 0 1] /Function [@2] >>" +
           _ + "16" + _ + kTint,
       "<< /ShadingType 7 /BitsPerCoordinate 16 /BitsPerComponent 8 /BitsPerFlag 8 /Decode [] >>"},
      {"ShadingFamily", Family<&CPDFShading::CreateShading>(),
       "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 1 1] /Function @1 >>" + _ + kTint,
       "<< /ShadingType 2 /Coords [0 0 1 1] /Function << >> >>"},
      {"Halftone", Typed<CPDFHalftone>(),
       "<< /Type /Halftone /HalftoneType 3 /TransferFunction @1 >>" + _ + kTint,
       "<< /HalftoneType 1 >>"},
      {"Type1Ht", Typed<CPDFType1Ht>(),
       "<< /Type /Halftone /HalftoneType 1 /Frequency 60 /Angle 45 /SpotFunction @1 "
       "/TransferFunction " +
           kTint + " >>" + _ + kTint,
       "<< /Type /Halftone /HalftoneType 1 /Frequency 60 /Angle 45 /SpotFunction [] >>"},
      {"Type5Ht", Typed<CPDFType5Ht>(),
       "<< /Type /Halftone /HalftoneType 5 /Default @1 /Cyan << /Type /Halftone /HalftoneType 6 "
       "/Width 2 /Height 2 >> /Spot << /A 1 >> >>" +
           _ + "<< /Type /Halftone /HalftoneType 1 /Frequency 60 /Angle 45 /SpotFunction /Round >>",
       "<< /Type /Halftone /HalftoneType 5 >>"},
      {"Type6Ht", Typed<CPDFType6Ht>(),
       "<< /Type /Halftone /HalftoneType 6 /Width @1 /Height 2 /TransferFunction @2 >>" + _ + "2" +
           _ + kTint,
       "<< /Type /Halftone /HalftoneType 6 /Width 2 >>"},
      {"Type10Ht", Typed<CPDFType10Ht>(),
       "<< /Type /Halftone /HalftoneType 10 /Xsquare 2 /Ysquare 3 >>",
       "<< /Type /Halftone /HalftoneType 10 /Xsquare 2 /Ysquare /Y >>"},
      {"Type16Ht", Typed<CPDFType16Ht>(),
       "<< /Type /Halftone /HalftoneType 16 /Width 2 /Height 2 /Width2 1 /Height2 @1 >>" + _ + "1",
       "<< /Type /Halftone /HalftoneType 16 /Height 2 >>"},
      {"HalftoneFamily", Family<&CPDFHalftone::CreateHalftone>(),
       "<< /Type /Halftone /HalftoneType 5 /Default @1 >>" + _ +
           "<< /Type /Halftone /HalftoneType 1 /Frequency 60 /Angle 45 /SpotFunction @2 >>" + _ +
           kTint,
       "<< /HalftoneType 1 >>"},
      {"Type1Pat", Typed<CPDFType1Pat>(),
       "<< /Type /Pattern /PatternType 1 /PaintType @1 /TilingType 1 /BBox [0 0 10 10] /XStep 10 "
       "/YStep 10 /Matrix [1 0 0 1 0 0] /Resources @2 /Length 3 >> stream\r\nq Q\r\nendstream" +
           _ + "2" + _ +
           "<< /ExtGState << /GS0 << /Type /ExtGState /LW 1 >> >> /Pattern << /P0 @3 >> >>" + _ +
           "<< /Type /Pattern /PatternType 2 /Shading << /ShadingType 2 /ColorSpace /DeviceRGB "
           "/Coords [0 0 1 1] /Function " +
           kTint + " >> /ExtGState << /Type /ExtGState >> >>",
       "<< /Type /Pattern /PatternType 1.5 /PaintType 1 /TilingType 1 /BBox [0 0 10 10] /XStep 10 "
       "/YStep 10 /Resources << >> /Length 3 >> stream\r\nq Q\r\nendstream"},
      {"Type2Pat", Typed<CPDFType2Pat>(),
       "<< /Type /Pattern /PatternType 2 /Shading @1 /ExtGState @2 /Matrix [1 0 0 1 0 0] >>" + _ +
           "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 1 1] /Function " + kTint + " >>" +
           _ + "<< /Type /ExtGState /TR " + kTint + " >>",
       "<< /Type /Pattern /PatternType 2 /Shading << /ShadingType 2 >> >>"},
      {"PatternFamily", Family<&CPDFPattern::CreatePattern>(),
       "<< /Type /Pattern /PatternType 2 /Shading << /ShadingType 2 /ColorSpace /DeviceRGB /Coords "
       "[0 0 1 1] /Function " +
           kTint + " >> /ExtGState << /Type /ExtGState /OPM 1 >> >>",
       "<< /PatternType 2 /Shading << /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 1 1] "
       "/Function " +
           kTint + " >> /ExtGState << /Type /ExtGState >> >>"},
      // pdf/interactive
      {"AcroFormDict", Typed<CPDFAcroFormDict>(),
       "<< /Fields [] /DR << /Font << /Helv @1 >> >> /DA (/Helv 0 Tf 0 g) >>" + _ + kFont, ""},
      {"AddActDict", Typed<CPDFAddActDict>(),
       "<< /O << /S /JavaScript /JS @1 >> /C << /S /Named /N /NextPage >> >>" + _ +
           "(app.alert\\(1\\))",
       ""},
      {"BtnField", Typed<CPDFBtnField>(),
       "<< /Type /Annot /Subtype /Widget /Rect [0 0 10 10] /Parent @1 /T @2 /V /Off /AS /Off /MK "
       "<< /CA (4) >> >>" +
           _ + "<< /FT /Btn /T (p) /Ff 65536 /DA (0 g) /Kids [] >>" + _ + "(k)",
       "<< /Type /Annot /Subtype /Widget /Rect [0 0 10 10] /FT /Tx >>", 0, "",
       "<< /Type /Annot /Subtype /Widget /Rect [0 0 10 10] /FT /Btn /T (p.k) /Ff 65536 /DA (0 g) "
       "/V /Off /AS /Off /MK << /CA (4) >> >>"},
      {"ChField", Typed<CPDFChField>(),
       "<< /Type /Annot /Subtype /Widget /Rect [0 0 10 10] /FT /Ch /Opt @1 /V (a) /DV @2 /TopIndex "
       "0 /Ff 131072 /TU (pick) >>" +
           _ + "[(a) [(b) (B)] 3]" + _ + "(a)",
       "<< /Type /Annot /Subtype /Widget /Rect [0 0 10 10] /FT /Ch >>", 0, "",
       "<< /Type /Annot /Subtype /Widget /Rect [0 0 10 10] /FT /Ch /T () /Opt @1 /V (a) /DV @2 "
       "/TopIndex 0 /Ff 131072 /TU (pick) >>" +
           _ + "[(a) [(b) (B)] 3]" + _ + "(a)"},
      {"TxField", Typed<CPDFTxField>(),
       "<< /Type /Annot /Subtype /Widget /Rect [0 0 10 10] /Parent @1 /V @2 /MaxLen 20 /DA (/Helv "
       "0 Tf 0 g) /Q 1 /T (name) >>" +
           _ + "<< /FT /Tx /T (p) /DR << /Font << /Helv @3 >> >> /OH 2 >>" + _ + "(Hello)" + _ +
           kFont,
       "<< /Type /Annot /Subtype /Widget /Rect [0 0 10 10] /FT /Btn >>", 0, "",
       "<< /Type /Annot /Subtype /Widget /Rect [0 0 10 10] /FT /Tx /T (p.name) /V @1 /MaxLen 20 "
       "/DA (/Helv 0 Tf 0 g) /Q 1 /DR << /Font << /Helv @2 >> >> >>" +
           _ + "(Hello)" + _ + kFont},
      {"SigField", Typed<CPDFSigField>(),
       "<< /Type /Annot /Subtype /Widget /Rect [0 0 10 10] /FT /Sig /T (s) /V @1 >>" + _ +
           "<< /Type /Sig /Filter /Example.Handler /ByteRange [0 @2 960 240] /Contents <00FF> /M "
           "(D:20260101120000Z) >>" +
           _ + "840",
       "<< /Type /Annot /Subtype /Widget /Rect [0 0 10 10] /V << /Type /Sig /ByteRange [] >> >>"},
      {"FieldFamily", Family<&CPDFField::CreateField>(),
       "<< /Type /Annot /Subtype /Widget /Rect [0 0 10 10] /Parent @1 /TM (m) >>" + _ +
           "<< /FT /Tx /T (p) /Parent @2 >>" + _ + "<< /T (root) /Ff 1 >>",
       "<< /Type /Annot /Subtype /Widget /Rect [0 0 10 10] /FT /Xx >>", 0, "",
       "<< /Type /Annot /Subtype /Widget /Rect [0 0 10 10] /FT /Tx /T (root.p) /Ff 1 /TM (m) >>"},
      {"SigDict", Typed<CPDFSigDict>(),
       "<< /Type /Sig /Filter /Example.Handler /ByteRange [0 @1 960 240] /Contents <00FF> /Name "
       "(Signer) /M @2 /Reason (ok) >>" +
           _ + "840" + _ + "(D:20260101120000Z)",
       "<< /Type /Sig /Contents <00FF> >>"},
      {"Sound", Typed<CPDFSound>(),
       "<< /Type /Sound /R 22050 /C @1 /B 16 /E /Signed /Length 3 >> stream\r\nxyz\r\nendstream" +
           _ + "2",
       "<< /Type /Sound /Length 1 >> stream\r\nx\r\nendstream"},
      {"MovieDict", Typed<CPDFMovieDict>(),
       "<< /F @1 /Aspect [640 480] /Rotate @2 /Poster @3 >>" + _ +
           "<< /Type /Filespec /F (movie.avi) /EF << /F @4 >> >>" + _ + "90" + _ + kImage + _ +
           kEmbedded,
       "<< /F 3 >>"},
      {"MovieActiv", Typed<CPDFMovieActiv>(),
       "<< /Start [10 @1] /Duration 5 /FWScale [2 1] /Mode /Once >>" + _ + "600", ""},
      {"WinLaunch", Typed<CPDFWinLaunch>(), "<< /F (a.exe) /P @1 >>" + _ + "(-x)", ""},
      {"Destination", Typed<CPDFDestination>(), "[0 /FitH @1]" + _ + "700", "[0 (Fit)]"},
      {"GoToAct", Typed<CPDFGoToAct>(),
       "<< /S /GoTo /D @1 /Next @2 >>" + _ + "[0 /XYZ 0 792 @3]" + _ +
           "<< /S /URI /URI (http://example.org/) >>" + _ + "0",
       "<< /S /GoTo /D (Chapter1) >>"},
      {"GoToRAct", Typed<CPDFGoToRAct>(),
       "<< /S /GoToR /D [0 /Fit] /F @1 /NewWindow true >>" + _ +
           "<< /Type /Filespec /F (other.pdf) >>",
       "<< /S /GoToR /D [0 /Fit] >>"},
      {"LaunchAct", Typed<CPDFLaunchAct>(),
       "<< /S /Launch /F (a.pdf) /Win @1 >>" + _ + "<< /F (a.exe) /P (-x) >>",
       "<< /Type /Annot /S /Launch >>"},
      {"ThreadAct", Typed<CPDFThreadAct>(),
       "<< /S /Thread /D 1 /F @1 >>" + _ + "<< /Type /Filespec /F (other.pdf) >>",
       "<< /S /Thread /D /T1 >>", 0, "D"},
      {"URIAct", Typed<CPDFURIAct>(),
       "<< /Type /Action /S /URI /URI @1 >>" + _ + "(http://example.org/)",
       "<< /S /URI /URI /x >>"},
      {"SoundAct", Typed<CPDFSoundAct>(),
       "<< /S /Sound /Sound @1 /Volume 0.5 >>" + _ +
           "<< /Type /Sound /R 8000 /Length 3 >> stream\r\nxyz\r\nendstream",
       "<< /S /Sound /Sound << /Type /Sound /R 8000 >> >>"},
      {"MovieAct", Typed<CPDFMovieAct>(),
       "<< /S /Movie /T @1 /Operation /Play /Annot @2 >>" + _ + "(clip)" + _ +
           "<< /Type /Annot /Subtype /Movie >>",
       "<< /S /Movie /Type /Annot >>", 0, "Annot"},
      {"SetStateAct", Typed<CPDFSetStateAct>(), "<< /S /SetState /T @1 /AS /On >>" + _ + "(f1)",
       "<< /S /SetState >>"},
      {"HideAct", Typed<CPDFHideAct>(), "<< /S /Hide /T (a1) /H false >>",
       "<< /S /Hide /T [(a1)] >>"},
      {"NamedAct", Typed<CPDFNamedAct>(), "<< /S /Named /N /NextPage >>",
       "<< /S /Named /N (NextPage) >>"},
      {"NOPAct", Typed<CPDFNOPAct>(), "<< /S /NOP >>", "<< /S /Nop >>"},
      {"SubmitFormAct", Typed<CPDFSubmitFormAct>(),
       "<< /S /SubmitForm /F @1 /Flags @2 /Fields [(a)] >>" + _ +
           "<< /FS /URL /F (http://example.org/) >>" + _ + "4",
       "<< /S /SubmitForm /Flags 4 >>", 0, "Fields"},
      {"ResetFormAct", Typed<CPDFResetFormAct>(), "<< /S /ResetForm /Fields [(a)] /Flags 1 >>",
       "<< /S /ResetForm /Type /Annot >>", 0, "Fields"},
      {"ImportDataAct", Typed<CPDFImportDataAct>(), "<< /S /ImportData /F (data.fdf) >>",
       "<< /S /ImportData /F 1 >>"},
      {"JavaScriptAct", Typed<CPDFJavaScriptAct>(), "<< /S /JavaScript /JS @1 >>" + _ + kData,
       "<< /S /JavaScript >>"},
      {"ActionFamily", Family<&CPDFAction::CreateAction>(),
       "<< /S /GoTo /D [0 /Fit] /Next [@1 << /S /Unknown >> 3] >>" + _ +
           "<< /S /Named /N /NextPage /Next @2 >>" + _ + "<< /S /JavaScript /JS (1) >>",
       "<< /S /Unknown >>"},
      {"AppearDict", Typed<CPDFAppearDict>(),
       "<< /N @1 /D << /On @1 /Off @2 >> >>" + _ + kForm + _ + kForm, "<< /N /On >>"},
      {"BorderStyle", Typed<CPDFBorderStyle>(),
       "<< /Type /Border /W @1 /S /D /D [3 2] >>" + _ + "2", "<< /Type /Annot /W 1 >>"},
      {"AnnotationFamily", Family<&CPDFAnnotation::CreateAnnotation>(),
       "<< /Type /Annot /Subtype /Square /Rect [0 0 10 10] /T @1 /M (D:20200101) /F 4 /BS << /W @2 "
       ">> /AP << /N @3 >> /AA << /E << /S /URI /URI (x) >> >> /Contents (note) /Page 0 /Popup @4 "
       ">>" +
           _ + "(author)" + _ + "1" + _ + kForm + _ +
           "<< /Type /Annot /Subtype /Popup /Rect [0 0 1 1] >>",
       "<< /Subtype /Text /Rect [0 0 10 10] >>"},
      {"PopupAnnot", Typed<CPDFPopupAnnot>(),
       "<< /Type /Annot /Subtype /Popup /Rect @1 /Open true >>" + _ + "[0 0 20 20]",
       "<< /Type /Annot /Subtype /Popup >>"},
      {"FreeTextAnnot", Typed<CPDFFreeTextAnnot>(),
       "<< /Type /Annot /Subtype /FreeText /Rect [0 0 10 10] /DA @1 /Contents (t) >>" + _ +
           "(/Helv 12 Tf 0 g)",
       "<< /Type /Annot /Subtype /FreeText /Rect [0 0 10 10] /DA /Helv >>"},
      {"InkAnnot", Typed<CPDFInkAnnot>(),
       "<< /Type /Annot /Subtype /Ink /Rect [0 0 10 10] /InkList [@1] >>" + _ + "[1 1 2 2]",
       "<< /Type /Annot /Subtype /Ink /Rect [0 0 10 10] /InkList 3 >>"},
      {"LinkAnnot", Typed<CPDFLinkAnnot>(),
       "<< /Type /Annot /Subtype /Link /Rect [0 0 10 10] /Dest @1 /A << /S /URI /URI "
       "(https://example.org/) /Next @2 >> /PA @3 /Border [0 0 1] >>" +
           _ + "[0 /FitH 700]" + _ + "<< /S /Named /N /NextPage >>" + _ + "<< /S /Bogus /X 1 >>",
       "<< /Subtype /Link /Rect [0 0 10 10] >>"},
      {"MovieAnnot", Typed<CPDFMovieAnnot>(),
       "<< /Type /Annot /Subtype /Movie /Rect [0 0 10 10] /Movie @1 /A << /Start [0 @2] >> >>" + _ +
           "<< /F (m.avi) /Rotate 90 >>" + _ + "600",
       "<< /Type /Annot /Subtype /Movie /Rect [0 0 10 10] /Movie (m.avi) >>"},
      {"SoundAnnot", Typed<CPDFSoundAnnot>(),
       "<< /Type /Annot /Subtype /Sound /Rect [0 0 10 10] /Sound @1 /Name /Speaker >>" + _ +
           "<< /Type /Sound /R 8000 /C 1 /Length 3 >> stream\r\nxyz\r\nendstream",
       "<< /Type /Annot /Subtype /Sound /Rect [0 0 10 10] /Sound << /Type /Sound /R 8000 >> >>"},
      {"FileAttachAnnot", Typed<CPDFFileAttachAnnot>(),
       "<< /Type /Annot /Subtype /FileAttachment /Rect [0 0 10 10] /FS @1 >>" + _ +
           "<< /Type /Filespec /F (data.bin) /EF << /F @2 >> >>" + _ + kEmbedded,
       "<< /Type /Annot /Subtype /FileAttachment /Rect [0 0 10 10] /FS 3 >>"},
      {"Transition", Typed<CPDFTransition>(), "<< /Type /Trans /S /Fade /D @1 >>" + _ + "2",
       "<< /S /Wipe >>"},
      {"TransitionFamily", Family<&CPDFTransition::CreateTransition>(),
       "<< /Type /Trans /S /Wipe /D 1.5 /Di 90 >>", "<< /S /Wipe /D 1.5 >>"},
  };
}

class TypedContract : public testing::TestWithParam<Row> {
 protected:
  const Row& row() const { return GetParam(); }

  // Load without letting an exception pass unnoticed.
  std::unique_ptr<CPDFObject> Load(CPDFObjRegistry* doc, CPDFObject* raw) {
    try {
      return std::unique_ptr<CPDFObject>(row().ops.load(doc, raw));
    } catch (...) {
      Escaped("Load");
    }
    return nullptr;
  }
  bool Check(CPDFObjRegistry* doc, CPDFObject* raw) {
    try {
      return row().ops.check(doc, raw);
    } catch (...) {
      Escaped("Check");
    }
    return false;
  }
  std::unique_ptr<CPDFObject> Clone(CPDFObject* typed, CPDFObjRegistry* doc,
                                    CPDFObjRegistry* sourceDoc) {
    try {
      return std::unique_ptr<CPDFObject>(typed->Clone(doc, sourceDoc));
    } catch (...) {
      Escaped("Clone");
    }
    return nullptr;
  }
  bool Loads() const { return !(row().flags & kNoMember); }

  // The sample read into the document, then loaded (none when it does not
  // parse or load).
  std::unique_ptr<CPDFObject> Loaded(CPDFObjRegistry* doc, World* world) {
    *world = Build(doc, row().sample);
    return world->subject ? Load(doc, world->subject.get()) : nullptr;
  }

  // A loaded sample to clone: what it writes, and what a clone must write.
  struct Original {
    World world;
    std::unique_ptr<CPDFObject> typed;
    std::string text, cloneText;
  };
  Original Prepare(CPDFObjRegistry* doc) {
    Original o;
    o.typed = Loaded(doc, &o.world);
    if (o.typed) {
      o.text = DeepText(o.typed.get(), doc);
      o.cloneText = CloneText(doc);
    }
    return o;
  }

  // What a clone of the sample writes: the loaded sample, less the key the
  // class's Clone leaves out.
  std::string CloneText(CPDFObjRegistry* doc) {
    if (!row().cloneAs.empty()) {
      World expected = Build(doc, row().cloneAs);
      return DeepText(expected.subject.get(), doc);
    }
    World world;
    std::unique_ptr<CPDFObject> typed = Loaded(doc, &world);
    if (!typed) return "<none>";
    if (!row().cloneDrops.empty()) {
      auto* dict = dynamic_cast<CPDFDict*>(typed.get());
      if (!dict) return "<not a dictionary>";
      dict->Remove(doc, CPDFName(row().cloneDrops.c_str()));
    }
    return DeepText(typed.get(), doc);
  }
};

TEST_P(TypedContract, LoadWritesTheBytesThatWereRead) {
  TestDoc doc;
  World world = Build(&doc, row().sample);
  ASSERT_TRUE(world.subject);
  ASSERT_TRUE(world.subject->IsLoaded());
  const std::string read = DeepText(world.subject.get(), &doc);
  if (row().ops.check) {
    EXPECT_TRUE(Check(&doc, world.subject.get()));
    EXPECT_EQ(DeepText(world.subject.get(), &doc), read) << "Check changed what it looked at";
  }
  std::unique_ptr<CPDFObject> typed = Load(&doc, world.subject.get());
  if (!Loads()) {
    EXPECT_FALSE(typed);
    EXPECT_EQ(DeepText(world.subject.get(), &doc), read);
    return;
  }
  ASSERT_TRUE(typed);
  if (row().ops.isClass) {
    EXPECT_TRUE(row().ops.isClass(typed.get()));
  }
  EXPECT_EQ(DeepText(typed.get(), &doc), read);
}

TEST_P(TypedContract, CloneWritesTheSameBytesInAnyDocument) {
  if (!Loads()) GTEST_SKIP() << "the family has no member to clone";
  TestDoc doc;
  Original o = Prepare(&doc);
  ASSERT_TRUE(o.typed);
  CPDFObject* typed = o.typed.get();
  const std::string& text = o.cloneText;
  std::unique_ptr<CPDFObject> same = Clone(typed, &doc, &doc);
  ASSERT_TRUE(same);
  EXPECT_EQ(typeid(*same), typeid(*typed));
  EXPECT_EQ(DeepText(same.get(), &doc), text);

  TestDoc other;
  std::unique_ptr<CPDFObject> copy = Clone(typed, &other, &doc);
  ASSERT_TRUE(copy);
  EXPECT_EQ(typeid(*copy), typeid(*typed));
  EXPECT_EQ(DeepText(copy.get(), &other), text);
  // The original is untouched by its copies.
  EXPECT_EQ(DeepText(typed, &doc), o.text);
}

// Every store and every fetch of a load fails in turn (the n-th store is
// refused, or the n-th fetch throws, which the getters take as nothing
// found); every object of the sample goes missing in turn. A load that fails leaves the sample as
// read; a load that copes writes what was read.
TEST_P(TypedContract, FailedLoadLeavesTheSourceAsRead) {
  struct Fault {
    int store = 0, fetch = 0;
    size_t missing = 0;
  };
  std::vector<Fault> faults;
  for (int n = 1; n <= 64; ++n) faults.push_back({n, 0, 0});
  for (int n = 1; n <= 64; ++n) faults.push_back({0, n, 0});
  for (size_t i = 1; i < contract::Split(row().sample).size(); ++i) faults.push_back({0, 0, i});

  int failed = 0;
  for (const Fault& fault : faults) {
    SCOPED_TRACE("store " + std::to_string(fault.store) + " fetch " + std::to_string(fault.fetch) +
                 " missing " + std::to_string(fault.missing));
    FaultRegistry doc;
    World world = Build(&doc, row().sample, fault.missing);
    ASSERT_TRUE(world.subject);
    const std::string read = DeepText(world.subject.get(), &doc);
    doc.Arm(fault.store, fault.fetch);
    std::unique_ptr<CPDFObject> typed = Load(&doc, world.subject.get());
    const bool hit = doc.Hit() || fault.missing;
    doc.Disarm();
    if (!hit) continue;  // the load makes fewer calls
    if (typed) {
      EXPECT_EQ(DeepText(typed.get(), &doc), read);
    } else {
      ++failed;
      EXPECT_EQ(DeepText(world.subject.get(), &doc), read);
    }
  }
  RecordProperty("failed_loads", failed);
}

// A clone whose stores fail or whose fetches throw, in the source or the
// target document, answers none or a full copy, and leaves the original
// as it was.
TEST_P(TypedContract, CloneUnderFaultsAnswersNoneOrACopy) {
  if (!Loads()) GTEST_SKIP() << "the family has no member to clone";
  for (int side = 0; side < 2; ++side) {
    for (int n = 1; n <= 64; ++n) {
      for (int kind = 0; kind < 2; ++kind) {
        SCOPED_TRACE(std::string(side ? "source" : "target") + (kind ? " fetch " : " store ") +
                     std::to_string(n));
        FaultRegistry source;
        Original o = Prepare(&source);
        ASSERT_TRUE(o.typed);
        FaultRegistry target;
        FaultRegistry& armed = side ? source : target;
        armed.Arm(kind ? 0 : n, kind ? n : 0);
        std::unique_ptr<CPDFObject> copy = Clone(o.typed.get(), &target, &source);
        const bool hit = armed.Hit();
        armed.Disarm();
        if (copy) {
          EXPECT_EQ(typeid(*copy), typeid(*o.typed));
          EXPECT_EQ(DeepText(copy.get(), &target), o.cloneText);
        }
        EXPECT_EQ(DeepText(o.typed.get(), &source), o.text);
        if (!hit) break;  // the clone makes fewer calls of this kind
      }
    }
  }
}

// Check refuses the bad sample and leaves it as read; a Check whose
// fetches throw answers without letting the exception out.
TEST_P(TypedContract, CheckRefusesWithoutTouching) {
  if (!row().bad.empty()) {
    TestDoc doc;
    World world = Build(&doc, row().bad);
    ASSERT_TRUE(world.subject);
    const std::string read = DeepText(world.subject.get(), &doc);
    if (row().ops.check) {
      EXPECT_FALSE(Check(&doc, world.subject.get()));
    } else {
      // A family row: the factory refuses it.
      EXPECT_FALSE(Load(&doc, world.subject.get()));
    }
    EXPECT_EQ(DeepText(world.subject.get(), &doc), read);
  }
  if (!row().ops.check) return;
  for (int n = 1; n <= 16; ++n) {
    FaultRegistry doc;
    World world = Build(&doc, row().sample);
    ASSERT_TRUE(world.subject);
    const std::string read = DeepText(world.subject.get(), &doc);
    doc.Arm(0, n);
    Check(&doc, world.subject.get());
    const bool hit = doc.Hit();
    doc.Disarm();
    EXPECT_EQ(DeepText(world.subject.get(), &doc), read);
    if (!hit) break;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryTypedClass, TypedContract, testing::ValuesIn(Rows()),
                         [](const testing::TestParamInfo<Row>& info) { return info.param.name; });

// The accessor forms of the kit, each on a class that uses it. A row makes
// its object (a loaded sample, or a new object of the class), runs the
// accessor and answers what it got or what the object then holds; expected
// is a sample whose subject writes the same, or text with "<none>" for an
// answer of none.
struct AccessorRow {
  std::string name;
  std::string (*use)(CPDFObjRegistry* doc);
  std::string expected;
};

void PrintTo(const AccessorRow& row, std::ostream* out) { *out << row.name; }

const std::string kSep = " ;; ";
const std::string kTxSample =
    "<< /Type /Annot /Subtype /Widget /Rect [0 0 10 10] /Parent @1 /T (n) >>" + kSep +
    "<< /FT /Tx /T (p) /DA (0 g) /Q 2 /DR << /Font << >> >> >>";
const std::string kDescHead =
    "<< /Type /FontDescriptor /Ascent 1 /CapHeight 1 /Descent 0 /Flags 4 /FontBBox [0 0 1 1] "
    "/FontName /X /ItalicAngle 0 /StemV 0";

// The sample loaded as T; the typed object is the caller's.
template <class T>
std::unique_ptr<T> LoadedAs(CPDFObjRegistry* doc, const std::string& sample) {
  World world = Build(doc, sample);
  if (!world.subject) return nullptr;
  return std::unique_ptr<T>(dynamic_cast<T*>(Typed<T>().load(doc, world.subject.get())));
}

template <class T>
std::unique_ptr<T> Empty(CPDFObjRegistry* doc) {
  auto object = std::make_unique<T>();
  object->SetDoc(doc);
  return object;
}

std::vector<AccessorRow> AccessorRows() {
  return {
      // Getter only: the value as stored, a checked cast.
      {"GetterAnswersTheValue",
       [](CPDFObjRegistry* doc) {
         auto sig = LoadedAs<CPDFSigDict>(
             doc, "<< /Type /Sig /Filter /X /ByteRange [0 1 2 3] /Contents <00> >>");
         return sig ? DeepText(sig->Get_ByteRange(), doc) : "no object";
       },
       "[0 1 2 3]"},
      {"GetterOfAnotherClassAnswersNone",
       [](CPDFObjRegistry* doc) {
         auto desc = LoadedAs<CPDFFontDesc>(doc, kDescHead + " /FD [1] >>");
         return desc ? DeepText(desc->Get_FD(), doc) : "no object";
       },
       "<none>"},
      {"GetterOfAGraphicsState",
       [](CPDFObjRegistry* doc) {
         auto gs = LoadedAs<CPDFExtGState>(doc, "<< /Type /ExtGState /HTP [1 2] >>");
         return gs ? DeepText(gs->Get_HTP(), doc) : "no object";
       },
       "[1 2]"},
      // Setter only: stores under the key, directly or indirectly.
      {"SetterStores",
       [](CPDFObjRegistry* doc) {
         auto form = LoadedAs<CPDFAcroFormDict>(doc, "<< /Fields [] >>");
         if (!form || !form->Set_DA(new CPDFString("0 g"))) return std::string("refused");
         return DeepText(form->Get(doc, form->Key_DA()), doc);
       },
       "(0 g)"},
      {"SetterStoresIndirect",
       [](CPDFObjRegistry* doc) {
         auto desc = LoadedAs<CPDFFontDesc>(doc, kDescHead + " >>");
         CPDFObjRef ref;
         if (!desc || !desc->Set_FontName(new CPDFName("Z"), true, &ref))
           return std::string("refused");
         return ref.IsDefined() ? DeepText(doc->GetObj(ref), doc) : std::string("direct");
       },
       "/Z"},
      // Inherited: the own value, else the nearest ancestor's; the setter
      // stores in the field's own dictionary.
      {"InheritedGetterAnswersTheAncestors",
       [](CPDFObjRegistry* doc) {
         auto field = LoadedAs<CPDFTxField>(doc, kTxSample);
         return field ? DeepText(field->Get_DA(), doc) : "no object";
       },
       "(0 g)"},
      {"InheritedGetterOfAnotherClassAnswersNone",
       [](CPDFObjRegistry* doc) {
         auto field = LoadedAs<CPDFTxField>(doc, kTxSample);
         return field ? DeepText(field->Get_FT(), doc) + DeepText(field->Get_V(), doc)
                      : "no object";
       },
       "/Tx<none>"},
      {"InheritedSetterStoresOwn",
       [](CPDFObjRegistry* doc) {
         auto field = LoadedAs<CPDFTxField>(doc, kTxSample);
         if (!field || !field->Set_Q(new CPDFInt(1))) return std::string("refused");
         return "[" + DeepText(field->CPDFDict::Get(doc, field->Key_Q()), doc) + " " +
                DeepText(field->Get_Q(), doc) + "]";
       },
       "[1 1]"},
      // Type setters: a direct copy of the class's constant, replacing what
      // was there.
      {"TypeNameSetter",
       [](CPDFObjRegistry* doc) {
         auto desc = Empty<CPDFFontDesc>(doc);
         desc->CPDFDict::Set(doc, desc->Key_Type(), new CPDFName("Other"));
         if (!desc->Set_Type()) return std::string("refused");
         return DeepText(desc.get(), doc);
       },
       "<< /Type /FontDescriptor >>"},
      {"SubtypeNameSetter",
       [](CPDFObjRegistry* doc) {
         auto image = Empty<CPDFImageXObj>(doc);
         if (!image->Set_Subtype() || !image->Set_Subtype()) return std::string("refused");
         return DeepText(image->CPDFDict::Get(doc, image->Key_Subtype()), doc);
       },
       "/Image"},
      {"TypeNumberSetter",
       [](CPDFObjRegistry* doc) {
         auto pattern = Empty<CPDFType1Pat>(doc);
         if (!pattern->Set_PatternType()) return std::string("refused");
         return DeepText(pattern->CPDFDict::Get(doc, pattern->Key_PatternType()), doc);
       },
       "1"},
  };
}

class AccessorForms : public testing::TestWithParam<AccessorRow> {};

TEST_P(AccessorForms, AnswerAndStoreAsDeclared) {
  const AccessorRow& row = GetParam();
  TestDoc doc;
  std::string expected = row.expected;
  if (expected.find("<none>") == std::string::npos) {
    World want = Build(&doc, expected);
    ASSERT_TRUE(want.subject);
    expected = DeepText(want.subject.get(), &doc);
  }
  EXPECT_EQ(row.use(&doc), expected);
}

INSTANTIATE_TEST_SUITE_P(KitAccessorForms, AccessorForms, testing::ValuesIn(AccessorRows()),
                         [](const testing::TestParamInfo<AccessorRow>& info) {
                           return info.param.name;
                         });

}  // namespace
