#pragma once
// A node of the page tree: Kids (references to nodes and pages), Count (the
// pages below it) and the attributes its pages inherit.
#include <cstdint>

#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFObjRef.h"
#include "pdf/object/CPDFRect.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFPage;

class CPDFPages : public CPDFDocStruct, public CPDFDict {
 public:
  PDF_CONST_NAME(Name_Pages, "Pages")
  // Walks up or down the tree stop past this many levels (a looping or
  // absurd tree fails instead of hanging).
  static constexpr int32_t kMaxDepth = 1000;

  CPDFPages() : CPDFDocStruct(kPages) { SetStructureFlags(false, false, false); }
  ~CPDFPages() override = default;

  PDF_ACCESSOR(Type, CPDFName)
  PDF_ACCESSOR(Parent, CPDFDict)
  PDF_ACCESSOR(Kids, CPDFArray)
  PDF_ACCESSOR(Count, CPDFNumber)
  PDF_ACCESSOR(MediaBox, CPDFRect)
  PDF_ACCESSOR(Resources, CPDFDict)
  PDF_ACCESSOR(CropBox, CPDFRect)
  PDF_ACCESSOR(ArtBox, CPDFRect)
  PDF_ACCESSOR(TrimBox, CPDFRect)
  PDF_ACCESSOR(BleedBox, CPDFRect)

  // Type Pages, Kids and Count.
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);
  // Type Pages, Parent when the reference is defined, Kids [] and Count 0.
  bool Create(CPDFObjRegistry* doc, const CPDFObjRef& parent);
  // Takes over a raw node: Count must be present (a number read from a file
  // becomes an integer); the inheritable boxes become rectangles and
  // Resources a resource dictionary when they were read from a file.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  // Stores a reference to the parent node.
  bool SetParentRef(const CPDFObjRef& parent);

  // The page at the 0-based index below this node (raw kids on the way are
  // made typed and stored back), its reference reported; none for an index
  // outside 0..Count-1 or a malformed tree.
  CPDFPage* GetPage(int32_t index, CPDFObjRef* ref = nullptr);
  // Inserts the page before the page now at the position (-1: append) and
  // registers it; every node whose Count grows is recorded as changed.
  // node is this node's reference. On failure the page stays the caller's.
  bool InsertPage(int32_t position, CPDFPage* page, const CPDFObjRef& node,
                  CPDFObjRef* ref = nullptr);

  // The Type name of a kid dictionary, or none.
  static const CPDFName* TypeOf(CPDFObjRegistry* doc, CPDFDict* dict);
  // The step of a Load that nodes and pages share: MediaBox, CropBox,
  // ArtBox, TrimBox and BleedBox read from a file become rectangles,
  // Resources a resource dictionary. False when a typed value cannot be
  // loaded or stored.
  static bool TypeInheritable(CPDFDict* dict, CPDFObjRegistry* doc);

 private:
  // Both descend the tree recursively, at most kMaxDepth nodes deep.
  CPDFPage* FindPage(int32_t index, CPDFObjRef* ref);
  bool Insert(int32_t position, CPDFPage* page, const CPDFObjRef& node, CPDFObjRef* ref);
};
