#pragma once
// The walk over an object's direct elements that the release, the
// linearisation and the nesting measure share: the elements of an array or
// dictionary and of the arrays and dictionaries (streams included) held
// directly in it, in the order a recursive walk meets them, kept on a list
// of its own instead of a stack frame per level. References are visited,
// never followed.
#include <cstdint>
#include <vector>

#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDict.h"

class CPDFDirectWalk {
 public:
  // What a visit asks of the walk.
  enum class Step {
    kNext,     // go on with the next element
    kDescend,  // walk this element's own elements first (a container)
    kStop,     // end the walk: Run answers false
  };

  // Visits every element atom of root (empty slots left out), depth first.
  // visit(atom, level) gets the level of the container holding the atom
  // (root is level 1); kDescend on a direct array or dictionary visits its
  // elements at the next level before the element after it. True when the
  // walk ran to its end; a root that is no container has no elements.
  template <class Visit>
  static bool Run(CPDFObject* root, Visit visit) {
    std::vector<Frame> frames;
    if (!Enter(frames, root, 1)) return true;
    while (!frames.empty()) {
      Frame& frame = frames.back();
      CPDFAtom* atom = nullptr;
      if (frame.array) {
        if (frame.index >= frame.array->GetCount()) {
          frames.pop_back();
          continue;
        }
        atom = frame.array->GetAt(frame.index++);
      } else {
        if (frame.it.IsEnd()) {
          frames.pop_back();
          continue;
        }
        atom = *frame.it.GetValue();
        frame.it.Next();
      }
      if (!atom) continue;
      const int32_t level = frame.level;
      switch (visit(atom, level)) {
        case Step::kNext: break;
        case Step::kStop: return false;
        case Step::kDescend: Enter(frames, AsObject(atom), level + 1); break;
      }
    }
    return true;
  }

  // The atom as a direct object, or none (a reference, an operator).
  static CPDFObject* AsObject(CPDFAtom* atom) {
    return atom && atom->GetKind() == CPDFAtom::kObject ? static_cast<CPDFObject*>(atom) : nullptr;
  }
  // True for a direct array or dictionary (a stream is one): an atom that
  // holds elements of its own.
  static bool IsContainer(CPDFAtom* atom) {
    const CPDFObject* object = AsObject(atom);
    return object &&
           object->IsType(CPDFObject::kArray | CPDFObject::kDictionary | CPDFObject::kStream);
  }

 private:
  struct Frame {
    CPDFArray* array = nullptr;
    int32_t index = 0;
    CPDFDict::Iterator it;
    int32_t level = 0;
  };

  static bool Enter(std::vector<Frame>& frames, CPDFObject* object, int32_t level) {
    Frame frame;
    frame.level = level;
    if (auto* array = dynamic_cast<CPDFArray*>(object)) {
      frame.array = array;
    } else if (auto* dict = dynamic_cast<CPDFDict*>(object)) {
      frame.it = dict->Begin();
    } else {
      return false;
    }
    frames.push_back(frame);
    return true;
  }
};
