#include "platform/SystemError.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <cerrno>

TEST(SystemError, RecordsTheFailingCallsErrno) {
  platform::SetLastSystemError(0);
  ASSERT_EQ(-1, ::open("/nonexistent-folder-for-test/file", O_RDONLY));
  platform::RecordSystemError();
  errno = 0;  // later calls may change errno; the record stays
  EXPECT_EQ(ENOENT, platform::GetLastSystemError());
  EXPECT_EQ("No such file or directory", platform::SystemErrorText(ENOENT));
}

TEST(SystemError, UnknownCodeStillHasText) {
  EXPECT_FALSE(platform::SystemErrorText(987654).empty());
}
