/* The expression evaluator: a scanner, a recursive-descent parser that
 * appends to a postfix program, and a stack machine that runs it. */
#include "workbench/dialogs/model/expr.h"

#include <stdio.h>
#include <math.h>
#include <string.h>

/* Token and program item kinds. */
enum {
  EXPR_END = -1,
  EXPR_OPERAND = 0,
  EXPR_ADD = 1,
  EXPR_SUB = 2,
  EXPR_MUL = 3,
  EXPR_DIV = 4,
  EXPR_LT = 5,
  EXPR_LE = 6,
  EXPR_EQ = 7,
  EXPR_NE = 8,
  EXPR_GE = 9,
  EXPR_GT = 10,
  EXPR_LPAREN = 11,
  EXPR_RPAREN = 12,
  EXPR_NEG = 13
};

/* Error codes. */
enum { EXPR_E_CHAR = 1, EXPR_E_SYNTAX = 2, EXPR_E_OVERFLOW = 3, EXPR_E_BRACES = 4, EXPR_E_DIVZERO = 5 };

static const char expr_text_syntax[] = "Syntax error in expression.";
static const char expr_text_overflow[] = "Expression stack overflow.";
static const char expr_text_braces[] = "Braces in expression are not balanced.";
static const char expr_text_divzero[] = "Division by zero in expression.";
static char expr_text_char[64];

typedef struct expr_item {
  double value;
  int kind;
} expr_item;

typedef struct expr_state {
  double token_value;
  int token_kind;
  expr_lookup_fn lookup;
  void* context;
  const char* text;
  size_t pos;
  size_t token_start; /* where the current token began */
  expr_item program[EXPR_PROGRAM_MAX];
  int length;
  int error;     /* first error, 0 while none */
  char bad_char; /* the character of an illegal-character error */
} expr_state;

static void expr_fail(expr_state* st, int code, char c) {
  if (st->error == 0) {
    st->error = code;
    st->bad_char = c;
  }
}

static int expr_is_digit(char c) { return c >= '0' && c <= '9'; }
static int expr_is_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

/* Reads the next token into token_kind (and token_value for an operand). */
static void expr_next_token(expr_state* st) {
  const char* s = st->text;
  char buf[EXPR_TOKEN_MAX + 1];
  size_t n = 0;
  char c;
  if (st->error) return;
  while (s[st->pos] == ' ') st->pos++;
  st->token_start = st->pos;
  c = s[st->pos];
  if (c == '\0') {
    st->token_kind = EXPR_END;
    return;
  }
  switch (c) {
    case '+':
      st->pos++;
      st->token_kind = EXPR_ADD;
      return;
    case '-':
      st->pos++;
      st->token_kind = EXPR_SUB;
      return;
    case '*':
      st->pos++;
      st->token_kind = EXPR_MUL;
      return;
    case '/':
      st->pos++;
      st->token_kind = EXPR_DIV;
      return;
    case '=':
      st->pos++;
      st->token_kind = EXPR_EQ;
      return;
    case '(':
      st->pos++;
      st->token_kind = EXPR_LPAREN;
      return;
    case ')':
      st->pos++;
      st->token_kind = EXPR_RPAREN;
      return;
    case '<':
      st->pos++;
      if (s[st->pos] == '=') {
        st->pos++;
        st->token_kind = EXPR_LE;
      } else if (s[st->pos] == '>') {
        st->pos++;
        st->token_kind = EXPR_NE;
      } else {
        st->token_kind = EXPR_LT;
      }
      return;
    case '>':
      st->pos++;
      if (s[st->pos] == '=') {
        st->pos++;
        st->token_kind = EXPR_GE;
      } else {
        st->token_kind = EXPR_GT;
      }
      return;
    default: break;
  }
  if (expr_is_digit(c) || c == '.' || c == ',') {
    /* Digits are taken one by one, so that the value does not depend on
     * the locale's decimal point. */
    double mantissa = 0.0;
    double scale = 1.0;
    int point = 0;
    for (;;) {
      c = s[st->pos];
      if ((c == '.' || c == ',') && !point) {
        point = 1;
      } else if (!expr_is_digit(c)) {
        break;
      } else {
        mantissa = mantissa * 10.0 + (double)(c - '0');
        if (point) scale *= 10.0;
      }
      if (++n > EXPR_TOKEN_MAX) {
        expr_fail(st, EXPR_E_SYNTAX, 0);
        return;
      }
      st->pos++;
    }
    st->token_value = mantissa / scale;
    st->token_kind = EXPR_OPERAND;
    return;
  }
  if (expr_is_letter(c)) {
    double value = 0.0;
    while (expr_is_letter(s[st->pos]) || expr_is_digit(s[st->pos]) || s[st->pos] == '_') {
      if (n >= EXPR_TOKEN_MAX) {
        expr_fail(st, EXPR_E_SYNTAX, 0);
        return;
      }
      buf[n++] = s[st->pos++];
    }
    buf[n] = '\0';
    if (st->lookup == NULL || st->lookup(buf, &value, st->context) != 0) {
      expr_fail(st, EXPR_E_SYNTAX, 0);
      return;
    }
    st->token_value = value;
    st->token_kind = EXPR_OPERAND;
    return;
  }
  expr_fail(st, EXPR_E_CHAR, c);
}

static void expr_append(expr_state* st, int kind, double value) {
  if (st->error) return;
  if (st->length >= EXPR_PROGRAM_MAX) {
    expr_fail(st, EXPR_E_OVERFLOW, 0);
    return;
  }
  st->program[st->length].kind = kind;
  st->program[st->length].value = value;
  st->length++;
}

static void expr_expression(expr_state* st);

static void expr_factor(expr_state* st) {
  if (st->error) return;
  if (st->token_kind == EXPR_OPERAND) {
    expr_append(st, EXPR_OPERAND, st->token_value);
    expr_next_token(st);
  } else if (st->token_kind == EXPR_LPAREN) {
    expr_next_token(st);
    expr_expression(st);
    if (st->error) return;
    if (st->token_kind != EXPR_RPAREN) {
      expr_fail(st, EXPR_E_BRACES, 0);
      return;
    }
    expr_next_token(st);
  } else {
    expr_fail(st, EXPR_E_SYNTAX, 0);
  }
}

static void expr_term(expr_state* st) {
  expr_factor(st);
  while (!st->error && (st->token_kind == EXPR_MUL || st->token_kind == EXPR_DIV)) {
    int op = st->token_kind;
    expr_next_token(st);
    expr_factor(st);
    expr_append(st, op, 0.0);
  }
}

static void expr_sum(expr_state* st) {
  int negate = 0;
  if (st->error) return;
  if (st->token_kind == EXPR_SUB || st->token_kind == EXPR_ADD) {
    negate = st->token_kind == EXPR_SUB;
    expr_next_token(st);
  }
  expr_term(st);
  if (negate) expr_append(st, EXPR_NEG, 0.0);
  while (!st->error && (st->token_kind == EXPR_ADD || st->token_kind == EXPR_SUB)) {
    int op = st->token_kind;
    expr_next_token(st);
    expr_term(st);
    expr_append(st, op, 0.0);
  }
}

static void expr_expression(expr_state* st) {
  expr_sum(st);
  while (!st->error && st->token_kind >= EXPR_LT && st->token_kind <= EXPR_GT) {
    int op = st->token_kind;
    expr_next_token(st);
    expr_sum(st);
    expr_append(st, op, 0.0);
  }
}

/* Runs the program; the value stack cannot hold more values than items. */
static int expr_run(expr_state* st, double* result) {
  double stack[EXPR_PROGRAM_MAX];
  int top = 0;
  int i;
  for (i = 0; i < st->length; ++i) {
    const expr_item* item = &st->program[i];
    double l;
    double r;
    if (item->kind == EXPR_OPERAND) {
      stack[top++] = item->value;
      continue;
    }
    if (item->kind == EXPR_NEG) {
      if (top < 1) return EXPR_E_SYNTAX;
      stack[top - 1] = -stack[top - 1];
      continue;
    }
    if (top < 2) return EXPR_E_SYNTAX;
    r = stack[--top];
    l = stack[--top];
    switch (item->kind) {
      case EXPR_ADD: l = l + r; break;
      case EXPR_SUB: l = l - r; break;
      case EXPR_MUL: l = l * r; break;
      case EXPR_DIV:
        if (r == 0.0) return EXPR_E_DIVZERO;
        l = l / r;
        break;
      case EXPR_LT: l = l < r ? 1.0 : 0.0; break;
      case EXPR_LE: l = l <= r ? 1.0 : 0.0; break;
      case EXPR_EQ: l = l == r ? 1.0 : 0.0; break;
      case EXPR_NE: l = l != r ? 1.0 : 0.0; break;
      case EXPR_GE: l = l >= r ? 1.0 : 0.0; break;
      case EXPR_GT: l = l > r ? 1.0 : 0.0; break;
      default: return EXPR_E_SYNTAX;
    }
    stack[top++] = l;
  }
  if (top < 1) return EXPR_E_SYNTAX;
  *result = stack[top - 1];
  return 0;
}

static const char* expr_error_text(const expr_state* st, int code) {
  switch (code) {
    case EXPR_E_CHAR:
      snprintf(expr_text_char, sizeof expr_text_char, "Illegal character '%c' in expression.", st->bad_char);
      return expr_text_char;
    case EXPR_E_SYNTAX: return expr_text_syntax;
    case EXPR_E_OVERFLOW: return expr_text_overflow;
    case EXPR_E_BRACES: return expr_text_braces;
    default: return expr_text_divzero;
  }
}

const char* expr_eval(const char* text, double* result, expr_lookup_fn lookup, void* context) {
  expr_state st;
  double value = 0.0;
  int code;
  memset(&st, 0, sizeof st);
  st.lookup = lookup;
  st.context = context;
  st.text = text ? text : "";
  expr_next_token(&st);
  expr_expression(&st);
  if (!st.error && st.token_kind != EXPR_END) {
    /* Text after a complete expression: named by its first character. */
    expr_fail(&st, EXPR_E_CHAR, st.text[st.token_start]);
  }
  if (st.error) return expr_error_text(&st, st.error);
  code = expr_run(&st, &value);
  if (code) return expr_error_text(&st, code);
  if (result) *result = value;
  return NULL;
}

int expr_to_int32(double value, int32_t* out) {
  double t;
  if (!isfinite(value)) return -1;
  t = trunc(value);
  if (t < -2147483648.0 || t > 2147483647.0) return -1;
  *out = (int32_t)t;
  return 0;
}

int expr_error_code(const char* error) {
  if (error == NULL) return 0;
  if (strncmp(error, "Illegal character '", 19) == 0) return EXPR_E_CHAR;
  if (strcmp(error, expr_text_syntax) == 0) return EXPR_E_SYNTAX;
  if (strcmp(error, expr_text_overflow) == 0) return EXPR_E_OVERFLOW;
  if (strcmp(error, expr_text_braces) == 0) return EXPR_E_BRACES;
  if (strcmp(error, expr_text_divzero) == 0) return EXPR_E_DIVZERO;
  return 0;
}
