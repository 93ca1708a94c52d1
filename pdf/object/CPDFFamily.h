#pragma once
// The one family factory that every Create<Family> uses.
//
// A family lists its members with their family bits. The factory tries the
// members in ascending bit order; a member is tried only when its bit is in
// the caller's mask and its Check accepts the object. The first member tried
// is built and loaded: the factory answers it when the load succeeds, and
// none (without trying further members) when it fails. None when no member
// is tried. Nothing is thrown; the caller owns the result.
//
//   static const CPDFFamilyMember<CPDFXObject> kMembers[] = {
//       MakeFamilyMember<CPDFXObject, CPDFImageXObj, CPDFStream>(1),
//       MakeFamilyMember<CPDFXObject, CPDFFormXObj, CPDFStream>(2),
//   };
//   return CreateFamilyMember(kMembers, doc, object, mask);
//
// Member must provide a default constructor, a static
// Check(CPDFObjRegistry*, Source*) and Load(CPDFObjRegistry*, Source*).
#include <cstddef>
#include <cstdint>

#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFObject.h"

class CPDFObjRegistry;

template <class Base>
struct CPDFFamilyMember {
  uint32_t bit;
  bool (*check)(CPDFObjRegistry* doc, CPDFObject* object);
  // Builds and loads a member; none when the load fails.
  Base* (*build)(CPDFObjRegistry* doc, CPDFObject* object);
};

template <class Base, class Member, class Source = CPDFObject>
constexpr CPDFFamilyMember<Base> MakeFamilyMember(uint32_t bit) {
  return CPDFFamilyMember<Base>{
      bit,
      [](CPDFObjRegistry* doc, CPDFObject* object) -> bool {
        try {
          auto* source = dynamic_cast<Source*>(object);
          return source && Member::Check(doc, source);
        } catch (...) {
          CPDFException::Absorb(nullptr, "", "");
          return false;
        }
      },
      [](CPDFObjRegistry* doc, CPDFObject* object) -> Base* {
        auto* source = dynamic_cast<Source*>(object);
        if (!source) return nullptr;
        Member* member = nullptr;
        try {
          member = new Member;
          if (member->Load(doc, source)) return member;
        } catch (...) {
          CPDFException::Absorb(nullptr, "", "");
        }
        delete member;
        return nullptr;
      }};
}

template <class Base, size_t N>
Base* CreateFamilyMember(const CPDFFamilyMember<Base> (&members)[N], CPDFObjRegistry* doc,
                         CPDFObject* object, int32_t mask) {
  if (!object) return nullptr;
  const uint32_t allowed = static_cast<uint32_t>(mask);
  uint32_t lastBit = 0;
  bool first = true;
  // Ascending bit order, whatever the order of the table.
  for (size_t round = 0; round < N; ++round) {
    const CPDFFamilyMember<Base>* next = nullptr;
    for (size_t i = 0; i < N; ++i) {
      const auto& m = members[i];
      if (!first && m.bit <= lastBit) continue;
      if (!next || m.bit < next->bit) next = &m;
    }
    if (!next) break;
    first = false;
    lastBit = next->bit;
    if ((next->bit & allowed) == 0) continue;
    if (!next->check(doc, object)) continue;
    return next->build(doc, object);
  }
  return nullptr;
}
