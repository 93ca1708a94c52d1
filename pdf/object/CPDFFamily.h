#pragma once
// The one family factory that every Create<Family> uses.
//
// A family lists its members with their family bits, in ascending bit
// order (checked when the table is compiled). The factory tries the members
// in that order; a member is tried only when its bit is in the caller's mask
// and its Check accepts the object. The first member tried is built and
// loaded: the factory answers it when the load succeeds, and none (without
// trying further members) when it fails. None when no member is tried.
// Nothing is thrown; the caller owns the result. A caller that must tell
// "no member accepted the object" from "the accepted member failed to
// load" passes `tried`, set when a member's Check passed.
//
//   static constexpr CPDFFamilyMember<CPDFXObject> kMembers[] = {
//       MakeFamilyMember<CPDFXObject, CPDFImageXObj, CPDFStream>(1),
//       MakeFamilyMember<CPDFXObject, CPDFFormXObj, CPDFStream>(2),
//   };
//   return CreateFamilyMember<kMembers>(doc, object, mask);
//
// Member must provide a default constructor, a static
// Check(CPDFObjRegistry*, Source*) and Load(CPDFObjRegistry*, Source*).
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFObject.h"

class CPDFObjRegistry;

template <class Base>
struct CPDFFamilyMember {
  using BaseType = Base;
  uint32_t bit;
  bool (*check)(CPDFObjRegistry* doc, CPDFObject* object);
  // Builds and loads a member; none when the load fails.
  Base* (*build)(CPDFObjRegistry* doc, CPDFObject* object);
};

template <class Base, class Member, class Source = CPDFObject>
constexpr CPDFFamilyMember<Base> MakeFamilyMember(uint32_t bit) {
  return CPDFFamilyMember<Base>{bit,
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

// True when the bits of the table rise strictly from member to member.
template <class Base, size_t N>
constexpr bool FamilyBitsAscending(const CPDFFamilyMember<Base> (&members)[N]) {
  for (size_t i = 1; i < N; ++i) {
    if (members[i].bit <= members[i - 1].bit) return false;
  }
  return true;
}

// kMembers: a constexpr table of CPDFFamilyMember (static storage).
template <const auto& kMembers,
          class Base = typename std::remove_cvref_t<decltype(kMembers[0])>::BaseType>
Base* CreateFamilyMember(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask,
                         bool* tried = nullptr) {
  static_assert(FamilyBitsAscending(kMembers),
                "a family table lists its members in ascending bit order");
  if (tried) *tried = false;
  if (!object) return nullptr;
  const uint32_t allowed = static_cast<uint32_t>(mask);
  for (const auto& member : kMembers) {
    if ((member.bit & allowed) == 0) continue;
    if (!member.check(doc, object)) continue;
    if (tried) *tried = true;
    return member.build(doc, object);
  }
  return nullptr;
}
