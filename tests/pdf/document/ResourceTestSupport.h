#pragma once
// Helpers of the resource and image tests: object text in and out, and a
// small resource kind for naming tests.
#include <memory>
#include <string>

#include "pdf/document/CPDFResource.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFOutStream.h"
#include "tests/pdf/object/WrittenText.h"

// Parses one object as the file reader would (values marked loaded).
inline std::unique_ptr<CPDFObject> ParseText(const std::string& text,
                                             CPDFObjRegistry* doc = nullptr) {
  CPDFMemInStream in;
  in.Open(text.data(), static_cast<int32_t>(text.size()), 16);
  try {
    return std::unique_ptr<CPDFObject>(CPDFObject::SerializeObject(doc, in, nullptr));
  } catch (CPDFException* e) {
    delete e;
    return nullptr;
  }
}

template <class T>
std::unique_ptr<T> ParseAs(const std::string& text, CPDFObjRegistry* doc = nullptr) {
  std::unique_ptr<CPDFObject> o = ParseText(text, doc);
  if (!dynamic_cast<T*>(o.get())) return nullptr;
  return std::unique_ptr<T>(dynamic_cast<T*>(o.release()));
}

// A dictionary resource of any category and prefix.
class TestResource : public CPDFResource, public CPDFDict {
 public:
  TestResource(uint32_t category, const char* prefix) : CPDFResource(category), prefix_(prefix) {}
  TestResource* Clone(CPDFObjRegistry*, CPDFObjRegistry*) override { return nullptr; }
  const CPDFName& GetNamePrefix() override { return prefix_; }
  const CPDFName& GetCategoryName() override { return CategoryName(GetCategory()); }

 private:
  CPDFName prefix_;
};
