#pragma once
// The factory of a family whose members can hold members of a family in
// turn (functions, colour spaces, shadings, patterns, halftones, fonts,
// actions). The nesting limit itself (CPDFLoadDepth) is kept by the load
// frame of the kit: each member's Load enters one level, and past the limit
// the member is refused, so the factory answers none and the value stays
// raw instead of the stack overflowing.
#include <cstdint>
#include <type_traits>

#include "pdf/object/CPDFFamily.h"
#include "pdf/object/CPDFTypedStruct.h"

// The shared family choice for a family of nested loads; the family base
// must declare kNestedLoad, so that every member's load frame counts.
template <const auto& Members,
          class Base = typename std::remove_cvref_t<decltype(Members[0])>::BaseType>
Base* CreateNestedFamilyMember(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask) {
  static_assert(pdf_kit::NestedLoad<Base>(), "the family base declares kNestedLoad");
  return CreateFamilyMember<Members>(doc, object, mask);
}
