#include "pdf/object/TIFFErrorCapture.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

namespace {

int g_errors = 0;
int g_warnings = 0;
void CountError(const char*, const char*, va_list) { ++g_errors; }
void CountWarning(const char*, const char*, va_list) { ++g_warnings; }

TEST(TIFFErrorCaptureTest, RecordsTheFirstErrorAndRestoresHandlers) {
  TIFFErrorHandler previousError = TIFFSetErrorHandler(&CountError);
  TIFFErrorHandler previousWarning = TIFFSetWarningHandler(&CountWarning);
  g_errors = 0;
  g_warnings = 0;
  {
    TIFFErrorCapture capture;
    EXPECT_FALSE(capture.HasError());
    TIFFWarning("module", "only a warning");  // as are JPEG ones but of a piece decoded short
    TIFFWarning("JPEGLib", "%s", "Corrupt JPEG data: 2 extraneous bytes before marker 0xd9");
    TIFFWarning("JPEGPreDecode", "JPEG strip size exceeds expected dimensions, expected 32x8");
    EXPECT_FALSE(capture.HasError());
    TIFFError("TIFFReadDirectory", "bad value %d for %s", 7, "tag");
    TIFFError("other", "second error");
    ASSERT_TRUE(capture.HasError());
    EXPECT_EQ(capture.Module(), "TIFFReadDirectory");
    EXPECT_EQ(capture.Message(), "bad value 7 for tag");
    EXPECT_EQ(capture.Text(), "TIFFReadDirectory: bad value 7 for tag");
    capture.Clear();
    EXPECT_FALSE(capture.HasError());
    TIFFError(nullptr, "no module");
    EXPECT_EQ(capture.Module(), "");
    EXPECT_EQ(capture.Text(), "no module");
    // Fields are cut to fit 1024 bytes with their terminator.
    capture.Clear();
    const std::string longText(5000, 'x');
    TIFFError(longText.c_str(), "%s", longText.c_str());
    EXPECT_EQ(capture.Module().size(), TIFFErrorCapture::kFieldSize - 1);
    EXPECT_EQ(capture.Message().size(), TIFFErrorCapture::kFieldSize - 1);
  }
  EXPECT_EQ(g_errors, 0);
  EXPECT_EQ(g_warnings, 0);
  TIFFError("after", "reaches the caller's handler");
  EXPECT_EQ(g_errors, 1);
  EXPECT_EQ(TIFFSetErrorHandler(previousError), &CountError);
  EXPECT_EQ(TIFFSetWarningHandler(previousWarning), &CountWarning);
}

TEST(TIFFErrorCaptureTest, NestedCapturesEachGetTheirOwnErrors) {
  TIFFErrorCapture outer;
  {
    TIFFErrorCapture inner;
    TIFFError("inner", "first");
    EXPECT_TRUE(inner.HasError());
    EXPECT_FALSE(outer.HasError());
  }
  TIFFError("outer", "second");
  ASSERT_TRUE(outer.HasError());
  EXPECT_EQ(outer.Module(), "outer");
}

}  // namespace
