#pragma once
// Page transitions: the dictionary under a page's /Trans, which tells a
// viewer what effect to show when it moves to the page. CPDFTransition is
// both the base of the seven styles and the class of a transition whose
// style is none of them (no effect). No entry is converted: duration,
// dimension, motion and direction stay as read.
#include <cstdint>

#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFTransition : public CPDFDocStruct, public CPDFDict {
 public:
  // The style bits, one per class; the factory tries them in this order,
  // the plain transition last.
  enum Style : uint32_t {
    kSplit = 0x1,
    kBlinds = 0x2,
    kBox = 0x4,
    kWipe = 0x8,
    kDissolve = 0x10,
    kGlitter = 0x20,
    kReplace = 0x40,
    kNoTransition = 0x80,
  };

  CPDFTransition() : CPDFTransition(kNoTransition, "NoTransition") {}
  ~CPDFTransition() override = default;

  // A new transition of the first style in the mask whose Check accepts the
  // dictionary, or none. Only the low byte of the mask counts, read as a
  // signed byte: -1 tries every style, 0x7F the seven styles, 0x80 only the
  // plain transition, 0x100 nothing. The caller owns the result.
  static CPDFTransition* CreateTransition(CPDFObjRegistry* doc, CPDFDict* dict, int32_t mask);

  // True when Type (references resolved) is the name Trans.
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);
  // Sets the document and takes over the entries; converts nothing.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  uint32_t GetStyleBit() const { return styleBit_; }
  const char* GetStyleName() const { return styleName_; }

  PDF_CONST_NAME(Key_Type, "Type")
  PDF_CONST_NAME(Key_S, "S")
  PDF_CONST_NAME(TypeName, "Trans")

 protected:
  CPDFTransition(uint32_t bit, const char* name)
      : CPDFDocStruct(kTransition), styleBit_(bit), styleName_(name) {}
  // Check, then /S (references resolved) is the given name.
  static bool CheckStyle(CPDFObjRegistry* doc, CPDFDict* dict, const CPDFName& style);

 private:
  uint32_t styleBit_;
  const char* styleName_;
};

// One style. Self declares its row: kBit (its bit in the factory mask),
// kS (the /S value that selects it) and kName (its style name). The style
// gets its constructor, Check and Clone from the row and loads with
// CPDFTransition::Load.
template <class Self>
class CPDFTransStyle : public CPDFTransition {
 public:
  // The /S value of the style.
  static const CPDFName& StyleValue() {
    static const CPDFName name(Self::kS);
    return name;
  }
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict) {
    return CheckStyle(doc, dict, StyleValue());
  }
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override {
    return PDFClone(static_cast<Self*>(this), doc, sourceDoc);
  }

 protected:
  CPDFTransStyle() : CPDFTransition(Self::kBit, Self::kName) {}
};

class CPDFSplitTrans final : public CPDFTransStyle<CPDFSplitTrans> {
 public:
  static constexpr uint32_t kBit = kSplit;
  static constexpr const char* kS = "Split";
  static constexpr const char* kName = "Split";
};

class CPDFBlindsTrans final : public CPDFTransStyle<CPDFBlindsTrans> {
 public:
  static constexpr uint32_t kBit = kBlinds;
  static constexpr const char* kS = "Blinds";
  static constexpr const char* kName = "Blinds";
};

class CPDFBoxTrans final : public CPDFTransStyle<CPDFBoxTrans> {
 public:
  static constexpr uint32_t kBit = kBox;
  static constexpr const char* kS = "Box";
  static constexpr const char* kName = "Box";
};

class CPDFWipeTrans final : public CPDFTransStyle<CPDFWipeTrans> {
 public:
  static constexpr uint32_t kBit = kWipe;
  static constexpr const char* kS = "Wipe";
  static constexpr const char* kName = "Wipe";
};

class CPDFDissolveTrans final : public CPDFTransStyle<CPDFDissolveTrans> {
 public:
  static constexpr uint32_t kBit = kDissolve;
  static constexpr const char* kS = "Dissolve";
  static constexpr const char* kName = "Dissolve";
};

class CPDFGlitterTrans final : public CPDFTransStyle<CPDFGlitterTrans> {
 public:
  static constexpr uint32_t kBit = kGlitter;
  static constexpr const char* kS = "Glitter";
  static constexpr const char* kName = "Glitter";
};

// The replace style is selected by the one-letter /S value R.
class CPDFReplaceTrans final : public CPDFTransStyle<CPDFReplaceTrans> {
 public:
  static constexpr uint32_t kBit = kReplace;
  static constexpr const char* kS = "R";
  static constexpr const char* kName = "Replace";
};
