#pragma once
// The fifteen action types. Each is a row: its bit in the factory mask, its
// S name, the keys its Check requires (by object type, references
// resolved) and, for some, the keys its Load types and its Clone leaves
// out. CPDFActionType gives every type its constructor, Check and default
// Clone from the row; the types write only their Loads, accessors and the
// clones that leave keys out.
#include <cstdint>

#include "pdf/document/CPDFFileSpec.h"
#include "pdf/interactive/CPDFAction.h"
#include "pdf/interactive/CPDFDestination.h"
#include "pdf/interactive/CPDFSound.h"
#include "pdf/interactive/CPDFWinLaunch.h"
#include "pdf/object/CPDFName.h"

// A key a type's Check requires (and its Load, when the type has a Load of
// its own), with the object types it may have: a row of the kit's table.
using CPDFActionKey = PDFRequiredKey;

// Self declares kBit, kName and kRequired (its required keys, ending with
// an empty row).
template <class Self>
class CPDFActionType : public CPDFAction {
 public:
  ~CPDFActionType() override = default;

  // The base check, S the name of the type, and the required keys present
  // with one of their types.
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict) {
    if (!CPDFAction::Check(doc, dict)) return false;
    auto* s = PDFGetAs<CPDFName>(dict, doc, Key_S());
    return s && s->IsEqual(SName()) && PDFHasRequired(dict, doc, Self::kRequired);
  }
  CPDFAction* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override {
    return PDFClone(static_cast<Self*>(this), doc, sourceDoc);
  }

  // The S value of the type.
  static const CPDFName& SName() {
    static const CPDFName name(Self::kName);
    return name;
  }

 protected:
  CPDFActionType() : CPDFAction(Self::kBit, Self::kName) {}
};

// Go to a destination in this document: D a destination.
class CPDFGoToAct : public CPDFActionType<CPDFGoToAct> {
 public:
  static constexpr uint32_t kBit = 0x1;
  static constexpr const char* kName = "GoTo";
  static constexpr CPDFActionKey kRequired[] = {{"D", CPDFObject::kArray}, {}};

  // Types D as a destination when it passes the destination's Check (a
  // named destination or an unknown view stays as read).
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);

  PDF_ACCESSOR(D, CPDFDestination)
};

// Go to a destination in another file: D as GoTo, F the file.
class CPDFGoToRAct : public CPDFActionType<CPDFGoToRAct> {
 public:
  static constexpr uint32_t kBit = 0x2;
  static constexpr const char* kName = "GoToR";
  static constexpr CPDFActionKey kRequired[] = {
      {"D", CPDFObject::kArray}, {"F", CPDFObject::kString | CPDFObject::kDictionary}, {}};

  // Types D as GoTo does, then F as a file specification when it is one (a
  // file name string stays).
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);

  PDF_ACCESSOR(D, CPDFDestination)
  PDF_ACCESSOR(F, CPDFObject, CPDFFileSpec)
};

// Launch an application or open a file (carried as read, never run).
class CPDFLaunchAct : public CPDFActionType<CPDFLaunchAct> {
 public:
  static constexpr uint32_t kBit = 0x4;
  static constexpr const char* kName = "Launch";
  static constexpr CPDFActionKey kRequired[] = {{}};

  // Types the optional F as a file specification and Win as Windows
  // launch parameters.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);

  PDF_ACCESSOR(F, CPDFObject, CPDFFileSpec)
  PDF_ACCESSOR(Win, CPDFWinLaunch)
};

// Begin reading an article thread.
class CPDFThreadAct : public CPDFActionType<CPDFThreadAct> {
 public:
  static constexpr uint32_t kBit = 0x8;
  static constexpr const char* kName = "Thread";
  static constexpr CPDFActionKey kRequired[] = {
      {"D", CPDFObject::kNumber | CPDFObject::kString | CPDFObject::kDictionary}, {}};

  // Types the optional F as a file specification.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  // Leaves out D and B: they point at the source document's threads and
  // beads.
  CPDFAction* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_ACCESSOR(F, CPDFObject, CPDFFileSpec)
};

// Resolve a URI.
class CPDFURIAct : public CPDFActionType<CPDFURIAct> {
 public:
  static constexpr uint32_t kBit = 0x10;
  static constexpr const char* kName = "URI";
  static constexpr CPDFActionKey kRequired[] = {{"URI", CPDFObject::kString}, {}};
};

// Play a sound.
class CPDFSoundAct : public CPDFActionType<CPDFSoundAct> {
 public:
  static constexpr uint32_t kBit = 0x20;
  static constexpr const char* kName = "Sound";
  static constexpr CPDFActionKey kRequired[] = {{"Sound", CPDFObject::kStream}, {}};

  // Types Sound as a sound stream when it passes the sound's Check.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);

  PDF_ACCESSOR(Sound, CPDFSound)
};

// Play a movie.
class CPDFMovieAct : public CPDFActionType<CPDFMovieAct> {
 public:
  static constexpr uint32_t kBit = 0x40;
  static constexpr const char* kName = "Movie";
  static constexpr CPDFActionKey kRequired[] = {{}};

  // Types the optional T (the movie annotation's title) as text.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  // Leaves out Annot: it points at an annotation of the source document.
  CPDFAction* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_ACCESSOR(T, CPDFObject)
};

// Set the state of fields.
class CPDFSetStateAct : public CPDFActionType<CPDFSetStateAct> {
 public:
  static constexpr uint32_t kBit = 0x80;
  static constexpr const char* kName = "SetState";
  static constexpr CPDFActionKey kRequired[] = {{"T", CPDFObject::kString}, {}};
};

// Hide or show annotations.
class CPDFHideAct : public CPDFActionType<CPDFHideAct> {
 public:
  static constexpr uint32_t kBit = 0x100;
  static constexpr const char* kName = "Hide";
  static constexpr CPDFActionKey kRequired[] = {{"T", CPDFObject::kString}, {}};
};

// A viewer command by name (NextPage, PrevPage, ...).
class CPDFNamedAct : public CPDFActionType<CPDFNamedAct> {
 public:
  static constexpr uint32_t kBit = 0x200;
  static constexpr const char* kName = "Named";
  static constexpr CPDFActionKey kRequired[] = {{"N", CPDFObject::kName}, {}};
};

// Do nothing.
class CPDFNOPAct : public CPDFActionType<CPDFNOPAct> {
 public:
  static constexpr uint32_t kBit = 0x400;
  static constexpr const char* kName = "NOP";
  static constexpr CPDFActionKey kRequired[] = {{}};
};

// Send form data to a URL.
class CPDFSubmitFormAct : public CPDFActionType<CPDFSubmitFormAct> {
 public:
  static constexpr uint32_t kBit = 0x800;
  static constexpr const char* kName = "SubmitForm";
  static constexpr CPDFActionKey kRequired[] = {
      {"F", CPDFObject::kString | CPDFObject::kDictionary}, {}};

  // Types F as a file specification when it is one, then the optional
  // Flags as an integer.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  // Leaves out Fields: they point at the source document's fields.
  CPDFAction* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_ACCESSOR(F, CPDFObject, CPDFFileSpec)
  PDF_ACCESSOR(Flags, CPDFObject)
};

// Reset form fields to their defaults.
class CPDFResetFormAct : public CPDFActionType<CPDFResetFormAct> {
 public:
  static constexpr uint32_t kBit = 0x1000;
  static constexpr const char* kName = "ResetForm";
  static constexpr CPDFActionKey kRequired[] = {{}};

  // Types the optional Flags as an integer.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  // Leaves out Fields, as SubmitForm does.
  CPDFAction* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_ACCESSOR(Flags, CPDFObject)
};

// Import field values from a file.
class CPDFImportDataAct : public CPDFActionType<CPDFImportDataAct> {
 public:
  static constexpr uint32_t kBit = 0x2000;
  static constexpr const char* kName = "ImportData";
  static constexpr CPDFActionKey kRequired[] = {
      {"F", CPDFObject::kString | CPDFObject::kDictionary}, {}};

  // Types F as a file specification when it is one.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);

  PDF_ACCESSOR(F, CPDFObject, CPDFFileSpec)
};

// A script, carried as read (never run).
class CPDFJavaScriptAct : public CPDFActionType<CPDFJavaScriptAct> {
 public:
  static constexpr uint32_t kBit = 0x4000;
  static constexpr const char* kName = "JavaScript";
  static constexpr CPDFActionKey kRequired[] = {{"JS", CPDFObject::kString | CPDFObject::kStream},
                                                {}};
};
