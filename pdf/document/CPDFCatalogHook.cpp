#include "pdf/document/CPDFCatalogHook.h"

#include <atomic>

#include "pdf/object/CPDFObjRef.h"

namespace {

std::atomic<CPDFCatalogFinder> g_finder{nullptr};

}  // namespace

void PDFSetCatalogFinder(CPDFCatalogFinder finder) {
  g_finder.store(finder, std::memory_order_release);
}

CPDFDict* PDFFindCatalog(CPDFObjRegistry* doc, CPDFObjRef* ref) {
  CPDFObjRef found;
  const CPDFCatalogFinder finder = g_finder.load(std::memory_order_acquire);
  CPDFDict* catalog = doc && finder ? finder(doc, &found) : nullptr;
  if (!catalog) found.Reset();
  if (ref) *ref = found;
  return catalog;
}
