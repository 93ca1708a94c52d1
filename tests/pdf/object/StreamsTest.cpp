#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/PDFSyntax.h"

namespace {

// A temporary file that removes itself.
struct TempFile {
  TempFile() {
    char name[] = "/tmp/pn_streams_XXXXXX";
    const int fd = mkstemp(name);
    EXPECT_GE(fd, 0);
    close(fd);
    path = name;
  }
  ~TempFile() { std::remove(path.c_str()); }
  void WriteAll(const std::string& bytes) const { std::ofstream(path, std::ios::binary) << bytes; }
  std::string ReadAll() const {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  std::string path;
};

// Records what reaches the device.
class RecordingOut : public CPDFStrOutStream {
 public:
  std::vector<int32_t> pieces;

 protected:
  int32_t DeviceWrite(const void* bytes, int32_t n) override {
    pieces.push_back(n);
    return CPDFStrOutStream::DeviceWrite(bytes, n);
  }
};

std::string Text(CPDFStrOutStream& out) {
  const TempString& s = out.GetString();
  return std::string(s.c_str(), static_cast<size_t>(s.GetLength()));
}

TEST(OutStreamTest, BufferedWritesReachTheDeviceInOrder) {
  RecordingOut out;
  ASSERT_TRUE(out.Open(4096));
  std::string data;
  for (int i = 0; i < 10000; ++i) data += static_cast<char>('a' + i % 26);
  EXPECT_EQ(out.Write(data.data(), 10000), 10000);
  EXPECT_EQ(Text(out), data);
  for (int32_t n : out.pieces) EXPECT_LE(n, 4096);
}

TEST(OutStreamTest, TypedWritersAndRealFormat) {
  CPDFStrOutStream out;
  ASSERT_TRUE(out.Open());
  out << "x" << ' ' << int32_t{-42} << ' ' << true << ' ' << false << CPDFOutStream::endl;
  for (float v :
       {0.5f, 1.0f, 612.0f, 1.25f, 0.0000001f, -0.0000001f, 100.0f, 0.1f, -3.75f, 12345.678f}) {
    out << v << ' ';
  }
  out.Format("%s=%d", "n", 7);
  EXPECT_EQ(Text(out), "x -42 true false\r\n0.5 1 612 1.25 0 -0 100 0.1 -3.75 12345.677734 n=7");
}

TEST(OutStreamTest, StringStreamSeekOverwritesInPlace) {
  CPDFStrOutStream out;
  ASSERT_TRUE(out.Open(4));
  out << "abcdefgh";
  EXPECT_EQ(out.GetPosition(), 8);
  EXPECT_EQ(out.Seek(2), 0);
  out << "XY";
  EXPECT_EQ(Text(out), "abXYefgh");
  EXPECT_EQ(out.Seek(7), 0);
  out << "123";
  EXPECT_EQ(Text(out), "abXYefg123");
  EXPECT_EQ(out.Seek(11), -1);
  EXPECT_FALSE(out.Failed());
}

TEST(OutStreamTest, FileStreamPositionsAppendAndErrors) {
  TempFile f;
  f.WriteAll("HEAD");
  {
    CPDFFileOutStream out;
    ASSERT_TRUE(out.Open(f.path.c_str(), "ab", 16));
    EXPECT_EQ(out.GetPosition(), 4);
    out << "tail";
    EXPECT_EQ(out.GetPosition(), 8);
    EXPECT_TRUE(out.Close());
  }
  EXPECT_EQ(f.ReadAll(), "HEADtail");

  CPDFFileOutStream missing;
  EXPECT_FALSE(missing.Open("/nonexistent-dir/x.pdf", "wb"));
  EXPECT_TRUE(missing.Failed());
  EXPECT_STRNE(missing.GetErrorText(), "");

  // A full device is reported, not taken for success.
  if (access("/dev/full", W_OK) == 0) {
    CPDFFileOutStream full;
    ASSERT_TRUE(full.Open("/dev/full", "wb", 16));
    std::string big(100, 'z');
    full.Write(big.data(), 100);
    EXPECT_FALSE(full.Close());
    EXPECT_TRUE(full.Failed());
  }
}

TEST(SyntaxTest, NameEscaping) {
  TempString out;
  ASSERT_TRUE(pdfsyntax::EscapeName(out, "A B#", 4));
  EXPECT_STREQ(out.c_str(), "/A#20B#23");
  out.Clear();
  pdfsyntax::EscapeName(out, "", 0);
  EXPECT_STREQ(out.c_str(), "/");
  out.Clear();
  pdfsyntax::EscapeName(out, "{~}\x7F\x80%()<>[]/", -1);
  EXPECT_STREQ(out.c_str(), "/#7B~#7D#7F#80#25#28#29#3C#3E#5B#5D#2F");

  TempString bytes;
  ASSERT_TRUE(pdfsyntax::UnescapeName(bytes, "/#41#42"));
  EXPECT_STREQ(bytes.c_str(), "AB");
  ASSERT_TRUE(pdfsyntax::UnescapeName(bytes, "/a#2f"));
  EXPECT_STREQ(bytes.c_str(), "a/");
  EXPECT_FALSE(pdfsyntax::UnescapeName(bytes, "A"));

  // A "#" that does not begin two hexadecimal digits is the byte itself.
  const struct {
    const char* text;
    const char* bytes;
  } kept[] = {{"/A#4", "A#4"}, {"/Im#", "Im#"},      {"/Im#1", "Im#1"}, {"/#", "#"},
              {"/#G1", "#G1"}, {"/#4G", "#4G"},      {"/##41", "#A"},   {"/a#20#", "a #"},
              {"/#2", "#2"},   {"/x#zz#41", "x#zzA"}};
  for (const auto& c : kept) {
    ASSERT_TRUE(pdfsyntax::UnescapeName(bytes, c.text)) << c.text;
    EXPECT_STREQ(bytes.c_str(), c.bytes) << c.text;
    // Written back, the kept "#" is escaped, and the text reads back the same.
    TempString written;
    ASSERT_TRUE(pdfsyntax::EscapeName(written, bytes.c_str(), bytes.GetLength()));
    TempString again;
    ASSERT_TRUE(pdfsyntax::UnescapeName(again, written.c_str()));
    EXPECT_TRUE(again.IsEqual(bytes)) << c.text << " -> " << written.c_str();
  }
}

TEST(SyntaxTest, StringEscaping) {
  TempString out;
  pdfsyntax::EscapeLiteralString(out, "\x28\x0A\xFF", 3);
  EXPECT_STREQ(out.c_str(), "(\\(\\n\\377)");
  out.Clear();
  pdfsyntax::EscapeLiteralString(out, "\x08\x09\x0C\x0D\x00\x7F\\\x95\x5C", 9);
  EXPECT_STREQ(out.c_str(), "(\\b\\t\\f\\r\\000\\177\\\\\\225\\\\)");
  out.Clear();
  pdfsyntax::EscapeHexString(out, "\x00\xAB", 2);
  EXPECT_STREQ(out.c_str(), "<00AB>");
  out.Clear();
  pdfsyntax::EscapeHexString(out, "", 0);
  pdfsyntax::EscapeLiteralString(out, "", 0);
  EXPECT_STREQ(out.c_str(), "<>()");
}

TEST(SyntaxTest, StringUnescaping) {
  TempString b;
  ASSERT_TRUE(pdfsyntax::UnescapeString(b, "<414>", 5));
  EXPECT_EQ(std::string(b.c_str(), 2), "\x41\x40");
  ASSERT_TRUE(pdfsyntax::UnescapeString(b, "(a\\)b)", 6));
  EXPECT_STREQ(b.c_str(), "a)b");
  ASSERT_TRUE(pdfsyntax::UnescapeString(b, "(a\\\r\nb\\\nc)", -1));
  EXPECT_STREQ(b.c_str(), "abc");
  // One to three octal digits, never past the end; unknown escapes drop
  // the backslash only.
  ASSERT_TRUE(pdfsyntax::UnescapeString(b, "(\\7)", -1));
  EXPECT_EQ(b.GetLength(), 1);
  EXPECT_EQ(b.c_str()[0], '\7');
  ASSERT_TRUE(pdfsyntax::UnescapeString(b, "(\\53x\\0053\\q)", -1));
  EXPECT_STREQ(b.c_str(), "+x\0053q");
  EXPECT_FALSE(pdfsyntax::UnescapeString(b, "abc", 3));
}

TEST(SyntaxTest, NumberText) {
  EXPECT_EQ(pdfsyntax::ParseLong("1e5"), 1);
  EXPECT_EQ(pdfsyntax::ParseLong("+12"), 12);
  EXPECT_EQ(pdfsyntax::ParseLong("-0.9"), 0);
  EXPECT_EQ(pdfsyntax::ParseLong("4294967296"), INT32_MAX);
  EXPECT_EQ(pdfsyntax::ParseLong("-99999999999999999999"), INT32_MIN);
  EXPECT_FLOAT_EQ(pdfsyntax::ParseReal("1e5"), 100000.0f);
  EXPECT_FLOAT_EQ(pdfsyntax::ParseReal("+.5"), 0.5f);
  EXPECT_FLOAT_EQ(pdfsyntax::ParseReal("-3.75"), -3.75f);
  EXPECT_FLOAT_EQ(pdfsyntax::ParseReal("nan"), 0.0f);
  EXPECT_FLOAT_EQ(pdfsyntax::ParseReal("--1"), 0.0f);
  // Locale never matters.
  const char* old = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
  EXPECT_FLOAT_EQ(pdfsyntax::ParseReal("2.5"), 2.5f);
  char text[pdfsyntax::kRealTextSize];
  pdfsyntax::FormatReal(2.5f, text);
  EXPECT_STREQ(text, "2.5");
  if (old) std::setlocale(LC_NUMERIC, "C");
}

TEST(SyntaxTest, BlankFields) {
  char line[] = "  C 32 ;\tWX 250 ";
  char* state = nullptr;
  std::vector<std::string> fields;
  for (char* t = pdfsyntax::NextBlankToken(line, &state); t;
       t = pdfsyntax::NextBlankToken(nullptr, &state)) {
    fields.emplace_back(t);
  }
  EXPECT_EQ(fields, (std::vector<std::string>{"C", "32", ";", "WX", "250"}));
  EXPECT_STREQ(pdfsyntax::SkipBlanks(" \t x"), "x");
  EXPECT_EQ(pdfsyntax::SkipBlanks(" \t "), nullptr);
}

std::vector<std::string> Tokens(const std::string& text, int32_t size = 256) {
  CPDFMemInStream in;
  EXPECT_TRUE(in.Open(text.data(), static_cast<int32_t>(text.size()), 7));
  std::vector<std::string> out;
  std::vector<char> buf(static_cast<size_t>(size));
  while (in.ReadToken(buf.data(), size)) out.emplace_back(buf.data());
  return out;
}

TEST(InStreamTest, Tokenizer) {
  EXPECT_EQ(Tokens("/Type/Page"), (std::vector<std::string>{"/", "Type", "/", "Page"}));
  EXPECT_EQ(Tokens("% comment\r\n12"), (std::vector<std::string>{"12"}));
  EXPECT_EQ(Tokens("[1 0 R]<<>>"),
            (std::vector<std::string>{"[", "1", "0", "R", "]", "<", "<", ">", ">"}));
  std::string longToken(300, 'k');
  auto t = Tokens(longToken);
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].size(), 255u);
  EXPECT_EQ(t[1].size(), 45u);
}

TEST(InStreamTest, UngetAcrossRefillAndRead) {
  std::string data;
  for (int i = 0; i < 100; ++i) data += static_cast<char>('A' + i % 26);
  CPDFMemInStream in;
  ASSERT_TRUE(in.Open(data.data(), 100, 8));
  std::string first;
  for (int i = 0; i < 20; ++i) first += static_cast<char>(in.Get());
  EXPECT_EQ(in.GetPosition(), 20);
  ASSERT_TRUE(in.Unget(15));
  EXPECT_EQ(in.GetPosition(), 5);
  std::string again;
  for (int i = 0; i < 15; ++i) again += static_cast<char>(in.Get());
  EXPECT_EQ(again, first.substr(5));
  char block[50];
  EXPECT_EQ(in.Read(block, 50), 50);
  EXPECT_EQ(std::string(block, 50), data.substr(20, 50));
  EXPECT_EQ(in.GetPosition(), 70);
  EXPECT_EQ(in.Read(block, 50), 30);
  EXPECT_EQ(in.Peek(), -1);
}

TEST(InStreamTest, ReadLine) {
  std::string text = "\r\n\r\nabc\rdef\n\nlong-line-here";
  CPDFMemInStream in;
  ASSERT_TRUE(in.Open(text.data(), static_cast<int32_t>(text.size())));
  char line[6];
  EXPECT_EQ(in.ReadLine(line, 6), 3);
  EXPECT_STREQ(line, "abc");
  EXPECT_EQ(in.ReadLine(line, 6), 3);
  EXPECT_STREQ(line, "def");
  EXPECT_EQ(in.ReadLine(line, 6), 5);
  EXPECT_STREQ(line, "long-");
  EXPECT_EQ(in.ReadLine(line, 6), 5);
  EXPECT_STREQ(line, "line-");
  EXPECT_EQ(in.ReadLine(line, 6), 4);
  EXPECT_EQ(in.ReadLine(line, 6), 0);
}

TEST(InStreamTest, FindAcrossWindows) {
  std::string data(10000, 'x');
  data.replace(4092, 9, "endstream");
  data.replace(9000, 9, "endstream");
  TempFile f;
  f.WriteAll(data);
  CPDFFileInStream in;
  ASSERT_TRUE(in.Open(f.path.c_str(), "rb", 0, -1, 4096));
  EXPECT_EQ(in.Find("endstream", 9), 4092);
  EXPECT_EQ(in.GetPosition(), 4092);
  EXPECT_EQ(in.Get(), 'e');
  EXPECT_EQ(in.Find("endstream", 9), 9000);
  in.Get();
  EXPECT_EQ(in.Find("endstream", 9), -1);
  // Overlapping prefixes.
  std::string tricky = "aaab" + std::string(5000, 'a') + "aab";
  CPDFMemInStream mem;
  ASSERT_TRUE(mem.Open(tricky.data(), static_cast<int32_t>(tricky.size()), 4096));
  mem.Get();
  EXPECT_EQ(mem.Find("aab", 3), 1);
  mem.Get();
  EXPECT_EQ(mem.Find("aab", 3), 5004);
}

TEST(InStreamTest, FileWindow) {
  std::string data;
  for (int i = 0; i < 1000; ++i) data += static_cast<char>(i % 251);
  TempFile f;
  f.WriteAll(data);
  CPDFFileInStream in;
  ASSERT_TRUE(in.Open(f.path.c_str(), "rb", 100, -1, 64));
  EXPECT_EQ(in.GetSize(), 900);
  EXPECT_EQ(in.GetPosition(), 0);
  EXPECT_EQ(in.Get(), 100 % 251);
  std::vector<char> all(2000);
  EXPECT_EQ(in.Read(all.data(), 2000), 899);
  EXPECT_EQ(in.Seek(500), 0);
  EXPECT_EQ(in.Get(), 600 % 251);
  EXPECT_EQ(in.Seek(901), -1);
  in.Close();
  ASSERT_TRUE(in.Open(f.path.c_str(), "rb", 990, 50));
  EXPECT_EQ(in.GetSize(), 10);

  CPDFFileInStream missing;
  EXPECT_FALSE(missing.Open("/nonexistent-dir/x.pdf", "rb"));
  EXPECT_TRUE(missing.Failed());
}

TEST(InStreamTest, Extractors) {
  std::string text = "  42 2.5 true maybe % c\n x";
  CPDFMemInStream in;
  ASSERT_TRUE(in.Open(text.data(), static_cast<int32_t>(text.size())));
  int32_t n = 0;
  float r = 0;
  bool b = false;
  char c = 0;
  ASSERT_TRUE(in.ExtractLong(n));
  EXPECT_EQ(n, 42);
  EXPECT_EQ(in.GetExtractCount(), 2);
  ASSERT_TRUE(in.ExtractReal(r));
  EXPECT_FLOAT_EQ(r, 2.5f);
  ASSERT_TRUE(in.ExtractBool(b));
  EXPECT_TRUE(b);
  EXPECT_FALSE(in.ExtractBool(b));
  EXPECT_TRUE(b);
  EXPECT_EQ(in.GetExtractCount(), 0);
  ASSERT_TRUE(in.ExtractByte(c));
  EXPECT_EQ(c, 'x');
}

}  // namespace
