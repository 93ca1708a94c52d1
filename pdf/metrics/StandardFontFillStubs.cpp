// Placeholders for the built-in metrics of the fourteen standard fonts until
// their tables land: each answers false, so only AFM files give these fonts
// metrics.
#include "pdf/font/AFMFile.h"

bool AFMFile::FillCourier() { return false; }
bool AFMFile::FillCourierBold() { return false; }
bool AFMFile::FillCourierBoldOblique() { return false; }
bool AFMFile::FillCourierOblique() { return false; }
bool AFMFile::FillHelvetica() { return false; }
bool AFMFile::FillHelveticaBold() { return false; }
bool AFMFile::FillHelveticaBoldOblique() { return false; }
bool AFMFile::FillHelveticaOblique() { return false; }
bool AFMFile::FillTimesRoman() { return false; }
bool AFMFile::FillTimesBold() { return false; }
bool AFMFile::FillTimesItalic() { return false; }
bool AFMFile::FillTimesBoldItalic() { return false; }
bool AFMFile::FillSymbol() { return false; }
bool AFMFile::FillZapfDingbats() { return false; }
