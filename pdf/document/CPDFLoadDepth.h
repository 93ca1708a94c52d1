#pragma once
// Nesting guard of the typed loads that call family factories recursively
// (functions holding functions, colour spaces holding colour spaces or
// functions, images holding masks or alternates). A file can make such
// values refer back to themselves; past kMaxDepth nested loads the guard
// reports TooDeep and the caller answers none, so the value stays raw
// instead of the stack overflowing. One counter serves every family, so a
// cycle that passes through several families ends as well.
#include <cstdint>
#include <type_traits>

#include "pdf/object/CPDFDepthGuard.h"
#include "pdf/object/CPDFFamily.h"

class CPDFLoadDepth : public CPDFDepthGuard {
 public:
  static constexpr int32_t kMaxDepth = 32;

  CPDFLoadDepth() noexcept : CPDFDepthGuard(Depth(), kMaxDepth) {}

 private:
  static int32_t& Depth() {
    thread_local int32_t depth = 0;
    return depth;
  }
};

// The factory of a family whose members can hold members of a family in
// turn (functions, colour spaces, shadings, halftones): the shared family
// choice behind one level of the nesting guard; none past the limit.
template <const auto& Members,
          class Base = typename std::remove_cvref_t<decltype(Members[0])>::BaseType>
Base* CreateNestedFamilyMember(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask) {
  CPDFLoadDepth depth;
  if (depth.TooDeep()) return nullptr;
  return CreateFamilyMember<Members>(doc, object, mask);
}
