#pragma once
// A small stand-in for the document's indirect-object registry, for tests
// that make a store fail (failRegist), count releases and linearisations,
// or place objects under chosen numbers as a file would. Other tests use a
// real document (TestDoc.h).
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "pdf/object/CPDFObjRefDict.h"
#include "pdf/object/CPDFObjRegistry.h"
#include "pdf/object/CPDFObject.h"

class TestRegistry : public CPDFObjRegistry {
 public:
  ~TestRegistry() override {
    for (auto& [n, o] : objects) delete o;
  }
  using CPDFObjRegistry::RegistObj;
  bool RegistObj(CPDFObject* object, CPDFObjRef* ref) override {
    if (!object || failRegist) return false;
    if (ref && ref->IsDefined()) {
      auto it = objects.find(ref->GetNumber());
      if (it == objects.end()) return false;
      if (it->second != object) delete it->second;
      it->second = object;
      return true;
    }
    const int32_t n = next++;
    objects[n] = object;
    if (ref) ref->Set(n, 0);
    return true;
  }
  CPDFObject* GetObj(const CPDFObjRef& ref) override {
    auto it = objects.find(ref.GetNumber());
    return it == objects.end() ? nullptr : it->second;
  }
  void DeleteObj(const CPDFObjRef& ref) override {
    auto it = objects.find(ref.GetNumber());
    if (it == objects.end()) return;
    delete it->second;
    objects.erase(it);
    deleted.push_back(ref.GetNumber());
  }
  bool UpdateObj(const CPDFObjRef& ref) override {
    updated.push_back(ref.GetNumber());
    return true;
  }
  bool ReleaseObj(const CPDFObjRef& ref, bool) override {
    released.push_back(ref.GetNumber());
    return true;
  }
  bool LinearizeObj(const CPDFObjRef& ref, bool) override {
    linearized.push_back(ref.GetNumber());
    map.Insert(ref, CPDFObjRef(ref.GetNumber() + 100, 0));
    return true;
  }
  bool GetLinearRef(const CPDFObjRef& from, CPDFObjRef* to) override {
    return map.Lookup(from, to);
  }
  const char* GetFileName() const override { return ""; }

  std::map<int32_t, CPDFObject*> objects;
  std::vector<int32_t> deleted, released, linearized, updated;
  CPDFObjRefDict map;
  int32_t next = 1;
  bool failRegist = false;
};
