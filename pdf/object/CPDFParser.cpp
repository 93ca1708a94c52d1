// The object parser: the chain of class entries and its nesting guard.
#include <memory>

#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFBool.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNull.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFObject.h"
#include "pdf/object/CPDFString.h"
#include "pdf/object/internal/CPDFParseDepth.h"

namespace {
thread_local int32_t g_parseDepth = 0;
}  // namespace

CPDFParseDepth::CPDFParseDepth(const char* className)
    : depth_(g_parseDepth, CPDFObject::kMaxNesting) {
  if (depth_.TooDeep()) {
    CPDFException::Throw(className, "Serialize", CPDFException::kSyntax, "ioerror");
  }
}

void CPDFParseDepth::ThrowInvalidToken(const char* className, CPDFInStream& in) {
  char token[CPDFInStream::kTokenSize];
  if (!in.ReadToken(token, sizeof token)) {
    CPDFException::Throw(className, "Serialize", CPDFException::kSyntax, "ioerror");
  }
  CPDFException::ThrowFormat(className, "Serialize", CPDFException::kSyntax, "invalidtoken: %s",
                             token);
}

CPDFObject* CPDFObject::SerializeObject(CPDFObjRegistry* doc, CPDFInStream& in,
                                        const uint8_t* context) {
  in.SkipWhiteSpaceAndComments();
  if (CPDFObject* o = CPDFDict::SerializeObject(doc, in, context)) return o;
  if (CPDFObject* o = CPDFArray::SerializeObject(doc, in, context)) return o;
  if (CPDFObject* o = CPDFName::SerializeObject(doc, in, context)) return o;
  if (CPDFObject* o = CPDFString::SerializeObject(doc, in, context)) return o;
  if (CPDFObject* o = CPDFNumber::SerializeObject(doc, in, context)) return o;
  if (CPDFObject* o = CPDFBool::SerializeObject(doc, in, context)) return o;
  if (CPDFObject* o = CPDFNull::SerializeObject(doc, in, context)) return o;
  return nullptr;
}
