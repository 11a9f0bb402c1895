// Splitting of the driver text ("-driver" or DRIVER) into words: white
// space separates words; a backslash takes the next character as it is (a
// trailing backslash stays); double quotes group text with blanks and are
// dropped; single quotes switch a literal mode on and off (and are dropped)
// in which blanks and double quotes are kept.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> drv_split_arguments(const std::string& text);
