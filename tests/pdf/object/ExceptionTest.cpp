#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "pdf/object/CPDFException.h"
#include "platform/SystemError.h"

namespace {

TEST(CPDFExceptionTest, RuntimeAndSystemTexts) {
  FILE* f = std::fopen("/nonexistent-dir/missing-file", "rb");
  ASSERT_EQ(f, nullptr);
  const int err = errno;
  CPDFException e("CPDFDoc", "Save", 1);
  EXPECT_STREQ(e.GetMessage(), std::strerror(err));
  EXPECT_STREQ(e.GetClassName(), "CPDFDoc");
  EXPECT_STREQ(e.GetMethodName(), "Save");
  EXPECT_EQ(e.GetCode(), 1);

  platform::SetLastSystemError(EACCES);
  CPDFException s("FileMap", "Open", 2);
  EXPECT_STREQ(s.GetMessage(), platform::SystemErrorText(EACCES).c_str());
  platform::SetLastSystemError(0);

  CPDFException given("CPDFDoc", "Save", 1, "own text");
  EXPECT_STREQ(given.GetMessage(), "own text");
}

TEST(CPDFExceptionTest, SyntaxCodeHasEmptyMessageAndAssignmentCopiesAll) {
  errno = ENOENT;
  CPDFException e("CPDFName", "Serialize", 4);
  EXPECT_STREQ(e.GetMessage(), "");
  CPDFException f;
  EXPECT_EQ(f.GetCode(), 0);
  f = CPDFException("CPDFDict", "Serialize", 4, "typecheck: Number");
  EXPECT_STREQ(f.GetClassName(), "CPDFDict");
  EXPECT_STREQ(f.GetMethodName(), "Serialize");
  EXPECT_EQ(f.GetCode(), 4);
  EXPECT_STREQ(f.GetMessage(), "typecheck: Number");
  f.Clear();
  EXPECT_FALSE(f.IsError());
  // Cleared is empty: no stale class, method or message.
  EXPECT_STREQ(f.GetClassName(), "");
  EXPECT_STREQ(f.GetMethodName(), "");
  EXPECT_STREQ(f.GetMessage(), "");
}

TEST(CPDFExceptionTest, TextsKeptExactly) {
  CPDFException a("CPDFDoc", "CreatePage", 3, "There is no CPDFPage for FDF file.");
  CPDFException b("CPDFDoc", "GetPage", 5, "There is no CPDFPage for FDF file");
  EXPECT_STREQ(a.GetMessage(), "There is no CPDFPage for FDF file.");
  EXPECT_STREQ(b.GetMessage(), "There is no CPDFPage for FDF file");
  CPDFException c;
  c.SetFormat("CPDFName", "Serialize", 4, "invalidtoken: %c", 'x');
  EXPECT_STREQ(c.GetMessage(), "invalidtoken: x");
}

TEST(CPDFExceptionTest, AbsorbClassifiesAndKeepsTheInnermost) {
  CPDFException record;
  try {
    CPDFException::Throw("CPDFArray", "Serialize", 4, "ioerror");
  } catch (...) {
    EXPECT_FALSE(CPDFException::Absorb(&record, "CPDFDoc", "LoadObj"));
  }
  EXPECT_STREQ(record.GetClassName(), "CPDFArray");
  EXPECT_STREQ(record.GetMessage(), "ioerror");

  // A later failure does not overwrite a filled record.
  try {
    throw "CPDFDoc::GetBody()";
  } catch (...) {
    CPDFException::Absorb(&record, "CPDFDoc", "Flush");
  }
  EXPECT_STREQ(record.GetMessage(), "ioerror");

  record.Clear();
  try {
    throw "CPDFDoc::GetBody()";
  } catch (...) {
    CPDFException::Absorb(&record, "CPDFDoc", "Flush");
  }
  EXPECT_EQ(record.GetCode(), 5);
  EXPECT_STREQ(record.GetMessage(), "CPDFDoc::GetBody()");

  record.Clear();
  try {
    throw std::runtime_error("x");
  } catch (...) {
    CPDFException::Absorb(&record, "CPDFDoc", "Flush");
  }
  EXPECT_EQ(record.GetCode(), 5);
  EXPECT_STREQ(record.GetMethodName(), "Flush");
  EXPECT_STREQ(record.GetMessage(), "");

  // Without a record the thrown object is still deleted (checked by ASan).
  try {
    CPDFException::Throw("X", "Y", 5);
  } catch (...) {
    CPDFException::Absorb(nullptr, "X", "Y");
  }
}

TEST(TIFFExceptionTest, KeepsModuleAndMessage) {
  TIFFException e("TIFFReadDirectory", "bad tag");
  EXPECT_STREQ(e.GetModule(), "TIFFReadDirectory");
  EXPECT_STREQ(e.GetMessage(), "bad tag");
}

}  // namespace
