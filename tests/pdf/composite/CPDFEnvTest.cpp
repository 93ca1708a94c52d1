#include "pdf/composite/CPDFEnv.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class CountedItem : public FontCacheItem {
 public:
  explicit CountedItem(int* alive) : alive_(alive) { ++*alive_; }
  ~CountedItem() override { --*alive_; }

 private:
  int* alive_;
};

TEST(CPDFEnvTest, PathsGetOneTrailingSeparator) {
  CPDFEnv env;
  EXPECT_EQ(nullptr, env.GetTempDirectory());
  ASSERT_TRUE(env.Init("/tmp/a", "/cmap/", "", nullptr));
  EXPECT_STREQ("/tmp/a/", env.GetTempDirectory());
  EXPECT_STREQ("/cmap/", env.GetCMapDirectory());
  EXPECT_EQ(nullptr, env.GetAFMSearchDirectory());
  EXPECT_EQ(nullptr, env.GetAFMDirectory());
  EXPECT_EQ("/tmp/a/", CPDFEnv::TempDirectorySetting());
  EXPECT_EQ("/cmap/", CPDFEnv::CMapDirectorySetting());
  EXPECT_EQ("", CPDFEnv::AFMDirectorySetting());
  EXPECT_EQ("pn", CPDFEnv::TempPrefixSetting());

  // A later call replaces everything; dropped paths clear their settings,
  // the temporary directory included, and the prefix is still written.
  ASSERT_TRUE(env.Init(nullptr, nullptr, "/search", "/afm"));
  EXPECT_EQ(nullptr, env.GetTempDirectory());
  EXPECT_EQ(nullptr, env.GetCMapDirectory());
  EXPECT_STREQ("/search/", env.GetAFMSearchDirectory());
  EXPECT_EQ("", CPDFEnv::TempDirectorySetting());
  EXPECT_EQ("", CPDFEnv::CMapDirectorySetting());
  EXPECT_EQ("/afm/", CPDFEnv::AFMDirectorySetting());
  EXPECT_EQ("pn", CPDFEnv::TempPrefixSetting());

  // Long paths are kept whole.
  const std::string longPath(5000, 'd');
  env.SetTempDirectory(longPath.c_str());
  EXPECT_EQ(longPath + "/", env.GetTempDirectory());
  env.Init(nullptr, nullptr, nullptr, nullptr);
}

TEST(CPDFEnvTest, CachesReleaseTheirObjects) {
  int alive = 0;
  {
    CPDFEnv env;
    env.EncodingCache().SetAt(TempString("WinAnsiEncoding"), new CountedItem(&alive));
    env.CMapCache().SetAt(TempString("H"), new CountedItem(&alive));
    env.AFMCache().SetAt(TempString("Courier"), new CountedItem(&alive));
    env.TrueTypeCache().SetAt(TempString("Font"), new CountedItem(&alive));
    EXPECT_EQ(4, alive);
  }
  EXPECT_EQ(0, alive);
  EXPECT_EQ(&CPDFEnv::Global(), &CPDFEnv::Global());
}

}  // namespace
