#pragma once
// A real document, created empty (its catalog and page tree already hold
// the first object numbers), for tests of objects that use the registry.
// TestRegistry stays for tests that inject failures or count calls.
#include <gtest/gtest.h>

#include "pdf/composite/CPDFDoc.h"

class TestDoc : public CPDFDoc {
 public:
  TestDoc() { EXPECT_TRUE(Create(false, true, 1, 3)); }
};
