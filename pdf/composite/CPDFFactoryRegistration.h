#pragma once
// Fills the factory tables through which lower layers type values whose
// classes live above them: the object layer's typed entries (a stream's F
// as a file specification, CPDFEntryFactories.h) and the resource
// dictionary's categories (graphics states, fonts, property lists,
// patterns, shadings, CPDFResourceFactories.h); and the finder through which
// the features reach a document's catalog (CPDFCatalogHook.h). Every
// document calls it when it is made; code that reads objects through a
// registry of its own before any document exists (tests, tools) calls it
// first. The first call fills the tables; later calls return at once.
// Thread-safe.
void PDFRegisterFactories();
