#pragma once
// Form fields. A field is modelled only in its merged form: one dictionary
// that is at once a terminal field and its widget annotation (/Type /Annot,
// /Subtype /Widget, and an /FT of its own or from an ancestor through
// /Parent). Ancestor fields are never typed objects: they stay plain
// dictionaries, whose common entries are typed in place when one of their
// widgets is read. Fields come into being when a page is read (its /Annots
// go to the annotation factory, which falls back on CreateField).
//
// Every operation that climbs the /Parent chain goes through one walker
// (WalkParents): it follows /Parent only to a dictionary, stops at a
// dictionary already visited and after kMaxParentDepth levels. A field
// whose chain stops that way is not typed (Check and the readers answer
// false), GetInheritable answers none, GetFullName keeps what it gathered,
// and Uninherit only ever uses the direct parent.
//
// Names are bytes with a length: a UTF-16BE partial name (FE FF 00 61 ...)
// is joined and compared whole. A UTF-16BE ancestor name joined with a
// PDFDocEncoding kid name gives a string of mixed encodings; that is a known
// limitation of the full name.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "pdf/document/CPDFResDict.h"
#include "pdf/interactive/CPDFAnnotation.h"
#include "pdf/object/CPDFCopyScope.h"
#include "pdf/object/CPDFString.h"

class CPDFField : public CPDFAnnotation {
 public:
  static constexpr uint32_t kBit = 0x10000;
  // The longest /Parent chain a field may have; a deeper one (or a chain
  // that comes back to a dictionary it passed) ends the walk.
  static constexpr int32_t kMaxParentDepth = 64;

  ~CPDFField() override = default;

  // A new field of the first kind in the mask (Button 1, Choice 2, Text 4,
  // Signature 8) whose Check accepts the dictionary, loaded from it. None
  // when no kind accepts it, and none when the accepting kind fails to load
  // (no later kind is tried; the dictionary keeps what it held). The caller
  // owns the result.
  static CPDFField* CreateField(CPDFObjRegistry* doc, CPDFDict* dict, int32_t mask);

  // True when the annotation check passes and /Subtype is the name Widget.
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);

  // Types the common field entries of one dictionary (a field or one of its
  // ancestors), in this order: the strings T, TU and TM become text, the
  // numbers Ff, Q and OH integers, and DR a resource dictionary. Each stays
  // in its direct or indirect form (under the same object number). A
  // conversion that fails stops and answers false; those made before stay.
  // FT, DA, MK, Kids and Parent stay as read.
  static bool LoadFieldEntries(CPDFObjRegistry* doc, CPDFDict* dict);

  // The ancestors of the dictionary, nearest first, in *chain. /Parent is
  // followed only when it resolves to a dictionary; a number, a name or a
  // reference that does not resolve ends the chain as if absent (true).
  // False when the walk stopped at a dictionary already visited or after
  // kMaxParentDepth ancestors; *chain then holds those gathered so far.
  static bool WalkParents(CPDFObjRegistry* doc, CPDFDict* dict, std::vector<CPDFDict*>* chain);

  // The value of the key in the nearest ancestor whose dictionary holds
  // the key (never the field's own), with its reference; none when no
  // ancestor holds it or the walk stopped.
  CPDFObject* GetInheritable(const CPDFName& key, CPDFObjRef* ref = nullptr);
  // The own value when the field's dictionary holds the key, else
  // GetInheritable.
  CPDFObject* GetOwnOrInherited(const CPDFName& key, CPDFObjRef* ref = nullptr);

  // Fills out with the fully qualified name: the partial names (T) from the
  // root down to the field, joined by "."; ancestors without a string T are
  // skipped. No length limit. Answers out (none for none, or when out
  // cannot grow).
  CPDFText* GetFullName(CPDFText* out);

  // Moves the entries the widget shares with its field up into the parent
  // field dictionary. Needs a parent dictionary, a field kind, FT names of
  // equal bytes and T strings of equal bytes in both; otherwise false and
  // nothing changes. Then the own T goes (an indirect one loses only its
  // reference: the object may be the parent's T too), and FT, Ff, DR, DA and
  // Q move when the parent lacks them or holds an equal value of the same
  // kind (DR only when the parent lacks it). A moved value keeps its object
  // number. An indirect parent, and the field when the parent's Kids
  // lists it by reference, are marked changed for an incremental save.
  // False when a store into the parent fails (what moved stays moved).
  virtual bool Uninherit();

  // Makes dest (a new field of this field's kind, holding the kind's value
  // entries already) a standalone copy of this field in doc, a document:
  // - FT (own or inherited; required) and T, the fully qualified name, are
  //   stored direct;
  // - Ff, DA and Q (own or inherited) and TU, TM, OH and MK (own only) are
  //   cloned, each indirect (under a new number of doc) exactly when this
  //   field's entry is a reference;
  // - DR (own or inherited) needs the interactive form of doc's catalog: a
  //   form the catalog holds (typed, or a plain dictionary read from a file)
  //   is used as it is; without /AcroForm a new form is made (Fields empty,
  //   DR with the font Helv, DA "/Helv 0 Tf 0 g") and stored indirect, and
  //   the catalog is marked changed. When both this field's DR and the
  //   form's DR are references, dest refers to the form's DR (which holds
  //   only Helv: a DA naming another font finds no such font there, and a
  //   viewer falls back on its own); otherwise this field's DR is cloned,
  //   indirect exactly when it is a reference;
  // - every other own key that dest does not hold yet is copied as the
  //   annotation's copy does (the page /P is skipped, its copy flag being
  //   clear). Kids and Parent never reach dest, nor does a key this field
  //   only inherits.
  // The copy is added neither to the form's Fields nor to any page's
  // /Annots: the caller places it.
  // False when FT is absent, a value does not clone or store, doc is no
  // document or an FDF document, or its /AcroForm is not a dictionary
  // (which then stays). Nothing is rolled back: the caller deletes dest; a
  // form already stored in the catalog stays.
  bool Duplicate(CPDFField* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc);

  // The field kind's bit in CreateField's mask (0 for none) and its name.
  uint32_t GetFieldType() const { return fieldTypeBit_; }
  const char* GetFieldTypeName() const { return fieldTypeName_; }

  // Own or inherited: FT (no setter), Ff, DR, DA, Q. Own only: TU, TM, OH,
  // MK; T is the annotation's.
  PDF_INHERITED_GETTER(FT, CPDFObject)
  PDF_INHERITED_ACCESSOR(Ff, CPDFObject)
  PDF_INHERITED_ACCESSOR(DR, CPDFResDict)
  PDF_INHERITED_ACCESSOR(DA, CPDFObject)
  PDF_INHERITED_ACCESSOR(Q, CPDFObject)
  PDF_ACCESSOR(TU, CPDFObject)
  PDF_ACCESSOR(TM, CPDFObject)
  PDF_ACCESSOR(OH, CPDFObject)
  PDF_ACCESSOR(MK, CPDFObject)
  PDF_CONST_NAME(Key_Parent, "Parent")
  PDF_CONST_NAME(Key_Kids, "Kids")
  PDF_CONST_NAME(WidgetName, "Widget")
  // The parent field dictionary (own entry only), or none. There is no
  // setter. Written by hand: only a plain dictionary answers (a stream does
  // not), and an answer of none resets the reference, as the parent walk
  // does.
  CPDFDict* Get_Parent(CPDFObjRef* ref = nullptr);

 protected:
  CPDFField() : CPDFAnnotation(kBit, "Widget") {}
  CPDFField(uint32_t fieldTypeBit, const char* fieldTypeName)
      : CPDFAnnotation(kBit, "Widget"),
        fieldTypeBit_(fieldTypeBit),
        fieldTypeName_(fieldTypeName) {}

  // When an own value may move up into the parent.
  enum class MoveWhen {
    kParentLacks,        // only when the parent lacks the key
    kEqualName,          // or the parent holds a name of equal bytes
    kEqualInteger,       // or both are numbers with equal integers
    kEqualString,        // or both are strings or texts of equal bytes
    kEqualNameOrString,  // or a name against a name, a string against a string
    kEqualTextOrName,    // or own exactly text (parent text or string) or
                         // exactly a name (parent name), of equal bytes
  };
  struct MoveRule {
    const CPDFName& (*key)();
    MoveWhen when;
  };
  // Moves each own entry of the rules up into the parent when its rule
  // holds, in order (an absent own entry is skipped). Marks an indirect
  // parent changed when anything moved. False without a parent dictionary
  // or when a store fails.
  bool MoveUp(const MoveRule* rules, size_t count);

  // Stores in copy a clone of each value key of the rules (in order), own
  // or inherited, indirect under a new number of doc exactly when the value
  // was reached through a reference. An absent key is skipped, except the
  // required one (none for none). False when that key is absent or a value
  // does not clone or store.
  bool CloneValues(CPDFField* copy, const MoveRule* rules, size_t count, const CPDFName* required,
                   CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc);

  // One field on the way of a copy, for as long as its Clone runs: a level
  // of the copy depth (CPDFCopyScope::kMaxDepth, shared with the nested
  // Duplicates) and a mark that the field is being copied
  // (CPDFCopyScope::Mark). A value that leads back to a marked field, itself
  // or at any depth inside arrays and dictionaries (a /V naming the field
  // itself, /V [the field 1], two check boxes whose values name each
  // other), is a cycle: it is not followed and the copy fails. Allowed is
  // false when the copy is too deep or the field is marked already; the
  // Clone then answers none.
  class CloneStep {
   public:
    explicit CloneStep(CPDFField* field);
    CloneStep(const CloneStep&) = delete;
    CloneStep& operator=(const CloneStep&) = delete;
    bool Allowed() const { return allowed_; }

   private:
    CPDFCopyScope::Level level_;
    CPDFCopyScope::Mark mark_;
    bool allowed_ = false;
  };

  // The nearest value of the key, own or from the first ancestor holding
  // it; none when absent everywhere or the walk stopped.
  static CPDFObject* FindNearest(CPDFObjRegistry* doc, CPDFDict* dict, const CPDFName& key);
  // Check, then the nearest /FT is a name equal to the kind's.
  static bool CheckFieldType(CPDFObjRegistry* doc, CPDFDict* dict, const CPDFName& type);
  // Runs LoadFieldEntries and then readOwn on every ancestor, root first,
  // then on the dictionary itself. False when the walk stopped or a step
  // fails; nothing is thrown.
  static bool ReadChain(CPDFObjRegistry* doc, CPDFDict* dict,
                        bool (*readOwn)(CPDFObjRegistry*, CPDFDict*));

 private:
  // Moves one own entry into the parent with the same object (an indirect
  // one under its own number) and unlinks it here, deleting only a
  // reference atom. *moved tells whether it moved; false when the store
  // fails.
  bool MoveEntry(CPDFDict* parent, const CPDFName& key, MoveWhen when, bool* moved);
  // The field itself changed: when the parent's Kids lists it by reference,
  // that object is marked changed, so that an incremental save writes it.
  void MarkChanged(CPDFDict* parent);

  uint32_t fieldTypeBit_ = 0;
  const char* fieldTypeName_ = "";
};
