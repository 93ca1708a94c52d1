#pragma once
// The factories a resource dictionary asks for the categories whose classes
// live above the document core: graphics states, fonts, patterns, property
// lists and shadings (pdf/graphics, pdf/font). Those classes hold resource
// dictionaries of their own (patterns, forms), so the resource dictionary
// cannot include them; the features layer fills this table instead, through
// PDFRegisterFactories (pdf/composite/CPDFFactoryRegistration.h), which runs
// when the first document is made. Colour spaces, XObjects and procedure
// sets belong to the core and are typed without the table. An empty slot
// leaves the category's entries as read.
#include <cstdint>

class CPDFObject;
class CPDFObjRegistry;

// Makes the typed resource for one raw entry of a category, or none when no
// class of the category accepts it. The result is a new object the caller
// owns; it has taken over the raw entry's content.
using CPDFResourceFactory = CPDFObject* (*)(CPDFObjRegistry* doc, CPDFObject* raw);

// Sets (or clears, with none) the factory of one category (a
// CPDFResource::Category bit). Safe to call while other threads read.
void PDFSetResourceFactory(uint32_t category, CPDFResourceFactory factory);
// The factory of one category; none when none is registered.
CPDFResourceFactory PDFGetResourceFactory(uint32_t category);
