#pragma once
// Registers the graphics resources (graphics states, property lists,
// patterns, shadings) with the resource dictionary's factory table.
// Called once by PDFRegisterFactories; calling it again changes nothing.
void PDFRegisterGraphicsFactories();
