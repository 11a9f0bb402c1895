// Printing an editor view's text: the page setup's font, margins, header
// and footer, the rows of the whole text (or of the selection) laid out as
// the editor model's print layout says, black on white, with line-draw
// glyphs, underline and inverse cells, and program line numbers on request.
#pragma once

#include <string>

#include <QRectF>

#include "workbench/base/settings/config.h"

class EditorModel;
class QPrinter;

// The page setup with each margin (0.1 mm) widened, where needed, to the
// edge of the area the printer can print on (`printable`, in millimetres
// from the paper's top left corner of `paper_size`), so that no text falls
// off the paper.
CfgPageSetup Editor_MarginsInsidePrintable(const CfgPageSetup& setup, const QSizeF& paper_size,
                                           const QRectF& printable);

// Prints on printer (its full page; margins are the page setup's, inside
// the printer's printable area). The
// number of pages printed, or -1 when the job stopped; the user was told
// why ("Cannot print file [1]" for margins that leave less than 10 x 10 cm,
// "Cannot print file [2]" when no printer font could be set up).
int Editor_Print(EditorModel& model, const std::string& file_name, QPrinter* printer, bool selection_only);
