// schema with -n: every message of the source language and its checks
// against its expected output (the message, "in line", the line shown once),
// the listing with its pages, the set table and summary, the collating
// sequence files, and the usage and option errors.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "testsupport.h"

namespace {

const char kHeader[] =
    "PAGE  1    ORVANTIS             QX9000 / QX VARNICA   Schema Processor  \n"
    "\n";

// Standard error without the banner line ("\n<product> SCHEMA ...\n"),
// which schema prints without an empty line after it.
std::string after_banner(const std::string& err) {
  const std::string start = "\nQ7702K SCHEMA ";
  EXPECT_EQ(err.compare(0, start.size(), start), 0) << err;
  const size_t end = err.find('\n', 1);
  return end == std::string::npos ? "" : err.substr(end + 1);
}

struct MessageCase {
  const char* name;
  std::vector<std::string> args;
  const char* source;
  const char* expected;  // standard output after the page header
  int exit_code;
};

// clang-format off
const MessageCase kMessages[] = {
    {"syntax error, BEGIN DATA BASE expected",
     {},
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "PASSWORDS:\n"
     "*** syntax error in line 1\n"
     "*** 'BEGIN DATA BASE' expected\n"
     "\n",
     1},
    {"Database name expected",
     {},
     "BEGIN DATA BASE ;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "BEGIN DATA BASE ;\n"
     "*** syntax error in line 1\n"
     "*** Database name expected\n"
     "\n",
     1},
    {"Data base volume not supported",
     {},
     "BEGIN DATA BASE D, VOL1;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "BEGIN DATA BASE D, VOL1;\n"
     "*** (WARNING) Data base volume not supported (ignored) in line 1\n"
     "\n",
     0},
    {"PASSWORDS: expected",
     {},
     "BEGIN DATA BASE D;\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "ITEMS:\n"
     "*** syntax error in line 2\n"
     "*** 'PASSWORDS:' expected\n"
     "\n",
     1},
    {"Password class [password] expected",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "SECRET;\n"
     "2 B;\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "SECRET;\n"
     "*** syntax error in line 3\n"
     "*** Password class [password] expected\n"
     "\n",
     1},
    {"Missing ; after a password",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "1 A\n"
     "2 B;\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "2 B;\n"
     "*** syntax error in line 4\n"
     "*** Missing ';'\n"
     "\n",
     1},
    {"(FATAL) ITEMS: expected",
     {},
     "BEGIN DATA BASE D;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "SETS:\n"
     "*** syntax error in line 2\n"
     "*** 'PASSWORDS:' expected\n"
     "*** (FATAL) 'ITEMS:' expected\n",
     1},
    // The items, or the sets, begin without their keyword.
    {"(FATAL) ITEMS: expected after the passwords",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "1 A;\n"
     "X, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: X;\n",
     "X, X4;\n"
     "*** syntax error in line 4\n"
     "*** (FATAL) 'ITEMS:' expected\n",
     1},
    {"(FATAL) ITEMS: expected before SETS:",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "1 A;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: X;\n",
     "SETS:\n"
     "*** (FATAL) 'ITEMS:' expected in line 4\n",
     1},
    {"(FATAL) SETS: expected after the items",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "X, X4;\n"
     "N: S, M (0/0);\n"
     "E: X;\n",
     "N: S, M (0/0);\n"
     "*** syntax error in line 5\n"
     "*** (FATAL) 'SETS:' expected\n",
     1},
    {"(FATAL) SETS: expected after the index items",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "X, X4;\n"
     "IITEMS:\n"
     "X-IX = X;\n"
     "5;\n",
     "5;\n"
     "*** syntax error in line 7\n"
     "*** (FATAL) 'SETS:' expected\n",
     1},
    {"ITEMS: without items",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "SETS:\n"
     "*** syntax error in line 4\n"
     "N: S, M (0/0);\n"
     "*** Item name, type [(format)] expected in line 5\n"
     "E: A;\n"
     "*** Item name, type [(format)] expected in line 6\n"
     "\n",
     1},
    {"Missing ; after an item",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4\n"
     "B, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A, B;\n",
     "B, X4;\n"
     "*** syntax error in line 5\n"
     "*** Missing ';'\n"
     "\n",
     1},
    {"Item name, type [(format)] expected",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A X4;\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A X4;\n"
     "*** syntax error in line 4\n"
     "*** Item name, type [(format)] expected\n"
     "\n",
     1},
    {"Missing ')'",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4 (3;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, X4 (3;\n"
     "*** syntax error in line 4\n"
     "*** Missing ')'\n"
     "\n",
     1},
    {"Index item name = item expected",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "IITEMS:\n"
     "IX A;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "IX A;\n"
     "*** syntax error in line 6\n"
     "*** Index item name = item [:length] [, ...] expected\n"
     "\n",
     1},
    {"Missing ; after an index item",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "IITEMS:\n"
     "IX = A\n"
     "IY = A;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n"
     "I: IX, IY;\n",
     "IY = A;\n"
     "*** syntax error in line 7\n"
     "*** Missing ';'\n"
     "\n",
     1},
    {"Expected name, type (r/w) [,volume]",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S M (0/0);\n"
     "E: A;\n",
     "N: S M (0/0);\n"
     "*** syntax error in line 6\n"
     "*** Expected name, type (r/w) [,volume]\n"
     "\n",
     1},
    {"Expected 'NAME:'",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "X: S, M (0/0);\n"
     "E: A;\n"
     "N: T, M (0/0);\n"
     "E: A;\n",
     "X: S, M (0/0);\n"
     "*** syntax error in line 6\n"
     "*** Expected 'NAME:'\n"
     "\n",
     1},
    {"Data set volume not supported",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0), VOL1;\n"
     "E: A;\n",
     "N: S, M (0/0), VOL1;\n"
     "*** (WARNING) Data set volume not supported (ignored) in line 6\n"
     "\n",
     0},
    {"Expected item [,item ...]",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: ,;\n",
     "E: ,;\n"
     "*** syntax error in line 7\n"
     "*** Expected item [,item ...]\n"
     "\n",
     1},
    {"Expected 'ENTRY:'",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "C: 10;\n",
     "C: 10;\n"
     "*** syntax error in line 7\n"
     "*** Expected 'ENTRY:'\n"
     "\n",
     1},
    {"Expected iitem [,iitem ...]",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n"
     "I: ,;\n",
     "I: ,;\n"
     "*** syntax error in line 8\n"
     "*** Expected iitem [,iitem ...]\n"
     "\n",
     1},
    {"Number expected",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n"
     "C: X;\n",
     "C: X;\n"
     "*** syntax error in line 8\n"
     "*** Number expected\n"
     "\n",
     1},
    {"Bad $CONTROL statement",
     {},
     "$CONTROL LIST, FOO\n"
     "$control nolist\n"
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "$CONTROL LIST, FOO\n"
     "*** (WARNING) Bad $CONTROL statement in line 1\n"
     "$control nolist\n"
     "\n",
     0},
    {"Bad error limit",
     {},
     "$CONTROL ERRORS=-1\n"
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "$CONTROL ERRORS=-1\n"
     "*** (WARNING) Bad error limit; must be >= 0 in line 1\n"
     "\n",
     0},
    {"Bad page length",
     {},
     "$CONTROL LINES=10\n"
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "$CONTROL LINES=10\n"
     "*** (WARNING) Bad page length; must be 0 or 20 - 199 in line 1\n"
     "\n",
     0},
    {"Quoted string or EOL expected",
     {},
     "$TITLE TEXT\n"
     "$PAGE \"P\" X\n"
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "$TITLE TEXT\n"
     "*** (WARNING) Quoted string or EOL expected in line 1\n"
     "$PAGE \"P\" X\n"
     "*** (WARNING) Quoted string or EOL expected in line 2\n"
     "\n",
     0},
    {"Illegal binary size",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, B3;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, B3;\n"
     "*** Illegal binary size in line 4\n"
     "\n",
     1},
    {"Illegal item size",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, D4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, D4;\n"
     "*** Illegal item size in line 4\n"
     "\n",
     1},
    {"Illegal 'I' size",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, I3;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, I3;\n"
     "*** Illegal 'I' size in line 4\n"
     "\n",
     1},
    {"Illegal 'R' size",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, R2;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, R2;\n"
     "*** Illegal 'R' size in line 4\n"
     "\n",
     1},
    {"Illegal string size",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, X;\n"
     "*** Illegal string size in line 4\n"
     "\n",
     1},
    {"Illegal item type",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, Q4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, Q4;\n"
     "*** Illegal item type in line 4\n"
     "\n",
     1},
    {"Illegal subitem count",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, 0X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, 0X4;\n"
     "*** Illegal subitem count in line 4\n"
     "\n",
     1},
    {"Illegal item format number",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4 (70000);\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, X4 (70000);\n"
     "*** Illegal item format number in line 4\n"
     "\n",
     1},
    {"compat: Item mapped to type 'B'",
     {"-T"},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, I3;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, I3;\n"
     "*** (WARNING) Item mapped to type 'B' in line 4\n"
     "\n",
     0},
    {"compat: Bad/Unsupported item size",
     {"-T"},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, R3;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, R3;\n"
     "*** Bad/Unsupported item size in line 4\n"
     "\n",
     1},
    {"compat: Item type 'K'",
     {"-T"},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, K2;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, K2;\n"
     "*** (WARNING) Item type 'K' not supported - mapped to type 'I' in line 4\n"
     "\n",
     0},
    {"compat: Item type 'P'",
     {"-T"},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, P8;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, P8;\n"
     "*** (WARNING) Item type 'P' not supported - mapped to type 'B' in line 4\n"
     "\n",
     0},
    {"compat: Bad 'P' item size",
     {"-T"},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, P3;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, P3;\n"
     "*** (WARNING) Item type 'P' not supported - mapped to type 'B' in line 4\n"
     "*** Bad 'P' item size\n"
     "\n",
     1},
    {"compat: Item type 'U'",
     {"-T"},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, U4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, U4;\n"
     "*** (WARNING) Item type 'U' not supported - mapped to type 'X' in line 4\n"
     "\n",
     0},
    {"compat: Bad string size",
     {"-T"},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X-2;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, X-2;\n"
     "*** Bad string size in line 4\n"
     "\n",
     1},
    {"compat: Bad binary size",
     {"-T"},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, B-2;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, B-2;\n"
     "*** Bad binary size in line 4\n"
     "\n",
     1},
    {"compat: Item type 'Z'",
     {"-T"},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, Z4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, Z4;\n"
     "*** (WARNING) Item type 'Z' not supported - mapped to type 'B' in line 4\n"
     "\n",
     0},
    {"compat: Item length is not in an even number of bytes.",
     {"-T"},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X3;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, X3;\n"
     "*** Item length is not in an even number of bytes. in line 4\n"
     "\n",
     1},
    {"compat: element length not even",
     {"-T"},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "B, 2X3;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A, B;\n",
     "B, 2X3;\n"
     "*** (WARNING) Item (element) length not even number of bytes in line 5\n"
     "*** (WARNING) This violates a QX Varnica assumption and may cause problems.\n"
     "\n",
     0},
    {"compat: Illegal item type",
     {"-T"},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, Q4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, Q4;\n"
     "*** Illegal item type in line 4\n"
     "\n",
     1},
    {"Item name too long",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "ABCDEFGHIJKLMNOPQ, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: ABCDEFGHIJKLMNOP;\n",
     "ABCDEFGHIJKLMNOPQ, X4;\n"
     "*** Item name too long in line 4\n"
     "\n",
     1},
    {"Illegal item name",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A/B, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A/B;\n",
     "A/B, X4;\n"
     "*** Illegal item name in line 4\n"
     "\n",
     1},
    {"compat: 16-character name with mapped letters",
     {"-T"},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "ABCDEFGHIJKLMN/P, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: ABCDEFGHIJKLMN/P;\n",
     "",
     0},
    {"Set name too long",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: ABCDEFGHIJKLMNOPQ, M (0/0);\n"
     "E: A;\n",
     "N: ABCDEFGHIJKLMNOPQ, M (0/0);\n"
     "*** Set name too long in line 6\n"
     "\n",
     1},
    {"Illegal set name",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S.T, M (0/0);\n"
     "E: A;\n",
     "N: S.T, M (0/0);\n"
     "*** Illegal set name in line 6\n"
     "\n",
     1},
    {"Illegal data base name",
     {},
     "BEGIN DATA BASE D/B;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "BEGIN DATA BASE D/B;\n"
     "*** Illegal data base name in line 1\n"
     "\n",
     1},
    {"Illegal password class",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "32 X;\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "32 X;\n"
     "*** Illegal password class in line 3\n"
     "\n",
     1},
    {"Password too long",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "1 ABCDEFGHI;\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "1 ABCDEFGHI;\n"
     "*** Password too long in line 3\n"
     "\n",
     1},
    {"Duplicate password class",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "1 A;\n"
     "1 B;\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "1 B;\n"
     "*** Duplicate password class in line 4\n"
     "\n",
     1},
    {"Duplicate item name",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "A, X2;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, X2;\n"
     "*** Duplicate item name in line 5\n"
     "\n",
     1},
    {"Index item name conflicts with item name",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "IITEMS:\n"
     "A = A;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A = A;\n"
     "*** Index item name conflicts with item name in line 6\n"
     "\n",
     1},
    {"Duplicate index item name",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "IITEMS:\n"
     "IX = A;\n"
     "IX = A;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n"
     "I: IX;\n",
     "IX = A;\n"
     "*** Duplicate index item name in line 7\n"
     "\n",
     1},
    {"Undefined item referenced (segment)",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "IITEMS:\n"
     "IX = B;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "IX = B;\n"
     "*** Undefined item referenced in line 6\n"
     "\n",
     1},
    {"Only simple items allowed as index item segments",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "B, 2X4;\n"
     "IITEMS:\n"
     "IX = B;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A, B;\n"
     "I: IX;\n",
     "IX = B;\n"
     "*** Only simple items allowed as index item segments in line 7\n"
     "\n",
     1},
    {"Can't overwrite item length",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "B, I;\n"
     "IITEMS:\n"
     "IX = B:4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A, B;\n"
     "I: IX;\n",
     "IX = B:4;\n"
     "*** Can't overwrite item length: not string item in line 7\n"
     "\n",
     1},
    {"Index item segment length exceeds item length",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "IITEMS:\n"
     "IX = A:6;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n"
     "I: IX;\n",
     "IX = A:6;\n"
     "*** Index item segment length exceeds item length in line 6\n"
     "\n",
     1},
    {"Duplicate index item segment",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "IITEMS:\n"
     "IX = A, A;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n"
     "I: IX;\n",
     "IX = A, A;\n"
     "*** Duplicate index item segment in line 6\n"
     "\n",
     1},
    {"Index size exceeds maximum",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X100;\n"
     "B, X16;\n"
     "C, X2;\n"
     "IITEMS:\n"
     "IX = A, B;\n"
     "IY = A, B, C:1;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: C, A, B;\n"
     "I: IX, IY;\n",
     "IY = A, B, C:1;\n"
     "*** Index size exceeds maximum in line 9\n"
     "\n",
     1},
    {"Duplicate set name",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n"
     "N: S, D (0/0);\n"
     "E: A;\n",
     "N: S, D (0/0);\n"
     "*** Duplicate set name in line 8\n"
     "\n",
     1},
    {"Invalid set type",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, Q (0/0);\n"
     "E: A;\n",
     "N: S, Q (0/0);\n"
     "*** Invalid set type in line 6\n"
     "\n",
     1},
    {"Illegal password class (read_list)",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (32/0);\n"
     "E: A;\n",
     "N: S, M (32/0);\n"
     "*** Illegal password class (read_list) in line 6\n"
     "\n",
     1},
    {"Illegal password class (read/write list)",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (/32);\n"
     "E: A;\n",
     "N: S, M (/32);\n"
     "*** Illegal password class (read/write list) in line 6\n"
     "\n",
     1},
    {"Illegal capacity",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n"
     "C: 0;\n",
     "C: 0;\n"
     "*** Illegal capacity in line 8\n"
     "\n",
     1},
    {"Undefined item referenced (entry)",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A, B;\n",
     "E: A, B;\n"
     "*** Undefined item referenced in line 7\n"
     "\n",
     1},
    {"Duplicate item in entry",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A, A;\n",
     "E: A, A;\n"
     "*** Duplicate item in entry in line 7\n"
     "\n",
     1},
    {"Automatic sets permit only one entry",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "B, X4;\n"
     "SETS:\n"
     "N: S, A (0/0);\n"
     "E: A, B;\n",
     "E: A, B;\n"
     "*** Automatic sets permit only one entry in line 8\n"
     "\n",
     1},
    {"Only simple items allowed as search items",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, 2X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "E: A;\n"
     "*** Only simple items allowed as search items in line 7\n"
     "\n",
     1},
    {"Key size exceeds maximum",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X120;\n"
     "B, X122;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n"
     "N: T, M (0/0);\n"
     "E: B;\n",
     "E: B;\n"
     "*** Key size exceeds maximum in line 10\n"
     "\n",
     1},
    {"Entry length exceeds maximum",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "B, 16X256;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A, B;\n",
     "E: A, B;\n"
     "*** Entry length exceeds maximum in line 8\n"
     "\n",
     1},
    {"Path count can only be set on master sets",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, D (0/0);\n"
     "E: A (2);\n",
     "E: A (2);\n"
     "*** Path count can only be set on master sets in line 7\n"
     "\n",
     1},
    {"Path count may not be zero for automatic sets",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, A (0/0);\n"
     "E: A (0);\n",
     "E: A (0);\n"
     "*** Path count may not be zero for automatic sets in line 7\n"
     "\n",
     1},
    {"Path count exceeds maximum",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A (17);\n",
     "E: A (17);\n"
     "*** Path count exceeds maximum in line 7\n"
     "\n",
     1},
    {"Paths can only be set on detail sets",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: M, M (0/0);\n"
     "E: A;\n"
     "N: S, M (0/0);\n"
     "E: A (M);\n",
     "E: A (M);\n"
     "*** Paths can only be set on detail sets in line 9\n"
     "\n",
     1},
    {"Sort item can only be specified on detail sets",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "B, X4;\n"
     "SETS:\n"
     "N: M, M (0/0);\n"
     "E: A, B;\n"
     "N: S, M (0/0);\n"
     "E: A (M(B)), B;\n",
     "E: A (M(B)), B;\n"
     "*** Paths can only be set on detail sets in line 10\n"
     "*** Sort item can only be specified on detail sets\n"
     "\n",
     1},
    {"Undefined set referenced",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: S, D (0/0);\n"
     "E: A (M);\n",
     "E: A (M);\n"
     "*** Undefined set referenced in line 7\n"
     "\n",
     1},
    {"Referenced set must not be detail set",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: T, D (0/0);\n"
     "E: A;\n"
     "N: S, D (0/0);\n"
     "E: A (T);\n",
     "E: A (T);\n"
     "*** Referenced set must not be detail set in line 9\n"
     "\n",
     1},
    {"Item types do not match",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "B, X6;\n"
     "SETS:\n"
     "N: M, M (0/0);\n"
     "E: A;\n"
     "N: S, D (0/0);\n"
     "E: B (M);\n",
     "E: B (M);\n"
     "*** Item types do not match in line 10\n"
     "\n",
     1},
    {"No paths left for master set",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: M, M (0/0);\n"
     "E: A (1);\n"
     "N: S, D (0/0);\n"
     "E: A (M);\n"
     "N: T, D (0/0);\n"
     "E: A (M);\n",
     "E: A (M);\n"
     "*** No paths left for master set in line 11\n"
     "\n",
     1},
    {"Undefined item referenced (sort item)",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: M, M (0/0);\n"
     "E: A;\n"
     "N: S, D (0/0);\n"
     "E: A (M (B));\n",
     "E: A (M (B));\n"
     "*** Undefined item referenced in line 9\n"
     "\n",
     1},
    {"Undefined index item referenced",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "IITEMS:\n"
     "NAME-IX = A;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n"
     "I: NAME-IX/GERMAN;\n",
     "I: NAME-IX/GERMAN;\n"
     "*** Undefined index item referenced in line 10\n"
     "\n",
     1},
    {"Item(s) not in entry",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "B, X4;\n"
     "C, X4;\n"
     "IITEMS:\n"
     "IX = A, B, C;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n"
     "I: IX;\n"
     "N: T, M (0/0);\n"
     "E: B, C;\n",
     "I: IX;\n"
     "*** Item(s) not in entry in line 12\n"
     " IX               : B\n"
     "                  : C\n"
     "\n",
     1},
    {"Duplicate index item in set index list",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "IITEMS:\n"
     "IX = A;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n"
     "I: IX, IX;\n",
     "I: IX, IX;\n"
     "*** Duplicate index item in set index list in line 10\n"
     "\n",
     1},
    {"Sort item not in item list",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "B, X4;\n"
     "SETS:\n"
     "N: M, M (0/0);\n"
     "E: A;\n"
     "N: S, D (0/0);\n"
     "E: A (M (B));\n"
     "N: T, M (0/0);\n"
     "E: B;\n",
     "*** Sort item not in item list:\n"
     " S: B\n"
     "\n",
     1},
    {"Master data set lacks expected details",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "SETS:\n"
     "N: M, M (0/0);\n"
     "E: A (2);\n"
     "N: K, A (0/0);\n"
     "E: A;\n"
     "N: S, D (0/0);\n"
     "E: A (M);\n",
     "*** Master data set lacks expected details:\n"
     " M\n"
     " K\n"
     "\n",
     0},
    {"Record size below minimum",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X2;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "*** Record size below minimum:\n"
     " S\n"
     "\n",
     1},
    {"Unreferenced items and index items",
     {},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "B, X4;\n"
     "IITEMS:\n"
     "IX = A;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "*** Unreferenced items:\n"
     " B\n"
     "\n"
     "*** Unreferenced index items:\n"
     " IX\n"
     "\n",
     0},
    {"error limit",
     {},
     "$CONTROL ERRORS=1\n"
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X3;\n"
     "B, X3;\n"
     "C, X3;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A;\n",
     "A, X3;\n"
     "*** Illegal string size in line 5\n"
     "B, X3;\n"
     "*** Illegal string size in line 6\n"
     "*** (FATAL) Number of errors exceeds maximum\n",
     1},
    {"width cut",
     {"-W", "20"},
     "BEGIN DATA BASE D;\n"
     "PASSWORDS:\n"
     "ITEMS:\n"
     "A, X4;\n"
     "BB, X4;             B-CUT, X4;\n"
     "C, X40              ;\n"
     "SETS:\n"
     "N: S, M (0/0);\n"
     "E: A, BB, C, B-CUT;\n",
     "SETS:\n"
     "*** syntax error in line 7\n"
     "*** Missing ';'\n"
     "E: A, BB, C, B-CUT;\n"
     "*** Undefined item referenced in line 9\n"
     "\n",
     1},
};
// clang-format on

class Schema : public ::testing::Test {
 protected:
  void SetUp() override {
    lib_ = dir_.file("lib");
    vtest::run("/bin/mkdir", {"-p", lib_ + "/nls/collate", dir_.file("reg")});
    vtest::write_file(
        dir_.file("reg/user.reg"),
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orvantis\\QX Varnica\\Directories]\n\"lib\"=\"" + lib_ + "\"\n");
  }

  vtest::RunResult run(std::vector<std::string> args, const std::string& source) {
    const std::string file = dir_.file("t.schema");
    vtest::write_file(file, source);
    args.push_back(file);
    return run_args(args);
  }

  vtest::RunResult run_args(const std::vector<std::string>& args) {
    vtest::RunOptions options;
    options.env["VARNICA_REGISTRY"] = dir_.file("reg");
    options.timeout_seconds = 20;
    return vtest::run("schema", args, options);
  }

  // Standard output without the page header, which must be there.
  static std::string body(const vtest::RunResult& r) {
    const std::string header = kHeader;
    if (r.out.empty()) return "";
    EXPECT_EQ(r.out.compare(0, header.size(), header), 0) << r.out;
    return r.out.substr(std::min(header.size(), r.out.size()));
  }

  void write_collate(const std::string& file, const std::string& bytes) {
    vtest::write_file(lib_ + "/nls/collate/" + file, bytes);
  }

  vtest::TempDir dir_;
  std::string lib_;
};

TEST_F(Schema, EveryMessageWithItsLine) {
  for (const MessageCase& c : kMessages) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = {"-n"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    vtest::RunResult r = run(args, c.source);
    EXPECT_EQ(body(r), c.expected);
    EXPECT_EQ(r.exit_code, c.exit_code);
    EXPECT_EQ(after_banner(r.err), "");
  }
}

const char kPrelude[] = "BEGIN DATA BASE D;\nPASSWORDS:\nITEMS:\n";

// Limits of one set or index item, on sources too long to spell out.
TEST_F(Schema, LimitsOfSetsAndIndexItems) {
  struct Limit {
    std::string source;
    std::string message;
  };
  std::string segments = std::string(kPrelude), seg_names, index_list = "A0";
  for (int i = 0; i < 8; ++i) {
    segments += "A" + std::to_string(i) + ", X2;\n";
    seg_names += (i ? ", A" : "A") + std::to_string(i);
  }
  segments += "IITEMS:\nIX = " + seg_names + ";\nSETS:\nN: S, M (0/0);\nE: " + seg_names + ";\nI: IX;\n";

  std::string master_paths = std::string(kPrelude) + "A, X4;\nSETS:\nN: M, M (0/0);\nE: A;\n";
  for (int i = 0; i < 17; ++i) master_paths += "N: S" + std::to_string(i) + ", D (0/0);\nE: A (M);\n";

  std::string detail_paths = kPrelude, masters, entry;
  for (int i = 0; i < 17; ++i) {
    const std::string n = std::to_string(i);
    detail_paths += "A" + n + ", X4;\n";
    masters += "N: M" + n + ", M (0/0);\nE: A" + n + ";\n";
    entry += (i ? ", A" : "A") + n + " (M" + n + ")";
  }
  detail_paths += "SETS:\n" + masters + "N: S, D (0/0);\nE: " + entry + ";\n";

  std::string indexes = std::string(kPrelude) + "A, X4;\nIITEMS:\n", names;
  for (int i = 0; i < 33; ++i) {
    indexes += "I" + std::to_string(i) + " = A;\n";
    names += (i ? ", I" : "I") + std::to_string(i);
  }
  indexes += "SETS:\nN: S, M (0/0);\nE: A;\nI: " + names + ";\n";

  const Limit limits[] = {
      {segments, "*** Segment count exceeds maximum in line 13\n"},
      {master_paths, "*** Master set path count exceeds maximum in line 41\n"},
      {detail_paths, "*** Detail set path count exceeds maximum in line 57\n"},
      {indexes, "*** Data set index count exceeds maximum in line 42\n"},
  };
  for (const Limit& limit : limits) {
    SCOPED_TRACE(limit.message);
    vtest::RunResult r = run({"-n"}, limit.source);
    EXPECT_EQ(r.exit_code, 1);
    const std::string out = body(r);
    EXPECT_NE(out.find(limit.message), std::string::npos) << out;
    EXPECT_EQ(out.find("*** ", out.find(limit.message) + 4), std::string::npos) << "one message only:\n" << out;
  }
}

// The database's own limits: reported after the parse with their maximum.
TEST_F(Schema, DatabaseLimitsAfterTheParse) {
  auto items = [](int count, const std::string& prefix) {
    std::string text;
    for (int i = 0; i < count; ++i) text += prefix + std::to_string(i) + ", X4;\n";
    return text;
  };
  const std::string sets = "SETS:\nN: S, M (0/0);\nE: A0;\n";
  std::string iitems = "IITEMS:\n";
  for (int i = 0; i < 25; ++i) iitems += "J" + std::to_string(i) + " = A0;\n";
  std::string many_sets = std::string(kPrelude) + "A0, X4;\nSETS:\n";
  for (int i = 0; i < 200; ++i) many_sets += "N: S" + std::to_string(i) + ", M (0/0);\nE: A0;\n";

  struct Case {
    std::string source;
    std::string expected;  // the limit lines at the end of the output
  };
  const Case cases[] = {
      {kPrelude + items(1024, "A") + sets, ""},
      {kPrelude + items(1025, "A") + sets,
       "*** Number of items exceeds maximum (1024)\n*** Number of items+iitems exceeds maximum (1024)\n"},
      {kPrelude + items(1000, "A") + iitems + sets, "*** Number of items+iitems exceeds maximum (1024)\n"},
      {many_sets, "*** Number of sets exceeds database maximum (199)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    vtest::RunResult r = run({"-n"}, c.source);
    const std::string out = body(r);
    if (c.expected.empty()) {
      EXPECT_EQ(r.exit_code, 0) << out;
      continue;
    }
    EXPECT_EQ(r.exit_code, 1);
    ASSERT_GE(out.size(), c.expected.size());
    EXPECT_EQ(out.substr(out.size() - c.expected.size()), c.expected) << out;
  }
}

TEST_F(Schema, TokenAndLineLengths) {
  // A token longer than the scanner keeps ends the run.
  vtest::RunResult r = run({"-n"}, std::string(kPrelude) + std::string(201, 'A') + ", X4;\n");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(body(r), std::string(201, 'A') + ", X4;\n*** token too large, exceeds YYLMAX in line 4\n");

  // A line over 255 characters is reported once; its rest is dropped and
  // never read as a line of its own.
  const std::string tail = "B, X4; # would be a second line";
  std::string line = "A, X4;" + std::string(249, ' ') + tail;
  r = run({"-n"}, std::string(kPrelude) + line + "\nSETS:\nN: S, M (0/0);\nE: A;\n");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(body(r), line.substr(0, 255) + "\n*** Line longer than 255 characters (rest ignored) in line 4\n\n");
}

// -l: the listing, with pages of $CONTROL LINES= and the titles of $TITLE
// and $PAGE.
TEST_F(Schema, ListingWithPages) {
  std::string source = "$CONTROL LINES=20\n$TITLE \"Order entry\"\nBEGIN DATA BASE SHOP;\nPASSWORDS:\nITEMS:\n";
  for (int i = 0; i < 14; ++i) source += "A" + std::to_string(i) + ", X4;\n";
  source += "$PAGE \"Sets\"\nSETS:\nN: S, M (0/0);\nE: A0;\n$TITLE\nEND.\nNOT READ\n";
  vtest::RunResult r = run({"-n", "-l"}, source);
  std::string expected = kHeader;
  expected += "$CONTROL LINES=20\n$TITLE \"Order entry\"\nBEGIN DATA BASE SHOP;\nPASSWORDS:\nITEMS:\n";
  for (int i = 0; i < 12; ++i) expected += "A" + std::to_string(i) + ", X4;\n";
  expected += "\fPAGE  2    SHOP                 ORDER ENTRY                             \n\n";
  expected += "A12, X4;\nA13, X4;\n$PAGE \"Sets\"\n";
  expected += "\fPAGE  3    SHOP                 SETS                                    \n\n";
  expected += "SETS:\nN: S, M (0/0);\nE: A0;\n$TITLE\nEND.\n\n";
  expected += "*** Unreferenced items:\n";
  for (int i = 1; i < 14; ++i) {
    if (i == 11) expected += "\fPAGE  4    SHOP                                                         \n\n";
    expected += " A" + std::to_string(i) + "\n";
  }
  expected += "\n";
  expected += "Number of warnings      : 13\nItem name count         : 14\nIndex item name count   : 0\n";
  expected += "Data set count          : 1\nCollating sequence count: 0\n\n";
  EXPECT_EQ(r.out, expected);
  EXPECT_EQ(r.exit_code, 0);
}

// A warning's line is shown unless the listing already showed it; a line
// read with the listing on is not shown again.
TEST_F(Schema, ControlLinesTurnTheListingOnAndOff) {
  vtest::RunResult r = run({"-n"}, std::string("$CONTROL LIST\n") + kPrelude +
                                       "A, X4 (70000);\n$CONTROL NOLIST\nSETS:\nN: S, M (0/0);\nE: A, B;\n");
  EXPECT_EQ(body(r),
            "BEGIN DATA BASE D;\nPASSWORDS:\nITEMS:\nA, X4 (70000);\n*** Illegal item format number in line 5\n"
            "$CONTROL NOLIST\nE: A, B;\n*** Undefined item referenced in line 9\n\n");
}

TEST_F(Schema, SetTableAndSummary) {
  const std::string examples = vtest::source_dir() + "/examples/schemas";
  vtest::write_file(dir_.file("reg/user.reg"),
                    "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orvantis\\QX Varnica\\Directories]\n\"lib\"=\"" +
                        examples + "/lib\"\n");
  vtest::RunResult r = run_args({"-n", "-t", examples + "/orders.schema"});
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(body(r),
            "Data Set           Fld  Path Idx  Entry Media\n"
            "Name/Type          Cnt  Cnt  Cnt  Len   Len   Capacity Volume\n"
            "---------------- - ---- ---- ---- ----- ----- -------- --------\n"
            "CUSTOMERS        M    4    1    1    62    80     1000         \n"
            "PRODUCTS         M    3    1    1    46    64      500         \n"
            "ORDER-KEYS       A    1    2    0     4    28     2000         \n"
            "ORDERS           D    4    2    0    60    76     2000         \n"
            "ORDER-LINES      D    4    2    0    16    32    10000         \n"
            "\n"
            "Item name count         : 12\n"
            "Index item name count   : 2\n"
            "Data set count          : 5\n"
            "Collating sequence count: 2\n"
            "\n");

  // A set with an error is marked; the summary counts the messages.
  r = run({"-n", "-t"}, std::string(kPrelude) + "A, X4;\nSETS:\nN: S, Q (0/0);\nE: A;\nN: T, D (1/2);\nE: A;\n");
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(body(r),
            "N: S, Q (0/0);\n*** Invalid set type in line 6\n\n"
            "Data Set           Fld  Path Idx  Entry Media\n"
            "Name/Type          Cnt  Cnt  Cnt  Len   Len   Capacity Volume\n"
            "---------------- - ---- ---- ---- ----- ----- -------- --------\n"
            "S                ?    1    0    0     4     0        0 **error*\n"
            "T                D    1    0    0     4     4        0         \n"
            "\n"
            "Number of error messages: 1\n"
            "Item name count         : 1\n"
            "Index item name count   : 0\n"
            "Data set count          : 2\n"
            "Collating sequence count: 0\n"
            "\n");
}

TEST_F(Schema, ExampleSchemas) {
  const std::string examples = vtest::source_dir() + "/examples/schemas";
  vtest::write_file(dir_.file("reg/user.reg"),
                    "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Orvantis\\QX Varnica\\Directories]\n\"lib\"=\"" +
                        examples + "/lib\"\n");
  vtest::RunResult r = run_args({"-n", examples + "/orders.schema"});
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(r.out, "");

  r = run_args({"-n", "-T", examples + "/compat.schema"});
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_NE(r.out.find("*** (WARNING) Item mapped to type 'B'"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("*** (WARNING) Unreferenced"), std::string::npos) << r.out;

  // Errors end the run before any server is asked: the port named here is
  // never tried.
  r = run_args({"-s", "1", examples + "/errors.schema"});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.out.find("*** Preceding errors -- no ROOT file created\n"), std::string::npos) << r.out;
  EXPECT_EQ(after_banner(r.err), "");
}

// $CONTROL NOROOT stands for -n, $CONTROL TABLE for -t.
TEST_F(Schema, ControlLinesForCatalogAndSetTable) {
  vtest::RunResult r = run({"-s", "1", "-h", "127.0.0.1"}, std::string("$CONTROL NOROOT, TABLE\n") + kPrelude +
                                                               "A, X4;\nSETS:\nN: S, M (0/0);\nE: A;\n");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(body(r),
            "Data Set           Fld  Path Idx  Entry Media\n"
            "Name/Type          Cnt  Cnt  Cnt  Len   Len   Capacity Volume\n"
            "---------------- - ---- ---- ---- ----- ----- -------- --------\n"
            "S                M    1    0    0     4     4        0         \n"
            "\n"
            "Item name count         : 1\n"
            "Index item name count   : 0\n"
            "Data set count          : 1\n"
            "Collating sequence count: 0\n"
            "\n");
  EXPECT_EQ(after_banner(r.err), "");
}

// ---- collating sequence files ----

std::string collate_file(char order, const std::string& name, const std::string& data, uint32_t length) {
  std::string bytes = "YQ";
  bytes += order;
  bytes += '1';
  std::string field = name;
  field.resize(80, '\0');
  bytes += field;
  for (int i = 0; i < 4; ++i) {
    const int shift = order == 'B' ? 24 - 8 * i : 8 * i;
    bytes += static_cast<char>((length >> shift) & 0xFF);
  }
  return bytes + data;
}

// 256 entries of one byte each.
std::string identity_map() {
  std::string data;
  for (int c = 0; c < 256; ++c) {
    data += '\1';
    data += static_cast<char>(c);
  }
  return data;
}

std::string good_file(char order, const std::string& name) {
  const std::string data = identity_map();
  return collate_file(order, name, data, static_cast<uint32_t>(data.size()));
}

std::string with_collate(const std::string& name) {
  return std::string(kPrelude) + "A, X4;\nIITEMS:\nIX = A;\nSETS:\nN: S, M (0/0);\nE: A;\nI: IX /" + name + ";\n";
}

TEST_F(Schema, CollatingSequenceFilesInBothByteOrders) {
  write_collate("nord.roman8", good_file('B', "nord"));
  write_collate("nord.iso88591", good_file('L', "nord.iso88591"));
  write_collate("nord.roman8@fold", good_file('L', "nord@fold"));
  write_collate("nord.iso88591@fold", good_file('B', "nord.iso88591@fold"));
  vtest::RunResult r =
      run({"-n"}, std::string(kPrelude) +
                      "A, X4;\nIITEMS:\nIX = A;\nIY = A;\nSETS:\nN: S, M (0/0);\nE: A;\nI: IX /NORD, IY /NORD@FOLD;\n");
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_EQ(r.out, "");
}

TEST_F(Schema, BrokenCollatingSequenceFiles) {
  const std::string data = identity_map();
  const uint32_t size = static_cast<uint32_t>(data.size());
  std::string no_nul = collate_file('B', "", data, size);
  for (size_t i = 4; i < 84; ++i) no_nul[i] = 'N';
  struct Broken {
    const char* what;
    std::string bytes;  // nullptr-free file contents; "missing" writes none
    const char* expected;
  };
  const Broken cases[] = {
      {"missing", "", "*** The following collating sequences are not available:\n bad: No such file or directory\n\n"},
      {"short header", collate_file('B', "bad", "", 0).substr(0, 87), "*** bad: Unable to read collating sequence\n"},
      {"wrong magic", "XQ" + collate_file('B', "bad", data, size).substr(2),
       "*** bad: Unknown collating sequence format\n"},
      {"byte order letter", collate_file('X', "bad", data, size), "*** bad: Unknown collating sequence format\n"},
      {"version", collate_file('B', "bad", data, size).replace(3, 1, "2"),
       "*** bad: Unknown collating sequence format\n"},
      {"name without its NUL", no_nul, "*** bad: Unknown collating sequence format\n"},
      {"length over 8000", collate_file('L', "bad", data, 8001), "*** bad: Inconsistent collating sequence\n"},
      {"length beyond the file", collate_file('B', "bad", data, size + 1),
       "*** bad: Inconsistent collating sequence\n"},
      {"huge length", collate_file('L', "bad", data, 0xFFFFFFFFu), "*** bad: Inconsistent collating sequence\n"},
  };
  for (const Broken& c : cases) {
    SCOPED_TRACE(c.what);
    vtest::run("/bin/rm", {"-f", lib_ + "/nls/collate/bad.roman8"});
    if (!c.bytes.empty()) write_collate("bad.roman8", c.bytes);
    write_collate("bad.iso88591", good_file('B', "bad.iso88591"));
    vtest::RunResult r = run({"-n"}, with_collate("BAD"));
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(body(r), c.expected);
  }
}

// Entries that do not use the map data exactly are fatal, not a counted
// error: the message goes to standard error.
TEST_F(Schema, CorruptCollatingMapsEndTheRun) {
  const std::string data = identity_map();
  const std::string leftover = data + "xy";
  const std::string short_entry = data.substr(0, data.size() - 1);
  std::string overrun = data;
  overrun[overrun.size() - 2] = '\5';  // the last entry claims more bytes than remain
  for (const std::string& map : {leftover, short_entry, overrun}) {
    write_collate("bad.roman8", collate_file('B', "bad-map", map, static_cast<uint32_t>(map.size())));
    vtest::RunResult r = run({"-n"}, with_collate("BAD"));
    EXPECT_EQ(r.exit_code, 1);
    EXPECT_EQ(after_banner(r.err), "Collating sequence bad-map is inconsistent or corrupted\n");
  }
}

// ---- command line ----

TEST_F(Schema, UsageAndOptionErrors) {
  const std::string usage =
      "\nusage: schema [options] file\noptions:\n -help      - show usage (this list)\n"
      " -u user    - set user name\n -p pswd    - set password\n -h host    - host to contact\n"
      " -s service - service name or or port number\n -d flgs    - debug flags\n"
      " -l         - output source listing\n -n         - no root file, only check syntax\n"
      " -t         - output set table\n -T         - QX3000 Pellucor compatibility mode\n"
      " -W width   - Limit line length to width\n\n";
  const std::string file = dir_.file("t.schema");
  vtest::write_file(file, "");
  struct Usage {
    std::vector<std::string> args;
    std::string message;
  };
  const Usage cases[] = {
      {{"-help"}, ""},
      {{"-q", file}, "Unrecognized option: - q\n"},
      {{"-n", "-u"}, "Option -u requires an argument\n"},
      {{"-n"}, "schema: no source file specified\n"},
      {{"-n", file, file}, "schema: Unexpected arguments\n"},
      {{"-o", "x", file}, "Option -o is only available on QX-UX\n"},
      {{"-W", "wide", file}, "schema: Bad line width \"wide\"\n"},
      {{"-W", "-3", file}, "schema: Bad line width \"-3\"\n"},
  };
  for (const Usage& c : cases) {
    SCOPED_TRACE(c.args[0]);
    vtest::RunResult r = run_args(c.args);
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(after_banner(r.err), c.message + usage) << "banner, then the message and the usage between empty lines";
    EXPECT_EQ(r.out, "");
  }

  vtest::RunResult r = run_args({"-version", "-n"});
  EXPECT_EQ(r.exit_code, 0);
  EXPECT_EQ(r.out, "@(#)QX-Q7702K A.06.31       QX VARNICA / WIN32 (build Jul  7 2001)\n");

  r = run_args({"-n", dir_.file("absent.schema")});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_EQ(after_banner(r.err), dir_.file("absent.schema") + ": No such file or directory\n");

  // Standard input, -x accepted, the parser trace on standard error.
  vtest::RunOptions options;
  options.env["VARNICA_REGISTRY"] = dir_.file("reg");
  options.input = std::string(kPrelude) + "A, X4;\nSETS:\nN: S, M (0/0);\nE: A;\n";
  r = vtest::run("schema", {"-n", "-x", "-y", "-"}, options);
  EXPECT_EQ(r.exit_code, 0) << r.out;
  EXPECT_NE(r.err.find("Reading a token"), std::string::npos);
  options.env["YYDEBUG"] = "1";
  r = vtest::run("schema", {"-n", "-"}, options);
  EXPECT_NE(r.err.find("Reading a token"), std::string::npos);
}

}  // namespace
