#include "pdf/interactive/CPDFAction.h"

#include <memory>

#include "pdf/document/CPDFLoadDepth.h"
#include "pdf/interactive/CPDFActionTypes.h"
#include "pdf/object/CPDFFamily.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNull.h"

namespace {

constexpr CPDFFamilyMember<CPDFAction> kMembers[] = {
    MakeFamilyMember<CPDFAction, CPDFGoToAct, CPDFDict>(CPDFGoToAct::kBit),
    MakeFamilyMember<CPDFAction, CPDFGoToRAct, CPDFDict>(CPDFGoToRAct::kBit),
    MakeFamilyMember<CPDFAction, CPDFLaunchAct, CPDFDict>(CPDFLaunchAct::kBit),
    MakeFamilyMember<CPDFAction, CPDFThreadAct, CPDFDict>(CPDFThreadAct::kBit),
    MakeFamilyMember<CPDFAction, CPDFURIAct, CPDFDict>(CPDFURIAct::kBit),
    MakeFamilyMember<CPDFAction, CPDFSoundAct, CPDFDict>(CPDFSoundAct::kBit),
    MakeFamilyMember<CPDFAction, CPDFMovieAct, CPDFDict>(CPDFMovieAct::kBit),
    MakeFamilyMember<CPDFAction, CPDFSetStateAct, CPDFDict>(CPDFSetStateAct::kBit),
    MakeFamilyMember<CPDFAction, CPDFHideAct, CPDFDict>(CPDFHideAct::kBit),
    MakeFamilyMember<CPDFAction, CPDFNamedAct, CPDFDict>(CPDFNamedAct::kBit),
    MakeFamilyMember<CPDFAction, CPDFNOPAct, CPDFDict>(CPDFNOPAct::kBit),
    MakeFamilyMember<CPDFAction, CPDFSubmitFormAct, CPDFDict>(CPDFSubmitFormAct::kBit),
    MakeFamilyMember<CPDFAction, CPDFResetFormAct, CPDFDict>(CPDFResetFormAct::kBit),
    MakeFamilyMember<CPDFAction, CPDFImportDataAct, CPDFDict>(CPDFImportDataAct::kBit),
    MakeFamilyMember<CPDFAction, CPDFJavaScriptAct, CPDFDict>(CPDFJavaScriptAct::kBit),
};

}  // namespace

CPDFAction* CPDFAction::CreateAction(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask) {
  // Only a dictionary is an action: a stream handed over would lose its
  // dictionary to the action and keep its data.
  if (!object || !object->IsType(kDictionary)) return nullptr;
  // The guard ends long /Next chains and chains that run through
  // annotations and additional actions: past the limit the rest stays raw.
  return CreateNestedFamilyMember<kMembers>(doc, object, mask);
}

bool CPDFAction::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  if (!dict) return false;
  CPDFObject* type = dict->Get(doc, Key_Type());
  if (!type) return true;
  auto* name = dynamic_cast<CPDFName*>(type);
  return name && name->IsEqual(TypeName());
}

bool CPDFAction::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] { return LoadNext(doc); });
}

bool CPDFAction::LoadNext(CPDFObjRegistry* doc) {
  // The entries were taken over before this runs, so a chain that comes
  // back to this action finds its raw dictionary empty, which no type
  // accepts: cycles end there.
  auto make = [doc](CPDFObject* value) { return CreateAction(doc, value, -1); };
  CPDFObject* next = Get_Next();
  if (!next) return true;
  auto* array = dynamic_cast<CPDFArray*>(next);
  if (array && array->IsType(kArray)) {
    return PDFTypeElements(array, doc, kDictionary, make);
  }
  return PDFTypeEntry(this, doc, Key_Next(), kDictionary, make);
}

bool CPDFAction::CopyLeavingOut(CPDFAction* copy, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                                std::initializer_list<const char*> keys) {
  if (!copy) return false;
  // Placeholders keep the copy (which does not overwrite) from taking the
  // keys; they are removed afterwards.
  for (const char* key : keys) {
    if (!copy->Set(doc, CPDFName(key), std::make_unique<CPDFNull>())) return false;
  }
  if (!CopyDataStruct(this, copy, doc, sourceDoc, false)) return false;
  for (const char* key : keys) copy->Remove(doc, CPDFName(key));
  return true;
}
