#pragma once
// Content-stream elements and the lists that hold them. A page's content is
// built in memory as a list of operator elements and written out as the text
// of a content stream: every element writes its operands and its keyword,
// and a list joins its elements with single blanks (no line ends), so a
// whole page content is one line. There is no content parser.
//
// Element type codes (the atom kind) and names:
//   1 "Page-Description Operator"   CPDFPageDescOp        (CPDFPageDescOp.h)
//   4 "Text Operator"               CPDFTextOperator      (CPDFTextOperator.h)
//  16 "External Operator"           CPDFExternalOperator  (CPDFExternalOperator.h)
// 128 "Text Object"                 CPDFTextObject        (a list of text operators)
// 512 "External Object"             CPDFExternalObject    (a list of external operators)
#include <cstdint>
#include <initializer_list>
#include <memory>

#include "pdf/object/CPDFAtom.h"
#include "pdf/object/TempDispose.h"
#include "pdf/object/TempList.h"
#include "pdf/object/TempString.h"

class CPDFOutStream;
class CPDFMatrix;
class CPDFObject;
class CPDFPageDescOp;
class CPDFTextOperator;
class CPDFExternalOperator;

// The base of every content-stream element.
class CPDFGraphObj : public CPDFAtom {
 public:
  enum Type : int32_t {
    kPageDescOp = 1,
    kTextOperator = 4,
    kExternalOperator = 16,
    kTextObject = 128,
    kExternalObject = 512,
  };

  // Category bits of the elements (see each class for its kinds).
  enum Category : uint32_t {
    kSpecialGraphicsState = 0x1,
    kGeneralGraphicsState = 0x2,
    kColor = 0x4,
    kCompatibility = 0x8,
    kMarkedContent = 0x10,
    kTextObjectOps = 0x100,
    kTextState = 0x200,
    kTextPositioning = 0x400,
    kTextShowing = 0x800,
    kXObjectOps = 0x2000,
  };

  CPDFGraphObj(const CPDFGraphObj&) = delete;
  CPDFGraphObj& operator=(const CPDFGraphObj&) = delete;
  ~CPDFGraphObj() override = default;

  // Writes the element's content text (no leading or trailing blank).
  virtual void Write(CPDFOutStream& out) = 0;
  // The category bit of the element's kind; 0 when it has none.
  virtual uint32_t GetCategory() const { return 0; }

  int32_t GetType() const { return GetKind(); }
  const char* GetTypeName() const { return GetKindName(); }

 protected:
  CPDFGraphObj(int32_t type, const char* typeName) : CPDFAtom(type, typeName) {}
};

// The shared part of the three operator classes: the operator kind (-1
// when unset) and six operand slots. An operand is a PDF object (number,
// name, string, array, dictionary) or, for the flag of some text operators,
// a CPDFBool. The operator owns its operands: setting a new kind deletes the
// old ones first, and so does the destructor.
class CPDFGraphOperator : public CPDFGraphObj {
 public:
  static constexpr int32_t kSlots = 6;

  ~CPDFGraphOperator() override { Reset(); }

  int32_t GetOperator() const { return operator_; }
  // The operand in slot 0..5, or none.
  CPDFObject* GetOperand(int32_t slot) const;

  // Sets the kind and takes the operands into slots 0, 1, ... (none leaves
  // a slot empty; operands beyond the sixth are deleted). The old operands
  // are deleted first.
  void Set(int32_t kind, std::initializer_list<CPDFObject*> operands);

 protected:
  CPDFGraphOperator(int32_t type, const char* typeName) : CPDFGraphObj(type, typeName) {}

  // The same with operands already owned; never throws.
  void Replace(int32_t kind, std::unique_ptr<CPDFObject>* operands, int32_t count);
  // The same with new number operands of the values.
  void ReplaceNumbers(int32_t kind, std::initializer_list<float> values);
  // The same for a kind whose operand is raw bytes (copied).
  void ReplaceBytes(int32_t kind, const char* bytes, int32_t length);
  // Deletes the operands and the bytes; the kind becomes -1.
  void Reset();

  // Writes slots 0..count-1 up to the first empty one, each followed by a
  // blank, then the keyword: "op1 op2 keyword".
  void WriteOperands(CPDFOutStream& out, int32_t count, const char* keyword) const;
  // Writes one operand followed by a blank; false (nothing written) when
  // the slot is empty.
  bool WriteOperand(CPDFOutStream& out, int32_t slot) const;
  // The category of a kind from the last kind of each category, in
  // ascending order: {{2, 1}, {9, 2}} gives 1 for 0..2, 2 for 3..9, else 0.
  struct CategoryRange {
    int32_t lastKind;
    uint32_t category;
  };
  static uint32_t CategoryOf(int32_t kind, std::initializer_list<CategoryRange> ranges);
  // The flag operand in the slot: true only for a CPDFBool holding true.
  bool GetFlag(int32_t slot) const;
  const TempString& GetBytes() const { return bytes_; }

 private:
  int32_t operator_ = -1;
  CPDFObject* operands_[kSlots] = {};
  TempString bytes_;
};

// An owning list of elements, visited in the order of appending. Clearing
// or destroying the list deletes every element.
class CPDFGraphObjList {
 public:
  using List = TempList<CPDFGraphObj*, TempDeleteDispose>;
  using Iterator = List::Iterator;

  CPDFGraphObjList() = default;
  CPDFGraphObjList(const CPDFGraphObjList&) = delete;
  CPDFGraphObjList& operator=(const CPDFGraphObjList&) = delete;
  virtual ~CPDFGraphObjList() = default;

  // Takes the element and puts it at the end. When the list cannot grow the
  // element is deleted and the allocation failure is thrown on; nothing is
  // appended then. None is ignored. Answers the element.
  CPDFGraphObj* Append(CPDFGraphObj* element);
  // Deletes every element.
  void Clear() { list_.RemoveAll(); }
  int32_t GetCount() const { return list_.GetCount(); }
  bool IsEmpty() const { return list_.GetCount() == 0; }

  // First appended first: for (auto it = Begin(); !it.IsEnd(); it.Advance())
  Iterator Begin() const { return list_.Begin(); }

  // Nothing for an empty list; otherwise every element's text, with one
  // blank between two elements.
  void Write(CPDFOutStream& out) const;

 private:
  List list_;
};

// The shared part of text objects and external objects: an owned list of
// operators, written as a list.
class CPDFGraphObjGroup : public CPDFGraphObj {
 public:
  ~CPDFGraphObjGroup() override = default;

  void Write(CPDFOutStream& out) override { operators_.Write(out); }
  CPDFGraphObjList& GetOperators() { return operators_; }

 protected:
  CPDFGraphObjGroup(int32_t type, const char* typeName) : CPDFGraphObj(type, typeName) {}

  CPDFGraphObjList operators_;
};

// A text object: the text operators between BT and ET. It writes no BT or
// ET of its own; the caller appends AddBT first and AddET last.
class CPDFTextObject : public CPDFGraphObjGroup {
 public:
  CPDFTextObject() : CPDFGraphObjGroup(kTextObject, "Text Object") {}
  ~CPDFTextObject() override = default;

  // Each appends one text operator and answers this text object.
  CPDFTextObject* AddBT();
  CPDFTextObject* AddET();
  // "/name size Tf".
  CPDFTextObject* AddFont(const char* fontName, float size);
  CPDFTextObject* AddRenderMode(int32_t mode);
  CPDFTextObject* AddTextMatrix(float a, float b, float c, float d, float e, float f);
  // A string of the bytes, then " Tj".
  CPDFTextObject* AddShowText(const char* bytes, int32_t length);
  // Appends a text operator made by the caller (the object takes it).
  CPDFTextObject* AddOperator(CPDFTextOperator* op);
};

// An external object: the external operators that paint XObjects.
class CPDFExternalObject : public CPDFGraphObjGroup {
 public:
  CPDFExternalObject() : CPDFGraphObjGroup(kExternalObject, "External Object") {}
  ~CPDFExternalObject() override = default;

  // Appends an external operator made by the caller (the object takes it).
  CPDFExternalObject* AddOperator(CPDFExternalOperator* op);
};

// The content of a page: the elements in drawing order with the appenders
// of the common operators. An appender that runs out of memory throws
// std::bad_alloc and appends nothing.
class CPDFGraphObjs : public CPDFGraphObjList {
 public:
  CPDFGraphObjs() = default;
  ~CPDFGraphObjs() override = default;

  // q and Q.
  void AddGSave();
  void AddGRestore();
  // "a b c d e f cm".
  void AddMatrix(float a, float b, float c, float d, float e, float f);
  // The matrix's six elements (an element that is missing or not a number
  // counts as the identity's).
  void AddMatrix(const CPDFMatrix& matrix);
  // "1 0 0 1 tx ty cm".
  void AddTranslate(float tx, float ty);
  // "width w" and "gray G".
  void AddLineWidth(float width);
  void AddStrokeGray(float gray);
  // A new empty text object at the end, for the caller to fill.
  CPDFTextObject* AddTextObject();
  // A new external object holding "/name Do".
  CPDFExternalObject* AddXObject(const char* name);
};
