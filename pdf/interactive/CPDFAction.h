#pragma once
// Action dictionaries: what a viewer does when a link is followed or an
// event happens. CreateAction turns a raw dictionary read from a file into
// the action type that accepts it (CPDFActionTypes.h); a dictionary that no
// type accepts stays raw in its owner's hands.
#include <cstdint>
#include <initializer_list>

#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFAction : public CPDFDocStruct, public CPDFDict {
 public:
  // Loads of this class count against the nesting limit (CPDFLoadDepth).
  static constexpr bool kNestedLoad = true;
  ~CPDFAction() override = default;

  // The type whose Check first accepts the dictionary, in ascending bit
  // order among the bits of the mask (0x1 GoTo, 0x2 GoToR, 0x4 Launch,
  // 0x8 Thread, 0x10 URI, 0x20 Sound, 0x40 Movie, 0x80 SetState, 0x100
  // Hide, 0x200 Named, 0x400 NOP, 0x800 SubmitForm, 0x1000 ResetForm,
  // 0x2000 ImportData, 0x4000 JavaScript), built and loaded. None when no
  // type accepts it, when that type's load fails (the dictionary keeps
  // its entries), for anything but a dictionary (a stream included), or
  // when typed loads nest too deep. Never throws; the caller owns the
  // result.
  static CPDFAction* CreateAction(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask);

  // Type is absent or the name Action. Looks at nothing else.
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);
  // Sets the document, takes over the entries and types Next. False (the
  // entries given back) when a Next action cannot be stored.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFAction* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override = 0;

  uint32_t GetTypeBit() const { return typeBit_; }
  const char* GetTypeName() const { return typeName_; }

  PDF_CONST_NAME(Key_Type, "Type")
  PDF_CONST_NAME(TypeName, "Action")
  PDF_CONST_NAME(Key_S, "S")

  // The action that follows: a dictionary, an action, or an array of them.
  PDF_ACCESSOR(Next, CPDFObject, CPDFAction)

 protected:
  CPDFAction(uint32_t typeBit, const char* typeName)
      : CPDFDocStruct(kAction), typeBit_(typeBit), typeName_(typeName) {}

  // Types Next on entries already taken over: a dictionary, or each
  // dictionary of an array, read from the file goes to CreateAction. False
  // when an element cannot be fetched or a typed action cannot be stored.
  bool LoadNext(CPDFObjRegistry* doc);

  // The copy step of a clone that leaves the keys out: copy holds every
  // entry of this action except them.
  bool CopyLeavingOut(CPDFAction* copy, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                      std::initializer_list<const char*> keys);

 private:
  uint32_t typeBit_ = 0;
  const char* typeName_ = "";
};
