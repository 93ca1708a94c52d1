#include "pdf/interactive/CPDFFieldTypes.h"

#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFString.h"

const CPDFField::MoveRule CPDFBtnField::kValueRules[2] = {
    {&CPDFBtnField::Key_V, MoveWhen::kEqualNameOrString},
    {&CPDFBtnField::Key_DV, MoveWhen::kEqualNameOrString},
};

const CPDFField::MoveRule CPDFChField::kValueRules[4] = {
    {&CPDFChField::Key_Opt, MoveWhen::kParentLacks},
    {&CPDFChField::Key_V, MoveWhen::kEqualTextOrName},
    {&CPDFChField::Key_DV, MoveWhen::kEqualTextOrName},
    {&CPDFChField::Key_TopIndex, MoveWhen::kEqualInteger},
};

const CPDFField::MoveRule CPDFTxField::kValueRules[3] = {
    {&CPDFTxField::Key_V, MoveWhen::kEqualString},
    {&CPDFTxField::Key_DV, MoveWhen::kEqualString},
    {&CPDFTxField::Key_MaxLen, MoveWhen::kEqualInteger},
};

const CPDFField::MoveRule CPDFSigField::kValueRules[2] = {
    {&CPDFSigField::Key_V, MoveWhen::kParentLacks},
    {&CPDFSigField::Key_DV, MoveWhen::kParentLacks},
};

bool CPDFChField::CheckMore(CPDFObjRegistry* doc, CPDFDict* dict) {
  CPDFObject* opt = FindNearest(doc, dict, Key_Opt());
  return opt && opt->GetType() == kArray;
}

bool CPDFChField::ReadOwnValues(CPDFObjRegistry* doc, CPDFDict* dict) {
  if (!PDFTypeEntry<CPDFText>(dict, doc, Key_V())) return false;
  // Every dictionary the reader visits holds its own Opt array; its string
  // elements become text where the array lives.
  CPDFObject* opt = dict->Get(doc, Key_Opt());
  auto* options = opt && opt->GetType() == kArray ? dynamic_cast<CPDFArray*>(opt) : nullptr;
  return options && PDFTypeElements<CPDFText>(options, doc) &&
         PDFTypeEntry<CPDFText>(dict, doc, Key_DV()) &&
         PDFTypeEntry<CPDFInt>(dict, doc, Key_TopIndex());
}

bool CPDFChField::Uninherit() {
  try {
    if (!CPDFField::Uninherit()) return false;
    if (!Get(GetDoc(), Key_Opt())) return false;
    return MoveValues(this);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFChField", "Uninherit");
  }
}

bool CPDFTxField::ReadOwnValues(CPDFObjRegistry* doc, CPDFDict* dict) {
  return PDFTypeEntry<CPDFText>(dict, doc, Key_V()) &&
         PDFTypeEntry<CPDFText>(dict, doc, Key_DV()) &&
         PDFTypeEntry<CPDFInt>(dict, doc, Key_MaxLen());
}

bool CPDFSigField::ReadOwnValues(CPDFObjRegistry* doc, CPDFDict* dict) {
  return PDFTypeEntry<CPDFSigDict>(dict, doc, Key_V()) &&
         PDFTypeEntry<CPDFSigDict>(dict, doc, Key_DV());
}
