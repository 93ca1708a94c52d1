#pragma once
// The four kinds of form field: button (/FT /Btn), choice (/FT /Ch), text
// (/FT /Tx) and signature (/FT /Sig). They share one shape, written once
// in CPDFFieldKind: the constructor (the kind's bit and name), Check (the
// field check, then the nearest /FT is the kind's name), Load (the
// annotation keys and the kind's value reader in one load frame) and
// Uninherit (the common entries, then the kind's value keys).
//
// A kind's value reader types, from the root of the /Parent chain down to
// the dictionary itself, each dictionary's common field entries and then
// its own value keys, in place: after one widget is read its ancestors hold
// typed entries but stay plain dictionaries. A chain that loops or is
// deeper than CPDFField::kMaxParentDepth fails the reader, and the widget
// stays as read.
//
// The value getters answer the own value, else the nearest ancestor's.
// The kinds have no setters of their own.
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "pdf/interactive/CPDFField.h"
#include "pdf/interactive/CPDFSigDict.h"

template <class Self>
class CPDFFieldKind : public CPDFField {
 public:
  ~CPDFFieldKind() override = default;

  // CPDFField::Check, then the nearest /FT (own, else from the first
  // ancestor holding one) is a name equal to the kind's, plus the kind's
  // own requirement.
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict) {
    return CheckFieldType(doc, dict, Self::FTValue()) && Self::CheckMore(doc, dict);
  }
  // Takes over the entries, types the annotation keys and runs the kind's
  // value reader on the chain; on failure everything of the widget goes
  // back to the source (ancestors keep what was typed in them).
  bool Load(CPDFObjRegistry* doc, CPDFDict* source) {
    return PDFLoadFrame(this, doc, source,
                        [&] { return LoadEntries(doc) && Self::Read(doc, this); });
  }
  // A standalone field of the kind in doc, a document: the kind's value
  // keys, each own or inherited (a raw value too: a signature /V that was
  // not typed is copied as it is), cloned into the copy, indirect under a
  // new number exactly when the source's entry is a reference; then
  // CPDFField::Duplicate. None when a required value (a choice's Opt) is
  // absent everywhere, a value does not clone or store, or Duplicate fails.
  // The copy is in no Fields array and on no page: the caller places it.
  // A value that leads back to a field being copied (the field itself, or
  // a field whose copy is under way further out), as the value or anywhere
  // inside its arrays and dictionaries, is not followed: the copy answers
  // none. So does a chain of fields deeper than the copy depth.
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override {
    CloneStep step(this);
    if (!step.Allowed()) return nullptr;
    return PDFClone(static_cast<Self*>(this), doc, sourceDoc, [&](Self* copy) {
      return CloneValues(copy, Self::kValueRules, std::size(Self::kValueRules),
                         Self::RequiredValue(), doc, sourceDoc) &&
             Duplicate(copy, doc, sourceDoc);
    });
  }

  bool Uninherit() override {
    return CPDFField::Uninherit() && Self::MoveValues(static_cast<Self*>(this));
  }

 protected:
  CPDFFieldKind() : CPDFField(Self::kFieldBit, Self::kFieldName) {}

  static bool CheckMore(CPDFObjRegistry*, CPDFDict*) { return true; }
  // The value key a copy cannot do without (none: every one is optional).
  static const CPDFName* RequiredValue() { return nullptr; }
  static bool Read(CPDFObjRegistry* doc, CPDFDict* dict) {
    return ReadChain(doc, dict, &Self::ReadOwnValues);
  }
  // Moves the kind's value keys up by its rules.
  static bool MoveValues(Self* self) {
    return self->MoveUp(Self::kValueRules, std::size(Self::kValueRules));
  }
};

class CPDFBtnField final : public CPDFFieldKind<CPDFBtnField> {
 public:
  static constexpr uint32_t kFieldBit = 1;
  static constexpr const char* kFieldName = "Button";
  PDF_CONST_NAME(FTValue, "Btn")

  // The common field entries of the chain, root first; a button converts no
  // value of its own.
  static bool ReadBtnFieldValue(CPDFObjRegistry* doc, CPDFDict* dict) { return Read(doc, dict); }

  PDF_INHERITED_GETTER(V, CPDFObject)
  PDF_INHERITED_GETTER(DV, CPDFObject)

 private:
  friend class CPDFFieldKind<CPDFBtnField>;
  static bool ReadOwnValues(CPDFObjRegistry*, CPDFDict*) { return true; }
  // V and DV move when the parent lacks them or holds an equal name or
  // string.
  static const MoveRule kValueRules[2];
};

class CPDFChField final : public CPDFFieldKind<CPDFChField> {
 public:
  static constexpr uint32_t kFieldBit = 2;
  static constexpr const char* kFieldName = "Choice";
  PDF_CONST_NAME(FTValue, "Ch")

  // The chain root first: the common entries, then V (text), Opt (its
  // string elements become text; every visited dictionary must hold its own
  // Opt array), DV (text) and TopIndex (an integer).
  static bool ReadChFieldValue(CPDFObjRegistry* doc, CPDFDict* dict) { return Read(doc, dict); }
  // The Opt key must be present in the field itself: without it false,
  // after the common entries moved. Opt moves only when the parent lacks
  // it; V and DV when the parent lacks them or the own value is exactly a
  // text (parent text or string) or a name (parent name) of equal bytes;
  // TopIndex when the parent lacks it or holds an equal integer.
  bool Uninherit() override;

  PDF_INHERITED_GETTER(Opt, CPDFObject)
  PDF_INHERITED_GETTER(V, CPDFObject)
  PDF_INHERITED_GETTER(DV, CPDFObject)
  PDF_INHERITED_GETTER(TopIndex, CPDFObject)

 private:
  friend class CPDFFieldKind<CPDFChField>;
  // The nearest /Opt is an array.
  static bool CheckMore(CPDFObjRegistry* doc, CPDFDict* dict);
  static const CPDFName* RequiredValue() { return &Key_Opt(); }
  static bool ReadOwnValues(CPDFObjRegistry* doc, CPDFDict* dict);
  static const MoveRule kValueRules[4];
};

class CPDFTxField final : public CPDFFieldKind<CPDFTxField> {
 public:
  static constexpr uint32_t kFieldBit = 4;
  static constexpr const char* kFieldName = "Text";
  PDF_CONST_NAME(FTValue, "Tx")

  // The chain root first: the common entries, then V and DV (text) and
  // MaxLen (an integer).
  static bool ReadTxFieldValue(CPDFObjRegistry* doc, CPDFDict* dict) { return Read(doc, dict); }

  PDF_INHERITED_GETTER(V, CPDFObject)
  PDF_INHERITED_GETTER(DV, CPDFObject)
  PDF_INHERITED_GETTER(MaxLen, CPDFObject)

 private:
  friend class CPDFFieldKind<CPDFTxField>;
  static bool ReadOwnValues(CPDFObjRegistry* doc, CPDFDict* dict);
  // V and DV move when the parent lacks them or holds an equal string;
  // MaxLen when it lacks it or holds an equal integer.
  static const MoveRule kValueRules[3];
};

class CPDFSigField final : public CPDFFieldKind<CPDFSigField> {
 public:
  static constexpr uint32_t kFieldBit = 8;
  static constexpr const char* kFieldName = "Signature";
  PDF_CONST_NAME(FTValue, "Sig")

  // The chain root first: the common entries, then V and DV, which become
  // signature dictionaries when they pass CPDFSigDict::Check.
  static bool ReadSigFieldValue(CPDFObjRegistry* doc, CPDFDict* dict) { return Read(doc, dict); }

  // Typed values only: a raw dictionary answers none.
  PDF_INHERITED_GETTER(V, CPDFSigDict)
  PDF_INHERITED_GETTER(DV, CPDFSigDict)

 private:
  friend class CPDFFieldKind<CPDFSigField>;
  static bool ReadOwnValues(CPDFObjRegistry* doc, CPDFDict* dict);
  // V and DV move only when the parent lacks them.
  static const MoveRule kValueRules[2];
};
