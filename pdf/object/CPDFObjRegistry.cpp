#include "pdf/object/CPDFObjRegistry.h"

#include "pdf/object/CPDFObject.h"

bool CPDFObjRegistry::RegistObj(std::unique_ptr<CPDFObject> object, CPDFObjRef* ref) {
  if (!RegistObj(object.get(), ref)) return false;
  object.release();
  return true;
}
