// Plugs the program documents into the environment: their document
// template and the shell's program neighbour (opening files, saving every
// modified document, the breakpoint marks).
#pragma once

class FwDocTemplate;

void Programs_Install();
FwDocTemplate* Programs_Template();
