#pragma once
// The catalog of a document, for the layers below the document classes.
// The catalog and the document live in the composites layer, above the
// features that need to reach the catalog (a field copied into a document
// finds or creates the document's interactive form there). Those features
// cannot include the document's header, so the composites layer registers
// one finder here, through PDFRegisterFactories
// (pdf/composite/CPDFFactoryRegistration.h). The catalog is answered as a
// plain dictionary: its entries are read and written with CPDFDict::Get and
// CPDFDict::Set, as its typed accessors do.
class CPDFDict;
class CPDFObjRef;
class CPDFObjRegistry;

// The catalog dictionary of the registry, with its reference in *ref; none
// (and *ref undefined) when the registry is no document or its Root is not
// a PDF catalog (an FDF document).
using CPDFCatalogFinder = CPDFDict* (*)(CPDFObjRegistry* doc, CPDFObjRef* ref);

// Sets (or clears, with none) the finder. Safe to call while other threads
// read it.
void PDFSetCatalogFinder(CPDFCatalogFinder finder);
// The registry's catalog through the finder; none (and *ref undefined, when
// given) for no registry or while no finder is registered.
CPDFDict* PDFFindCatalog(CPDFObjRegistry* doc, CPDFObjRef* ref = nullptr);
