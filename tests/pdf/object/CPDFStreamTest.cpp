#include "pdf/object/CPDFStream.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "CPDFStreamTestSupport.h"
#include "TestDoc.h"
#include "TestRegistry.h"
#include "pdf/object/CPDFCrypt.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFNull.h"
#include "pdf/object/CPDFOutStream.h"

namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct Parsed {
  std::unique_ptr<CPDFObject> object;
  std::string error;
  int32_t code = 0;
  int32_t position = 0;
  CPDFStream* stream() { return dynamic_cast<CPDFStream*>(object.get()); }
};

Parsed Parse(const std::string& text, CPDFObjRegistry* doc = nullptr,
             const uint8_t* context = nullptr) {
  Parsed p;
  CPDFMemInStream in;
  in.Open(text.data(), static_cast<int32_t>(text.size()), 16);
  try {
    p.object.reset(CPDFObject::SerializeObject(doc, in, context));
  } catch (CPDFException* e) {
    p.error = e->GetMessage();
    p.code = e->GetCode();
    delete e;
  }
  p.position = in.GetPosition();
  return p;
}

// A registry whose document has a file.
class FileRegistry : public TestRegistry {
 public:
  const char* GetFileName() const override { return path.c_str(); }
  std::string path;
};

TEST(CPDFStreamTest, WriteLayout) {
  CPDFStream empty;
  EXPECT_EQ(512, empty.GetType());
  EXPECT_STREQ("Stream", empty.GetTypeName());
  EXPECT_EQ("<<\r\n>>\r\nstream\r\nendstream", Written(empty));
  ASSERT_TRUE(empty.SetData(nullptr, 0));
  EXPECT_EQ("<<\r\n/Length 0\n>>\r\nstream\r\nendstream", Written(empty));

  CPDFStream s;
  ASSERT_TRUE(s.SetData("abc", 3));
  EXPECT_EQ("<<\r\n/Length 3\n>>\r\nstream\r\nabc\r\nendstream", Written(s));
  // Data ending in an end of line get none added; Length counts data only.
  ASSERT_TRUE(s.SetData("ab\n", 3));
  EXPECT_EQ("<<\r\n/Length 3\n>>\r\nstream\r\nab\nendstream", Written(s));
  ASSERT_TRUE(s.SetData("ab\r", 3));
  EXPECT_EQ("<<\r\n/Length 3\n>>\r\nstream\r\nab\rendstream", Written(s));

  ASSERT_TRUE(s.SetData("hello hello hello", 17));
  ASSERT_TRUE(s.FlateEncode());
  const std::string flate = Written(s);
  EXPECT_EQ(0u, flate.find("<<\r\n/Filter /FlateDecode\n/Length " + std::to_string(s.GetLength()) +
                           "\n>>\r\nstream\r\n\x78\x9C"));
}

TEST(CPDFStreamTest, DataAndLengthFollowEachOther) {
  CPDFStream s;
  ASSERT_TRUE(s.SetData(3, 'x'));
  ASSERT_TRUE(s.Append("yz", 2));
  ASSERT_TRUE(s.Insert(0, "<", 1));
  ASSERT_TRUE(s.Insert(-1, ">", 1));
  ASSERT_TRUE(s.Insert(100, "!", 1));
  EXPECT_TRUE(s.Insert(-2, "?", 1));  // does nothing
  EXPECT_EQ("<xxxyz>!", Data(s));
  EXPECT_EQ(8, s.GetLength());
  // Its own bytes as the source.
  ASSERT_TRUE(s.SetData(s.GetData() + 1, 3));
  EXPECT_EQ("xxx", Data(s));
  ASSERT_TRUE(s.Append(s.GetData(), 3));
  EXPECT_EQ("xxxxxx", Data(s));

  // A Length beyond the bytes held is clamped everywhere; a negative one is
  // 0. The written file states the count actually written.
  s.SetLength(1000);
  EXPECT_EQ(6, s.GetDataLength());
  EXPECT_EQ("<<\r\n/Length 6\n>>\r\nstream\r\nxxxxxx\r\nendstream", Written(s));
  EXPECT_EQ(6, s.GetLength());
  s.SetLength(-5);
  EXPECT_EQ(0, s.GetDataLength());
  EXPECT_EQ("<<\r\n/Length 0\n>>\r\nstream\r\nendstream", Written(s));

  s.Clear();
  EXPECT_EQ(0, s.GetCount());
  EXPECT_EQ("", Data(s));
}

TEST(CPDFStreamTest, ReadingTheBody) {
  Parsed p = Parse("<< /Length 3 >>\nstream\r\nabc\r\nendstream\r\nendobj");
  ASSERT_TRUE(p.stream()) << p.error;
  EXPECT_EQ("abc", Data(*p.stream()));
  EXPECT_EQ(5, p.stream()->GetBuffer().GetLength());  // the EOL is kept in the buffer
  EXPECT_TRUE(p.stream()->IsLoaded());
  EXPECT_EQ(CPDFObject::kInteger, p.stream()->Get_Length()->GetType());
  EXPECT_EQ(38, p.position);  // just after "endstream"

  // Appending after a read goes right behind the data, not the EOL.
  ASSERT_TRUE(p.stream()->Append("XY", 2));
  EXPECT_EQ("<<\r\n/Length 5\n>>\r\nstream\r\nabcXY\r\nendstream", Written(*p.stream()));

  // CR alone ends the keyword's line; LF alone as well.
  p = Parse("<</Length 2>> stream\rab\nendstream endobj");
  ASSERT_TRUE(p.stream()) << p.error;
  EXPECT_EQ("ab\n", std::string(p.stream()->GetBuffer().c_str()));
  p = Parse("<</Length 2>> stream\nab endstream endobj");
  ASSERT_TRUE(p.stream());
  EXPECT_EQ("ab", Data(*p.stream()));

  // A Length shorter than the body: written back with Length bytes + CR LF.
  p = Parse("<</Length 2>>stream\nabcdef\nendstream\nendobj");
  ASSERT_TRUE(p.stream());
  EXPECT_EQ("<<\r\n/Length 2\n>>\r\nstream\r\nab\r\nendstream", Written(*p.stream()));

  // "endstream" inside the data without "endobj" is passed over (the wrong
  // Length makes the reader search).
  p = Parse("<</Length 99>>stream\nX endstream Y\nendstream\nendobj");
  ASSERT_TRUE(p.stream()) << p.error;
  EXPECT_EQ("X endstream Y\n", std::string(p.stream()->GetBuffer().c_str()));
  // With a right Length even "endstream endobj" inside the data is kept.
  const std::string inner = "A\nendstream\nendobj\nB";
  p = Parse("<</Length " + std::to_string(inner.size()) + ">>stream\n" + inner +
            "\nendstream\nendobj");
  ASSERT_TRUE(p.stream()) << p.error;
  EXPECT_EQ(inner, Data(*p.stream()));

  // Errors.
  p = Parse("<</Length 1>>stream x\nendstream endobj");
  EXPECT_EQ("invalidtoken:  ", p.error);
  EXPECT_EQ(4, p.code);
  p = Parse("<</Length 1>>stream\nabc endstream");
  EXPECT_EQ("ioerror", p.error);
  p = Parse("<</Length 1>>stream");
  EXPECT_EQ("ioerror", p.error);
  p = Parse("<</Other 1>>stream\nabc\nendstream endobj");
  EXPECT_EQ(5, p.code);
  // A dictionary not followed by "stream" stays a dictionary, also before
  // another word that starts with 's'; the input stays before that word.
  p = Parse("<</Length 1>> endobj");
  ASSERT_TRUE(p.object);
  EXPECT_EQ(CPDFObject::kDictionary, p.object->GetType());
  p = Parse("<</Size 3>>\r\nstartxref\r\n0");
  ASSERT_TRUE(p.object) << p.error;
  EXPECT_EQ(CPDFObject::kDictionary, p.object->GetType());
  EXPECT_EQ(13, p.position);
}

TEST(CPDFStreamTest, IndirectLengthIsConvertedInPlace) {
  TestDoc doc;
  CPDFObjRef ref;
  ASSERT_TRUE(doc.RegistObj(Parse("3").object.release(), &ref));
  Parsed p =
      Parse("<</Length " + std::to_string(ref.GetNumber()) + " 0 R>>stream\nabc\nendstream\nendobj",
            &doc);
  ASSERT_TRUE(p.stream()) << p.error;
  CPDFObjRef got;
  ASSERT_TRUE(p.stream()->Get_Length(&got));
  EXPECT_EQ(ref.GetNumber(), got.GetNumber());
  EXPECT_EQ(CPDFObject::kInteger, doc.GetObj(ref)->GetType());
  EXPECT_EQ("abc", Data(*p.stream()));
}

TEST(CPDFStreamTest, ANegativeLengthIsAWrongOneAndTheDataRunToEndstream) {
  // Direct, or through a reference: the data are every byte before the end
  // of line that precedes "endstream", and Length becomes their count, so
  // they are written back whole and nothing more. A Length longer than the
  // bytes before "endstream" is as wrong.
  for (const char* length : {"-5", "-1", "-2147483648", "-7.5", "7", "100", "2147483647"}) {
    Parsed p = Parse(std::string("<</Length ") + length + ">>stream\nhello\nendstream\nendobj");
    ASSERT_TRUE(p.stream()) << length << ": " << p.error;
    EXPECT_EQ("hello", Data(*p.stream())) << length;
    EXPECT_EQ(5, p.stream()->GetLength());
    EXPECT_EQ("<<\r\n/Length 5\n>>\r\nstream\r\nhello\r\nendstream", Written(*p.stream()));
  }
  // One end of line is the marker, whichever kind; a second is data.
  const struct {
    const char* body;
    const char* data;
  } bodies[] = {{"ABCD\r\n", "ABCD"},
                {"ABCD\r", "ABCD"},
                {"ABCD", "ABCD"},
                {"ABCD\n\n", "ABCD\n"},
                {"ABCD\n\r\n", "ABCD\n"},
                {"\n", ""},
                {"", ""},
                {"\r\n", ""},
                {"\n\r", "\n"}};
  for (const auto& c : bodies) {
    for (const char* length : {"-1", "9"}) {
      Parsed p =
          Parse(std::string("<</Length ") + length + ">>stream\n" + c.body + "endstream\nendobj");
      ASSERT_TRUE(p.stream()) << c.body << ": " << p.error;
      EXPECT_EQ(c.data, Data(*p.stream())) << c.body << length;
      EXPECT_EQ(static_cast<int32_t>(std::strlen(c.data)), p.stream()->GetLength()) << c.body;
    }
  }
  // A Length that reaches "endstream" exactly stays, whatever its last byte.
  Parsed exact = Parse("<</Length 5>>stream\nABCD\nendstream\nendobj");
  ASSERT_TRUE(exact.stream()) << exact.error;
  EXPECT_EQ("ABCD\n", Data(*exact.stream()));
  TestDoc doc;
  CPDFObjRef ref;
  ASSERT_TRUE(doc.RegistObj(Parse("-5").object.release(), &ref));
  Parsed p = Parse(
      "<</Length " + std::to_string(ref.GetNumber()) + " 0 R>>stream\r\nab\ncd endstream endobj",
      &doc);
  ASSERT_TRUE(p.stream()) << p.error;
  EXPECT_EQ("ab\ncd ", Data(*p.stream()));
  CPDFObjRef got;
  ASSERT_TRUE(p.stream()->Get_Length(&got));
  EXPECT_EQ(ref.GetNumber(), got.GetNumber());
  EXPECT_EQ(6, static_cast<CPDFNumber*>(doc.GetObj(ref))->GetInt());
  // Zero stays what it says: an empty stream.
  p = Parse("<</Length 0>>stream\nabc\nendstream\nendobj");
  ASSERT_TRUE(p.stream()) << p.error;
  EXPECT_EQ("", Data(*p.stream()));
}

class CPDFStreamFileTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    doc_.path = dir_ + "/in.pdf";
    text_ = "1 0 obj\n<</Length 5>>stream\r\nhello\r\nendstream\r\nendobj\r\n";
    FILE* f = std::fopen(doc_.path.c_str(), "wb");
    ASSERT_TRUE(f);
    std::fwrite(text_.data(), 1, text_.size(), f);
    std::fclose(f);
  }
  std::unique_ptr<CPDFStream> ReadFromFile() {
    CPDFFileInStream in;
    EXPECT_TRUE(in.Open(doc_.path.c_str(), "rb"));
    in.Seek(8);
    std::unique_ptr<CPDFObject> o(CPDFObject::SerializeObject(&doc_, in, nullptr));
    return std::unique_ptr<CPDFStream>(dynamic_cast<CPDFStream*>(o.release()));
  }
  FileRegistry doc_;
  std::string text_;
};

TEST_F(CPDFStreamFileTest, ExternalDataStaysInTheFileUntilNeeded) {
  std::unique_ptr<CPDFStream> s = ReadFromFile();
  ASSERT_TRUE(s);
  EXPECT_TRUE(s->IsExternal());
  EXPECT_EQ(static_cast<int32_t>(text_.find("hello")), s->GetSourceOffset());
  EXPECT_EQ(7, s->GetSourceLength());
  EXPECT_EQ(0, s->GetBuffer().GetLength());
  // Copied unchanged, with no end of line added.
  EXPECT_EQ("<<\r\n/Length 5\n>>\r\nstream\r\nhello\r\nendstream", Written(*s));
  EXPECT_TRUE(s->IsExternal());

  // A copy within the document keeps the extent; into another one, the bytes.
  std::unique_ptr<CPDFObject> same(s->Clone(&doc_, &doc_));
  ASSERT_TRUE(same);
  EXPECT_TRUE(static_cast<CPDFStream*>(same.get())->IsExternal());
  TestDoc other;
  std::unique_ptr<CPDFObject> copy(s->Clone(&other, &doc_));
  ASSERT_TRUE(copy);
  EXPECT_FALSE(static_cast<CPDFStream*>(copy.get())->IsExternal());
  EXPECT_EQ("hello", Data(*static_cast<CPDFStream*>(copy.get())));

  ASSERT_TRUE(s->Append("!", 1));
  EXPECT_FALSE(s->IsExternal());
  EXPECT_EQ("hello!", Data(*s));
}

TEST_F(CPDFStreamFileTest, ANegativeLengthInAFileKeepsEveryByte) {
  text_ = "1 0 obj\n<</Length -5>>stream\r\nhello\r\nendstream\r\nendobj\r\n";
  FILE* f = std::fopen(doc_.path.c_str(), "wb");
  ASSERT_TRUE(f);
  std::fwrite(text_.data(), 1, text_.size(), f);
  std::fclose(f);
  std::unique_ptr<CPDFStream> s = ReadFromFile();
  ASSERT_TRUE(s);
  EXPECT_TRUE(s->IsExternal());
  // The extent keeps every byte up to "endstream"; Length counts the data.
  EXPECT_EQ(7, s->GetSourceLength());
  EXPECT_EQ(5, s->GetLength());
  EXPECT_EQ("<<\r\n/Length 5\n>>\r\nstream\r\nhello\r\nendstream", Written(*s));
  EXPECT_EQ("hello", Data(*s));
  EXPECT_EQ("<<\r\n/Length 5\n>>\r\nstream\r\nhello\r\nendstream", Written(*s));
}

TEST_F(CPDFStreamFileTest, DataOfAnotherFileAreCopiedFromThereWhenWritten) {
  // A body larger than one copy piece, ending without an end of line.
  std::string body(200000, '\0');
  for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>('a' + i % 23);
  const std::string path = dir_ + "/image.bin";
  const std::string file = "HEAD" + body + "TAIL";
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_TRUE(f);
  std::fwrite(file.data(), 1, file.size(), f);
  std::fclose(f);

  CPDFStream s(&doc_);
  ASSERT_TRUE(s.SetLength(static_cast<int32_t>(body.size())));
  EXPECT_FALSE(s.SetSourceFile("", 4, 10));
  EXPECT_FALSE(s.SetSourceFile(path.c_str(), -1, 10));
  ASSERT_TRUE(s.SetSourceFile(path.c_str(), 4, static_cast<int32_t>(body.size())));
  EXPECT_TRUE(s.IsExternal());
  EXPECT_EQ(path, s.GetSourceFile());
  EXPECT_EQ(0, s.GetBuffer().GetLength());
  const std::string expected = "<<\r\n/Length 200000\n>>\r\nstream\r\n" + body + "\r\nendstream";
  EXPECT_EQ(expected, Written(s));
  EXPECT_TRUE(s.IsExternal());  // nothing was held

  // Into a file the kernel copies the bytes; the stream's position and the
  // bytes written before and after are kept, whether the output was
  // opened to write (copied in the kernel) or to append (written).
  for (const char* mode : {"wb", "ab"}) {
    SCOPED_TRACE(mode);
    const std::string outPath = dir_ + "/out.bin";
    ::unlink(outPath.c_str());
    CPDFFileOutStream fileOut;
    ASSERT_TRUE(fileOut.Open(outPath.c_str(), mode, 16));
    fileOut.Write("before", 6);  // held in the stream's buffer
    s.Write(fileOut, nullptr);
    EXPECT_EQ(static_cast<int32_t>(6 + expected.size()), fileOut.GetPosition());
    fileOut.Write("after", 5);
    ASSERT_TRUE(fileOut.Close());
    EXPECT_EQ("before" + expected + "after", ReadFile(outPath));
  }

  // Copies keep the file, in any document; the document's own extent is
  // another thing and clears it.
  TestDoc other;
  std::unique_ptr<CPDFObject> copy(s.Clone(&other, &doc_));
  ASSERT_TRUE(copy);
  auto* copied = static_cast<CPDFStream*>(copy.get());
  EXPECT_EQ(path, copied->GetSourceFile());
  EXPECT_EQ(body, Data(*copied));
  EXPECT_FALSE(copied->IsExternal());
  CPDFStream taken(&doc_);
  ASSERT_TRUE(taken.Assign(&doc_, &s));
  EXPECT_EQ(path, taken.GetSourceFile());
  EXPECT_TRUE(s.GetSourceFile().empty());
  ASSERT_TRUE(taken.SetExtent(0, 3));
  EXPECT_TRUE(taken.GetSourceFile().empty());

  // A file that has become shorter fails the write, saying so, instead of
  // giving a stream shorter than its Length.
  CPDFStream cut(&doc_);
  ASSERT_TRUE(cut.SetLength(static_cast<int32_t>(body.size())));
  ASSERT_TRUE(cut.SetSourceFile(path.c_str(), 4, static_cast<int32_t>(body.size())));
  ASSERT_EQ(0, ::truncate(path.c_str(), 100000));
  auto failure = [](CPDFStream& stream) {
    CPDFStrOutStream out;
    out.Open();
    std::string message;
    try {
      stream.Write(out, nullptr);
    } catch (CPDFException* e) {
      message = std::string(e->GetClassName()) + "::" + e->GetMethodName() + ": " + e->GetMessage();
      delete e;
    }
    return message;
  };
  EXPECT_EQ(failure(cut),
            "CPDFStream::Write: the file " + path + " changed or was cut short after it was read");
  EXPECT_FALSE(cut.LoadData());
  ::unlink(path.c_str());
  EXPECT_FALSE(cut.LoadData());
  EXPECT_TRUE(cut.IsExternal());
  EXPECT_EQ(failure(cut).rfind("CPDFStream::Write: cannot open " + path + " again: ", 0), 0u);

  // Given the stamp of the file as it was read, a file replaced since by
  // one as long (or longer) is refused as well, and so is its copy; the
  // file as it was is still copied.
  auto write = [&](const std::string& bytes) {
    FILE* out = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), out);
    std::fclose(out);
  };
  write(file);
  struct stat info;
  ASSERT_EQ(0, ::stat(path.c_str(), &info));
  CPDFStream stamped(&doc_);
  ASSERT_TRUE(stamped.SetLength(static_cast<int32_t>(body.size())));
  ASSERT_TRUE(stamped.SetSourceFile(path.c_str(), 4, static_cast<int32_t>(body.size()),
                                    FileStamp::Of(info)));
  EXPECT_EQ(failure(stamped), "");
  std::unique_ptr<CPDFObject> stampedCopy(stamped.Clone(&doc_, &doc_));
  ASSERT_TRUE(stampedCopy);
  const std::string replacement = dir_ + "/replacement.bin";
  ASSERT_EQ(0, ::rename(path.c_str(), replacement.c_str()));
  write(file + "more");
  EXPECT_EQ(failure(stamped),
            "CPDFStream::Write: the file " + path + " changed or was cut short after it was read");
  EXPECT_FALSE(stamped.LoadData());
  EXPECT_TRUE(stamped.IsExternal());
  EXPECT_EQ(failure(*static_cast<CPDFStream*>(stampedCopy.get())),
            "CPDFStream::Write: the file " + path + " changed or was cut short after it was read");
  ::unlink(path.c_str());
  ::unlink(replacement.c_str());
}

TEST_F(CPDFStreamFileTest, FailedLoadKeepsTheExtent) {
  std::unique_ptr<CPDFStream> s = ReadFromFile();
  ASSERT_TRUE(s);
  doc_.path = dir_ + "/missing.pdf";
  EXPECT_FALSE(s->LoadData());
  EXPECT_EQ(nullptr, s->GetData());
  EXPECT_TRUE(s->IsExternal());
  EXPECT_EQ(5, s->GetLength());
  CPDFStrOutStream out;
  out.Open();
  bool thrown = false;
  try {
    s->Write(out, nullptr);
  } catch (CPDFStream* failed) {
    thrown = failed == s.get();
  }
  EXPECT_TRUE(thrown);
  // A file shorter than the extent fails as well.
  doc_.path = dir_ + "/short.pdf";
  FILE* f = std::fopen(doc_.path.c_str(), "wb");
  std::fwrite("abc", 1, 3, f);
  std::fclose(f);
  EXPECT_FALSE(s->LoadData());
  EXPECT_TRUE(s->IsExternal());
  // A document without a file name never reads standard input.
  doc_.path = "";
  EXPECT_FALSE(s->LoadData());
}

TEST(CPDFStreamTest, EncryptionIsDeterministicAndLeavesDataPlain) {
  uint8_t key[5] = {1, 2, 3, 4, 5};
  uint8_t context[kObjKeySize];
  MakeObjKey(context, key, CPDFObjRef(7, 0));
  CPDFStream s;
  const std::string plain = RandomBytes(10000, 11);
  ASSERT_TRUE(s.SetData(plain.data(), static_cast<int32_t>(plain.size())));
  const std::string once = Written(s, context);
  const std::string twice = Written(s, context);
  EXPECT_EQ(once, twice);
  EXPECT_EQ(plain, Data(s));
  EXPECT_EQ(std::string::npos, once.find(plain.substr(0, 64)));
  // Read back with the same context gives the plain bytes.
  Parsed p = Parse(once + "\r\nendobj", nullptr, context);
  ASSERT_TRUE(p.stream()) << p.error;
  EXPECT_EQ(plain, Data(*p.stream()));
}

TEST(CPDFStreamTest, RecordingFilters) {
  // /A with parameters: the new filter and a null go in front.
  Parsed p = Parse("<</Filter /A /DecodeParms <</X 1>> /Length 0>>stream\nendstream endobj");
  ASSERT_TRUE(p.stream());
  CPDFStream& s = *p.stream();
  ASSERT_TRUE(s.EncodeFilter(CPDFName("N"), nullptr));
  EXPECT_EQ(
      "<<\r\n/DecodeParms [null <<\r\n/X 1\n>>]\n/Filter [/N /A]\n/Length 0\n>>"
      "\r\nstream\r\nendstream",
      Written(s));
  // Into existing arrays.
  CPDFDict* params = new CPDFDict;
  ASSERT_TRUE(s.EncodeFilter(CPDFName("M"), params));
  EXPECT_EQ(
      "<<\r\n/DecodeParms [<<\r\n>> null <<\r\n/X 1\n>>]\n/Filter [/M /N /A]\n/Length 0\n>>"
      "\r\nstream\r\nendstream",
      Written(s));

  // Two encodes: the last one is read first.
  CPDFStream t;
  const std::string data = RandomBytes(5000, 5, 4);
  ASSERT_TRUE(t.SetData(data.data(), static_cast<int32_t>(data.size())));
  ASSERT_TRUE(t.FlateEncode());
  ASSERT_TRUE(t.ASCII85Encode());
  EXPECT_EQ(0u, Written(t).find("<<\r\n/Filter [/ASCII85Decode /FlateDecode]\n/Length "));
  EXPECT_FALSE(t.HasKey(CPDFStream::Key_DecodeParms()));
  ASSERT_TRUE(t.DecodeAllFilter());
  EXPECT_EQ(data, Data(t));
  EXPECT_FALSE(t.HasKey(CPDFStream::Key_Filter()));

  // An empty stream gains the record and stays empty.
  CPDFStream e;
  ASSERT_TRUE(e.SetData(nullptr, 0));
  ASSERT_TRUE(e.FlateEncode());
  EXPECT_EQ("<<\r\n/Filter /FlateDecode\n/Length 0\n>>\r\nstream\r\nendstream", Written(e));
  ASSERT_TRUE(e.DecodeAllFilter());
  EXPECT_EQ("<<\r\n/Length 0\n>>\r\nstream\r\nendstream", Written(e));
}

TEST(CPDFStreamTest, IndirectFilterArraysAreMarkedChanged) {
  TestRegistry doc;
  CPDFObjRef filterRef, parmsRef;
  ASSERT_TRUE(doc.RegistObj(Parse("[/FlateDecode]").object.release(), &filterRef));
  ASSERT_TRUE(doc.RegistObj(Parse("[null]").object.release(), &parmsRef));
  Parsed p = Parse("<</Filter 1 0 R /DecodeParms 2 0 R /Length 0>>stream\nendstream endobj", &doc);
  ASSERT_TRUE(p.stream()) << p.error;
  ASSERT_TRUE(p.stream()->EncodeFilter(CPDFName("ASCII85Decode"), nullptr));
  EXPECT_EQ((std::vector<int32_t>{1, 2}), doc.updated);
  EXPECT_EQ("[/ASCII85Decode /FlateDecode]", Written(doc.GetObj(filterRef)));
  EXPECT_EQ("[null null]", Written(doc.GetObj(parmsRef)));
}

TEST(CPDFStreamTest, DecodingALongFilterArrayLeavesWhatOneRemovalAtATimeWould) {
  // Each codec finds its own parameters as element 0: the Flate step sees
  // its predictor (which it refuses) and fails; the two filters applied and
  // their parameters are gone, the rest stays.
  Parsed p = Parse(
      "<</Filter [/ASCIIHexDecode /ASCIIHexDecode /FlateDecode /X] /DecodeParms [null <<>> "
      "<</Predictor 12>> <</Y 1>>] /Length 10>>stream\n343134323E\nendstream endobj");
  ASSERT_TRUE(p.stream()) << p.error;
  EXPECT_FALSE(p.stream()->DecodeAllFilter());
  EXPECT_EQ("AB", Data(*p.stream()).substr(0, 2));
  EXPECT_EQ(0u, Written(*p.stream())
                    .find("<<\r\n/DecodeParms [<<\r\n/Predictor 12\n>> <<\r\n/Y 1\n>>]\n"
                          "/Filter [/FlateDecode /X]\n"));
  // A shorter parameter array empties first; a name that is no filter
  // stops the walk there.
  p = Parse(
      "<</Filter [/ASCIIHexDecode /ASCIIHexDecode /Bad] /DecodeParms [null] /Length 0>>"
      "stream\nendstream endobj");
  ASSERT_TRUE(p.stream()) << p.error;
  CPDFException error;
  EXPECT_FALSE(p.stream()->DecodeAllFilter(&error));
  EXPECT_STREQ("unknown filter: Bad", error.GetMessage());
  EXPECT_EQ(0u, Written(*p.stream()).find("<<\r\n/DecodeParms []\n/Filter [/Bad]\n"));
  // A non-name stops it the same way.
  p = Parse("<</Filter [/ASCIIHexDecode 5 /ASCIIHexDecode] /Length 0>>stream\nendstream endobj");
  ASSERT_TRUE(p.stream()) << p.error;
  error = CPDFException();
  EXPECT_FALSE(p.stream()->DecodeAllFilter(&error));
  EXPECT_STREQ("typecheck: Number", error.GetMessage());
  EXPECT_EQ(0u, Written(*p.stream()).find("<<\r\n/Filter [5 /ASCIIHexDecode]\n"));

  // 200,000 filters over empty data, each with its parameters: every one is
  // applied and both arrays go, without moving the rest once per filter.
  std::string filters, parms;
  for (int i = 0; i < 200000; ++i) {
    filters += "/ASCIIHexDecode ";
    parms += "null ";
  }
  TestRegistry doc;
  CPDFObjRef parmsRef;
  ASSERT_TRUE(doc.RegistObj(Parse("[" + parms + "]").object.release(), &parmsRef));
  p = Parse("<</Filter [" + filters + "] /DecodeParms [1 0 R " + parms +
                "] /Length 0>>stream\nendstream endobj",
            &doc);
  ASSERT_TRUE(p.stream()) << p.error;
  ASSERT_TRUE(p.stream()->DecodeAllFilter());
  EXPECT_EQ("<<\r\n/Length 0\n>>\r\nstream\r\nendstream", Written(*p.stream()));
  // A reference among the parameters dropped its object, as a removal does.
  EXPECT_EQ(doc.GetObj(parmsRef), nullptr);
}

TEST(CPDFStreamTest, FilterErrors) {
  CPDFException error;
  Parsed p =
      Parse("<</Filter [/FlateDecode] /DecodeParms <<>> /Length 3>>stream\nabc\nendstream endobj");
  ASSERT_TRUE(p.stream());
  EXPECT_FALSE(p.stream()->DecodeAllFilter(&error));
  EXPECT_EQ(4, error.GetCode());
  EXPECT_STREQ("DecodeAllFilter", error.GetMethodName());
  EXPECT_STREQ("typecheck: Dictionary", error.GetMessage());

  error = CPDFException();
  p = Parse("<</Filter /Foo /Length 3>>stream\nabc\nendstream endobj");
  EXPECT_FALSE(p.stream()->DecodeAllFilter(&error));
  EXPECT_EQ(4, error.GetCode());
  EXPECT_STREQ("DecodeFilter", error.GetMethodName());
  EXPECT_STREQ("unknown filter: Foo", error.GetMessage());
  EXPECT_EQ("abc", Data(*p.stream()));
  EXPECT_TRUE(p.stream()->HasKey(CPDFStream::Key_Filter()));

  // Corrupt Flate data fail and stay as they were.
  error = CPDFException();
  p = Parse("<</Filter /FlateDecode /Length 4>>stream\nxyzw\nendstream endobj");
  EXPECT_FALSE(p.stream()->DecodeAllFilter(&error));
  EXPECT_STREQ("CPDFStream", error.GetClassName());
  EXPECT_STREQ("FlateDecode", error.GetMethodName());
  EXPECT_EQ(5, error.GetCode());
  EXPECT_STREQ("Decode()", error.GetMessage());
  EXPECT_EQ("xyzw", Data(*p.stream()));

  // Encode failures.
  error = CPDFException();
  CPDFStream s;
  s.SetData("abc", 3);
  EXPECT_FALSE(s.DCTEncode(75, &error));
  EXPECT_STREQ("DCTEncode", error.GetMethodName());
  EXPECT_STREQ("Encode", error.GetMessage());
  EXPECT_FALSE(s.HasKey(CPDFStream::Key_Filter()));
  EXPECT_EQ("abc", Data(s));
  EXPECT_FALSE(s.FlateDecode());  // no record: only the result
}

TEST(CPDFStreamTest, AssignTakesTheBufferAndLeavesAFreshOne) {
  CPDFStream a, b;
  ASSERT_TRUE(b.SetData("data", 4));
  ASSERT_TRUE(a.Assign(nullptr, &b));
  EXPECT_EQ("data", Data(a));
  EXPECT_EQ("", std::string(b.GetData()));
  EXPECT_TRUE(b.Append("x", 1));
}

TEST(CPDFStreamTest, RandomBodiesNeverBreakTheReader) {
  // Pieces that look like the end of a body, in random order and with
  // random Length values: the reader either fails cleanly or gives a stream
  // whose data are a prefix of the body it found (all of it but the end of
  // line before "endstream" when Length is negative).
  const char* pieces[] = {"endstream", "endobj", "\r\n", "\n", "\r", " ", "stream", "x", "%c\n"};
  std::mt19937 rng(99);
  for (int round = 0; round < 2000; ++round) {
    std::string body;
    const int n = static_cast<int>(rng() % 12);
    for (int i = 0; i < n; ++i) body += pieces[rng() % 9];
    const int length = static_cast<int>(rng() % 40) - 5;
    std::string text =
        "<</Length " + std::to_string(length) + ">>stream" + (rng() % 2 ? "\r\n" : "\n");
    const size_t start = text.size();
    text += body;
    if (rng() % 2) text += "\nendstream\nendobj";
    Parsed p = Parse(text);
    if (!p.stream()) continue;
    const std::string data = Data(*p.stream());
    if (length < 0) {
      const TempHugeString& held = p.stream()->GetBuffer();
      const std::string tail = std::string(held.c_str(), held.GetLength()).substr(data.size());
      EXPECT_TRUE(tail.empty() || tail == "\n" || tail == "\r" || tail == "\r\n") << tail;
    } else {
      EXPECT_LE(static_cast<int32_t>(data.size()), length);
    }
    EXPECT_EQ(data, text.substr(start, data.size()));
    const std::string again = Written(*p.stream());
    EXPECT_EQ(0u, again.find("<<\r\n/Length "));
  }
}

class CPDFStreamLargeTest : public TempDirTest {};

TEST_F(CPDFStreamLargeTest, LargeDataMovesToAFileAndBack) {
  const std::string data = RandomBytes(300000, 21, 16);
  {
    CPDFStream s;
    ASSERT_TRUE(s.SetData(data.data(), static_cast<int32_t>(data.size())));
    ASSERT_TRUE(s.GetBuffer().IsMapped());
    EXPECT_EQ(1u, OpenFiles().size());
    ASSERT_TRUE(s.FlateEncode());
    ASSERT_TRUE(s.RunLengthEncode());
    ASSERT_TRUE(s.ASCIIHexEncode());
    ASSERT_TRUE(s.DecodeAllFilter());
    EXPECT_EQ(data, Data(s));
  }
  EXPECT_TRUE(OpenFiles().empty());
  EXPECT_TRUE(Entries().empty());
}

TEST_F(CPDFStreamLargeTest, FullDiskFailsCleanly) {
  // A file size limit stands in for a full disk.
  FileSizeLimit limit(1 << 20);
  ASSERT_TRUE(limit.IsSet());

  // Growing mapped data past the limit loses them: Length follows (0).
  CPDFStream s;
  const bool first = s.Append(512 << 10, 'a');
  const bool second = s.Append(1 << 20, 'b');
  const int32_t lengthAfter = s.GetLength();
  const std::string dataAfter = Data(s);
  const bool emptyDir = Entries().empty();
  // A first reservation beyond the limit fails and keeps the heap data.
  CPDFStream t;
  const bool small1 = t.SetData("abc", 3);
  const bool big = t.Append(2 << 20, 'x');
  const std::string tData = Data(t);

  limit.Lift();

  EXPECT_TRUE(first);
  EXPECT_FALSE(second);
  EXPECT_EQ(0, lengthAfter);
  EXPECT_EQ("", dataAfter);
  EXPECT_TRUE(emptyDir);
  EXPECT_TRUE(small1);
  EXPECT_FALSE(big);
  EXPECT_EQ("abc", tData);
  EXPECT_EQ(3, t.GetLength());
}

}  // namespace
