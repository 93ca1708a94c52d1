#include "pdf/interactive/CPDFTransition.h"

#include "pdf/object/CPDFFamily.h"
#include "pdf/object/CPDFName.h"

CPDFTransition* CPDFTransition::CreateTransition(CPDFObjRegistry* doc, CPDFDict* dict,
                                                 int32_t mask) {
  static constexpr CPDFFamilyMember<CPDFTransition> kMembers[] = {
      MakeFamilyMember<CPDFTransition, CPDFSplitTrans, CPDFDict>(CPDFSplitTrans::kBit),
      MakeFamilyMember<CPDFTransition, CPDFBlindsTrans, CPDFDict>(CPDFBlindsTrans::kBit),
      MakeFamilyMember<CPDFTransition, CPDFBoxTrans, CPDFDict>(CPDFBoxTrans::kBit),
      MakeFamilyMember<CPDFTransition, CPDFWipeTrans, CPDFDict>(CPDFWipeTrans::kBit),
      MakeFamilyMember<CPDFTransition, CPDFDissolveTrans, CPDFDict>(CPDFDissolveTrans::kBit),
      MakeFamilyMember<CPDFTransition, CPDFGlitterTrans, CPDFDict>(CPDFGlitterTrans::kBit),
      MakeFamilyMember<CPDFTransition, CPDFReplaceTrans, CPDFDict>(CPDFReplaceTrans::kBit),
      MakeFamilyMember<CPDFTransition, CPDFTransition, CPDFDict>(kNoTransition),
  };
  // The low byte as a signed byte, widened again: 0x80 becomes -128, whose
  // only bit among the rows is the plain transition's.
  const int32_t styles = static_cast<int8_t>(mask & 0xFF);
  return CreateFamilyMember<kMembers>(doc, dict, styles);
}

bool CPDFTransition::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  auto* type = PDFGetAs<CPDFName>(dict, doc, Key_Type());
  return type && type->IsEqual(TypeName());
}

bool CPDFTransition::CheckStyle(CPDFObjRegistry* doc, CPDFDict* dict, const CPDFName& style) {
  if (!Check(doc, dict)) return false;
  auto* s = PDFGetAs<CPDFName>(dict, doc, Key_S());
  return s && s->IsEqual(style);
}

bool CPDFTransition::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source);
}

CPDFObject* CPDFTransition::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
