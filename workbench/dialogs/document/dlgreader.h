// The load state shared by the dialog document's open sequence and its
// reader callbacks (dlgeditload.cpp); not for other users.
#pragma once

#include <string>

// Starts a load: status text and progress, the source to edit emptied, the
// kept-line state and the offer to edit reset, wait cursor.
void DlgLoad_Begin(const std::string& path);
// Records the source to edit after the failed load.
void DlgLoad_SetSource(const std::string& path, int line);
// Resets the kept-line state (last thing kept was a text line, pending
// blank lines).
void DlgLoad_ResetKept();
