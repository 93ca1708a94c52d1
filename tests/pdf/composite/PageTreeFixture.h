// A new document and its page tree's root, for the page tree's tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "pdf/composite/CPDFCatalog.h"
#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFPages.h"

namespace pagetest {

struct Tree {
  std::unique_ptr<CPDFDoc> doc = std::make_unique<CPDFDoc>();
  CPDFPages* root = nullptr;
  CPDFObjRef rootRef;

  Tree() {
    EXPECT_TRUE(doc->Create(false, false, 1, 3));
    root = doc->GetCatalog()->Get_Pages(&rootRef);
  }
  CPDFObjRef PageRef(int32_t index) {
    CPDFObjRef ref;
    doc->GetPage(index, &ref);
    return ref;
  }
};

}  // namespace pagetest
