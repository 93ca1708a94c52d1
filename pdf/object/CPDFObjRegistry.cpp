#include "pdf/object/CPDFObjRegistry.h"

#include "pdf/object/CPDFObject.h"

bool CPDFObjRegistry::RegistObj(std::unique_ptr<CPDFObject> object, CPDFObjRef* ref) {
  const bool registered = RegistObj(object.get(), ref);
  // Registered, or held by a registry already (which owns it): not ours.
  if (registered || (object && object->GetHolder())) object.release();
  return registered;
}
