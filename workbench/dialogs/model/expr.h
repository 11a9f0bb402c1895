/* Arithmetic and comparison expressions on doubles, with named symbols that
 * the caller resolves. The designer evaluates the width and height terms of
 * font descriptions with it; each dialog plug-in links its own copy for the
 * expressions of its GUI modifier sections.
 *
 * Grammar (blanks are spaces only):
 *   expression = sum { ("<" | "<=" | "=" | "<>" | ">=" | ">") sum }
 *   sum        = [ "+" | "-" ] term { ("+" | "-") term }
 *   term       = factor { ("*" | "/") factor }
 *   factor     = number | symbol | "(" expression ")"
 * A number is digits with at most one "." or "," as the decimal point (read
 * the same in every locale); a
 * symbol starts with a letter and goes on with letters, digits and "_". A
 * leading "-" negates the whole first term (-2*3 is -6, -2+3 is 1).
 * Comparisons give 1.0 when true and 0.0 when false. An expression compiles
 * to at most EXPR_PROGRAM_MAX postfix items.
 *
 * Valid C11 and C++; no allocation, no global state other than the buffer of
 * the "illegal character" message. */
#ifndef VARNICA_DLG_EXPR_H
#define VARNICA_DLG_EXPR_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
  EXPR_PROGRAM_MAX = 100, /* postfix items of one expression */
  EXPR_TOKEN_MAX = 63     /* characters of one number or symbol */
};

/* Resolves a symbol: stores its value and returns 0, or returns any other
 * value when it does not know the name. */
typedef int (*expr_lookup_fn)(const char* name, double* value, void* context);

/* Evaluates `text`. Returns null and stores the value in `*result`, or returns
 * an error text and leaves `*result` alone:
 *   "Illegal character '%c' in expression."  (a character no token starts
 *                                             with, or text after the end)
 *   "Syntax error in expression."            (also an unknown symbol, and a
 *                                             number or symbol longer than
 *                                             EXPR_TOKEN_MAX characters)
 *   "Expression stack overflow."
 *   "Braces in expression are not balanced."
 *   "Division by zero in expression."
 * The texts are static; the illegal-character text is formatted into one
 * buffer that the next such error overwrites. `lookup` may be null. */
const char* expr_eval(const char* text, double* result, expr_lookup_fn lookup, void* context);

/* Takes a result as a 32-bit integer, truncating toward zero: 0 and the
 * integer in `*out`, or -1 (and `*out` unchanged) for a value that is not
 * finite or does not fit. */
int expr_to_int32(double value, int32_t* out);

/* The code (1 to 5, in the order above) of an error text of expr_eval, or 0
 * for null or a text that is not one of them. */
int expr_error_code(const char* error);

#ifdef __cplusplus
}
#endif

#endif
