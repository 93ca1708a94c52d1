// End to end: a document with a file attachment is written, read back, its
// file specification typed as an owner would, and written again; an
// independent reader then finds the attachment with its bytes and dates.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "DocTestSupport.h"
#include "PeriphTestSupport.h"
#include "pdf/composite/CPDFCatalog.h"
#include "pdf/document/CPDFEmbedFile.h"
#include "pdf/document/CPDFFileSpec.h"
#include "pdf/object/CPDFStream.h"
#include "tests/pdf/object/TestDoc.h"

namespace {

std::string Output(const std::string& command) { return ToolOutput(command); }

template <class T>
T* Registered(TestDoc& doc, const std::string& text, CPDFObjRef* ref) {
  auto object = periph::Parse(text, &doc);
  auto* typed = dynamic_cast<T*>(object.get());
  if (!typed || !doc.RegistObj(object.get(), ref)) return nullptr;
  object.release();
  return typed;
}

TEST(EmbedFileEndToEndTest, AnAttachmentSurvivesReadingTypingAndWritingAgain) {
  if (system("qpdf --version > /dev/null 2>&1") != 0)
    FAIL() << "qpdf is not installed (scripts/setup.sh installs it)";
  TempFolder folder;
  const std::string a = folder.File("a.pdf");
  const std::string b = folder.File("b.pdf");
  const std::string bytes = "hello, attached world\n";
  TestDoc doc;

  CPDFObjRef fileRef, specRef;
  auto* file = Registered<CPDFStream>(
      doc,
      "<< /Type /EmbeddedFile /Params << /Size " + std::to_string(bytes.size()) +
          " /CreationDate (D:20200102030405Z) /ModDate (D:20210607080910Z) /Mac << /Creator "
          "(ttxt) /Type (TEXT) >> >> /Length " +
          std::to_string(bytes.size()) + " >> stream\r\n" + bytes + "\r\nendstream\r\nendobj",
      &fileRef);
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(file->FlateEncode());
  ASSERT_NE(Registered<CPDFDict>(doc,
                                 "<< /Type /Filespec /F (a.txt) /UF (a.txt) /EF << /F " +
                                     std::to_string(fileRef.GetNumber()) + " 0 R >> >>",
                                 &specRef),
            nullptr);
  auto names = periph::Parse(
      "<< /EmbeddedFiles << /Names [(a.txt) " + std::to_string(specRef.GetNumber()) + " 0 R] >> >>",
      &doc);
  ASSERT_NE(names, nullptr);
  ASSERT_TRUE(doc.GetCatalog()->Set(&doc, CPDFName("Names"), names.get(), false, nullptr));
  names.release();

  ASSERT_TRUE(doc.Save(a.c_str(), false, false)) << doc.GetError().GetMessage();
  ASSERT_TRUE(doc.ReleaseObj(fileRef, true));
  ASSERT_TRUE(doc.ReleaseObj(specRef, true));
  ASSERT_TRUE(doc.Flush());

  // Typed as an owner types it: Check, Load, then stored under its number.
  CPDFObject* raw = doc.GetObj(specRef);
  ASSERT_NE(raw, nullptr) << doc.GetError().GetMessage();
  ASSERT_TRUE(CPDFFileSpec::Check(&doc, raw));
  auto spec = periph::LoadAs<CPDFFileSpec, CPDFDict>(&doc, raw);
  ASSERT_NE(spec, nullptr);
  auto* embedded = dynamic_cast<CPDFEmbedFile*>(spec->Get_EF()->Get(&doc, CPDFName("F")));
  ASSERT_NE(embedded, nullptr);
  ASSERT_NE(embedded->Get_Params(), nullptr);
  EXPECT_NE(embedded->Get_Params()->Get_CreationDate(), nullptr);
  EXPECT_NE(embedded->Get_Params()->Get_Size(), nullptr);
  EXPECT_NE(embedded->Get_Params()->Get_Mac(), nullptr);
  CPDFObjRef same = specRef;
  ASSERT_TRUE(doc.RegistObj(spec.get(), &same));
  spec.release();
  EXPECT_EQ(same, specRef);

  ASSERT_TRUE(doc.Save(b.c_str(), false, false)) << doc.GetError().GetMessage();
  ASSERT_TRUE(doc.Flush());

  std::string report;
  EXPECT_TRUE(QpdfAccepts(b, &report)) << report;
  EXPECT_EQ(Output("qpdf --show-attachment=a.txt '" + b + "'"), bytes);
  const std::string listing = Output("qpdf --list-attachments --verbose '" + b + "'");
  EXPECT_NE(listing.find("D:20200102030405Z"), std::string::npos) << listing;
  EXPECT_NE(listing.find("D:20210607080910Z"), std::string::npos) << listing;
}

}  // namespace
