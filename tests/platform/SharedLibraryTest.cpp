#include "platform/SharedLibrary.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using VersionFunction = const char* (*)();

bool IsLoaded(const char* soname) {
  return dlopen(soname, RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD) != nullptr;
}

TEST(SharedLibraryTest, OpensARealLibraryAndGivesItsFunctions) {
  platform::SharedLibrary zlib("libz.so.1");
  EXPECT_EQ(zlib.Soname(), "libz.so.1");
  ASSERT_TRUE(zlib.Load()) << zlib.LoadError();
  EXPECT_TRUE(zlib.LoadError().empty());
  EXPECT_TRUE(zlib.Load());  // again: the same open library
  std::string error = "untouched";
  auto version = zlib.Function<VersionFunction>("zlibVersion", &error);
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(error, "untouched");
  ASSERT_NE(version(), nullptr);
  EXPECT_EQ(version()[0], '1');  // zlib 1.x
  EXPECT_TRUE(IsLoaded("libz.so.1"));
}

TEST(SharedLibraryTest, AMissingSymbolFailsNamingItAndTheLibrary) {
  platform::SharedLibrary zlib("libz.so.1");
  std::string error;
  EXPECT_EQ(zlib.Symbol("pnNoSuchFunction", &error), nullptr);
  EXPECT_NE(error.find("pnNoSuchFunction"), std::string::npos) << error;
  EXPECT_NE(error.find("libz.so.1"), std::string::npos) << error;
  // The library itself is open and still gives its other functions.
  EXPECT_TRUE(zlib.Load());
  EXPECT_NE(zlib.Symbol("zlibVersion"), nullptr);
  EXPECT_EQ(zlib.Symbol("pnNoSuchFunction"), nullptr);  // no error text asked for
}

TEST(SharedLibraryTest, AMissingLibraryFailsNamingIt) {
  platform::SharedLibrary missing("libpn-no-such-library.so.7");
  EXPECT_FALSE(missing.Load());
  const std::string reason = missing.LoadError();
  EXPECT_NE(reason.find("libpn-no-such-library.so.7"), std::string::npos) << reason;
  // Every symbol fails with the same reason; asking again changes nothing.
  std::string error;
  EXPECT_EQ(missing.Symbol("zlibVersion", &error), nullptr);
  EXPECT_EQ(error, reason);
  EXPECT_FALSE(missing.Load());
  EXPECT_FALSE(missing.LoadIfPresent());
  EXPECT_EQ(missing.LoadError(), reason);
}

TEST(SharedLibraryTest, LoadIfPresentLoadsNothingNew) {
  // Each test runs in a process of its own; whether this one has zlib
  // already depends on how it is linked, and must not change.
  const bool present = IsLoaded("libz.so.1");
  platform::SharedLibrary zlib("libz.so.1");
  EXPECT_EQ(zlib.LoadIfPresent(), present);
  EXPECT_EQ(IsLoaded("libz.so.1"), present);
  EXPECT_NE(zlib.Symbol("zlibVersion"), nullptr);  // loads it now
  EXPECT_TRUE(zlib.LoadIfPresent());
}

TEST(SharedLibraryTest, ThreadsOpeningAtOnceGetTheSameFunction) {
  platform::SharedLibrary zlib("libz.so.1");
  std::vector<void*> found(8, nullptr);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < found.size(); ++i)
    threads.emplace_back([&zlib, &found, i] { found[i] = zlib.Symbol("zlibVersion"); });
  for (std::thread& t : threads) t.join();
  for (void* address : found) {
    EXPECT_NE(address, nullptr);
    EXPECT_EQ(address, found[0]);
  }
}

}  // namespace
