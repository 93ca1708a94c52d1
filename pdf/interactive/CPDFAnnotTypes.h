#pragma once
// The fourteen annotation subtypes the annotation factory recognises by
// their /Subtype. Each is one row of a table: its bit in the factory's
// mask, its /Subtype value, and the key its Check requires with the type
// codes that key may have. Ten load with CPDFAnnotation::Load; links,
// movies, sounds and file attachments also type keys of their own.
#include <cstdint>

#include "pdf/interactive/CPDFAnnotation.h"

class CPDFAction;
class CPDFDestination;
class CPDFFileSpec;
class CPDFMovieActiv;
class CPDFMovieDict;
class CPDFSound;

// One row of the subtype table.
struct CPDFAnnotSpec {
  uint32_t bit;
  const char* subtype;
  const char* requiredKey;  // none when Check requires no key of its own
  int32_t requiredTypes;
};

// The constructor, the /Subtype constant, Check and Clone of one subtype.
template <class Self, const CPDFAnnotSpec& Spec>
class CPDFAnnotSubtype : public CPDFAnnotation {
 public:
  static constexpr uint32_t kBit = Spec.bit;

  static const CPDFName& SubtypeValue() {
    static const CPDFName name(Spec.subtype);
    return name;
  }
  // CPDFAnnotation::Check, /Subtype equal to the row's, and the row's
  // required key present with one of its type codes (references resolved).
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict) {
    return CheckSubtype(doc, dict, SubtypeValue(), Spec.requiredKey, Spec.requiredTypes);
  }
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override {
    return PDFClone(static_cast<Self*>(this), doc, sourceDoc,
                    [&](Self* copy) { return Duplicate(copy, doc, sourceDoc); });
  }

 protected:
  CPDFAnnotSubtype() : CPDFAnnotation(Spec.bit, Spec.subtype) {}
};

namespace annot_spec {
inline constexpr int32_t kStringTypes = CPDFObject::kString | CPDFObject::kText;
inline constexpr CPDFAnnotSpec kText{0x1, "Text", nullptr, 0};
inline constexpr CPDFAnnotSpec kLink{0x2, "Link", nullptr, 0};
inline constexpr CPDFAnnotSpec kMovie{0x4, "Movie", "Movie", CPDFObject::kDictionary};
inline constexpr CPDFAnnotSpec kSound{0x8, "Sound", "Sound", CPDFObject::kStream};
inline constexpr CPDFAnnotSpec kFreeText{0x10, "FreeText", "DA", kStringTypes};
inline constexpr CPDFAnnotSpec kStamp{0x20, "Stamp", nullptr, 0};
inline constexpr CPDFAnnotSpec kLine{0x40, "Line", nullptr, 0};
inline constexpr CPDFAnnotSpec kSquare{0x80, "Square", nullptr, 0};
inline constexpr CPDFAnnotSpec kCircle{0x100, "Circle", nullptr, 0};
inline constexpr CPDFAnnotSpec kStrikeOut{0x200, "StrikeOut", "QuadPoints", CPDFObject::kArray};
inline constexpr CPDFAnnotSpec kHighlight{0x400, "Highlight", "QuadPoints", CPDFObject::kArray};
inline constexpr CPDFAnnotSpec kUnderline{0x800, "Underline", "QuadPoints", CPDFObject::kArray};
inline constexpr CPDFAnnotSpec kInk{0x1000, "Ink", "InkList", CPDFObject::kArray};
inline constexpr CPDFAnnotSpec kFileAttachment{0x2000, "FileAttachment", "FS",
                                               kStringTypes | CPDFObject::kDictionary};
}  // namespace annot_spec

class CPDFTextAnnot final : public CPDFAnnotSubtype<CPDFTextAnnot, annot_spec::kText> {};
class CPDFFreeTextAnnot final : public CPDFAnnotSubtype<CPDFFreeTextAnnot, annot_spec::kFreeText> {
};
class CPDFStampAnnot final : public CPDFAnnotSubtype<CPDFStampAnnot, annot_spec::kStamp> {};
class CPDFLineAnnot final : public CPDFAnnotSubtype<CPDFLineAnnot, annot_spec::kLine> {};
class CPDFSquareAnnot final : public CPDFAnnotSubtype<CPDFSquareAnnot, annot_spec::kSquare> {};
class CPDFCircleAnnot final : public CPDFAnnotSubtype<CPDFCircleAnnot, annot_spec::kCircle> {};
class CPDFStrikeOutAnnot final
    : public CPDFAnnotSubtype<CPDFStrikeOutAnnot, annot_spec::kStrikeOut> {};
class CPDFHighlightAnnot final
    : public CPDFAnnotSubtype<CPDFHighlightAnnot, annot_spec::kHighlight> {};
class CPDFUnderlineAnnot final
    : public CPDFAnnotSubtype<CPDFUnderlineAnnot, annot_spec::kUnderline> {};
class CPDFInkAnnot final : public CPDFAnnotSubtype<CPDFInkAnnot, annot_spec::kInk> {};

// A link: its destination (Dest) and the actions it runs (A, PA).
class CPDFLinkAnnot final : public CPDFAnnotSubtype<CPDFLinkAnnot, annot_spec::kLink> {
 public:
  // The shared keys, then Dest (an explicit destination array; a named
  // destination stays as read), A and PA (through the action factory; a
  // dictionary it does not take stays as read).
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);

  // The stored destination, typed or not (a name or string names one).
  PDF_ACCESSOR_DECL(Dest, CPDFObject, CPDFDestination)
  // The actions; a value that stayed raw answers none.
  PDF_ACCESSOR_DECL(A, CPDFAction)
  PDF_ACCESSOR_DECL(PA, CPDFAction)
};

// A movie: its movie dictionary (required) and how it is played (A, a
// dictionary or a boolean).
class CPDFMovieAnnot final : public CPDFAnnotSubtype<CPDFMovieAnnot, annot_spec::kMovie> {
 public:
  // The shared keys, then Movie (required) and A.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);

  // The movie; a value that stayed raw answers none.
  PDF_ACCESSOR_DECL(Movie, CPDFMovieDict)
  // The stored value, typed or not.
  PDF_ACCESSOR_DECL(A, CPDFObject, CPDFMovieActiv)
};

// A sound: its sound stream (required).
class CPDFSoundAnnot final : public CPDFAnnotSubtype<CPDFSoundAnnot, annot_spec::kSound> {
 public:
  // The shared keys, then Sound (required).
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);

  // The sound; a stream that stayed raw answers none.
  PDF_ACCESSOR_DECL(Sound, CPDFSound)
};

// A file attachment: the file (FS, a file specification or a file name).
class CPDFFileAttachAnnot final
    : public CPDFAnnotSubtype<CPDFFileAttachAnnot, annot_spec::kFileAttachment> {
 public:
  // The shared keys, then FS (required).
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);

  // The stored value, typed or not.
  PDF_ACCESSOR_DECL(FS, CPDFObject, CPDFFileSpec)
};
