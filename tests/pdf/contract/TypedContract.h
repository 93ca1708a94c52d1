#pragma once
// Support of the typed-class contract test: the adapter that turns a typed
// class (or a family factory) into the calls the contract makes, a registry
// that fails or throws on a chosen call, the sample world (a subject object
// and the indirect objects it refers to, parsed from PDF text), and the
// deep text of an object (its bytes with every reference replaced by the
// bytes of the object it names, so that copies in other documents, whose
// objects get other numbers, compare byte for byte).
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <new>
#include <regex>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFNull.h"
#include "pdf/object/CPDFObjRef.h"
#include "pdf/object/CPDFObject.h"
#include "tests/pdf/object/TestRegistry.h"
#include "tests/pdf/object/WrittenText.h"

namespace contract {

// What the contract needs of a typed class. check is none when the class
// has no Check; load answers the new typed object or none (the raw object
// stays the caller's either way); isClass tells whether an object is of
// the row's class.
struct Ops {
  bool (*check)(CPDFObjRegistry* doc, CPDFObject* raw) = nullptr;
  CPDFObject* (*load)(CPDFObjRegistry* doc, CPDFObject* raw) = nullptr;
  bool (*isClass)(CPDFObject* object) = nullptr;
  // Load is the object part's Assign: the class has no Load of its own
  // (the library reads it as a plain dictionary and only writes it).
  bool takenOver = false;
};

template <class C, class S>
S* LoadSourceOf(bool (C::*)(CPDFObjRegistry*, S*));

template <class T>
concept HasLoad = requires {
  LoadSourceOf(&T::Load);
};

template <class T>
concept HasCheck = requires(CPDFObjRegistry* doc, CPDFObject* o) {
  T::Check(doc, o);
}
|| requires(CPDFObjRegistry* doc, CPDFDict* o) { T::Check(doc, o); }
|| requires(CPDFObjRegistry* doc, CPDFArray* o) { T::Check(doc, o); };

// The object class that T's Load reads (or that its object part assigns).
template <class T>
auto SourceOf() {
  if constexpr (HasLoad<T>) {
    return static_cast<decltype(LoadSourceOf(&T::Load))>(nullptr);
  } else {
    return static_cast<CPDFDict*>(nullptr);
  }
}
template <class T>
using Source = std::remove_pointer_t<decltype(SourceOf<T>())>;

// An exception that left the library: a failure of the contract. The
// library throws pointers to its exception record; those are freed.
inline void Escaped(const char* what) {
  try {
    throw;
  } catch (CPDFException* e) {
    ADD_FAILURE() << what << " let an exception out: " << e->GetMessage();
    delete e;
  } catch (const std::exception& e) {
    ADD_FAILURE() << what << " let an exception out: " << e.what();
  } catch (...) {
    ADD_FAILURE() << what << " let an exception out";
  }
}

template <class T>
Ops Typed() {
  Ops ops;
  if constexpr (HasCheck<T>) {
    ops.check = [](CPDFObjRegistry* doc, CPDFObject* raw) {
      auto* source = dynamic_cast<Source<T>*>(raw);
      return source && T::Check(doc, source);
    };
  }
  ops.load = [](CPDFObjRegistry* doc, CPDFObject* raw) -> CPDFObject* {
    auto* source = dynamic_cast<Source<T>*>(raw);
    if (!source) return nullptr;
    std::unique_ptr<T> typed(new T);
    bool ok;
    if constexpr (HasLoad<T>) {
      ok = typed->Load(doc, source);
    } else {
      using S = Source<T>;
      typed->SetDoc(doc);
      ok = typed->S::Assign(doc, source);
    }
    return ok ? static_cast<CPDFObject*>(typed.release()) : nullptr;
  };
  ops.isClass = [](CPDFObject* object) { return dynamic_cast<T*>(object) != nullptr; };
  ops.takenOver = !HasLoad<T>;
  return ops;
}

template <class R, class A, class M>
A* FactoryArgOf(R* (*)(CPDFObjRegistry*, A*, M));

// A family factory with every member allowed; the row's class is whatever
// the factory made (the clone must be of the same class).
template <auto Create>
Ops Family() {
  using Arg = std::remove_pointer_t<decltype(FactoryArgOf(Create))>;
  Ops ops;
  ops.load = [](CPDFObjRegistry* doc, CPDFObject* raw) -> CPDFObject* {
    auto* source = dynamic_cast<Arg*>(raw);
    if (!source) return nullptr;
    auto* made = Create(doc, source, -1);
    if (!made) return nullptr;
    auto* object = dynamic_cast<CPDFObject*>(made);
    if (!object) delete made;
    return object;
  };
  return ops;
}

// A registry that fails the n-th store (RegistObj answers false) or throws
// (std::bad_alloc, as an allocation that fails) on the n-th fetch
// (GetObj), counting from 1 after Arm(); 0 disarms.
class FaultRegistry : public TestRegistry {
 public:
  void Arm(int failStoreAt, int throwFetchAt) {
    failStoreAt_ = failStoreAt;
    throwFetchAt_ = throwFetchAt;
    stores_ = fetches_ = 0;
  }
  void Disarm() { Arm(0, 0); }
  // True when the armed call was reached.
  bool Hit() const {
    return (failStoreAt_ && stores_ >= failStoreAt_) ||
           (throwFetchAt_ && fetches_ >= throwFetchAt_);
  }

  bool RegistObj(CPDFObject* object, CPDFObjRef* ref) override {
    if (failStoreAt_ && ++stores_ == failStoreAt_) return false;
    return TestRegistry::RegistObj(object, ref);
  }
  CPDFObject* GetObj(const CPDFObjRef& ref) override {
    if (throwFetchAt_ && ++fetches_ == throwFetchAt_) throw std::bad_alloc();
    return TestRegistry::GetObj(ref);
  }

 private:
  int failStoreAt_ = 0, throwFetchAt_ = 0, stores_ = 0, fetches_ = 0;
};

// One object parsed as the file reader parses it (values marked loaded).
inline std::unique_ptr<CPDFObject> Parse(const std::string& text, CPDFObjRegistry* doc) {
  // A stream's data must be followed by "endobj", as in a file.
  const std::string body = text + "\r\nendobj";
  CPDFMemInStream in;
  in.Open(body.data(), static_cast<int32_t>(body.size()), 64);
  try {
    return std::unique_ptr<CPDFObject>(CPDFObject::SerializeObject(doc, in, nullptr));
  } catch (CPDFException* e) {
    ADD_FAILURE() << "sample does not parse: " << e->GetMessage() << "\n" << text;
    delete e;
  }
  return nullptr;
}

// A sample: the subject's text, then the texts of the indirect objects it
// refers to, separated by " ;; ". "@1" .. "@9" in any of them stand for the
// reference to the first .. ninth of those objects.
struct World {
  std::unique_ptr<CPDFObject> subject;
  std::vector<CPDFObjRef> refs;
};

inline std::vector<std::string> Split(const std::string& sample) {
  std::vector<std::string> parts;
  size_t from = 0;
  for (;;) {
    const size_t at = sample.find(" ;; ", from);
    parts.push_back(sample.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos) return parts;
    from = at + 4;
  }
}

// Parses the sample into the document. The indirect object `missing`
// (1-based; 0 for none) is left out, so that its reference does not
// resolve.
inline World Build(CPDFObjRegistry* doc, const std::string& sample, size_t missing = 0) {
  World world;
  const std::vector<std::string> parts = Split(sample);
  for (size_t i = 1; i < parts.size(); ++i) {
    CPDFObjRef ref;
    auto* placeholder = new CPDFNull;
    if (!doc->RegistObj(placeholder, &ref)) {
      delete placeholder;
      ADD_FAILURE() << "cannot register an object of the sample";
      return world;
    }
    world.refs.push_back(ref);
  }
  auto expand = [&](std::string text) {
    for (size_t i = world.refs.size(); i >= 1; --i) {
      const std::string mark = "@" + std::to_string(i);
      const std::string ref = std::to_string(world.refs[i - 1].GetNumber()) + " 0 R";
      for (size_t at; (at = text.find(mark)) != std::string::npos;)
        text.replace(at, mark.size(), ref);
    }
    return text;
  };
  for (size_t i = 1; i < parts.size(); ++i) {
    if (i == missing) {
      doc->DeleteObj(world.refs[i - 1]);
      continue;
    }
    std::unique_ptr<CPDFObject> object = Parse(expand(parts[i]), doc);
    CPDFObjRef ref = world.refs[i - 1];
    if (!object || !doc->RegistObj(object.get(), &ref)) {
      ADD_FAILURE() << "cannot register an object of the sample";
      return world;
    }
    object.release();
  }
  world.subject = Parse(expand(parts[0]), doc);
  return world;
}

// The bytes the object writes, every "n g R" replaced by "{...}" around
// the deep text of the object it names in the document ("{missing}" when
// none, "{cycle}" for an object already being written).
inline std::string DeepText(CPDFObject* object, CPDFObjRegistry* doc,
                            std::set<int32_t>* open = nullptr) {
  if (!object) return "<none>";
  std::set<int32_t> local;
  if (!open) open = &local;
  const std::string text = WrittenText(*object);
  static const std::regex kRef("(\\d+) (\\d+) R");
  std::string out;
  auto it = std::sregex_iterator(text.begin(), text.end(), kRef);
  size_t last = 0;
  for (; it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    out.append(text, last, static_cast<size_t>(m.position()) - last);
    last = static_cast<size_t>(m.position() + m.length());
    const int32_t number = std::stoi(m[1].str());
    const CPDFObjRef ref(number, std::stoi(m[2].str()));
    if (open->count(number)) {
      out += "{cycle}";
      continue;
    }
    CPDFObject* target = doc ? doc->GetObj(ref) : nullptr;
    if (!target) {
      out += "{missing}";
      continue;
    }
    open->insert(number);
    out += "{" + DeepText(target, doc, open) + "}";
    open->erase(number);
  }
  out.append(text, last, std::string::npos);
  return out;
}

}  // namespace contract
