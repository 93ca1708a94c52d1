#include <gtest/gtest.h>

#include <string>

#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFBool.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFExternalOperator.h"
#include "pdf/object/CPDFGraphObjs.h"
#include "pdf/object/CPDFMatrix.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/CPDFPageDescOp.h"
#include "pdf/object/CPDFString.h"
#include "pdf/object/CPDFTextOperator.h"

namespace {

template <class T>
std::string Text(T& element) {
  CPDFStrOutStream out;
  out.Open();
  element.Write(out);
  const TempString& s = out.GetString();
  return std::string(s.c_str(), static_cast<size_t>(s.GetLength()));
}

CPDFNumber* N(double v) { return new CPDFNumber(v); }
CPDFName* Nm(const char* n) { return new CPDFName(n); }

CPDFArray* Arr(std::initializer_list<double> values) {
  auto* a = new CPDFArray;
  for (double v : values) a->Push_Back(nullptr, N(v));
  return a;
}

CPDFDict* PropDict() {
  auto* d = new CPDFDict;
  d->Set(nullptr, CPDFName("MCID"), new CPDFInt(3));
  return d;
}

std::string PageOp(int32_t kind, std::initializer_list<CPDFObject*> operands) {
  CPDFPageDescOp op;
  op.Set(kind, operands);
  return Text(op);
}

std::string TextOp(int32_t kind, std::initializer_list<CPDFObject*> operands) {
  CPDFTextOperator op;
  op.Set(kind, operands);
  return Text(op);
}

using P = CPDFPageDescOp;
using T = CPDFTextOperator;

TEST(GraphObjsTest, PageWithOneImage) {
  CPDFGraphObjs list;
  EXPECT_EQ(Text(list), "");  // an empty list writes nothing at all
  list.AddGSave();
  list.AddTranslate(0, 0);
  list.AddMatrix(612, 0, 0, 792, 0, 0);
  CPDFExternalObject* xobject = list.AddXObject("Im1");
  list.AddGRestore();
  EXPECT_EQ(Text(list), "q 1 0 0 1 0 0 cm 612 0 0 792 0 0 cm /Im1 Do Q");
  EXPECT_EQ(list.GetCount(), 5);
  ASSERT_NE(xobject, nullptr);
  EXPECT_EQ(xobject->GetType(), CPDFGraphObj::kExternalObject);
  EXPECT_STREQ(xobject->GetTypeName(), "External Object");
  EXPECT_EQ(xobject->GetOperators().GetCount(), 1);

  // The matrix form takes the six elements; fractions keep their digits.
  CPDFGraphObjs scaled;
  CPDFMatrix m;
  m.Scale(72.000145f, 36.000072f).Translate(-1.5f, 2);
  scaled.AddMatrix(m);
  scaled.AddLineWidth(0.5f);
  scaled.AddStrokeGray(0.25f);
  scaled.AddTranslate(40000, -3);
  EXPECT_EQ(Text(scaled), "72.000145 0 0 36.000072 -1.5 2 cm 0.5 w 0.25 G 1 0 0 1 40000 -3 cm");

  scaled.Clear();
  EXPECT_TRUE(scaled.IsEmpty());
  EXPECT_EQ(Text(scaled), "");
}

TEST(GraphObjsTest, PageDescriptionWriterTable) {
  EXPECT_EQ(PageOp(P::kGSave, {}), "q");
  EXPECT_EQ(PageOp(P::kGRestore, {}), "Q");
  EXPECT_EQ(PageOp(P::kConcat, {N(1), N(0), N(0), N(1), N(10), N(20)}), "1 0 0 1 10 20 cm");
  EXPECT_EQ(PageOp(P::kFlatness, {N(2)}), "2 i");
  EXPECT_EQ(PageOp(P::kLineCap, {N(1)}), "1 J");
  EXPECT_EQ(PageOp(P::kDash, {Arr({3, 2}), N(0)}), "[3 2] 0 d");
  EXPECT_EQ(PageOp(P::kLineJoin, {N(2)}), "2 j");
  EXPECT_EQ(PageOp(P::kLineWidth, {N(0.75)}), "0.75 w");
  EXPECT_EQ(PageOp(P::kMiterLimit, {N(10)}), "10 M");
  EXPECT_EQ(PageOp(P::kExtGState, {Nm("GS1")}), "/GS1 gs");
  EXPECT_EQ(PageOp(P::kFillGray, {N(0.5)}), "0.5 g");
  EXPECT_EQ(PageOp(P::kStrokeGray, {N(1)}), "1 G");
  EXPECT_EQ(PageOp(P::kFillRGB, {N(1), N(0), N(0.5)}), "1 0 0.5 rg");
  EXPECT_EQ(PageOp(P::kStrokeRGB, {N(0), N(1), N(0)}), "0 1 0 RG");
  EXPECT_EQ(PageOp(P::kFillCMYK, {N(0), N(0.1), N(0.2), N(1)}), "0 0.1 0.2 1 k");
  EXPECT_EQ(PageOp(P::kStrokeCMYK, {N(1), N(1), N(0), N(0)}), "1 1 0 0 K");
  EXPECT_EQ(PageOp(P::kFillColorSpace, {Nm("CS0")}), "/CS0 cs");
  EXPECT_EQ(PageOp(P::kStrokeColorSpace, {Nm("DeviceRGB")}), "/DeviceRGB CS");
  // sc and SC take the components up to the first empty slot.
  EXPECT_EQ(PageOp(P::kFillColor, {N(0.5)}), "0.5 sc");
  EXPECT_EQ(PageOp(P::kFillColor, {N(1), N(0.5), N(0)}), "1 0.5 0 sc");
  EXPECT_EQ(PageOp(P::kFillColor, {N(1), N(2), nullptr, N(4)}), "1 2 sc");
  EXPECT_EQ(PageOp(P::kStrokeColor, {N(0.2)}), "0.2 SC");
  EXPECT_EQ(PageOp(P::kStrokeColor, {N(0), N(0), N(0), N(1)}), "0 0 0 1 SC");
  // scn and SCN unpack the component array and add the pattern name.
  EXPECT_EQ(PageOp(P::kFillColorN, {Arr({}), Nm("P0")}), "/P0 scn");
  EXPECT_EQ(PageOp(P::kFillColorN, {Arr({0.5, 1}), Nm("P1")}), "0.5 1 /P1 scn");
  EXPECT_EQ(PageOp(P::kStrokeColorN, {Arr({0.25})}), "0.25 SCN");
  EXPECT_EQ(PageOp(P::kStrokeColorN, {}), "SCN");
  EXPECT_EQ(PageOp(P::kIntent, {Nm("Perceptual")}), "/Perceptual ri");
  EXPECT_EQ(PageOp(P::kBeginCompat, {}), "BX");
  EXPECT_EQ(PageOp(P::kBeginMarked, {Nm("Span")}), "/Span BMC");
  // BDC and DP: the tag, then the dictionary, or else the name.
  EXPECT_EQ(PageOp(P::kBeginMarkedProps, {Nm("Span"), PropDict(), Nm("Pr1")}),
            "/Span <<\r\n/MCID 3\n>> BDC");
  EXPECT_EQ(PageOp(P::kBeginMarkedProps, {Nm("Span"), nullptr, Nm("Pr1")}), "/Span /Pr1 BDC");
  EXPECT_EQ(PageOp(P::kEndMarked, {}), "EMC");
  EXPECT_EQ(PageOp(P::kMarkPoint, {Nm("Tag")}), "/Tag MP");
  EXPECT_EQ(PageOp(P::kMarkPointProps, {Nm("Tag"), nullptr, Nm("Pr2")}), "/Tag /Pr2 DP");
  // Kinds outside the table, and an unset operator, write nothing.
  EXPECT_EQ(PageOp(30, {N(1)}), "");
  EXPECT_EQ(PageOp(-1, {}), "");

  CPDFPageDescOp ex;
  ex.SetEndCompat("1 0 0 RG", 8);
  EXPECT_EQ(Text(ex), "1 0 0 RG EX");
  ex.SetEndCompat(nullptr, 0);
  EXPECT_EQ(Text(ex), "EX");
}

TEST(GraphObjsTest, TextWriterTable) {
  auto flag = [](bool v) { return new CPDFBool(v); };
  EXPECT_EQ(TextOp(T::kBT, {}), "BT");
  EXPECT_EQ(TextOp(T::kET, {}), "ET");
  EXPECT_EQ(TextOp(T::kCharSpacing, {N(0.2)}), "0.2 Tc");
  EXPECT_EQ(TextOp(T::kWordSpacing, {N(1.5)}), "1.5 Tw");
  EXPECT_EQ(TextOp(T::kHorizScaling, {N(90)}), "90 Tz");
  EXPECT_EQ(TextOp(T::kLeading, {N(14)}), "14 TL");
  EXPECT_EQ(TextOp(T::kFont, {Nm("F1"), N(12)}), "/F1 12 Tf");
  EXPECT_EQ(TextOp(T::kRenderMode, {new CPDFInt(3)}), "3 Tr");
  EXPECT_EQ(TextOp(T::kRise, {N(-2)}), "-2 Ts");
  EXPECT_EQ(TextOp(T::kMove, {N(100), N(700)}), "100 700 Td");
  EXPECT_EQ(TextOp(T::kMoveLeading, {N(0), N(-14)}), "0 -14 TD");
  EXPECT_EQ(TextOp(T::kTextMatrix, {N(1), N(0), N(0), N(1), N(72), N(720)}), "1 0 0 1 72 720 Tm");
  EXPECT_EQ(TextOp(T::kNextLine, {}), "T*");
  EXPECT_EQ(TextOp(T::kShow, {new CPDFString("abc")}), "(abc) Tj");
  EXPECT_EQ(TextOp(T::kNextLineShow, {new CPDFString("abc")}), "(abc) '");
  // The double-quote operator, and its three-operator form with blanks
  // between every token.
  EXPECT_EQ(TextOp(T::kSpacingShow, {N(0.5), N(0.2), new CPDFString("abc"), flag(true)}),
            "0.5 0.2 (abc) \"");
  EXPECT_EQ(TextOp(T::kSpacingShow, {N(0.5), N(0.2), new CPDFString("abc"), flag(false)}),
            "0.5 Tw 0.2 Tc (abc) Tj");
  EXPECT_EQ(TextOp(T::kSpacingShow, {N(0.5), N(0.2), new CPDFString("abc")}),
            "0.5 Tw 0.2 Tc (abc) Tj");
  auto* parts = new CPDFArray;
  parts->Push_Back(nullptr, new CPDFString("A"));
  parts->Push_Back(nullptr, N(120));
  parts->Push_Back(nullptr, new CPDFString("W"));
  EXPECT_EQ(TextOp(T::kShowArray, {parts, flag(true)}), "T* [(A) 120 (W)] TJ");
  EXPECT_EQ(TextOp(T::kShowArray, {Arr({1}), flag(false)}), "[1] TJ");
  EXPECT_EQ(TextOp(17, {N(1)}), "");
}

TEST(GraphObjsTest, ExternalOperatorsAndTypes) {
  CPDFExternalOperator op;
  EXPECT_EQ(op.GetOperator(), -1);
  EXPECT_EQ(Text(op), "");
  op.SetDo("Fm2");
  EXPECT_EQ(Text(op), "/Fm2 Do");
  op.Set(CPDFExternalOperator::kPS, {new CPDFString("0 0 moveto")});
  EXPECT_EQ(Text(op), "(0 0 moveto) PS");
  op.Set(2, {Nm("X")});
  EXPECT_EQ(Text(op), "");

  EXPECT_EQ(op.GetType(), 16);
  EXPECT_STREQ(op.GetTypeName(), "External Operator");
  CPDFPageDescOp page;
  EXPECT_EQ(page.GetType(), 1);
  EXPECT_STREQ(page.GetTypeName(), "Page-Description Operator");
  CPDFTextOperator text;
  EXPECT_EQ(text.GetType(), 4);
  EXPECT_STREQ(text.GetTypeName(), "Text Operator");
  CPDFTextObject object;
  EXPECT_EQ(object.GetType(), 128);
  EXPECT_STREQ(object.GetTypeName(), "Text Object");
}

TEST(GraphObjsTest, CategoryBits) {
  struct Case {
    int32_t kind;
    uint32_t category;
  };
  // Both ends of every range, and the kinds beyond.
  const Case page[] = {{0, 1},  {2, 1},  {3, 2},   {9, 2},   {10, 4}, {11, 4}, {22, 4},
                       {23, 8}, {24, 8}, {25, 16}, {29, 16}, {30, 0}, {-1, 0}};
  for (const Case& c : page) {
    CPDFPageDescOp op;
    op.Set(c.kind, {});
    EXPECT_EQ(op.GetCategory(), c.category) << "page-description kind " << c.kind;
  }
  const Case text[] = {{0, 0x100}, {1, 0x100},  {2, 0x200},  {6, 0x200},  {8, 0x200},
                       {9, 0x400}, {12, 0x400}, {13, 0x800}, {16, 0x800}, {17, 0}};
  for (const Case& c : text) {
    CPDFTextOperator op;
    op.Set(c.kind, {});
    EXPECT_EQ(op.GetCategory(), c.category) << "text kind " << c.kind;
  }
  CPDFExternalOperator ext;
  ext.SetDo("Im1");
  EXPECT_EQ(ext.GetCategory(), 0x2000u);
  ext.Set(CPDFExternalOperator::kPS, {});
  EXPECT_EQ(ext.GetCategory(), 0x2000u);
  ext.Set(2, {});
  EXPECT_EQ(ext.GetCategory(), 0u);

  CPDFGraphObjs list;
  CPDFTextObject* to = list.AddTextObject()->AddBT()->AddET();
  EXPECT_EQ(to->GetCategory(), 0u);
  EXPECT_EQ(list.AddXObject("Im1")->GetCategory(), 0u);
}

TEST(GraphObjsTest, TextObjectInsidePage) {
  CPDFGraphObjs list;
  list.AddGSave();
  CPDFTextObject* text = list.AddTextObject();
  auto* move = new CPDFTextOperator;
  move->Set(CPDFTextOperator::kMove, {N(100), N(700)});
  text->AddBT()->AddFont("F1", 12)->AddOperator(move);
  text->AddRenderMode(2)->AddTextMatrix(1, 0, 0, 1, 0.5f, 0);
  text->AddShowText("a(b)\\c", 6)->AddShowText(nullptr, 0)->AddET();
  list.AddGRestore();
  const std::string written = Text(list);
  EXPECT_EQ(written,
            "q BT /F1 12 Tf 100 700 Td 2 Tr 1 0 0 1 0.5 0 Tm (a\\(b\\)\\\\c) Tj () Tj ET Q");
  EXPECT_EQ(written.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(text->GetOperators().GetCount(), 8);
}

TEST(GraphObjsTest, SettingReplacesAndOwnsOperands) {
  // Run under the address sanitizer: every operand is freed exactly once.
  CPDFPageDescOp op;
  op.SetMatrix(1, 2, 3, 4, 5, 6);
  EXPECT_EQ(op.GetOperator(), CPDFPageDescOp::kConcat);
  CPDFObject* keep = op.GetOperand(2);
  // An operand handed in again survives the deletion of the old ones.
  op.Set(CPDFPageDescOp::kLineWidth, {keep});
  EXPECT_EQ(Text(op), "3 w");
  EXPECT_EQ(op.GetOperand(1), nullptr);
  // More than six operands: the surplus is deleted, six are written.
  op.Set(CPDFPageDescOp::kConcat, {N(1), N(2), N(3), N(4), N(5), N(6), N(7), N(8)});
  EXPECT_EQ(Text(op), "1 2 3 4 5 6 cm");
  EXPECT_EQ(op.GetOperand(6), nullptr);
  op.SetEndCompat("raw", 3);
  op.SetGSave();
  EXPECT_EQ(Text(op), "q");  // the bytes of the old kind are gone
  op.SetStrokeGray(0.5f);
  EXPECT_EQ(Text(op), "0.5 G");

  CPDFTextOperator t;
  t.SetFont(nullptr, 9);
  EXPECT_EQ(Text(t), "/ 9 Tf");
  t.SetShowText("\xff\x00", 2);
  EXPECT_EQ(t.GetOperator(), CPDFTextOperator::kShow);
  EXPECT_EQ(static_cast<CPDFString*>(t.GetOperand(0))->GetLength(), 2);

  CPDFGraphObjList list;
  EXPECT_EQ(list.Append(nullptr), nullptr);
  EXPECT_EQ(list.GetCount(), 0);
}

}  // namespace
