// The canonical text dump of a dialog document's model: every object with
// its class, flags, source lines and values (with the serials of the named
// constants they were given as), then the constants, fonts, raster and the
// kept source lines.
#pragma once

#include <string>

class CDlgEditDoc;

std::string DlgDump_Document(CDlgEditDoc& doc);
