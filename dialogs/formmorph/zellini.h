// The configuration file "zell.ini" of the dialog tools: the addresses of
// dialog servers and runsrv services by name.
//
//     # a comment          ; also a comment
//     [ pc ]
//     dlg    = zelldlg://host:8011   ; the value ends at ";" or "#"
//     runsrv = "buildhost:runsrv"
//
// Section names (blanks inside the brackets trimmed) and keys compare
// without regard to case; a value loses its surrounding blanks, what
// follows a ";" or "#", and one pair of enclosing double quotes.
#pragma once

#include <string>

// The file "<etc directory>/zell.ini", the etc directory coming from the
// installation lookup (falling back to the parent of the current
// directory); empty when there is no etc directory.
std::string zell_ini_path();

// The value of `key` in `section` of the file `path`, or `fallback` when
// the file, the section or the key is missing (traced at level 2).
std::string zell_ini_get(const std::string& path, const char* section, const char* key, const char* fallback);
