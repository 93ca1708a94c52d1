#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>

#include "pdf/object/CPDFBool.h"
#include "pdf/object/CPDFCrypt.h"
#include "pdf/object/CPDFDate.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNull.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFObjRef.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/CPDFString.h"
#include "tests/pdf/object/WrittenText.h"

namespace {

std::string Written(CPDFObject& o, const uint8_t* context = nullptr) {
  return WrittenText(o, context);
}

// Runs a reader entry on the text; answers the object or the error message.
template <class T>
std::unique_ptr<T> Read(const std::string& text, std::string* error = nullptr,
                        const uint8_t* context = nullptr, std::string* errorClass = nullptr) {
  CPDFMemInStream in;
  in.Open(text.data(), static_cast<int32_t>(text.size()));
  try {
    return std::unique_ptr<T>(T::SerializeObject(nullptr, in, context));
  } catch (CPDFException* e) {
    if (error) *error = e->GetMessage();
    if (errorClass) *errorClass = e->GetClassName();
    EXPECT_EQ(e->GetCode(), 4);
    EXPECT_STREQ(e->GetMethodName(), "Serialize");
    delete e;
  }
  return nullptr;
}

TEST(NumberTest, RangeRuleAndForms) {
  CPDFNumber a(32767.0f), b(32768.0f), c(-32767.5f), d(-32768.5f), e(40000.5f), f(5L), g(5);
  EXPECT_EQ(Written(a), "32767");
  EXPECT_EQ(Written(b), "32768");
  EXPECT_EQ(Written(c), "-32767.5");
  EXPECT_EQ(Written(d), "-32768");
  EXPECT_EQ(Written(e), "40000");
  EXPECT_EQ(Written(f), "5");
  EXPECT_EQ(Written(g), "5");
  CPDFInt i(100000);
  CPDFReal r(2.5f);
  CPDFReal big(12345.678f);
  EXPECT_EQ(Written(i), "100000");
  EXPECT_EQ(Written(r), "2.5");
  EXPECT_EQ(Written(big), "12345.677734");
  EXPECT_EQ(i.GetType(), CPDFObject::kInteger);
  EXPECT_FALSE(i.IsType(CPDFObject::kNumber));
  EXPECT_STREQ(i.GetTypeName(), "Integer");
  EXPECT_STREQ(r.GetTypeName(), "Real");
  EXPECT_DOUBLE_EQ(e.GetReal(), 40000.0);
  EXPECT_DOUBLE_EQ(c.GetReal(), -32767.5);
}

TEST(NumberTest, SaturationAndComparison) {
  EXPECT_EQ(CPDFNumber(3.0e9f).GetInt(), INT32_MAX);
  EXPECT_EQ(CPDFNumber(-3.0e9f).GetInt(), INT32_MIN);
  EXPECT_EQ(CPDFNumber(std::nanf("")).GetInt(), 0);
  EXPECT_EQ(CPDFNumber(-2.9f).GetInt(), -2);
  CPDFInt six(6), other(6), sixteen(16);
  EXPECT_FALSE(six.IsNotEqual(other));
  EXPECT_TRUE(six.IsNotEqual(sixteen));
  EXPECT_TRUE(six.IsEqual(other));
  CPDFNumber half(0.5f), zero(0);
  EXPECT_TRUE(half.NotEqual(zero));  // same integer, different real
  six.SetValue(7);
  EXPECT_EQ(Written(six), "7");
}

TEST(NumberTest, Reading) {
  auto n = Read<CPDFNumber>("1e5 ");
  ASSERT_TRUE(n);
  EXPECT_EQ(n->GetInt(), 1);
  EXPECT_FLOAT_EQ(n->GetFloat(), 100000.0f);
  EXPECT_EQ(Written(*n), "100000");
  EXPECT_TRUE(n->IsLoaded());
  EXPECT_EQ(n->GetType(), CPDFObject::kNumber);
  n = Read<CPDFNumber>("0.5]");
  EXPECT_EQ(n->GetInt(), 0);
  EXPECT_FLOAT_EQ(n->GetFloat(), 0.5f);
  n = Read<CPDFNumber>("4294967296");
  EXPECT_EQ(n->GetInt(), INT32_MAX);
  EXPECT_FALSE(Read<CPDFNumber>("x"));
  CPDFInt converted;
  ASSERT_TRUE(converted.Assign(nullptr, Read<CPDFNumber>("-12").get()));
  EXPECT_EQ(Written(converted), "-12");
  EXPECT_FALSE(converted.IsLoaded());
}

TEST(NameTest, WriteAndRead) {
  CPDFName name("A B#", 4);
  EXPECT_EQ(Written(name), "/A#20B#23");
  CPDFName empty;
  EXPECT_EQ(Written(empty), "/");

  auto n = Read<CPDFName>("/A#20B ");
  ASSERT_TRUE(n);
  EXPECT_EQ(n->GetLength(), 3);
  EXPECT_STREQ(n->c_str(), "A B");
  EXPECT_EQ(Written(*n), "/A#20B");
  n = Read<CPDFName>("/Type/Page");
  EXPECT_STREQ(n->c_str(), "Type");
  // The empty name reads back.
  n = Read<CPDFName>("/ x");
  ASSERT_TRUE(n);
  EXPECT_EQ(n->GetLength(), 0);

  std::string error, cls;
  EXPECT_FALSE(Read<CPDFName>("/Type", &error, nullptr, &cls));
  EXPECT_EQ(error, "ioerror");
  EXPECT_EQ(cls, "CPDFName");
  EXPECT_FALSE(Read<CPDFName>("/A\x7F ", &error));
  EXPECT_EQ(error, "invalidtoken: \x7F");
  EXPECT_FALSE(Read<CPDFName>("/A{ ", &error));
  EXPECT_EQ(error, "invalidtoken: {");
  EXPECT_FALSE(Read<CPDFName>("Type"));

  // Names order by unsigned bytes, capitals first.
  EXPECT_TRUE(CPDFName("Width").IsLess(CPDFName("a")));
  CPDFName copy;
  copy = name;
  EXPECT_TRUE(copy.IsEqual(name));
}

TEST(BoolNullTest, WriteAndRead) {
  CPDFBool t(true), f;
  CPDFNull null;
  EXPECT_EQ(Written(t), "true");
  EXPECT_EQ(Written(f), "false");
  EXPECT_EQ(Written(null), "null");
  auto b = Read<CPDFBool>("false>>");
  ASSERT_TRUE(b);
  EXPECT_FALSE(b->GetValue());
  std::string error;
  EXPECT_FALSE(Read<CPDFBool>("tru", &error));
  EXPECT_EQ(error, "invalidtoken: tru");
  EXPECT_FALSE(Read<CPDFNull>("nul", &error));
  EXPECT_EQ(error, "invalidtoken: nul");
  EXPECT_TRUE(Read<CPDFNull>("null"));
  std::unique_ptr<CPDFObject> clone(t.Clone(nullptr, nullptr));
  EXPECT_EQ(Written(*clone), "true");
}

TEST(StringTest, Forms) {
  CPDFString abc("abc");
  EXPECT_EQ(Written(abc), "(abc)");
  CPDFString bytes("\x28\x0A\xFF", 3);
  EXPECT_EQ(Written(bytes), "(\\(\\n\\377)");
  CPDFString sjis("\x95\x5C", 2);
  EXPECT_EQ(Written(sjis), "(\\225\\\\)");
  bytes.SetLiteral(false);
  EXPECT_EQ(Written(bytes), "<280AFF>");
  CPDFString empty;
  EXPECT_EQ(Written(empty), "()");

  CPDFText unicode("\xFE\xFF\x00\x41", 4);
  EXPECT_EQ(Written(unicode), "<FEFF0041>");
  CPDFText plain("abc");
  EXPECT_EQ(Written(plain), "(abc)");
  EXPECT_EQ(plain.GetType(), CPDFObject::kText);
  std::unique_ptr<CPDFObject> clone(unicode.Clone(nullptr, nullptr));
  EXPECT_EQ(clone->GetType(), CPDFObject::kText);
  EXPECT_EQ(Written(*clone), "<FEFF0041>");
}

TEST(StringTest, Reading) {
  auto s = Read<CPDFString>("<00AB>");
  ASSERT_TRUE(s);
  EXPECT_EQ(std::string(s->c_str(), 2), std::string("\x00\xAB", 2));
  EXPECT_EQ(Written(*s), "<00AB>");  // read hex, written hex
  s = Read<CPDFString>("<41 4>");
  EXPECT_EQ(std::string(s->c_str(), 2), "\x41\x40");
  s = Read<CPDFString>("(a\\)b)");
  EXPECT_STREQ(s->c_str(), "a)b");
  s = Read<CPDFString>("(a(b)c)");
  EXPECT_STREQ(s->c_str(), "a(b)c");  // balanced parentheses nest
  s = Read<CPDFString>("(line\\\r\nnext)");
  EXPECT_STREQ(s->c_str(), "linenext");
  s = Read<CPDFString>("(\\\\)x)");
  EXPECT_STREQ(s->c_str(), "\\");
  std::string error;
  EXPECT_FALSE(Read<CPDFString>("<4G>", &error));
  EXPECT_EQ(error, "invalidtoken: G");
  EXPECT_FALSE(Read<CPDFString>("(abc", &error));
  EXPECT_EQ(error, "ioerror");
  EXPECT_FALSE(Read<CPDFString>("(abc\\", &error));
  EXPECT_EQ(error, "ioerror");
  EXPECT_FALSE(Read<CPDFString>("<41", &error));
  EXPECT_EQ(error, "ioerror");
}

TEST(DateTest, CheckAndNow) {
  CPDFString ok("D:2001"), d("D"), lower("d:2001");
  EXPECT_TRUE(CPDFDate::Check(nullptr, &ok));
  EXPECT_FALSE(CPDFDate::Check(nullptr, &d));
  EXPECT_FALSE(CPDFDate::Check(nullptr, &lower));
  CPDFName name("D:2001");
  EXPECT_FALSE(CPDFDate::Check(nullptr, &name));

  const char* oldTz = std::getenv("TZ");
  std::string saved = oldTz ? oldTz : "";
  struct Zone {
    const char* tz;
    const char* suffix;
  };
  // 2001-02-03 04:05:06 UTC.
  const int64_t when = 981173106;
  for (Zone z :
       {Zone{"UTC", "D:20010203040506Z00'00'"}, Zone{"Asia/Tokyo", "D:20010203130506+09'00'"},
        Zone{"America/St_Johns", "D:20010203003506-03'30'"}}) {
    setenv("TZ", z.tz, 1);
    tzset();
    CPDFDate date;
    ASSERT_TRUE(date.SetTime(when, true));
    EXPECT_STREQ(date.c_str(), z.suffix) << z.tz;
  }
  CPDFDate now;
  ASSERT_TRUE(now.SetNow(false));
  EXPECT_EQ(now.GetLength(), 16);
  EXPECT_TRUE(CPDFDate::Check(nullptr, &now));
  if (oldTz) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();

  std::unique_ptr<CPDFObject> clone(now.Clone(nullptr, nullptr));
  auto* copy = dynamic_cast<CPDFDate*>(clone.get());
  ASSERT_TRUE(copy);
  EXPECT_STREQ(copy->c_str(), now.c_str());
  EXPECT_EQ(copy->GetStructKind(), CPDFDataStruct::kDate);
}

TEST(CryptTest, ContextAndKnownVectors) {
  const uint8_t key[5] = {1, 2, 3, 4, 5};
  uint8_t ctx[kObjKeySize];
  MakeObjKey(ctx, key, CPDFObjRef(0x123456, 0x0789));
  EXPECT_EQ(ctx[5], 0x56);
  EXPECT_EQ(ctx[6], 0x34);
  EXPECT_EQ(ctx[7], 0x12);
  EXPECT_EQ(ctx[8], 0x89);
  EXPECT_EQ(ctx[9], 0x07);
  uint8_t a[kObjKeySize], b[kObjKeySize];
  MakeObjKey(a, key, CPDFObjRef(1, 0));
  MakeObjKey(b, key, CPDFObjRef(0x1000001, 0));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(a), 10),
            std::string(reinterpret_cast<char*>(b), 10));
  MakeObjKey(b, key, CPDFObjRef(1, 1));
  EXPECT_NE(a[8], b[8]);

  // RC4 alone.
  CPDFCrypt rc4;
  rc4.SetRawKey(reinterpret_cast<const uint8_t*>("Key"), 3);
  uint8_t text[] = "Plaintext";
  ASSERT_EQ(rc4.Crypt(text, 9), 9);
  const uint8_t expected[] = {0xBB, 0xF3, 0x16, 0xE8, 0xD9, 0x40, 0xAF, 0x0A, 0xD3};
  EXPECT_EQ(0, std::memcmp(text, expected, 9));

  // Context -> MD5 -> RC4, and the string written encrypted.
  CPDFString abc("abc");
  EXPECT_EQ(Written(abc, a), "(pL\\241)");
  EXPECT_STREQ(abc.c_str(), "abc");  // the string itself is unchanged
  uint8_t data[] = {'a', 'b', 'c'};
  CPDFCrypt(a).Crypt(data, 3);
  EXPECT_EQ(data[0], 0x70);
  EXPECT_EQ(data[1], 0x4C);
  EXPECT_EQ(data[2], 0xA1);
  // Reading decrypts: a round trip restores the bytes.
  auto back = Read<CPDFString>("(pL\\241)", nullptr, a);
  ASSERT_TRUE(back);
  EXPECT_STREQ(back->c_str(), "abc");
  // Generation 1 gives another key stream.
  EXPECT_NE(Written(abc, b), "(pL\\241)");

  CPDFCrypt none;
  uint8_t keep[] = {1, 2};
  EXPECT_EQ(none.Crypt(keep, 2), -1);
  EXPECT_EQ(keep[0], 1);
}

}  // namespace
