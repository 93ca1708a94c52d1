// CPDFStream::UpdateGraphObjs: a content-stream operator list becomes the
// data of a stream.
#include <memory>

#include "pdf/document/CPDFGraphObjs.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/CPDFStream.h"

bool CPDFStream::UpdateGraphObjs(CPDFGraphObjs* list, CPDFException* error) {
  CPDFStrOutStream out;
  try {
    if (!list) {
      CPDFException::Throw("CPDFStream", "UpdateGraphObjs", CPDFException::kUndefined,
                           "no operator list");
    }
    SetData(nullptr, 0);
    // On empty data every codec succeeds at once: this only drops the
    // filter records, so the new text is stored unfiltered.
    CPDFException filterError;
    if (!DecodeAllFilter(&filterError)) throw new CPDFException(filterError);
    if (!out.Open()) {
      CPDFException::Throw("CPDFStream", "UpdateGraphObjs", CPDFException::kRuntime);
    }
    list->Write(out);
    const TempString& text = out.GetString();
    if (out.Failed() || !SetData(text.c_str(), text.GetLength())) {
      CPDFException::Throw("CPDFStream", "UpdateGraphObjs", CPDFException::kRuntime,
                           "out of memory");
    }
    out.Close();
    return true;
  } catch (...) {
    out.Close();
    CPDFException::Absorb(error, "CPDFStream", "UpdateGraphObjs");
    SetData(nullptr, 0);
    return false;
  }
}
