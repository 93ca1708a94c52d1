// Actions read from PDF text: which dictionaries the factory types, what
// each type converts, the /Next chain (cycles and long chains included),
// what a failed load leaves, and what clones hold.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>

#include "pdf/document/CPDFFileSpec.h"
#include "pdf/interactive/CPDFAction.h"
#include "pdf/interactive/CPDFActionTypes.h"
#include "pdf/interactive/CPDFDestination.h"
#include "pdf/interactive/CPDFSound.h"
#include "pdf/interactive/CPDFWinLaunch.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFString.h"
#include "tests/pdf/document/PeriphTestSupport.h"

namespace {

using periph::Written;

std::string Ref(int32_t number) { return std::to_string(number) + " 0 R"; }

// The action the factory makes of the text (none when it refuses), and the
// raw dictionary it was made from.
struct Made {
  std::unique_ptr<CPDFObject> raw;
  std::unique_ptr<CPDFAction> action;
};

Made Create(CPDFObjRegistry* doc, const std::string& text, int32_t mask = -1) {
  Made made;
  made.raw = periph::Parse(text, doc);
  if (made.raw) made.action.reset(CPDFAction::CreateAction(doc, made.raw.get(), mask));
  return made;
}

const std::string kEmpty = Written(std::make_unique<CPDFDict>().get());

TEST(ActionTest, FactoryPicksTheTypeWhoseCheckPasses) {
  const struct {
    const char* text;
    int32_t mask;
    uint32_t bit;  // 0: the factory answers none
    const char* name;
  } cases[] = {
      {"<< /S /URI /URI (http://example.org/) >>", -1, 0x10, "URI"},
      {"<< /Type /Action /S /URI /URI (http://example.org/) >>", -1, 0x10, "URI"},
      {"<< /Type /Annot /S /URI /URI (http://example.org/) >>", -1, 0, ""},
      {"<< /Type (Action) /S /URI /URI (x) >>", -1, 0, ""},
      {"<< /S /URI /URI /x >>", -1, 0, ""},
      {"<< /S /URI /URI (x) >>", 0x1, 0, ""},
      {"<< /S /URI /URI (x) >>", 0, 0, ""},
      {"<< /S /GoToR /D [0 /Fit] /F (other.pdf) >>", 0x1, 0, ""},
      {"<< /S /GoToR /D [0 /Fit] /F (other.pdf) >>", -1, 0x2, "GoToR"},
      {"<< /S /GoToR /D [0 /Fit] >>", -1, 0, ""},
      {"<< /S /GoTo /D [0 /Fit] >>", -1, 0x1, "GoTo"},
      {"<< /S /GoTo /D (Chapter1) >>", -1, 0, ""},
      {"<< /S /GoTo >>", -1, 0, ""},
      {"<< /S (GoTo) /D [0 /Fit] >>", -1, 0, ""},
      {"<< /S /Launch >>", -1, 0x4, "Launch"},
      {"<< /S /Thread /D 1 >>", -1, 0x8, "Thread"},
      {"<< /S /Thread /D (t) >>", -1, 0x8, "Thread"},
      {"<< /S /Thread /D [1 0 R] >>", -1, 0, ""},
      {"<< /S /Sound /Sound << /Type /Sound /R 8000 >> >>", -1, 0, ""},
      {"<< /S /Movie >>", -1, 0x40, "Movie"},
      {"<< /S /SetState /T (f) >>", -1, 0x80, "SetState"},
      {"<< /S /Hide /T (a) >>", -1, 0x100, "Hide"},
      {"<< /S /Hide /T [1 0 R] >>", -1, 0, ""},
      {"<< /S /Named /N /NextPage >>", -1, 0x200, "Named"},
      {"<< /S /Named /N (NextPage) >>", -1, 0, ""},
      {"<< /S /NOP >>", -1, 0x400, "NOP"},
      {"<< /S /SubmitForm /F (http://example.org/) >>", -1, 0x800, "SubmitForm"},
      {"<< /S /SubmitForm >>", -1, 0, ""},
      {"<< /S /ResetForm >>", -1, 0x1000, "ResetForm"},
      {"<< /S /ImportData /F << /F (a.fdf) >> >>", -1, 0x2000, "ImportData"},
      {"<< /S /ImportData /F /a >>", -1, 0, ""},
      {"<< /S /JavaScript /JS (1) >>", -1, 0x4000, "JavaScript"},
      {"<< /S /JavaScript /JS << >> >>", -1, 0, ""},
      {"<< /S /Rendition >>", -1, 0, ""},
      {"<< >>", -1, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " mask " + std::to_string(c.mask));
    TestRegistry doc;
    auto raw = periph::Parse(c.text, &doc);
    ASSERT_NE(raw, nullptr);
    const std::string before = Written(raw.get());
    std::unique_ptr<CPDFAction> action(CPDFAction::CreateAction(&doc, raw.get(), c.mask));
    if (!c.bit) {
      EXPECT_EQ(action, nullptr);
      EXPECT_EQ(Written(raw.get()), before) << "a refused dictionary stays as read";
      continue;
    }
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->GetTypeBit(), c.bit);
    EXPECT_STREQ(action->GetTypeName(), c.name);
    EXPECT_EQ(action->GetDoc(), &doc);
    EXPECT_EQ(Written(action.get()), before);
    EXPECT_EQ(Written(raw.get()), kEmpty) << "the entries were taken over";
  }
  // Only dictionaries are actions.
  TestRegistry doc;
  auto stream = periph::Parse("<< /S /NOP /Length 1 >> stream\r\nx\r\nendstream\r\nendobj", &doc);
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(CPDFAction::CreateAction(&doc, stream.get(), -1), nullptr);
  EXPECT_EQ(CPDFAction::CreateAction(&doc, nullptr, -1), nullptr);
}

// Each row: objects registered first (numbers 1, 2, ...), the action, the
// key converted, and what the key must hold after the load.
TEST(ActionTest, LoadTypesTheEntriesItKnows) {
  using Is = bool (*)(CPDFObject*);
  const Is destination = [](CPDFObject* o) { return dynamic_cast<CPDFDestination*>(o) != nullptr; };
  const Is plainArray = [](CPDFObject* o) { return o && typeid(*o) == typeid(CPDFArray); };
  const Is fileSpec = [](CPDFObject* o) { return dynamic_cast<CPDFFileSpec*>(o) != nullptr; };
  const Is plainDict = [](CPDFObject* o) { return o && typeid(*o) == typeid(CPDFDict); };
  const Is string = [](CPDFObject* o) { return o && typeid(*o) == typeid(CPDFString); };
  const Is text = [](CPDFObject* o) { return dynamic_cast<CPDFText*>(o) != nullptr; };
  const Is winLaunch = [](CPDFObject* o) { return dynamic_cast<CPDFWinLaunch*>(o) != nullptr; };
  const Is sound = [](CPDFObject* o) { return dynamic_cast<CPDFSound*>(o) != nullptr; };
  const Is integer = [](CPDFObject* o) { return dynamic_cast<CPDFInt*>(o) != nullptr; };
  const Is number = [](CPDFObject* o) { return o && typeid(*o) == typeid(CPDFNumber); };

  const std::string page = "<< /Type /Page >>";
  const std::string spec = "<< /Type /Filespec /F (other.pdf) >>";
  const std::string soundStream =
      "<< /Type /Sound /R 8000 /Length 3 >> stream\r\nxyz\r\nendstream\r\nendobj";
  const struct {
    std::string registered;  // one object, or none
    std::string text;
    const char* key;
    Is is;
  } cases[] = {
      {page, "<< /S /GoTo /D [1 0 R /Fit] >>", "D", destination},
      {"[0 /FitH 700]", "<< /S /GoTo /D 1 0 R >>", "D", destination},
      {"", "<< /S /GoTo /D [0 (Fit)] >>", "D", plainArray},
      {"", "<< /S /GoTo /D [0 /XYZ null 792 0] >>", "D", plainArray},
      {"", "<< /S /GoToR /D [0 /Fit] /F (other.pdf) >>", "D", destination},
      {"", "<< /S /GoToR /D [0 /Fit] /F (other.pdf) >>", "F", string},
      {spec, "<< /S /GoToR /D [0 /Fit] /F 1 0 R >>", "F", fileSpec},
      {"", "<< /S /Launch /F << /F (a.pdf) >> >>", "F", plainDict},
      {"", "<< /S /Launch /F << /Type /Filespec /F (a.pdf) >> >>", "F", fileSpec},
      {"", "<< /S /Launch /Win << /F (a.exe) >> >>", "Win", winLaunch},
      {"<< /F (a.exe) >>", "<< /S /Launch /Win 1 0 R >>", "Win", winLaunch},
      {"", "<< /S /Thread /D 1 /F << /Type /Filespec /F (t.pdf) >> >>", "F", fileSpec},
      {soundStream, "<< /S /Sound /Sound 1 0 R >>", "Sound", sound},
      {"<< /Type /Sound /Length 1 >> stream\r\nx\r\nendstream\r\nendobj",
       "<< /S /Sound /Sound 1 0 R >>", "Sound",
       [](CPDFObject* o) { return dynamic_cast<CPDFStream*>(o) && !dynamic_cast<CPDFSound*>(o); }},
      {"", "<< /S /Movie /T (clip) >>", "T", text},
      {"", "<< /S /SubmitForm /F (http://example.org/) /Flags 4 >>", "Flags", integer},
      {spec, "<< /S /SubmitForm /F 1 0 R >>", "F", fileSpec},
      {"", "<< /S /ResetForm /Flags 1 >>", "Flags", integer},
      {"", "<< /S /ImportData /F << /Type /Filespec /F (a.fdf) >> >>", "F", fileSpec},
      {"", "<< /S /Named /N /NextPage /Flags 1 >>", "Flags", number},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.registered + " ;; " + c.text + " key " + c.key);
    TestRegistry doc;
    if (!c.registered.empty()) {
      ASSERT_EQ(periph::Register(doc, c.registered), 1);
    }
    auto raw = periph::Parse(c.text, &doc);
    ASSERT_NE(raw, nullptr);
    const std::string before = Written(raw.get());
    std::unique_ptr<CPDFAction> action(CPDFAction::CreateAction(&doc, raw.get(), -1));
    ASSERT_NE(action, nullptr);
    CPDFObjRef ref;
    CPDFObject* value = action->Get(&doc, CPDFName(c.key), &ref);
    EXPECT_TRUE(c.is(value)) << (value ? typeid(*value).name() : "none");
    if (ref.IsDefined()) {
      EXPECT_EQ(ref.GetNumber(), 1);
      EXPECT_EQ(doc.GetObj(ref), value) << "typed under the same number";
    }
    EXPECT_EQ(Written(action.get()), before);
  }
}

TEST(ActionTest, TypedGettersAnswerNoneForRawEntries) {
  TestRegistry doc;
  Made made = Create(&doc, "<< /S /GoToR /D [0 (Fit)] /F (other.pdf) >>");
  auto* gotoR = dynamic_cast<CPDFGoToRAct*>(made.action.get());
  ASSERT_NE(gotoR, nullptr);
  CPDFObjRef ref;
  EXPECT_EQ(gotoR->Get_D(&ref), nullptr);
  EXPECT_NE(gotoR->Get_F(), nullptr);
  Made launch = Create(&doc, "<< /S /Launch /Win (a.exe) >>");
  auto* launchAct = dynamic_cast<CPDFLaunchAct*>(launch.action.get());
  ASSERT_NE(launchAct, nullptr);
  EXPECT_EQ(launchAct->Get_Win(), nullptr);
}

TEST(ActionTest, NextIsTypedWhereItIsAnActionDictionary) {
  // Absent: nothing is added.
  {
    TestRegistry doc;
    Made made = Create(&doc, "<< /S /NOP >>");
    ASSERT_NE(made.action, nullptr);
    EXPECT_EQ(made.action->Get_Next(), nullptr);
    EXPECT_EQ(Written(made.action.get()), Written(periph::Parse("<< /S /NOP >>", &doc).get()));
  }
  // A direct dictionary, and one reached through a reference.
  {
    TestRegistry doc;
    Made made = Create(&doc, "<< /S /NOP /Next << /S /Named /N /NextPage >> >>");
    ASSERT_NE(made.action, nullptr);
    EXPECT_NE(dynamic_cast<CPDFNamedAct*>(made.action->Get_Next()), nullptr);

    ASSERT_EQ(periph::Register(doc, "<< /S /URI /URI (http://example.org/) >>"), 1);
    Made indirect = Create(&doc, "<< /S /NOP /Next 1 0 R >>");
    ASSERT_NE(indirect.action, nullptr);
    CPDFObjRef ref;
    auto* next = dynamic_cast<CPDFURIAct*>(indirect.action->Get_Next(&ref));
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(ref.GetNumber(), 1);
    EXPECT_EQ(doc.GetObj(ref), static_cast<CPDFObject*>(next));
    EXPECT_EQ(Written(indirect.action.get()),
              Written(periph::Parse("<< /S /NOP /Next 1 0 R >>", &doc).get()));
  }
  // An array: only the action dictionary is replaced.
  {
    TestRegistry doc;
    ASSERT_EQ(periph::Register(doc, "<< /S /JavaScript /JS (1) >>"), 1);
    const std::string text = "<< /S /NOP /Next [<< /S /NOP >> << /S /Unknown >> 3 1 0 R] >>";
    Made made = Create(&doc, text);
    ASSERT_NE(made.action, nullptr);
    auto* array = dynamic_cast<CPDFArray*>(made.action->Get_Next());
    ASSERT_NE(array, nullptr);
    EXPECT_NE(dynamic_cast<CPDFNOPAct*>(array->Get(&doc, 0)), nullptr);
    EXPECT_EQ(typeid(*array->Get(&doc, 1)), typeid(CPDFDict));
    EXPECT_EQ(typeid(*array->Get(&doc, 2)), typeid(CPDFNumber));
    CPDFObjRef ref;
    EXPECT_NE(dynamic_cast<CPDFJavaScriptAct*>(array->Get(&doc, 3, &ref)), nullptr);
    EXPECT_EQ(ref.GetNumber(), 1);
    EXPECT_EQ(Written(made.action.get()), Written(periph::Parse(text, &doc).get()));
  }
  // A stream or a name stays.
  for (const char* text : {"<< /S /NOP /Next /Other >>", "<< /S /NOP /Next 1 0 R >>"}) {
    TestRegistry doc;
    ASSERT_EQ(periph::Register(doc, "<< /S /NOP /Length 1 >> stream\r\nx\r\nendstream\r\nendobj"),
              1);
    Made made = Create(&doc, text);
    ASSERT_NE(made.action, nullptr) << text;
    CPDFObject* next = made.action->Get_Next();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(dynamic_cast<CPDFAction*>(next), nullptr) << text;
  }
  // A typed action put there in memory is not converted again.
  {
    TestRegistry doc;
    Made inner = Create(&doc, "<< /S /NOP >>");
    ASSERT_NE(inner.action, nullptr);
    CPDFAction* kept = inner.action.get();
    auto raw = periph::Parse("<< /S /Named /N /NextPage >>", &doc);
    auto* dict = dynamic_cast<CPDFDict*>(raw.get());
    ASSERT_TRUE(
        dict->Set(&doc, CPDFAction::Key_Next(), static_cast<CPDFDict*>(inner.action.release())));
    std::unique_ptr<CPDFAction> action(CPDFAction::CreateAction(&doc, raw.get(), -1));
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->Get_Next(), static_cast<CPDFObject*>(kept));
  }
  // An array element that cannot be fetched fails the load; the source keeps
  // its entries.
  {
    TestRegistry doc;
    const std::string text = "<< /S /NOP /Next [<< /S /NOP >> 9 0 R] >>";
    Made made = Create(&doc, text);
    EXPECT_EQ(made.action, nullptr);
    EXPECT_EQ(Written(made.raw.get()), Written(periph::Parse(text, &doc).get()));
  }
}

TEST(ActionTest, ACycleOfNextEndsAtTheActionBeingLoaded) {
  TestRegistry doc;
  ASSERT_EQ(periph::Register(doc, "<< /S /URI /URI (a) /Next 2 0 R >>"), 1);
  ASSERT_EQ(periph::Register(doc, "<< /S /Named /N /NextPage /Next 1 0 R >>"), 2);
  const CPDFObjRef a(1, 0);
  std::unique_ptr<CPDFAction> action(CPDFAction::CreateAction(&doc, doc.GetObj(a), -1));
  ASSERT_NE(action, nullptr);
  CPDFObjRef ref;
  auto* b = dynamic_cast<CPDFNamedAct*>(action->Get_Next(&ref));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(ref.GetNumber(), 2);
  CPDFObject* back = b->Get_Next(&ref);
  EXPECT_EQ(ref.GetNumber(), 1) << "B's Next stays the reference to A";
  EXPECT_EQ(dynamic_cast<CPDFAction*>(back), nullptr);
  // The owner stores A under its number: the chain is whole again.
  CPDFObjRef same = a;
  ASSERT_TRUE(doc.RegistObj(action.get(), &same));
  CPDFAction* stored = action.release();
  EXPECT_EQ(b->Get_Next(), static_cast<CPDFObject*>(stored));
  EXPECT_EQ(Written(stored),
            Written(periph::Parse("<< /S /URI /URI (a) /Next 2 0 R >>", &doc).get()));
}

TEST(ActionTest, ALongChainOfNextStopsBeingTypedInsteadOfOverflowing) {
  TestRegistry doc;
  const int32_t count = 100;
  for (int32_t i = 1; i <= count; ++i) {
    const std::string next = i < count ? " /Next " + Ref(i + 1) : "";
    ASSERT_EQ(periph::Register(doc, "<< /S /URI /URI (" + std::to_string(i) + ")" + next + " >>"),
              i);
  }
  std::unique_ptr<CPDFAction> action(
      CPDFAction::CreateAction(&doc, doc.GetObj(CPDFObjRef(1, 0)), -1));
  ASSERT_NE(action, nullptr);
  int32_t typed = 1, reached = 1;
  bool rawSeen = false;
  CPDFDict* at = action.get();
  while (CPDFObject* next = at->Get(&doc, CPDFAction::Key_Next())) {
    ++reached;
    if (dynamic_cast<CPDFAction*>(next)) {
      EXPECT_FALSE(rawSeen) << "a typed action after a raw one at " << reached;
      ++typed;
    } else {
      rawSeen = true;
    }
    at = dynamic_cast<CPDFDict*>(next);
    ASSERT_NE(at, nullptr);
  }
  EXPECT_EQ(reached, count);
  EXPECT_GT(typed, 1);
  EXPECT_LT(typed, count);
  EXPECT_TRUE(rawSeen);
}

TEST(ActionTest, AFailedLoadGivesEverythingBack) {
  TestRegistry doc;
  ASSERT_EQ(periph::Register(doc, "[0 /FitH 700]"), 1);
  const std::string text = "<< /S /GoTo /D 1 0 R /Next << /S /NOP >> /X (y) >>";
  auto raw = periph::Parse(text, &doc);
  const std::string before = Written(raw.get());
  doc.failRegist = true;
  std::unique_ptr<CPDFAction> action(CPDFAction::CreateAction(&doc, raw.get(), -1));
  doc.failRegist = false;
  EXPECT_EQ(action, nullptr);
  EXPECT_EQ(Written(raw.get()), before);
  EXPECT_EQ(Written(doc.GetObj(CPDFObjRef(1, 0))), "[0 /FitH 700]");
  // And once the store works, the same dictionary loads.
  action.reset(CPDFAction::CreateAction(&doc, raw.get(), -1));
  ASSERT_NE(action, nullptr);
  EXPECT_EQ(Written(action.get()), before);
}

TEST(ActionTest, ClonesKeepTheirTypeAndLeaveOutForeignLinks) {
  const struct {
    const char* text;
    const char* cloned;  // what the clone into another document writes
  } cases[] = {
      {"<< /S /SubmitForm /Fields [(a)] /F (http://example.org/) /Flags 4 >>",
       "<< /S /SubmitForm /F (http://example.org/) /Flags 4 >>"},
      {"<< /S /ResetForm /Fields [(a)] /Flags 1 >>", "<< /S /ResetForm /Flags 1 >>"},
      {"<< /S /Thread /D 1 /B 2 /F (t.pdf) >>", "<< /S /Thread /F (t.pdf) >>"},
      {"<< /S /Movie /Annot << /Subtype /Movie >> /T (clip) /Operation /Play >>",
       "<< /S /Movie /T (clip) /Operation /Play >>"},
      {"<< /S /GoTo /D [1 0 R /Fit] >>", "<< /S /GoTo /D [null /Fit] >>"},
      {"<< /S /GoToR /D [0 /Fit] /F << /Type /Filespec /F (o.pdf) >> >>",
       "<< /S /GoToR /D [0 /Fit] /F << /Type /Filespec /F (o.pdf) >> >>"},
      {"<< /S /Launch /Win << /F (a.exe) >> >>", "<< /S /Launch /Win << /F (a.exe) >> >>"},
      {"<< /S /URI /URI (u) /Next << /S /Named /N /NextPage >> >>",
       "<< /S /URI /URI (u) /Next << /S /Named /N /NextPage >> >>"},
      {"<< /S /SetState /T (f) >>", "<< /S /SetState /T (f) >>"},
      {"<< /S /Hide /T (a) >>", "<< /S /Hide /T (a) >>"},
      {"<< /S /NOP >>", "<< /S /NOP >>"},
      {"<< /S /ImportData /F (a.fdf) >>", "<< /S /ImportData /F (a.fdf) >>"},
      {"<< /S /JavaScript /JS (1) >>", "<< /S /JavaScript /JS (1) >>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    TestRegistry doc;
    ASSERT_EQ(periph::Register(doc, "<< /Type /Page >>"), 1);
    Made made = Create(&doc, c.text);
    ASSERT_NE(made.action, nullptr);
    const std::string before = Written(made.action.get());
    TestRegistry other;
    std::unique_ptr<CPDFAction> copy(made.action->Clone(&other, &doc));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(typeid(*copy), typeid(*made.action));
    EXPECT_EQ(copy->GetTypeBit(), made.action->GetTypeBit());
    EXPECT_STREQ(copy->GetTypeName(), made.action->GetTypeName());
    EXPECT_EQ(copy->GetDoc(), &other);
    EXPECT_EQ(Written(copy.get()), Written(periph::Parse(c.cloned, &doc).get()));
    EXPECT_EQ(Written(made.action.get()), before) << "the original is untouched";
  }
}

}  // namespace
