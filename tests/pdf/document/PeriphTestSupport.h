#pragma once
// Parsing PDF text into raw objects, registering them as indirect objects
// of a test registry, and writing objects back to text.
#include <memory>
#include <string>

#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFObject.h"
#include "pdf/object/CPDFOutStream.h"
#include "tests/pdf/object/TestRegistry.h"
#include "tests/pdf/object/WrittenText.h"

namespace periph {

// The object parsed from the text (none, with the failure in *error, when
// the parser refuses it).
inline std::unique_ptr<CPDFObject> Parse(const std::string& text, CPDFObjRegistry* doc,
                                         std::string* error = nullptr) {
  CPDFMemInStream in;
  in.Open(text.data(), static_cast<int32_t>(text.size()), 64);
  try {
    return std::unique_ptr<CPDFObject>(CPDFObject::SerializeObject(doc, in, nullptr));
  } catch (CPDFException* e) {
    if (error) *error = e->GetMessage();
    delete e;
  }
  return nullptr;
}

// Parses the text and registers the object under the next number, which is
// returned (-1 when the text does not parse).
inline int32_t Register(CPDFObjRegistry& doc, const std::string& text) {
  std::unique_ptr<CPDFObject> object = Parse(text, &doc);
  if (!object) return -1;
  CPDFObjRef ref;
  if (!doc.RegistObj(object.get(), &ref)) return -1;
  object.release();
  return ref.GetNumber();
}

// Parses the text as a file reader would and registers it; the reference
// (undefined when the text does not parse or the store fails).
inline CPDFObjRef Put(CPDFObjRegistry& doc, const std::string& text) {
  CPDFObjRef ref;
  std::unique_ptr<CPDFObject> object = Parse(text, &doc);
  if (object && doc.RegistObj(object.get(), &ref)) object.release();
  return ref;
}

// "n 0 R" for the reference.
inline std::string RefText(const CPDFObjRef& ref) {
  return std::to_string(ref.GetNumber()) + " 0 R";
}

// A stream object as a file holds it.
inline std::string StreamText(const std::string& dict, const std::string& data) {
  return "<< " + dict + " /Length " + std::to_string(data.size()) + " >> stream\r\n" + data +
         "\r\nendstream\r\nendobj";
}

inline std::string Written(CPDFObject* object) { return object ? WrittenText(*object) : "<none>"; }

// A typed T loaded from the raw object (none when the object is not a
// Source or the load fails; the raw object stays the caller's).
template <class T, class Source>
std::unique_ptr<T> LoadAs(CPDFObjRegistry* doc, CPDFObject* raw) {
  auto* source = dynamic_cast<Source*>(raw);
  if (!source) return nullptr;
  auto typed = std::make_unique<T>();
  if (!typed->Load(doc, source)) return nullptr;
  return typed;
}

// A clone into another document, written back to text.
inline std::string ClonedText(CPDFObject* object, CPDFObjRegistry* sourceDoc) {
  TestRegistry other;
  std::unique_ptr<CPDFObject> copy(object->Clone(&other, sourceDoc));
  return Written(copy.get());
}

}  // namespace periph
