// Embedded files: their parameters are typed as the table says, their data
// is taken over unchanged (held in memory or still in the file), and a file
// that refers back to the stream being read leaves the reference as read.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "DocTestSupport.h"
#include "PeriphTestSupport.h"
#include "pdf/document/CPDFEmbedFile.h"
#include "pdf/document/CPDFFileSpec.h"
#include "pdf/object/CPDFStream.h"
#include "tests/pdf/object/TestDoc.h"

namespace {

using periph::Written;

std::string Data(CPDFStream& stream) {
  return std::string(stream.GetData(), static_cast<size_t>(stream.GetDataLength()));
}

int32_t TypeOf(CPDFObject* object) { return object ? object->GetType() : -1; }

TEST(EmbedFileTest, ParametersAreTypedOnlyWhenTheyQualify) {
  TestRegistry doc;
  const struct {
    const char* params;
    bool typed;
    int32_t sizeType;
    bool date;
  } cases[] = {
      {"<< /Size 12 /ModDate (D:20200102) /CreationDate (D:2019) >>", true, CPDFObject::kInteger,
       true},
      {"<< /Size /Big /ModDate (20200102) >>", true, CPDFObject::kName, false},
      {"[/Size 12]", false, CPDFObject::kArray, false},
      {"(params)", false, CPDFObject::kString, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.params);
    auto raw = periph::Parse(std::string("<< /Type /EmbeddedFile /Params ") + c.params +
                                 " /Length 3 >> stream\r\nxyz\r\nendstream\r\nendobj",
                             &doc);
    ASSERT_NE(raw, nullptr);
    const std::string before = Written(raw.get());
    ASSERT_TRUE(CPDFEmbedFile::Check(&doc, raw.get()));
    auto file = periph::LoadAs<CPDFEmbedFile, CPDFStream>(&doc, raw.get());
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(Written(file.get()), before);
    EXPECT_EQ(Data(*file), "xyz");
    CPDFEmbedFileParams* params = file->Get_Params();
    EXPECT_EQ(params != nullptr, c.typed);
    if (!params) {
      EXPECT_EQ(TypeOf(file->Get(&doc, CPDFEmbedFile::Key_Params())), c.sizeType);
      continue;
    }
    EXPECT_EQ(TypeOf(params->Get(&doc, CPDFEmbedFileParams::Key_Size())), c.sizeType);
    EXPECT_EQ(params->Get_ModDate() != nullptr, c.date);
  }

  // Mac is taken over entry for entry.
  auto raw =
      periph::Parse("<< /Mac << /Creator (abcd) /Type (TEXT) /ResFork 9 0 R >> /Size 3 >>", &doc);
  const std::string before = Written(raw.get());
  auto params = periph::LoadAs<CPDFEmbedFileParams, CPDFDict>(&doc, raw.get());
  ASSERT_NE(params, nullptr);
  ASSERT_NE(params->Get_Mac(), nullptr);
  EXPECT_EQ(params->Get_Mac()->GetCount(), 3);
  EXPECT_EQ(Written(params.get()), before);
}

TEST(EmbedFileTest, DataStillInTheFileIsTakenOverAndReadLater) {
  TempFolder folder;
  const std::string path = folder.File("a.pdf");
  TestDoc doc;
  auto object = periph::Parse(
      "<< /Type /EmbeddedFile /Length 5 >> stream\r\nhello\r\nendstream\r\nendobj", &doc);
  ASSERT_NE(object, nullptr);
  CPDFObjRef ref;
  ASSERT_TRUE(doc.RegistObj(object.get(), &ref));
  object.release();
  ASSERT_TRUE(doc.Save(path.c_str(), false, false));
  ASSERT_TRUE(doc.ReleaseObj(ref, true));
  ASSERT_TRUE(doc.Flush());

  auto* read = dynamic_cast<CPDFStream*>(doc.GetObj(ref));
  ASSERT_NE(read, nullptr) << doc.GetError().GetMessage();
  ASSERT_TRUE(read->IsExternal());
  auto file = periph::LoadAs<CPDFEmbedFile, CPDFStream>(&doc, read);
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->IsExternal());
  EXPECT_EQ(Data(*file), "hello");
}

// A stream whose F names a file specification that embeds that very
// stream: while the stream loads the document cannot hand it out, so the
// inner reference stays as read and the load ends.
TEST(EmbedFileTest, AnEmbeddedFileReferringBackToItsStreamStaysAsRead) {
  TempFolder folder;
  const std::string path = folder.File("a.pdf");
  TestDoc doc;
  // The catalog and page tree are objects 1 and 2: the stream is 3, the
  // file specification 4.
  auto stream = periph::Parse(
      "<< /Type /EmbeddedFile /F 4 0 R /Length 3 >> stream\r\nabc\r\nendstream\r\nendobj", &doc);
  auto spec = periph::Parse("<< /Type /Filespec /EF << /F 3 0 R >> >>", &doc);
  ASSERT_NE(stream, nullptr);
  ASSERT_NE(spec, nullptr);
  CPDFObjRef streamRef, specRef;
  ASSERT_TRUE(doc.RegistObj(stream.get(), &streamRef));
  stream.release();
  ASSERT_TRUE(doc.RegistObj(spec.get(), &specRef));
  spec.release();
  ASSERT_EQ(streamRef.GetNumber(), 3);
  ASSERT_EQ(specRef.GetNumber(), 4);
  ASSERT_TRUE(doc.Save(path.c_str(), false, false));
  ASSERT_TRUE(doc.ReleaseObj(streamRef, true));
  ASSERT_TRUE(doc.ReleaseObj(specRef, true));
  ASSERT_TRUE(doc.Flush());

  auto* read = dynamic_cast<CPDFStream*>(doc.GetObj(streamRef));
  ASSERT_NE(read, nullptr) << doc.GetError().GetMessage();
  auto* typedSpec = dynamic_cast<CPDFFileSpec*>(read->Get_F());
  ASSERT_NE(typedSpec, nullptr);
  ASSERT_NE(typedSpec->Get_EF(), nullptr);
  EXPECT_EQ(Written(typedSpec->Get_EF()), "<<\r\n/F 3 0 R\n>>");
}

}  // namespace
