#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "TestDoc.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFMatrix.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/CPDFRect.h"
#include "tests/pdf/object/WrittenText.h"

namespace {

std::string Written(CPDFObject& o) { return WrittenText(o); }

std::unique_ptr<CPDFArray> ParseArray(const std::string& text) {
  CPDFMemInStream in;
  in.Open(text.data(), static_cast<int32_t>(text.size()));
  return std::unique_ptr<CPDFArray>(
      dynamic_cast<CPDFArray*>(CPDFObject::SerializeObject(nullptr, in, nullptr)));
}

TEST(MatrixTest, IdentityAndOrderOfMultiplication) {
  CPDFMatrix m;
  EXPECT_EQ(Written(m), "[1 0 0 1 0 0]");
  m.Scale(100, 50).Translate(10, 20);
  EXPECT_EQ(Written(m), "[100 0 0 50 10 20]");
  CPDFMatrix n;
  n.Translate(10, 20).Scale(2, 2);
  EXPECT_EQ(Written(n), "[2 0 0 2 20 40]");
  n.SetIdentity();
  EXPECT_EQ(Written(n), "[1 0 0 1 0 0]");
  EXPECT_EQ(n.GetStructKind(), CPDFDataStruct::kMatrix);
}

TEST(MatrixTest, CheckLoadAndMalformedArrays) {
  auto five = ParseArray("[1 0 0 1 0]");
  auto six = ParseArray("[2 0 0 2 5 6]");
  auto names = ParseArray("[1 0 0 1 /X 0]");
  EXPECT_FALSE(CPDFMatrix::Check(nullptr, five.get()));
  EXPECT_TRUE(CPDFMatrix::Check(nullptr, six.get()));
  EXPECT_FALSE(CPDFMatrix::Check(nullptr, names.get()));

  CPDFMatrix m;
  ASSERT_TRUE(m.Load(nullptr, six.get()));
  EXPECT_EQ(Written(*six), "[1 0 0 1 0 0]");  // the elements were exchanged
  EXPECT_DOUBLE_EQ(m.GetE()->GetReal(), 5.0);
  m.Translate(1, 1);
  EXPECT_EQ(Written(m), "[2 0 0 2 6 7]");

  CPDFMatrix bad;
  EXPECT_FALSE(bad.Load(nullptr, names.get()));
  EXPECT_EQ(names->GetCount(), 6);  // the elements went back
  // A matrix that lost its shape answers none and restarts from identity.
  CPDFMatrix shortOne;
  shortOne.SetSize(3);
  EXPECT_EQ(shortOne.GetF(), nullptr);
  shortOne.Scale(2, 3);
  EXPECT_EQ(Written(shortOne), "[2 0 0 3 0 0]");

  std::unique_ptr<CPDFObject> clone(m.Clone(nullptr, nullptr));
  auto* copy = dynamic_cast<CPDFMatrix*>(clone.get());
  ASSERT_TRUE(copy);
  EXPECT_EQ(Written(*copy), "[2 0 0 2 6 7]");
}

TEST(RectTest, SizesCopyAndChecks) {
  CPDFRect media(0, 0, 612, 792);
  EXPECT_EQ(Written(media), "[0 0 612 792]");
  EXPECT_DOUBLE_EQ(media.GetWidth(), 612.0);
  EXPECT_DOUBLE_EQ(media.GetHeight(), 792.0);
  CPDFRect empty;
  EXPECT_EQ(Written(empty), "[0 0 0 0]");
  ASSERT_TRUE(empty.Set(10, 20, 30.5f, 40));
  EXPECT_EQ(Written(empty), "[10 20 30.5 40]");
  ASSERT_TRUE(empty.Copy(media));
  EXPECT_EQ(Written(empty), "[0 0 612 792]");

  auto shortArray = ParseArray("[1 2 3]");
  auto withRef = ParseArray("[0 0 3 0 R]");
  EXPECT_FALSE(CPDFRect::Check(nullptr, shortArray.get()));
  EXPECT_FALSE(CPDFRect::Check(nullptr, withRef.get()));
  CPDFRect loaded;
  EXPECT_FALSE(loaded.Load(nullptr, shortArray.get()));
  EXPECT_EQ(shortArray->GetCount(), 3);
  // A malformed rectangle answers 0 and cannot be copied from.
  CPDFRect broken;
  broken.SetSize(2);
  EXPECT_DOUBLE_EQ(broken.GetWidth(), 0.0);
  EXPECT_FALSE(media.Copy(broken));
  EXPECT_EQ(Written(media), "[0 0 612 792]");
  ASSERT_TRUE(broken.Set(1, 2, 3, 4));
  EXPECT_EQ(Written(broken), "[1 2 3 4]");

  // References resolve through the document.
  TestDoc doc;
  CPDFRect viaRef;
  viaRef.SetDoc(&doc);
  ASSERT_TRUE(viaRef.SetAt(&doc, 2, new CPDFNumber(100), true));
  EXPECT_DOUBLE_EQ(viaRef.GetWidth(), 100.0);
}

}  // namespace
