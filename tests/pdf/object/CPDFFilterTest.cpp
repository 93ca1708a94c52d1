#include "pdf/object/CPDFFilter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "CPDFStreamTestSupport.h"
#include "pdf/object/CPDFBool.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/CPDFStream.h"

namespace {

void SetInt(CPDFDict& d, const char* key, int v) { d.Set(nullptr, CPDFName(key), new CPDFInt(v)); }
void SetName(CPDFDict& d, const char* key, const char* v) {
  d.Set(nullptr, CPDFName(key), new CPDFName(v));
}

std::unique_ptr<CPDFStream> StreamOf(const std::string& data) {
  std::unique_ptr<CPDFStream> s(new CPDFStream);
  s->SetData(data.data(), static_cast<int32_t>(data.size()));
  return s;
}

TEST(CPDFFilterTest, ExactEncodings) {
  auto s = StreamOf("abc");
  ASSERT_TRUE(CPDFASCII85Filter().Encode(s.get()));
  EXPECT_EQ("@:E^~>", Data(*s));
  EXPECT_EQ(6, s->GetLength());
  ASSERT_TRUE(CPDFASCII85Filter().Decode(s.get()));
  EXPECT_EQ("abc", Data(*s));

  s = StreamOf(std::string(4, '\0'));
  ASSERT_TRUE(CPDFASCII85Filter().Encode(s.get()));
  EXPECT_EQ("z~>", Data(*s));
  s = StreamOf(std::string(3, '\0'));
  ASSERT_TRUE(CPDFASCII85Filter().Encode(s.get()));
  EXPECT_EQ("!!!!~>", Data(*s));
  for (const char* bad : {"!z~>", "!~>", "s8W-\"~>", "~~>"}) {
    s = StreamOf(bad);
    EXPECT_FALSE(CPDFASCII85Filter().Decode(s.get())) << bad;
    EXPECT_EQ(bad, Data(*s));
  }

  s = StreamOf("41 42 4>");
  ASSERT_TRUE(CPDFASCIIHexFilter().Decode(s.get()));
  EXPECT_EQ("AB@", Data(*s));
  s = StreamOf("4G");
  EXPECT_FALSE(CPDFASCIIHexFilter().Decode(s.get()));
  s = StreamOf("\x01\xab");
  ASSERT_TRUE(CPDFASCIIHexFilter().Encode(s.get()));
  EXPECT_EQ("01AB>", Data(*s));

  s = StreamOf(std::string(130, '\0'));
  ASSERT_TRUE(CPDFRunLengthFilter().Encode(s.get()));
  EXPECT_EQ(std::string("\x81\x00\xFF\x00\x80", 5), Data(*s));
  s = StreamOf("\x01\x01\x02");
  ASSERT_TRUE(CPDFRunLengthFilter().Encode(s.get()));
  EXPECT_EQ(std::string("\x02\x01\x01\x02\x80", 5), Data(*s));
}

TEST(CPDFFilterTest, RoundTripsOfManySizes) {
  for (size_t n : {size_t{1}, size_t{2}, size_t{3}, size_t{5}, size_t{4095}, size_t{4096},
                   size_t{4097}, size_t{9000}, size_t{40961}, size_t{70000}}) {
    for (int alphabet : {2, 256}) {
      const std::string data = RandomBytes(n, static_cast<uint32_t>(n + alphabet), alphabet);
      auto s = StreamOf(data);
      ASSERT_TRUE(s->RunLengthEncode());
      ASSERT_TRUE(s->ASCIIHexEncode());
      ASSERT_TRUE(s->FlateEncode());
      ASSERT_TRUE(s->ASCII85Encode());
      EXPECT_EQ("[/ASCII85Decode /FlateDecode /ASCIIHexDecode /RunLengthDecode]",
                Written(s->Get_Filter()));
      ASSERT_TRUE(s->DecodeAllFilter()) << n;
      EXPECT_EQ(data, Data(*s)) << n << " " << alphabet;
    }
  }
}

TEST(CPDFFilterTest, FlateDetails) {
  const std::string data = RandomBytes(50000, 9, 3);
  auto s = StreamOf(data);
  ASSERT_TRUE(CPDFFlateFilter().Encode(s.get()));
  EXPECT_EQ("\x78\x9C", Data(*s).substr(0, 2));
  // Bytes after the end of the zlib data are ignored.
  ASSERT_TRUE(s->Append("trailing", 8));
  ASSERT_TRUE(CPDFFlateFilter().Decode(s.get()));
  EXPECT_EQ(data, Data(*s));

  // A predictor is not silently dropped: the call fails, data unchanged.
  s = StreamOf("abc");
  ASSERT_TRUE(s->FlateEncode());
  const std::string coded = Data(*s);
  auto* params = new CPDFDict;
  SetInt(*params, "Predictor", 12);
  ASSERT_TRUE(s->Set_DecodeParms(params));
  EXPECT_FALSE(s->DecodeAllFilter());
  EXPECT_EQ(coded, Data(*s));
  SetInt(*params, "Predictor", 1);
  ASSERT_TRUE(s->DecodeAllFilter());
  EXPECT_EQ("abc", Data(*s));

  // A truncated stream fails.
  s = StreamOf(data);
  ASSERT_TRUE(CPDFFlateFilter().Encode(s.get()));
  s->SetLength(s->GetLength() / 2);
  EXPECT_FALSE(CPDFFlateFilter().Decode(s.get()));
}

std::unique_ptr<CPDFStream> ImageStream(int width, int height, int bits, const char* cs,
                                        const std::string& data) {
  auto s = StreamOf(data);
  SetInt(*s, "Width", width);
  SetInt(*s, "Height", height);
  SetInt(*s, "BitsPerComponent", bits);
  SetName(*s, "ColorSpace", cs);
  return s;
}

std::string BilevelRows(int width, int height) {
  const int row = (width + 7) / 8;
  std::string data(static_cast<size_t>(row * height), '\0');
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      if ((x / 3 + y / 2) % 3 == 0)
        data[static_cast<size_t>(y * row + x / 8)] |= char(0x80 >> (x % 8));
    }
  }
  return data;
}

using CPDFCCITTFilterTest = TempDirTest;

TEST_F(CPDFCCITTFilterTest, ParametersAndRoundTrips) {
  const std::string rows = BilevelRows(37, 20);
  struct Case {
    int k;
    int recorded;
  };
  for (Case c : {Case{-1, -1}, Case{0, 0}, Case{5, 1}}) {
    auto s = ImageStream(37, 20, 1, "DeviceGray", rows);
    ASSERT_TRUE(s->CCITTFaxEncode(c.k)) << c.k;
    EXPECT_EQ("<<\r\n/BlackIs1 true\n/Columns 37\n/K " + std::to_string(c.recorded) + "\n>>",
              Written(s->Get_DecodeParms()));
    EXPECT_EQ("/CCITTFaxDecode", Written(s->Get_Filter()));
    ASSERT_TRUE(s->DecodeAllFilter()) << c.k;
    EXPECT_EQ(rows, Data(*s));
    EXPECT_FALSE(s->HasKey(CPDFName("Decode")));
  }

  // Decode [1 0] is taken into the coding: no Decode, no BlackIs1; decoding
  // then restores Decode [1 0].
  auto s = ImageStream(37, 20, 1, "DeviceGray", rows);
  auto* decode = new CPDFArray;
  decode->Push_Back(nullptr, new CPDFInt(1));
  decode->Push_Back(nullptr, new CPDFInt(0));
  s->Set(nullptr, CPDFName("Decode"), decode);
  ASSERT_TRUE(s->CCITTFaxEncode(-1));
  EXPECT_FALSE(s->HasKey(CPDFName("Decode")));
  EXPECT_EQ("<<\r\n/Columns 37\n/K -1\n>>", Written(s->Get_DecodeParms()));
  ASSERT_TRUE(s->DecodeAllFilter());
  EXPECT_EQ(rows, Data(*s));
  EXPECT_EQ("[1 0]", Written(s->Get(nullptr, CPDFName("Decode"))));

  // Parameters inside an array are found as element 0; absent ones fail.
  s = ImageStream(37, 20, 1, "DeviceGray", rows);
  ASSERT_TRUE(s->CCITTFaxEncode(-1));
  ASSERT_TRUE(s->ASCIIHexEncode());
  EXPECT_EQ("[null <<\r\n/BlackIs1 true\n/Columns 37\n/K -1\n>>]", Written(s->Get_DecodeParms()));
  ASSERT_TRUE(s->DecodeAllFilter());
  EXPECT_EQ(rows, Data(*s));

  s = ImageStream(37, 20, 1, "DeviceGray", rows);
  ASSERT_TRUE(s->CCITTFaxEncode(-1));
  const std::string coded = Data(*s);
  s->Remove(nullptr, CPDFStream::Key_DecodeParms());
  CPDFException error;
  EXPECT_FALSE(s->DecodeAllFilter(&error));
  EXPECT_STREQ("CCITTFaxDecode", error.GetMethodName());
  EXPECT_STREQ("Decode()", error.GetMessage());
  EXPECT_EQ(coded, Data(*s));
}

TEST_F(CPDFCCITTFilterTest, FailuresLeaveTheStreamAsItWas) {
  const std::string rows = BilevelRows(16, 4);
  // Wrong colour space, wrong depth, short data.
  auto s = ImageStream(16, 4, 1, "DeviceRGB", rows);
  CPDFException error;
  EXPECT_FALSE(s->CCITTFaxEncode(0, &error));
  EXPECT_STREQ("Encode", error.GetMessage());
  EXPECT_FALSE(s->HasKey(CPDFStream::Key_Filter()));
  s = ImageStream(16, 4, 8, "DeviceGray", rows);
  EXPECT_FALSE(s->CCITTFaxEncode(0));
  s = ImageStream(16, 40, 1, "DeviceGray", rows);
  auto* decode = new CPDFArray;
  decode->Push_Back(nullptr, new CPDFInt(1));
  decode->Push_Back(nullptr, new CPDFInt(0));
  s->Set(nullptr, CPDFName("Decode"), decode);
  EXPECT_FALSE(s->CCITTFaxEncode(0));
  EXPECT_TRUE(s->HasKey(CPDFName("Decode")));
  EXPECT_EQ(rows, Data(*s));
  EXPECT_TRUE(Entries().empty());
}

TEST(CPDFDCTFilterTest, EncodingRulesAndDecoding) {
  const int w = 24, h = 16;
  const std::string rgb = RandomBytes(static_cast<size_t>(w * h * 3), 4, 8);
  auto s = ImageStream(w, h, 8, "DeviceRGB", rgb);
  ASSERT_TRUE(s->DCTEncode(-5));
  const std::string atZero = Data(*s);
  EXPECT_EQ("\xFF\xD8\xFF\xEE", atZero.substr(0, 4));
  EXPECT_EQ("Adobe", atZero.substr(6, 5));
  EXPECT_EQ(std::string::npos, atZero.find("JFIF"));
  EXPECT_EQ("/DCTDecode", Written(s->Get_Filter()));
  auto again = ImageStream(w, h, 8, "DeviceRGB", rgb);
  ASSERT_TRUE(again->DCTEncode(0));
  EXPECT_EQ(atZero, Data(*again));
  auto hi = ImageStream(w, h, 8, "DeviceRGB", rgb);
  auto hi2 = ImageStream(w, h, 8, "DeviceRGB", rgb);
  ASSERT_TRUE(hi->DCTEncode(9000));
  ASSERT_TRUE(hi2->DCTEncode(5000));
  EXPECT_EQ(Data(*hi), Data(*hi2));

  ASSERT_TRUE(s->DecodeAllFilter());
  EXPECT_EQ(rgb.size(), Data(*s).size());

  // Depth other than 8 fails both ways; Indexed or array colour spaces fail.
  auto bad = ImageStream(w, h, 1, "DeviceRGB", rgb);
  EXPECT_FALSE(bad->DCTEncode(75));
  bad = ImageStream(w, h, 8, "Indexed", rgb);
  EXPECT_FALSE(bad->DCTEncode(75));
  bad->Set(nullptr, CPDFName("ColorSpace"), new CPDFArray);
  EXPECT_FALSE(bad->DCTEncode(75));
  auto coded = ImageStream(w, h, 1, "DeviceRGB", atZero);
  EXPECT_FALSE(coded->DCTDecode());

  // Damaged JPEG data fail without ending the process.
  std::string damaged = atZero;
  damaged.resize(damaged.size() / 3);
  auto broken = ImageStream(w, h, 8, "DeviceRGB", damaged);
  CPDFException error;
  EXPECT_FALSE(broken->DCTDecode(&error));
  EXPECT_STREQ("Decode()", error.GetMessage());
  EXPECT_EQ(damaged, Data(*broken));
}

TEST(CPDFFilterTest, AnEmptyStreamDecodesAtOnceWhateverItsDictionary) {
  // No Width, Height, BitsPerComponent, ColorSpace or DecodeParms: with no
  // data, every filter's decode succeeds and leaves the stream empty.
  struct Case {
    const char* filter;
    bool (*decode)(CPDFStream*);
  };
  const Case cases[] = {
      {"ASCIIHex", [](CPDFStream* s) { return CPDFASCIIHexFilter().Decode(s); }},
      {"ASCII85", [](CPDFStream* s) { return CPDFASCII85Filter().Decode(s); }},
      {"RunLength", [](CPDFStream* s) { return CPDFRunLengthFilter().Decode(s); }},
      {"Flate", [](CPDFStream* s) { return CPDFFlateFilter().Decode(s); }},
      {"CCITTFax", [](CPDFStream* s) { return CPDFCCITTFaxFilter().Decode(s); }},
      {"DCT", [](CPDFStream* s) { return CPDFDCTFilter().Decode(s); }},
  };
  for (const Case& c : cases) {
    auto s = StreamOf("x");
    s->SetData("", 0);
    EXPECT_TRUE(c.decode(s.get())) << c.filter;
    EXPECT_EQ("", Data(*s)) << c.filter;
    EXPECT_FALSE(s->HasKey(CPDFName("Decode"))) << c.filter;
  }
  // With data the geometry is still required.
  auto s = StreamOf("x");
  EXPECT_FALSE(CPDFCCITTFaxFilter().Decode(s.get()));
  EXPECT_FALSE(CPDFDCTFilter().Decode(s.get()));
  EXPECT_EQ("x", Data(*s));
}

TEST(CPDFFilterTest, AnEmptyStreamEncodesToEmptyDataUnderEveryFilter) {
  // As the decoders do: no geometry is read, the data stay empty, and the
  // slot records its filter, so the stream decodes back to nothing.
  struct Case {
    const char* filter;
    bool (*encode)(CPDFStream*, CPDFException*);
  };
  const Case cases[] = {
      {"/ASCIIHexDecode", [](CPDFStream* s, CPDFException* e) { return s->ASCIIHexEncode(e); }},
      {"/ASCII85Decode", [](CPDFStream* s, CPDFException* e) { return s->ASCII85Encode(e); }},
      {"/RunLengthDecode", [](CPDFStream* s, CPDFException* e) { return s->RunLengthEncode(e); }},
      {"/CCITTFaxDecode", [](CPDFStream* s, CPDFException* e) { return s->CCITTFaxEncode(-1, e); }},
      {"/DCTDecode", [](CPDFStream* s, CPDFException* e) { return s->DCTEncode(75, e); }},
      {"/FlateDecode", [](CPDFStream* s, CPDFException* e) { return s->FlateEncode(e); }},
  };
  for (const Case& c : cases) {
    auto s = StreamOf("x");
    s->SetData("", 0);
    CPDFException error;
    ASSERT_TRUE(c.encode(s.get(), &error)) << c.filter << ": " << error.GetMessage();
    EXPECT_EQ("", Data(*s)) << c.filter;
    EXPECT_EQ(0, s->GetLength()) << c.filter;
    EXPECT_EQ(c.filter, Written(s->Get_Filter()));
    ASSERT_TRUE(s->DecodeAllFilter(&error)) << c.filter << ": " << error.GetMessage();
    EXPECT_EQ("", Data(*s)) << c.filter;
    EXPECT_FALSE(s->HasKey(CPDFName("Filter"))) << c.filter;
  }
  // With data the geometry is still required.
  auto s = StreamOf("x");
  CPDFException error;
  EXPECT_FALSE(s->CCITTFaxEncode(0, &error));
  EXPECT_STREQ("Encode", error.GetMessage());
  EXPECT_FALSE(s->DCTEncode(75, &error));
  EXPECT_EQ("x", Data(*s));
  EXPECT_FALSE(s->HasKey(CPDFName("Filter")));
}

}  // namespace
