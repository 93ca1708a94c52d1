#include <gtest/gtest.h>

#include <string>

#include "PeriphTestSupport.h"
#include "pdf/document/CPDFFormXObj.h"
#include "pdf/document/CPDFImageXObj.h"
#include "pdf/document/CPDFOPIDict.h"
#include "pdf/document/CPDFPSXObj.h"
#include "pdf/document/CPDFPieceInfoDict.h"
#include "pdf/document/CPDFResDict.h"
#include "pdf/object/CPDFDate.h"
#include "pdf/object/CPDFMatrix.h"
#include "pdf/object/CPDFRect.h"
#include "pdf/object/CPDFStream.h"

using periph::ClonedText;
using periph::Parse;
using periph::Written;

namespace {

std::string Form(const std::string& entries, const std::string& formType = "/FormType 1.0 ") {
  return "<< /Type /XObject /Subtype /Form " + formType + entries +
         " /Length 7 >>stream\r\n0 0 m S\nendstream\nendobj";
}

const char* const kFull =
    "/BBox [0 0 100 50] /Matrix [1 0 0 1 0 0] /Resources << /ProcSet [/PDF] >> /XUID [7 8] "
    "/OPI << /2.0 << /Type /OPI /Version 2 /F (hi.eps) >> >> "
    "/PieceInfo << /Editor << /LastModified (D:20200101) >> >> /LastModified (D:20200102)";

std::unique_ptr<CPDFXObject> Create(TestRegistry& doc, CPDFObject* raw, int32_t mask = -1) {
  return std::unique_ptr<CPDFXObject>(CPDFXObject::CreateXObject(&doc, raw, mask));
}

}  // namespace

TEST(FormXObjTest, LoadsTypedEntriesAndWritesBackUnchanged) {
  TestRegistry doc;
  const std::string text = Form(kFull);
  auto raw = Parse(text, &doc);
  ASSERT_TRUE(raw);
  const std::string before = Written(raw.get());
  auto xobject = Create(doc, raw.get());
  auto* form = dynamic_cast<CPDFFormXObj*>(xobject.get());
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->GetSubtype(), CPDFXObject::kForm);
  EXPECT_STREQ(form->GetNamePrefix().c_str(), "Fm");
  // FormType 1.0 is now the integer 1.
  CPDFObject* formType = form->Get(&doc, CPDFFormXObj::Key_FormType());
  ASSERT_NE(formType, nullptr);
  EXPECT_EQ(formType->GetType(), CPDFObject::kInteger);
  EXPECT_NE(form->Get_BBox(), nullptr);
  EXPECT_NE(form->Get_Matrix(), nullptr);
  EXPECT_NE(form->Get_Resources(), nullptr);
  EXPECT_EQ(form->Get_XUID()->Get(&doc, 1)->GetType(), CPDFObject::kInteger);
  ASSERT_NE(form->Get_OPI(), nullptr);
  EXPECT_EQ(form->Get_OPI()->GetVersionBit(), 2);
  EXPECT_NE(form->Get_PieceInfo(), nullptr);
  EXPECT_NE(form->Get_LastModified(), nullptr);
  EXPECT_EQ(std::string(form->GetData(), 7), "0 0 m S");

  EXPECT_EQ(Written(form), before);
  EXPECT_EQ(ClonedText(form, &doc), before);
  TestRegistry other;
  std::unique_ptr<CPDFFormXObj> copy(form->Clone(&other, &doc));
  ASSERT_TRUE(copy);
  EXPECT_EQ(copy->GetDoc(), &other);
  EXPECT_NE(copy->Get_BBox(), nullptr);
}

TEST(FormXObjTest, CheckAndLoadFailures) {
  TestRegistry doc;
  // FormType is required by the check, though optional in files.
  auto noFormType = Parse(Form(kFull, ""), &doc);
  EXPECT_FALSE(CPDFFormXObj::Check(&doc, dynamic_cast<CPDFDict*>(noFormType.get())));
  EXPECT_FALSE(Create(doc, noFormType.get()));
  for (const char* entries : {"/FormType 2 /BBox [0 0 1 1] /Matrix [1 0 0 1 0 0]",
                              "/FormType 1 /Matrix [1 0 0 1 0 0]", "/FormType 1 /BBox [0 0 1 1]"}) {
    auto raw = Parse(Form(entries, ""), &doc);
    EXPECT_FALSE(CPDFFormXObj::Check(&doc, dynamic_cast<CPDFDict*>(raw.get()))) << entries;
  }
  // No Resources: the check passes, the load fails, and the source keeps
  // its entries and data.
  auto raw = Parse(Form("/BBox [0 0 1 1] /Matrix [1 0 0 1 0 0]"), &doc);
  auto* stream = dynamic_cast<CPDFStream*>(raw.get());
  EXPECT_TRUE(CPDFFormXObj::Check(&doc, stream));
  EXPECT_FALSE(Create(doc, raw.get()));
  EXPECT_TRUE(stream->HasKey("BBox"));
  EXPECT_TRUE(stream->HasKey("Subtype"));
  EXPECT_EQ(std::string(stream->GetData(), 7), "0 0 m S");
  // The form bit alone is needed to make a form.
  raw = Parse(Form(kFull), &doc);
  EXPECT_FALSE(Create(doc, raw.get(), CPDFXObject::kImage | CPDFXObject::kPostScript));
}

TEST(FormXObjTest, UntypedValuesStayAsRead) {
  TestRegistry doc;
  // An OPI dictionary of neither version, a BBox of three numbers and a
  // Resources value that is a name stay as they are; the form still loads.
  const std::string text =
      Form("/BBox [0 0 1] /Matrix [1 0 0 1 0 0] /Resources << >> /OPI << /3.0 << >> >>");
  auto raw = Parse(text, &doc);
  auto xobject = Create(doc, raw.get());
  auto* form = dynamic_cast<CPDFFormXObj*>(xobject.get());
  ASSERT_NE(form, nullptr);
  EXPECT_EQ(form->Get_OPI(), nullptr);
  EXPECT_NE(PDFGetAs<CPDFDict>(form, &doc, "OPI"), nullptr);
  EXPECT_EQ(form->Get_BBox(), nullptr);
  EXPECT_NE(PDFGetAs<CPDFArray>(form, &doc, "BBox"), nullptr);
  EXPECT_EQ(Written(form), Written(Parse(text, &doc).get()));
}

TEST(PSXObjTest, TakesEntriesAndDataOver) {
  TestRegistry doc;
  const std::string text =
      "<< /Type /XObject /Subtype /PS /Length 10 >>stream\r\n0 0 moveto\nendstream\nendobj";
  auto raw = Parse(text, &doc);
  ASSERT_TRUE(raw);
  const std::string before = Written(raw.get());
  auto* stream = dynamic_cast<CPDFStream*>(raw.get());
  EXPECT_TRUE(CPDFPSXObj::Check(&doc, stream));
  EXPECT_FALSE(CPDFFormXObj::Check(&doc, stream));
  auto xobject = Create(doc, raw.get());
  auto* ps = dynamic_cast<CPDFPSXObj*>(xobject.get());
  ASSERT_NE(ps, nullptr);
  EXPECT_EQ(ps->GetDoc(), &doc);
  EXPECT_STREQ(ps->GetNamePrefix().c_str(), "PS");
  EXPECT_EQ(stream->GetCount(), 0);  // taken over, not copied
  EXPECT_EQ(Written(ps), before);
  TestRegistry other;
  std::unique_ptr<CPDFPSXObj> copy(ps->Clone(&other, &doc));
  ASSERT_TRUE(copy);
  EXPECT_EQ(std::string(copy->GetData(), 10), "0 0 moveto");

  // Without Type /XObject it is not an XObject at all.
  auto untyped = Parse("<< /Subtype /PS /Length 0 >>stream\r\nendstream\nendobj", &doc);
  EXPECT_FALSE(CPDFPSXObj::Check(&doc, dynamic_cast<CPDFDict*>(untyped.get())));
}
