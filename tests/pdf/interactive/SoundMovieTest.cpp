// Sounds, movies, movie activations and launch parameters read from PDF
// text: which entries are typed and which stay as read.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "pdf/document/CPDFFileSpec.h"
#include "pdf/document/CPDFImageXObj.h"
#include "pdf/interactive/CPDFMovieActiv.h"
#include "pdf/interactive/CPDFMovieDict.h"
#include "pdf/interactive/CPDFSound.h"
#include "pdf/interactive/CPDFWinLaunch.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFNumber.h"
#include "tests/pdf/document/PeriphTestSupport.h"

namespace {

using periph::Written;

std::string Ref(int32_t number) { return std::to_string(number) + " 0 R"; }

std::string SoundText(const std::string& entries) {
  return "<< " + entries + " /Length 4 >> stream\r\nRIFF\r\nendstream\r\nendobj";
}

int32_t TypeOf(CPDFObject* object) { return object ? object->GetType() : -1; }

TEST(SoundTest, CheckWantsTypeSoundAndARateReadFromTheFile) {
  TestRegistry doc;
  const struct {
    const char* entries;
    bool check;
  } cases[] = {
      {"/Type /Sound /R 22050", true},
      {"/Type /Sound /R 8000.5", true},
      {"/R 22050", false},
      {"/Type /Sound", false},
      {"/Type /Sound /R (22050)", false},
      {"/Type (Sound) /R 22050", false},
  };
  for (const auto& c : cases) {
    auto raw = periph::Parse(SoundText(c.entries), &doc);
    ASSERT_NE(raw, nullptr) << c.entries;
    const std::string before = Written(raw.get());
    EXPECT_EQ(CPDFSound::Check(&doc, raw.get()), c.check) << c.entries;
    EXPECT_EQ(Written(raw.get()), before) << c.entries;
  }
  // A rate made in memory is an integer, not a number read from a file.
  auto raw = periph::Parse(SoundText("/Type /Sound /R 22050"), &doc);
  auto* stream = dynamic_cast<CPDFStream*>(raw.get());
  ASSERT_NE(stream, nullptr);
  ASSERT_TRUE(stream->Set(&doc, CPDFSound::Key_R(), new CPDFInt(22050), false, nullptr));
  EXPECT_FALSE(CPDFSound::Check(&doc, stream));
}

TEST(SoundTest, ChannelsAndBitsBecomeIntegersWhileTheRateStaysANumber) {
  TestRegistry doc;
  auto raw = periph::Parse(SoundText("/Type /Sound /R 22050 /C 2 /B 16 /E /Signed"), &doc);
  const std::string before = Written(raw.get());
  auto sound = periph::LoadAs<CPDFSound, CPDFStream>(&doc, raw.get());
  ASSERT_NE(sound, nullptr);
  EXPECT_EQ(TypeOf(sound->Get(&doc, CPDFSound::Key_R())), CPDFObject::kNumber);
  EXPECT_EQ(TypeOf(sound->Get_C()), CPDFObject::kInteger);
  EXPECT_EQ(TypeOf(sound->Get_B()), CPDFObject::kInteger);
  EXPECT_EQ(std::string(sound->GetData(), sound->GetDataLength()), "RIFF");
  EXPECT_EQ(Written(sound.get()), before);
}

TEST(MovieTest, FileRotationAndPosterAreTypedOnlyWhenTheyQualify) {
  TestRegistry doc;
  const int32_t image = periph::Register(
      doc,
      "<< /Type /XObject /Subtype /Image /Width 2 /Height 1 /BitsPerComponent 8 /ColorSpace "
      "/DeviceGray /Length 2 >> stream\r\nab\r\nendstream\r\nendobj");
  const int32_t rotate = periph::Register(doc, "90");
  ASSERT_GT(image, 0);
  ASSERT_GT(rotate, 0);
  const struct {
    std::string text;
    bool check;
    bool load;
    bool fileSpec;
    bool poster;
  } cases[] = {
      {"<< /F (movie.avi) /Poster true >>", true, true, false, false},
      {"<< /F << /Type /Filespec /F (movie.avi) >> /Poster " + Ref(image) + " >>", true, true, true,
       true},
      {"<< /F << /F (movie.avi) >> >>", true, true, false, false},
      {"<< /F 3 >>", false, true, false, false},
      {"<< /Rotate 90 >>", false, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    auto raw = periph::Parse(c.text, &doc);
    ASSERT_NE(raw, nullptr);
    const std::string before = Written(raw.get());
    EXPECT_EQ(CPDFMovieDict::Check(&doc, raw.get()), c.check);
    auto movie = periph::LoadAs<CPDFMovieDict, CPDFDict>(&doc, raw.get());
    EXPECT_EQ(movie != nullptr, c.load);
    if (!movie) {
      EXPECT_EQ(Written(raw.get()), before);
      continue;
    }
    EXPECT_EQ(dynamic_cast<CPDFFileSpec*>(movie->Get_F()) != nullptr, c.fileSpec);
    EXPECT_EQ(dynamic_cast<CPDFImageXObj*>(movie->Get_Poster()) != nullptr, c.poster);
    EXPECT_EQ(Written(movie.get()), before);
  }

  // An indirect Rotate becomes an integer under its own number.
  auto raw = periph::Parse("<< /F (m.avi) /Rotate " + Ref(rotate) + " >>", &doc);
  auto movie = periph::LoadAs<CPDFMovieDict, CPDFDict>(&doc, raw.get());
  ASSERT_NE(movie, nullptr);
  CPDFObjRef ref;
  EXPECT_EQ(TypeOf(movie->Get_Rotate(&ref)), CPDFObject::kInteger);
  EXPECT_EQ(ref.GetNumber(), rotate);
  EXPECT_EQ(doc.GetObj(ref), movie->Get_Rotate());
}

TEST(MovieTest, ActivationTypesTheNumbersOfItsArraysOnly) {
  TestRegistry doc;
  auto raw = periph::Parse("<< /Start [10 600] /Duration 10 /FWScale [2 1] /Rate 1.5 >>", &doc);
  const std::string before = Written(raw.get());
  auto activ = periph::LoadAs<CPDFMovieActiv, CPDFDict>(&doc, raw.get());
  ASSERT_NE(activ, nullptr);
  for (CPDFObject* value : {activ->Get_Start(), activ->Get_FWScale()}) {
    auto* array = dynamic_cast<CPDFArray*>(value);
    ASSERT_NE(array, nullptr);
    ASSERT_EQ(array->GetCount(), 2);
    for (int32_t i = 0; i < 2; ++i) EXPECT_EQ(TypeOf(array->Get(&doc, i)), CPDFObject::kInteger);
  }
  EXPECT_EQ(TypeOf(activ->Get_Duration()), CPDFObject::kNumber);
  EXPECT_EQ(TypeOf(activ->Get(&doc, CPDFName("Rate"))), CPDFObject::kNumber);
  EXPECT_EQ(Written(activ.get()), before);

  // An element that cannot be fetched fails the load and gives everything back.
  raw = periph::Parse("<< /Start [10 99 0 R] >>", &doc);
  const std::string dangling = Written(raw.get());
  EXPECT_EQ((periph::LoadAs<CPDFMovieActiv, CPDFDict>(&doc, raw.get())), nullptr);
  EXPECT_EQ(Written(raw.get()), dangling);
}

TEST(WinLaunchTest, EntriesAreHeldAsRead) {
  TestRegistry doc;
  for (const char* text : {"<< /F (setup.exe) /P (/quiet) >>", "<< >>"}) {
    auto raw = periph::Parse(text, &doc);
    const std::string before = Written(raw.get());
    auto win = periph::LoadAs<CPDFWinLaunch, CPDFDict>(&doc, raw.get());
    ASSERT_NE(win, nullptr) << text;
    EXPECT_EQ(Written(win.get()), before) << text;
  }
}

}  // namespace
