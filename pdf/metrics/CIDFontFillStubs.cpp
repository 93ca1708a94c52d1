// Placeholders for the built-in metrics of the two Japanese CID fonts until
// their tables land: each answers false.
#include "pdf/font/AFMFile.h"

bool AFMFile::FillHeiseiMinW3() { return false; }
bool AFMFile::FillHeiseiKakuGoW5() { return false; }
