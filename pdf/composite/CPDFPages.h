#pragma once
// A node of the page tree: Kids (references to nodes and pages), Count (the
// pages below it) and the attributes its pages inherit.
#include <cstdint>

#include "pdf/composite/internal/PageSpans.h"
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
  // outside 0..Count-1 or a malformed tree. A kid that leads back into a
  // node above it (a looping tree) is found once and ends every later
  // search that reaches it at once.
  CPDFPage* GetPage(int32_t index, CPDFObjRef* ref = nullptr);
  // Inserts the page before the page now at the position (-1: append) and
  // registers it; every node whose Count grows is recorded as changed.
  // node is this node's reference. On failure the page stays the caller's.
  bool InsertPage(int32_t position, CPDFPage* page, const CPDFObjRef& node,
                  CPDFObjRef* ref = nullptr);
  // The pages below this node: Count, unless the tree below leads back into
  // itself (or lies deeper than kMaxDepth), and then the pages a search can
  // reach. The first call walks every kid once (as a search for the last
  // page would); later ones answer from what it found while the tree does
  // not change. -1 when Count is absent.
  int32_t CountPages();

  // The Type name of a kid dictionary, or none.
  static const CPDFName* TypeOf(CPDFObjRegistry* doc, CPDFDict* dict);
  // The step of a Load that nodes and pages share: MediaBox, CropBox,
  // ArtBox, TrimBox and BleedBox read from a file become rectangles,
  // Resources a resource dictionary. False when a typed value cannot be
  // loaded or stored.
  static bool TypeInheritable(CPDFDict* dict, CPDFObjRegistry* doc);

  // Kids read by the searches, insertions and counts of this thread (for
  // the tests of their cost).
  static int64_t& KidsRead();

 private:
  using Kind = PageSpans::Kind;
  // One kid as a walk over Kids meets it.
  struct Kid {
    CPDFDict* dict = nullptr;
    CPDFPages* node = nullptr;  // kNode: the typed node
    CPDFObjRef ref;
    Kind kind = Kind::kOther;
    int32_t pages = 1;  // kNode: its Count
  };
  // Fetches the kid at the Kids index as the walks do (a node is made
  // typed); false when it is no dictionary reached through a reference,
  // has no Type, or is a node that does not load or has no Count.
  bool ReadKid(CPDFArray* kids, int32_t i, Kid* kid);

  // Where the pages of the kids walked so far lie, so that finding a page
  // and inserting one do not walk Kids from the start each time. The kids
  // are walked, and made typed, exactly as far as a walk from the start
  // would have gone; later calls extend the index from where it ends.
  // The index is forgotten when the node changes under it: another Kids
  // array, fewer kids than it covers, a Count it did not see grow, or a kid
  // that is not the one recorded (another reference, Type or Count).
  struct PageIndex {
    const CPDFArray* kids = nullptr;
    int32_t total = -1;
    // Kids 0 .. spans.Size()-1.
    PageSpans spans;
    // The first span of a kid of another Type or of a loop (a page to an
    // insertion, an end to a search).
    int32_t firstOther = INT32_MAX;
    // False once a kid that no span can describe (a node with a negative
    // Count, or pages beyond the 32-bit range) was met: the walks then go
    // on from the last span without recording.
    bool open = true;
    // CountPages' answer for this node while counted; cut: the tree below
    // holds a loop, or nodes too deep to search.
    bool counted = false;
    bool cut = false;
    int32_t reachable = 0;
  };
  void Forget();
  // Forgets the index unless it was made for these Kids and this Count.
  void SyncIndex(const CPDFArray* kids, int32_t total);
  // Records the kid at Kids index i when the index ends just before it.
  void Record(int32_t i, const Kid& kid, int32_t start);
  int32_t SpanStart(int32_t i) const { return static_cast<int32_t>(index_.spans.Start(i)); }
  // Reads the kid of span i again; false (and the index forgotten) when
  // it is not what the span recorded.
  bool ReadSpan(CPDFArray* kids, int32_t i, Kid* kid);
  // The kid that holds the page position: its Kids index, the pages before
  // it and the kid; false when the position lies past a kid of another
  // Type, a loop or the end.
  bool Locate(CPDFArray* kids, int32_t position, int32_t* at, int32_t* start, Kid* kid);
  // The kid at Kids index i leads back into a node being walked.
  void MarkLoop(int32_t i);

  // The walks (FindPage, Insert, Count) go down the tree in a loop, at most
  // kMaxDepth nodes deep; a node on the way down is marked so that a kid
  // leading back to it is known for a loop.
  class Path;
  CPDFPage* FindPage(int32_t index, CPDFObjRef* ref);
  bool Insert(int32_t position, CPDFPage* page, const CPDFObjRef& node, CPDFObjRef* ref);
  // Where an insertion at the position goes in this node: below the node
  // kid at Kids index *below (the pages before it in *start), or into Kids
  // at *at. False when the kids cannot be read.
  bool PlaceInsertion(CPDFArray* kids, int32_t position, int32_t* below, int32_t* start,
                      int32_t* at, Kid* kid);
  bool onPath_ = false;

  PageIndex index_;
};
