#pragma once
// Typed entries that the object layer reads but whose classes live in a
// higher layer. The object layer cannot include those classes, so a higher
// layer fills this table with one factory per entry (PDFRegisterFactories in
// pdf/composite/CPDFFactoryRegistration.h does it when the first document is
// made). An empty slot leaves the entry as read.
#include "pdf/object/CPDFObjRegistry.h"

class CPDFDict;

// Types one entry of dict in place (the typed value replaces the raw one
// under the same key and reference). True when the entry is now typed or is
// left as read; false when a typed value could not be stored (the raw value
// is then back in place).
using CPDFEntryFactory = bool (*)(CPDFDict* dict, CPDFObjRegistry* doc);

enum class CPDFTypedEntry {
  kStreamF,  // a stream's F: a file specification
  kCount,
};

// Sets (or clears, with none) the factory of one entry. Safe to call while
// other threads read the table.
void PDFSetEntryFactory(CPDFTypedEntry entry, CPDFEntryFactory factory);
// The factory of one entry; none while no layer has registered one.
CPDFEntryFactory PDFGetEntryFactory(CPDFTypedEntry entry);
