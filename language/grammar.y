/* The statement grammar of the language: one line at a time, tokens from
   the scanner, code words through the code generator. */

%code requires {
#include "language/actions.h"
}

%code {
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "language/codegen.h"
#include "language/codewords.h"
#include "language/keywords.h"

namespace {

int vqlex(ParseValue* lval, CompileContext* cc, ParseState* ps);
#ifndef VARNICA_PARSER_UNTRACED
void parse_trace(FILE* stream, const char* format, ...) __attribute__((format(printf, 2, 3)));
#endif
void vqerror(CompileContext* cc, ParseState* ps, const char* message);
// The parser built without its trace (grammar_untraced.cpp) takes its
// tokens and reports its errors through the same functions.
#define vq_untracedlex vqlex
#define vq_untracederror vqerror

// One line never needs more than the fixed stack: a deeper parse is the
// line's "PARSER STACK OVERFLOW", and nothing is allocated.
#define YYINITDEPTH PARSE_STACK_DEPTH
#define YYMAXDEPTH PARSE_STACK_DEPTH
// A parse deeper than the stack reports the classic message.
const char* parse_message(const char* message) {
    return std::strcmp(message, "memory exhausted") == 0 ? "yacc stack overflow" : message;
}
#define YY_(message) parse_message(message)
// The parser's trace goes to the compiler's debug output.
#define YYFPRINTF(stream, ...) parse_trace((stream), __VA_ARGS__)

// Short forms of the code generator's calls, as the actions use them.
#define EMIT(w) cg_emit(cc, static_cast<uint32_t>(w))
#define KEYWORD(op, code) cg_keyword(cc, (op) != 0, static_cast<uint16_t>(code))
#define RESET() cg_reset(cc)
#define DUMP(n, w, ...) cg_dump(cc, (n), (w), __VA_ARGS__)
#define DUMP2(n, m, w, ...) cg_dump2(cc, (n), (m), (w), __VA_ARGS__)
#define PUSH(kind, sub, tok) cg_push_symbol(cc, (kind), (sub), (tok).v->name)
#define CODE(tok) static_cast<uint16_t>((tok).v->number)
#define NUM(tok) static_cast<uint32_t>((tok).v->number)
#define NAME(tok) ((tok).v->name)
#define SYM4(tok, sub) static_cast<unsigned>(cg_tmpsym_class4(cc, (sub), NAME(tok)))
#define SYM5(tok, sub) static_cast<unsigned>(cg_tmpsym_class5(cc, (sub), NAME(tok)))
#define SYM8(tok) static_cast<unsigned>(cg_tmpsym_struct(cc, NAME(tok)))
#define SYM8S(tok, sub) static_cast<unsigned>(cg_tmpsym_struct_sub(cc, (sub), NAME(tok)))
#define SYMSUB(tok) static_cast<unsigned>(cg_tmpsym_sub(cc, NAME(tok)))
#define SYMFN(tok) static_cast<unsigned>(cg_tmpsym_fn(cc, NAME(tok)))
#define SYMFNSTR(tok) static_cast<unsigned>(cg_tmpsym_fn_str(cc, NAME(tok)))
#define SYMLABEL(tok) static_cast<unsigned>(cg_tmpsym_label(cc, NAME(tok)))
#define SYMLINE(tok) static_cast<unsigned>(cg_tmpsym_line(cc, static_cast<int>((tok).v->number)))
#define COUNT_POP() static_cast<unsigned>(cg_count_pop(cc))
#define EXPECT(what) parse_expect_delim(cc, yychar, (what))

// A subscripted numeric or string variable: the count of subscripts on the
// count stack becomes the symbol's dimension count and the extra word.
#define SUBSCRIPTED(op, symfn, tok) do { \
    unsigned n_ = COUNT_POP(); \
    unsigned w_ = symfn(tok, static_cast<int>(n_)); \
    DUMP(static_cast<int>(n_), 3, (op), w_, n_); } while (0)
// A subscripted member of a structure: the member operation on the
// structure and the member, then the subscript operation over it.
#define SUBSCRIPTED_MEMBER(op, symfn, stok, mtok) do { \
    unsigned s_ = SYM8S(stok, 0); \
    unsigned n_ = COUNT_POP(); \
    unsigned m_ = symfn(mtok, static_cast<int>(n_)); \
    DUMP(0, 3, CW_MEMBER, s_, m_); \
    DUMP2(1, static_cast<int>(n_), 2, (op), n_); } while (0)

}  // namespace
}

%define api.prefix {vq}
%define api.pure full
%define api.value.type {ParseValue}
%define parse.trace
%parse-param {CompileContext* cc} {ParseState* ps}
%lex-param {CompileContext* cc} {ParseState* ps}
%token T_EOL 257
%token T_EXPR 258
%token T_MAIN 259
%token T_SUB 260
%token T_XPVAR 261
%token T_STMT 262
%token T_SEC 263
%token T_SYM 264
%token T_STRING 265
%token T_ANY 266
%token T_CONST 267
%token T_ICONST 268
%token OR 269
%token EXOR 270
%token AND 271
%token GT 272
%token GE 273
%token LT 274
%token LE 275
%token NE 276
%token MOD 277
%token DIV 278
%token UMINUS 279
%token NOT 280
%token UPLUS 281
%token R0 282
%token R1 283
%token R2 284
%token R3 285
%token R4 286
%token R5 287
%token R6 288
%token R7 289
%token R8 290
%token R9 291
%token Rn__ 292
%token Rnn_ 293
%token Rnnn 294
%token Rns_ 295
%token Rnss 296
%token Rs__ 297
%token Rss_ 298
%token Rsn_ 299
%token Rssn 300
%token Rsx_ 301
%token Rfn 302
%token Rna_ 303
%token Rnaa 304
%token RsA_ 305
%token Rsi_ 306
%token END 307
%token TO 308
%token OF 309
%token ON 310
%token THEN 311
%token STEP 312
%token GOTO 313
%token GOSUB 314
%token CALL 315
%token REAL 316
%token INTEGER 317
%token DINTEGER 318
%token SHORT 319
%token NUMERIC 320
%token AS 321
%token IS_A 322
%token STRUCT 323
%token Rx0000 324
%token Rx0ba8 325
%token Rx0ccf 326
%token Rx0d3e 327
%token Rx0d98 328
%token Rx0e05 329
%token Rx0e18 330
%token Rx0e57 331
%token Rx0ed1 332
%token Rx0ff5 333
%token Rx100e 334
%token Rx1029 335
%token Rx1050 336
%token Rx1290 337
%token Rx12f7 338
%token Rx1314 339
%token Rx1338 340
%token Rx161e 341
%token Rx163b 342
%token Rx167c 343
%token Rx186e 344
%token Rx232a 345
%token Rx2338 346
%token Rx259e 347
%token Rx25c8 348
%token Rx6170 349
%token Rx61df 350
%token Rx753b 351
%token Rx7d20 352
%token Rx7ffb 353
%token Rx8400 354
%token Rx8401 355
%token Rx8800 356
%token Rx8801 357
%token Rx8802 358
%token Rx8803 359
%token Rx8804 360
%token Rx8805 361
%token Rx8806 362
%token Rx8807 363
%token Rx8808 364
%token Rx8809 365
%token Rx880a 366
%token Rx880b 367
%token Rx880c 368
%token Rx880d 369
%token Rx8c00 370
%token Rx8c01 371
%token Rx9000 372
%token Rx9001 373
%token Rx9002 374
%token Rx9003 375
%token Rx9004 376
%token Rx9005 377
%token Rx9006 378
%token Rx9007 379
%token Rx9008 380
%token Rx9c00 381
%token Rx9c01 382
%token Rx9c02 383
%token Rx9c03 384
%token Rx9c04 385
%token Rx9c05 386
%token Rx9c06 387
%token Rx9c07 388
%token Rx9f00 389
%token Rx9f01 390
%token Rx9f02 391
%token Rx9f03 392
%token Rx9f04 393
%token Rx9f05 394
%token Rx9f06 395
%token Rx9f07 396
%token Rx9f08 397
%token Rx9f09 398
%token Rx9f0a 399
%token Rx9f0b 400
%token Rx9f0c 401
%token Rx9f0d 402
%token Rx9f0e 403
%token Rx9f0f 404
%token Rx9f10 405
%token Rx9f11 406
%token Rx9f12 407
%token Rx9f13 408
%token Rxa400 409
%token Rxa401 410
%token Rxa402 411
%token Rxa800 412
%token Rxa801 413
%token Rxa802 414
%token Rxb1ea 415
%token Rxb1ec 416
%token Rxb1ef 417
%token Rxb243 418
%token Rxb400 419
%token Rxb401 420
%token Rxb402 421
%token Rxb403 422
%token Rxb404 423
%token Rxb405 424
%token Rxb7e0 425
%token Rxbc82 426
%token Rxbcba 427
%token Rxbcc8 428
%token Rxbcf1 429
%token Rxbcf5 430
%token Rxbd0e 431
%token Rxbd42 432
%token Rxbd67 433
%token Rxbdd3 434
%token Rxc4a1 435
%token Rxc50b 436
%token Rxc511 437
%token Rxc5e0 438
%token Rxc629 439
%token Rxc687 440
%token Rxc6ae 441
%token Rxc6fb 442
%token Rxc6fc 443
%token Rxc705 444
%token Rxc734 445
%token Rxc735 446
%token Rxc73e 447
%token Rxc74a 448
%token Rxc7ea 449
%token Rxc800 450
%token Rxc801 451
%token Rxc802 452
%token Rxd18c 453
%token Rxd1d0 454
%token Rxd1d2 455
%token Rxd1d4 456
%token Rxd400 457
%token Rxd87e 458
%token Rxd881 459
%token Rxe14b 460
%token Rxe154 461
%token Rxe154n 462
%token Rxe15b 463
%token Rxe169 464
%token Rxe16d 465
%token Rxe16dn 466
%token Rxe170 467
%token Rxe199 468
%token Rxe3d1 469
%token Rxe42a 470
%token Rxe466 471
%token Rxe47e 472
%token Rxe5e0 473
%token Rxe667 474
%token Rxe777 475
%token Rxe7b8 476
%token Rxe866 477
%token Rxe9c5 478
%token Rx2000 479
%token Rx2001 480

%left OR EXOR
%left AND
%left GT GE LT LE '=' NE '#'
%left '+' '-'
%left '*' '/' DIV MOD
%precedence UMINUS NOT UPLUS
%left '^'

%start main

/* The grammar's known conflicts, in the parenthesised and string forms of
   expressions, the delimiter lists and the IMAGE and MAT rules. The build
   compares bison's counts with this line (bison's %expect cannot declare
   reduce/reduce conflicts of a deterministic parser), so any new conflict
   fails the build:
   expected conflicts: 137 shift/reduce, 1 reduce/reduce */

%%

main
    : T_EXPR expr T_EOL
    | T_EXPR sexpr T_EOL
    | T_XPVAR xp_var_list T_EOL
    | T_STMT syntax T_EOL
    | T_STMT syntax '!' T_EOL   { parse_comment(cc, *$3.v); }
    | T_STMT syntax error       { parse_statement_end_error(cc, yychar); }
    ;

p_expr : _expr                  { cg_fix_pexpr(cc); } ;

expr : _expr                    { cg_fix_expr(cc); } ;

_expr
    : '(' _expr ')'
    | __expr
    ;

__expr
    : T_CONST                   { cg_push_const(cc, $1.v->packed); }
    | T_ICONST                  { cg_push_int(cc, $1.v->number); }
    | var
    | fn
    | T_SYM IS_A T_SYM          { PUSH(7, 0, $1); PUSH(7, 0, $3); DUMP(2, 1, CW_IS_A); }
    | _expr '+' _expr           { DUMP(2, 1, CW_ADD); }
    | _expr '-' _expr           { DUMP(2, 1, CW_SUBTRACT); }
    | _expr '*' _expr           { DUMP(2, 1, CW_MULTIPLY); }
    | _expr '/' _expr           { DUMP(2, 1, CW_DIVIDE); }
    | _expr DIV _expr           { DUMP(2, 1, CW_DIV); }
    | _expr MOD _expr           { DUMP(2, 1, CW_MOD); }
    | _expr '^' _expr           { DUMP(2, 1, CW_POWER); }
    | '-' _expr %prec UMINUS    { DUMP(1, 1, CW_NEGATE); }
    | '+' _expr %prec UPLUS
    | _expr GT _expr            { DUMP(2, 1, CW_GT); }
    | _expr GE _expr            { DUMP(2, 1, CW_GE); }
    | _expr LT _expr            { DUMP(2, 1, CW_LT); }
    | _expr LE _expr            { DUMP(2, 1, CW_LE); }
    | _expr '=' _expr           { DUMP(2, 1, CW_EQ); }
    | _expr NE _expr            { DUMP(2, 1, CW_NE); }
    | _expr '#' _expr           { DUMP(2, 1, CW_NE); }
    | _expr AND _expr           { DUMP(2, 1, CW_AND); }
    | _expr OR _expr            { DUMP(2, 1, CW_OR); }
    | _expr EXOR _expr          { DUMP(2, 1, CW_EXOR); }
    | NOT _expr                 { DUMP(1, 1, CW_NOT); }
    | _sexpr GE _sexpr          { DUMP(2, 1, CW_STR_GE); }
    | _sexpr GT _sexpr          { DUMP(2, 1, CW_STR_GT); }
    | _sexpr LE _sexpr          { DUMP(2, 1, CW_STR_LE); }
    | _sexpr LT _sexpr          { DUMP(2, 1, CW_STR_LT); }
    | _sexpr '=' _sexpr         { DUMP(2, 1, CW_STR_EQ); }
    | _sexpr NE _sexpr          { DUMP(2, 1, CW_STR_NE); }
    | _sexpr '#' _sexpr         { DUMP(2, 1, CW_STR_NE); }
    ;

fn
    : T_SEC Rn__                { DUMP(0, 1, CODE($1)); }
    | T_SEC Rnn_ '(' _expr ')'  { DUMP(1, 1, CODE($1)); }
    | T_SEC Rnnn '(' { cg_count_push(cc); } var_args ')'
                                { unsigned n = COUNT_POP(); DUMP(static_cast<int>(n), 2, CODE($1), n); }
    | T_SEC Rns_ '(' _sexpr ')' { DUMP(1, 1, CODE($1)); }
    | T_SEC Rnss '(' _sexpr ',' _sexpr ')'
                                { DUMP(2, 1, CODE($1)); }
    | T_SEC Rfn T_SYM { cg_count_push(cc); } arguments
                                { unsigned w = SYMFN($3); unsigned n = COUNT_POP();
                                  DUMP(static_cast<int>(n), 3, CODE($1), w, n); }
    | T_SEC Rna_ '(' T_SYM ')'  { unsigned w = SYM5($4, 1); DUMP(0, 2, CODE($1), w); }
    | T_SEC Rna_ '(' T_SYM '$' ')'
                                { unsigned w = SYM4($4, 1); DUMP(0, 2, CODE($1), w); }
    | T_SEC Rnaa '(' T_SYM ',' T_SYM ')'
                                { unsigned a = SYM5($4, 1); unsigned b = SYM5($6, 1);
                                  DUMP(0, 3, CODE($1), a, b); }
    ;

var_args
    : _expr                     { cg_count_inc(cc); }
    | _expr ',' var_args        { cg_count_inc(cc); }
    ;

sexpr : _sexpr                  { cg_fix_sexpr(cc); } ;

_sexpr
    : '(' _sexpr ')'
    | __sexpr
    ;

__sexpr
    : sconst
    | svar
    | _sexpr '&' _sexpr         { DUMP(2, 1, CW_CONCAT); }
    | _sexpr '+' _sexpr         { DUMP(2, 1, CW_CONCAT); }
    | T_SEC Rs__                { DUMP(0, 1, CODE($1)); }
    | T_SEC Rsx_                { DUMP(0, 1, CODE($1)); }
    | T_SEC Rsx_ '(' _sexpr ')' { DUMP(1, 1, CODE($1)); }
    | T_SEC Rss_ '(' _sexpr ')' { DUMP(1, 1, CODE($1)); }
    | T_SEC Rsn_ '(' _expr ')'  { DUMP(1, 1, CODE($1)); }
    | T_SEC Rssn '(' _sexpr ',' _expr ')'
                                { DUMP(2, 1, CODE($1)); }
    | T_SEC Rfn T_SYM '$' { cg_count_push(cc); } arguments
                                { unsigned w = SYMFNSTR($3); unsigned n = COUNT_POP();
                                  DUMP(static_cast<int>(n), 3, CODE($1), w, n); }
    | T_SEC Rsi_ '(' T_SYM ')'  { unsigned w = SYM8S($4, 0); DUMP(0, 2, CODE($1), w); }
    | T_SEC RsA_ '(' num_array ')'
                                { DUMP(1, 1, CODE($1)); }
    | T_SEC RsA_ '(' _expr ')'  { DUMP(1, 1, CODE($1)); }
    ;

simple_var : T_SYM              { PUSH(3, 0, $1); } ;

simple_svar : T_SYM '$'         { PUSH(4, 0, $1); } ;

sconst : T_STRING               { parse_string_element(cc, *$1.v); } ;

var
    : T_SYM                     { PUSH(3, 0, $1); }
    | T_SYM '.' T_SYM           { PUSH(7, 0, $1); PUSH(3, 0, $3); DUMP(2, 1, CW_MEMBER); }
    | T_SYM '(' { cg_count_push(cc); } subsc ')'
                                { SUBSCRIPTED(CW_NUM_SUBSCRIPT, SYM5, $1); }
    | T_SYM '.' T_SYM '(' { cg_count_push(cc); } subsc ')'
                                { SUBSCRIPTED_MEMBER(CW_NUM_SUBSCRIPT, SYM5, $1, $3); }
    ;

svar
    : T_SYM '$'                 { PUSH(4, 0, $1); }
    | T_SYM '.' T_SYM '$'       { PUSH(7, 0, $1); PUSH(4, 0, $3); DUMP(2, 1, CW_MEMBER); }
    | T_SYM '$' '[' substr      { unsigned w = SYM4($1, 0); DUMP(1, 2, CW_SUBSTRING, w); }
    | T_SYM '.' T_SYM '$' '['
                                { unsigned s = SYM8S($1, 0); unsigned m = SYM4($3, 0);
                                  DUMP(0, 3, CW_MEMBER, s, m); }
      substr                    { DUMP(2, 1, CW_SUBSTRING); }
    | T_SYM '$' '(' { cg_count_push(cc); } subsc ')'
                                { SUBSCRIPTED(CW_STR_SUBSCRIPT, SYM4, $1); }
      asubstr
    | T_SYM '.' T_SYM '$' '(' { cg_count_push(cc); } subsc ')'
                                { SUBSCRIPTED_MEMBER(CW_STR_SUBSCRIPT, SYM4, $1, $3); }
      asubstr
    ;

svar2
    : T_SYM '$' '(' { cg_count_push(cc); } subsc ')'
                                { SUBSCRIPTED(CW_STR_SUBSCRIPT, SYM4, $1); }
      asubstr
    | T_SYM '$' '[' substr      { unsigned w = SYM4($1, 0); DUMP(1, 2, CW_SUBSTRING, w); }
    ;

subsc
    : _expr                     { cg_check_dims(cc, cg_count_inc(cc)); }
    | subsc ',' _expr           { cg_check_dims(cc, cg_count_inc(cc)); }
    ;

asubstr
    : %empty
    | '[' substr                { DUMP(2, 1, CW_SUBSCRIPT_SUBSTRING); }
    ;

substr
    : _expr ']'                 { DUMP(1, 1, CW_SUBSTR_ONE); }
    | _expr ',' _expr ']'       { DUMP(2, 1, CW_SUBSTR_FROM_TO); }
    | _expr ';' _expr ']'       { DUMP(2, 1, CW_SUBSTR_FROM_LEN); }
    ;

array
    : num_array
    | str_array
    ;

num_array
    : T_SYM '(' '*' ')'         { PUSH(3, 1, $1); DUMP(1, 1, CW_MAT_NUM_ENTRY); }
    | T_SYM '.' T_SYM '(' '*' ')'
                                { PUSH(7, 0, $1); PUSH(3, 1, $3); DUMP(2, 1, CW_MEMBER); DUMP(1, 1, CW_MAT_NUM_ENTRY); }
    ;

str_array
    : T_SYM '$' '(' '*' ')'     { PUSH(4, 1, $1); DUMP(1, 1, CW_MAT_STR_ENTRY); }
    | T_SYM '.' T_SYM '$' '(' '*' ')'
                                { PUSH(7, 0, $1); PUSH(4, 1, $3); DUMP(2, 1, CW_MEMBER); DUMP(1, 1, CW_MAT_STR_ENTRY); }
    ;

struct : STRUCT T_SYM           { PUSH(7, 0, $2); DUMP(1, 1, CW_STRUCT); } ;

call_expr
    : T_SYM { cg_count_push(cc); } arguments
                                { unsigned w = SYMSUB($1); unsigned n = COUNT_POP();
                                  DUMP(static_cast<int>(n), 3, CW_CALL, w, n); }
    ;

arguments
    : %empty
    | '(' arg_list ')'
    ;

arg_list
    : any_arg                   { cg_count_inc(cc); }
    | any_arg ',' arg_list      { cg_count_inc(cc); }
    ;

any_arg
    : '(' _expr ')'             { cg_fix_call_expr(cc, true); }
    | '(' _sexpr ')'            { cg_fix_call_sexpr(cc, true); }
    | __expr                    { cg_fix_call_expr(cc, false); }
    | __sexpr                   { cg_fix_call_sexpr(cc, false); }
    | T_SYM '$' '(' '*' ')'     { PUSH(4, 1, $1); }
    | T_SYM '(' '*' ')'         { PUSH(3, 1, $1); }
    | T_SYM '.' T_SYM '$' '(' '*' ')'
                                { PUSH(7, 0, $1); PUSH(4, 1, $3); DUMP(2, 1, CW_MEMBER); }
    | T_SYM '.' T_SYM '(' '*' ')'
                                { PUSH(7, 0, $1); PUSH(3, 1, $3); DUMP(2, 1, CW_MEMBER); }
    | '#' _expr                 { DUMP(1, 1, CW_FILE_NUMBER); }
    | STRUCT T_SYM              { PUSH(7, 0, $2); DUMP(1, 1, CW_STRUCT); }
    | '(' STRUCT T_SYM ')'      { PUSH(7, 0, $3); DUMP(1, 1, CW_STRUCT_ARG); }
    ;

fn_expr
    : %empty                    { cg_new_segment(cc); }
    | '=' expr                  { DUMP(1, 1, CW_FN_VALUE); }
    ;

fn_sexpr
    : %empty                    { cg_new_segment(cc); }
    | '=' sexpr                 { DUMP(1, 1, CW_FN_VALUE); }
    ;

let_expr
    : _expr                     { cg_fix_let_expr(cc); DUMP(2, 1, CW_LET_NUM); }
    | var '=' let_expr          { cg_fix_let_expr(cc); DUMP(2, 1, CW_LET_NUM); }
    ;

let_var
    : T_SYM                     { PUSH(3, 0, $1); }
    | T_SYM '.' T_SYM           { PUSH(7, 0, $1); PUSH(3, 0, $3); DUMP(2, 1, CW_MEMBER); }
    | T_SYM '(' { cg_count_push(cc); } subsc ')'
                                { SUBSCRIPTED(CW_NUM_SUBSCRIPT_USE, SYM5, $1); }
    | T_SYM '.' T_SYM '(' { cg_count_push(cc); } subsc ')'
                                { SUBSCRIPTED_MEMBER(CW_NUM_SUBSCRIPT_USE, SYM5, $1, $3); }
    | error                     { parse_improper(cc, "VARIABLE"); }
    ;

let_sexpr
    : _sexpr                    { DUMP(2, 1, CW_LET_STR); }
    | svar '=' let_sexpr        { DUMP(2, 1, CW_LET_STR); }
    ;

for_expr
    : simple_var '=' _expr      { DUMP(2, 1, CW_LET_NUM); }
    | error                     { parse_improper(cc, "VARIABLE"); }
    | simple_var error          { EXPECT("'='"); }
    | simple_var '=' error      { parse_improper(cc, "EXPRESSION"); }
    | simple_var '=' _expr error
                                { EXPECT("'TO'"); }
    ;

lval_expr
    : lval_num_expr
    | lval_str_expr
    ;

lval_num_expr
    : lval_simple_num_expr
    | lval_member_num_expr
    ;

lval_simple_num_expr
    : simple_var                { DUMP(1, 1, CW_NUM_TARGET); }
    | T_SYM '(' { cg_count_push(cc); } subsc ')'
                                { SUBSCRIPTED(CW_NUM_SUBSCRIPT_USE, SYM5, $1); }
    ;

lval_member_num_expr
    : T_SYM '.' T_SYM           { PUSH(7, 0, $1); PUSH(3, 0, $3); DUMP(2, 1, CW_MEMBER); }
    | T_SYM '.' T_SYM '(' { cg_count_push(cc); } subsc ')'
                                { SUBSCRIPTED_MEMBER(CW_NUM_SUBSCRIPT_USE, SYM5, $1, $3); }
    ;

lval_str_expr
    : lval_simple_str_expr
    | lval_member_str_expr
    ;

lval_simple_str_expr
    : simple_svar               { DUMP(1, 1, CW_STR_VAR); }
    | svar2
    ;

lval_member_str_expr
    : T_SYM '.' T_SYM '$'       { PUSH(7, 0, $1); PUSH(4, 0, $3); DUMP(2, 1, CW_MEMBER); }
    | T_SYM '.' T_SYM '$' '['
                                { unsigned s = SYM8S($1, 0); unsigned m = SYM4($3, 0);
                                  DUMP(0, 3, CW_MEMBER, s, m); }
      substr                    { DUMP(2, 1, CW_SUBSTRING); }
    | T_SYM '.' T_SYM '$' '(' { cg_count_push(cc); } subsc ')'
                                { SUBSCRIPTED_MEMBER(CW_STR_SUBSCRIPT, SYM4, $1, $3); }
      asubstr
    ;

lval_str_expr2
    : lval_simple_str_expr2
    | lval_member_str_expr2
    ;

lval_simple_str_expr2
    : simple_svar               { DUMP(1, 1, CW_STR_VAR); }
    | T_SYM '$' '(' { cg_count_push(cc); } subsc ')'
                                { SUBSCRIPTED(CW_STR_SUBSCRIPT, SYM4, $1); }
    ;

lval_member_str_expr2
    : T_SYM '.' T_SYM '$'       { PUSH(7, 0, $1); PUSH(4, 0, $3); DUMP(2, 1, CW_MEMBER); }
    | T_SYM '.' T_SYM '$' '(' { cg_count_push(cc); } subsc ')'
                                { SUBSCRIPTED_MEMBER(CW_STR_SUBSCRIPT, SYM4, $1, $3); }
    ;

lref_expr : lref                { EMIT(CW_START_LABEL); EMIT($1.word); } ;

start_expr
    : T_ICONST                  { EMIT(CW_START_LABEL); EMIT(NUM($1)); }
    | T_SYM                     { EMIT(CW_START_LABEL); EMIT(SYMLABEL($1)); }
    ;

dll_call
    : T_SYM { cg_count_push(cc); } dll_args
                                { unsigned w = SYMSUB($1); unsigned n = COUNT_POP();
                                  DUMP(static_cast<int>(n), 3, CW_CALL, w, n); }
    ;

dll_args
    : %empty
    | '(' dll_arg_list ')'
    ;

dll_arg_list
    : dll_arg                   { cg_count_inc(cc); }
    | dll_arg ',' dll_arg_list  { cg_count_inc(cc); }
    ;

dll_arg
    : '(' _expr ')'             { cg_fix_call_expr(cc, true); }
    | '(' _sexpr ')'            { cg_fix_call_sexpr(cc, true); }
    | __expr                    { cg_fix_call_expr(cc, false); }
    | __sexpr                   { cg_fix_call_sexpr(cc, false); }
    | T_SYM '$' '(' '*' ')'     { PUSH(4, 1, $1); }
    | T_SYM '(' '*' ')'         { PUSH(3, 1, $1); }
    | '#'                       { parse_error(cc, "CANT PASS FILE PARAMETER TO DLL"); }
    | STRUCT                    { parse_error(cc, "CANT PASS STRUCTURE PARAMETER TO DLL"); }
    ;

syntax
    : Rx0ba8 expr THEN          { EMIT(CW_THEN); RESET(); scan_then_statement(cc); }
      if_then
    | Rx0ba8 error              { parse_improper(cc, "EXPRESSION"); }
    | Rx0ba8 expr error         { EXPECT("'THEN'"); }
    | Rx0ccf let
    | Rx0d3e let
    | Rx0d98 lref               { EMIT(1); EMIT($2.word); }
    | Rx0d98 lref ',' lref      { EMIT(2); EMIT($2.word); EMIT($4.word); }
    | Rx0e05 list_norm
    | Rx0e05 T_STRING
                                { if ($2.v->length == 0) parse_error(cc, "EMPTY STRING");
                                  cg_string(cc, $2.v->text, static_cast<size_t>($2.v->length)); }
      list_search
    | Rx0e18                    { EMIT(0); EMIT(0); }
    | Rx0e18 list_lref          { EMIT(0); EMIT($2.word); }
    | Rx0e18 sexpr start_line   { EMIT(CW_END_STMT); }
    | Rx0e57                    { EMIT(0); }
    | Rx0e57 list_lref          { EMIT($2.word); }
    | Rx0ed1                    { EMIT(0); }
    | Rx0ed1 list_lref          { EMIT($2.word); }
    | Rx0ff5 T_SYM              { EMIT(SYMSUB($2)); }
      to_end                    { EMIT(CW_END_STMT); }
    | Rx2000 T_SYM              { EMIT(SYM8($2)); parse_select(cc, SK_T14); }
      extends                   { EMIT(CW_END_STMT); }
    | Rx2001 new_syntax         { EMIT(CW_END_STMT); }
    | Rx100e                    { EMIT(0); }
    | Rx100e T_ICONST           { EMIT(1); EMIT(NUM($2)); }
    | Rx100e T_ICONST ',' T_ICONST
                                { EMIT(2); EMIT(NUM($2)); EMIT(NUM($4)); }
    | Rx1029 T_SYM '$'          { EMIT(SYMFNSTR($2)); }
      to_end                    { EMIT(CW_END_STMT); }
    | Rx1029 T_SYM              { EMIT(SYMFN($2)); }
      to_end                    { EMIT(CW_END_STMT); }
    | Rx1050                    { EMIT(0); }
    | Rx1050 T_ICONST           { EMIT(1); EMIT(NUM($2)); }
    | Rx1050 T_ICONST ',' T_ICONST
                                { EMIT(2); EMIT(NUM($2)); EMIT(NUM($4)); }
    | Rx1290                    { cg_mark(cc, 0); }
      for_expr TO               { EMIT(CW_TO); RESET(); cg_mark_len(cc); }
      expr step                 { EMIT(CW_END_STMT); }
    | Rx12f7 T_SYM              { EMIT(SYM5($2, 0)); }
    | Rx1314 T_SYM              { EMIT(SYMFN($2)); cg_mark(cc, 0); }
      parameter fn_expr         { EMIT(CW_END_STMT); }
    | Rx1314 T_SYM '$'          { EMIT(SYMFNSTR($2)); cg_mark(cc, 0); }
      parameter fn_sexpr        { EMIT(CW_END_STMT); }
    | Rx1338 T_SYM              { EMIT(SYMSUB($2)); cg_mark(cc, 0); }
      parameter                 { EMIT(CW_END_STMT); cg_new_segment(cc); }
    | Rx161e                    { EMIT(CW_END_STMT); }
    | Rx161e expr               { EMIT(CW_END_STMT); }
    | Rx163b call_expr          { EMIT(CW_END_STMT); }
    | Rx167c                    { EMIT(0); }
    | Rx167c lref               { EMIT(1); EMIT($2.word); }
    | Rx167c lref ',' lref      { EMIT(2); EMIT($2.word); EMIT($4.word); }
    | Rx186e sexpr return       { EMIT(CW_END_STMT); }
    | Rx186e sexpr comma lval_str_expr return
                                { EMIT(CW_END_STMT); }
    | Rx232a expr_list          { EMIT(CW_END_STMT); }
    | Rx2338 expr               { EMIT(CW_END_STMT); }
    | Rx259e expr key_list key_label onint
    | Rx25c8 expr_list          { EMIT(CW_END_STMT); }
    | Rx6170 expr return        { EMIT(CW_END_STMT); }
    | Rx61df expr               { EMIT(CW_END_STMT); }
    | Rx753b T_ICONST           { EMIT(NUM($2)); }
    | Rx7d20 redim              { EMIT(CW_END_STMT); }
    | Rx7ffb
    | Rxb1ea expr               { EMIT(CW_END_STMT); }
    | Rxb1ea sexpr              { EMIT(CW_END_STMT); }
    | Rxb1ec expr               { EMIT(CW_END_STMT); }
    | Rxb1ef case               { EMIT(CW_END_STMT); }
    | Rxb243 expr comma expr    { EMIT(CW_END_STMT); }
    | Rxb7e0                    { EMIT(CW_END_STMT); }
    | Rxb7e0 num_array          { EMIT(CW_END_STMT); }
    | Rxbc82 expr               { EMIT(CW_END_STMT); }
    | Rxbcba expr onint
    | Rxbcc8 onint
    | Rxbcf1 lref               { EMIT($2.word); }
    | Rxbcf5 lref               { EMIT($2.word); }
    | Rxbd0e expr GOTO          { EMIT(CW_BRANCH_GOTO); cg_mark(cc, 0); }
      lref_list
    | Rxbd0e expr GOSUB         { EMIT(CW_BRANCH_GOSUB); cg_mark(cc, 0); }
      lref_list
    | Rxbd42                    { EMIT(CW_END_STMT); }
    | Rxbd42 expr               { EMIT(CW_END_STMT); }
    | Rxbd42 sexpr              { EMIT(CW_END_STMT); }
    | Rxbd67                    { scan_comment(cc); scan_pushback(cc, '!'); }
    | Rxbdd3                    { EMIT(CW_END_STMT); }
    | Rxbdd3 expr               { EMIT(CW_END_STMT); }
    | Rxc4a1                    { parse_select(cc, SK_T5); }
      curs_list                 { EMIT(CW_END_STMT); }
    | Rxc50b com                { EMIT(CW_END_STMT); }
    | Rxc511                    { scan_pushback(cc, cg_in_root(cc) ? T_MAIN : T_SUB); }
      num_decl                  { EMIT(CW_END_STMT); }
    | Rxc5e0                    { scan_pushback(cc, cg_in_root(cc) ? T_MAIN : T_SUB); }
      dim                       { EMIT(CW_END_STMT); }
    | Rxc629                    { parse_select(cc, SK_T3); }
      disp_list                 { EMIT(CW_END_STMT); }
    | Rxc687                    { parse_raw_text(cc, SCAN_FORMAT); }
      image
    | Rxc6ae using              { EMIT(CW_END_STMT); }
    | Rxc6fb linput             { EMIT(CW_END_STMT); }
    | Rxc6fc lval_str_expr      { EMIT(CW_END_STMT); }
    | Rxc705                    { EMIT(CW_END_STMT); }
    | Rxc705 input              { EMIT(CW_END_STMT); }
    | Rxc734 var_no_struct_list { EMIT(CW_END_STMT); }
    | Rxc735 var_list           { EMIT(CW_END_STMT); }
    | Rxc73e                    { EMIT(CW_END_STMT); }
    | Rxc73e lref               { EMIT($2.word); }
    | Rxc74a                    { parse_raw_text(cc, SCAN_LIST_ITEMS); }
      data
    | Rxc7ea                    { parse_select(cc, SK_T4); }
      printer_is                { EMIT(CW_END_STMT); }
    | Rxd18c expr c_expr c_expr print_list
                                { EMIT(CW_END_STMT); }
    | Rxd1d0 expr c_expr c_expr read_list
                                { EMIT(CW_END_STMT); }
    | Rxd1d2 sexpr on_sexpr     { EMIT(CW_END_STMT); }
    | Rxd1d4 str_array on_sexpr { EMIT(CW_END_STMT); }
    | Rxd1d4 lval_str_expr on_sexpr
                                { EMIT(CW_END_STMT); }
    | Rxd87e sexpr              { EMIT(CW_END_STMT); }
    | Rxd881                    { EMIT(CW_END_STMT); }
    | Rxd881 sexpr              { EMIT(CW_END_STMT); }
    | Rxe14b sexpr c_lref c_lref
                                { EMIT(CW_END_STMT); }
    | Rxe154 sexpr comma_sexpr  { EMIT(CW_END_STMT); }
    | Rxe154n sexpr restore     { EMIT(CW_END_STMT); }
    | Rxe15b sexpr resave       { EMIT(CW_END_STMT); }
    | Rxe169 sexpr              { EMIT(CW_END_STMT); }
    | Rxe16d sexpr              { EMIT(CW_END_STMT); }
    | Rxe16dn sexpr store       { EMIT(CW_END_STMT); }
    | Rxe170 sexpr c_expr c_expr ld_sub
                                { EMIT(CW_END_STMT); }
    | Rxe199 sexpr load         { EMIT(CW_END_STMT); }
    | Rxe3d1 sexpr comma expr c_expr c_expr create_type
                                { EMIT(CW_END_STMT); }
    | Rxe42a sexpr comma_sexpr  { EMIT(CW_END_STMT); }
    | Rxe466 sexpr comma sexpr  { EMIT(CW_END_STMT); }
    | Rxe47e sexpr              { EMIT(CW_END_STMT); }
    | Rxe5e0 expr to '*'        { EMIT(CW_CHAR_STAR); EMIT(CW_END_STMT); }
    | Rxe5e0 expr to sexpr assign
                                { EMIT(CW_END_STMT); }
    | Rxe667 '*'                { EMIT(CW_CHAR_STAR); }
      to '#' expr               { EMIT(CW_END_STMT); }
    | Rxe667 sexpr to '#' expr assign
                                { EMIT(CW_END_STMT); }
    | Rxe777 expr               { EMIT(CW_END_STMT); }
    | Rxe7b8 sexpr to sexpr comma_sexpr
                                { EMIT(CW_END_STMT); }
    | Rxe866 sexpr              { EMIT(CW_END_STMT); }
    | Rxe866 sexpr comma2 sexpr { EMIT(CW_END_STMT); }
    | Rxe866 sexpr to2 sexpr    { EMIT(CW_END_STMT); }
    | Rxe866 sexpr to2 sexpr comma sexpr
                                { EMIT(CW_END_STMT); }
    | Rxe866 error              { parse_improper(cc, "EXPRESSION"); }
    | Rxe866 sexpr error        { EXPECT("'TO' '!' OR EOL"); }
    | Rxe9c5 cat_type           { EMIT(CW_END_STMT); }
    | Rxe9c5 sexpr cat_type     { EMIT(CW_END_STMT); }
    | Rx8400 pack_list          { EMIT(CW_END_STMT); }
    | Rx8401 lref               { EMIT($2.word); }
      semicolon lval_str_expr   { EMIT(CW_END_STMT); }
    | Rx8800 '(' lval_str_expr comma sexpr comma expr comma num_array ')'
                                { EMIT(CW_CLOSE_PAREN); EMIT(CW_END_STMT); }
    | Rx8801 db_start ')'       { EMIT(CW_CLOSE_PAREN); EMIT(CW_END_STMT); }
    | Rx8802 db_start comma sexpr comma lval_str_expr2 ')'
                                { EMIT(CW_CLOSE_PAREN); EMIT(CW_END_STMT); }
    | Rx8803 db_start comma db_expr comma db_expr ')'
                                { EMIT(CW_CLOSE_PAREN); EMIT(CW_END_STMT); }
    | Rx8804 db_start comma sexpr comma lval_str_expr2 comma db_expr ')'
                                { EMIT(CW_CLOSE_PAREN); EMIT(CW_END_STMT); }
    | Rx8805 db_start comma lval_str_expr2 ')'
                                { EMIT(CW_CLOSE_PAREN); EMIT(CW_END_STMT); }
    | Rx8806 sexpr semi_sexpr comma sexpr return
                                { EMIT(CW_END_STMT); }
    | Rx8806 sexpr semi_sexpr return
                                { EMIT(CW_END_STMT); }
    | Rx8807                    { parse_select(cc, SK_T10); }
      in_dset_list              { EMIT(CW_END_STMT); }
    | Rx8808                    { parse_select(cc, SK_T10); }
      db_expr in_data_set       { EMIT(CW_END_STMT); }
    | Rx8809                    { parse_select(cc, SK_T10); }
      lval_str_expr R6          { KEYWORD(1, CODE($4)); RESET(); }
      pred_list                 { EMIT(CW_END_STMT); }
    | Rx880a '(' sexpr comma expr comma num_array ')'
                                { EMIT(CW_CLOSE_PAREN); EMIT(CW_END_STMT); }
    | Rx880b '(' expr comma num_array ')'
                                { EMIT(CW_CLOSE_PAREN); EMIT(CW_END_STMT); }
    | Rx880c '(' expr comma expr comma num_array ')'
                                { EMIT(CW_CLOSE_PAREN); EMIT(CW_END_STMT); }
    | Rx880d '(' sexpr comma sexpr ')'
                                { EMIT(CW_CLOSE_PAREN); EMIT(CW_END_STMT); }
    | Rx8c00                    { parse_select(cc, SK_T8); }
      expr wf_threads           { EMIT(CW_END_STMT); }
    | Rx8c01                    { parse_select(cc, SK_T8); ps->counter = 0; }
      sort_list                 { EMIT(CW_END_STMT); }
    | Rx9000                    { parse_select(cc, SK_T9); }
      with_lines with_using     { EMIT(CW_END_STMT); }
    | Rx9001                    { parse_select(cc, SK_T9); }
      expr with_lines with_using
                                { EMIT(CW_END_STMT); }
    | Rx9002 expr               { EMIT(CW_END_STMT); }
    | Rx9003                    { cg_mark(cc, CW_TOTALS_COUNT); ps->counter = 0; }
      totals_list               { EMIT(CW_END_STMT); }
    | Rx9004                    { EMIT(CW_END_STMT); }
    | Rx9005 expr c_expr c_expr semi_expr
                                { EMIT(CW_END_STMT); }
    | Rx9006                    { parse_select(cc, SK_T9); }
      expr R2                   { KEYWORD(1, CODE($4)); RESET(); }
      break_by                  { EMIT(CW_END_STMT); }
    | Rx9007                    { parse_select(cc, SK_T9); }
      expr R6                   { KEYWORD(1, CODE($4)); EMIT(CW_END_STMT); }
    | Rx9008 lref               { EMIT($2.word); EMIT(CW_END_STMT); }
    | Rx9c00 expr on_sexpr comma lval_str_expr
                                { EMIT(CW_END_STMT); }
    | Rx9c01 sexpr semi_sexpr comma lval_str_expr
                                { EMIT(CW_END_STMT); }
    | Rx9c02 sexpr comma_sexpr  { EMIT(CW_END_STMT); }
    | Rx9c03 sexpr comma sexpr comma sexpr to sexpr replace
                                { EMIT(CW_END_STMT); }
    | Rx9c04 sexpr semi_sexpr comma_sexpr to sexpr on_sexpr
                                { EMIT(CW_END_STMT); }
    | Rx9c05 sexpr comma expr comma sexpr to sexpr
                                { EMIT(CW_END_STMT); }
    | Rx9c06 sexpr comma sexpr to sexpr
                                { EMIT(CW_END_STMT); }
    | Rx9c07 sexpr comma sexpr semicolon str_array
                                { EMIT(CW_END_STMT); }
    | Rx9f00 expr to '*'        { EMIT(CW_CHAR_STAR); EMIT(CW_END_STMT); }
    | Rx9f00 expr to sexpr xassign
                                { EMIT(CW_END_STMT); }
    | Rx9f01 sexpr c_expr create_type
                                { EMIT(CW_END_STMT); }
    | Rx9f02 expr comma expr comma expr comma dump_var
                                { EMIT(CW_END_STMT); }
    | Rx9f03 sexpr comma num_array
                                { EMIT(CW_END_STMT); }
    | Rx9f04 expr comma2 expr semicolon lval_str_expr
                                { EMIT(CW_END_STMT); }
    | Rx9f04 expr semicolon2 lval_str_expr
                                { EMIT(CW_END_STMT); }
    | Rx9f04 expr error         { EXPECT("',' OR ';'"); }
    | Rx9f04 expr comma2 error  { parse_improper(cc, "EXPRESSION"); }
    | Rx9f05 sexpr return       { EMIT(CW_END_STMT); }
    | Rx9f05 expr comma expr comma sexpr return
                                { EMIT(CW_END_STMT); }
    | Rx9f06 T_SYM ','          { EMIT(SYMSUB($2)); }
      load_dll                  { EMIT(CW_END_STMT); }
    | Rx9f07 T_SYM              { EMIT(SYMSUB($2)); }
    | Rx9f08 dll_call           { EMIT(CW_END_STMT); }
    | Rx9f09 db_expr comma sexpr comma db_expr semi_expr
                                { EMIT(CW_END_STMT); }
    | Rx9f09 db_expr comma sexpr comma sexpr comma sexpr semi_expr
                                { EMIT(CW_END_STMT); }
    | Rx9f09 db_expr comma sexpr comma expr comma expr semi_expr
                                { EMIT(CW_END_STMT); }
    | Rx9f0a sexpr dlg_return   { EMIT(CW_END_STMT); }
    | Rx9f0b sexpr comma sexpr dlg_return
                                { EMIT(CW_END_STMT); }
    | Rx9f0c sexpr comma dlg_arg dlg_return
                                { EMIT(CW_END_STMT); }
    | Rx9f0d sexpr comma dlg_larg dlg_return
                                { EMIT(CW_END_STMT); }
    | Rx9f0e sexpr c_dlg_lval c_dlg_lsval dlg_return
                                { EMIT(CW_END_STMT); }
    | Rx9f13                    { parse_select(cc, SK_T13); }
      dlg_call                  { EMIT(CW_END_STMT); }
    | Rx9f0f                    { parse_select(cc, SK_T12); }
      lval_str_expr xpack       { EMIT(CW_END_STMT); }
    | Rx9f10                    { parse_select(cc, SK_T12); }
      lval_str_expr xunpack     { EMIT(CW_END_STMT); }
    | Rx9f11 expr key_list onint
    | Rx9f12 T_STRING           { cg_string(cc, $2.v->text, static_cast<size_t>($2.v->length)); }
      rcs_ren
    | Rx9f12 T_STRING           { cg_string(cc, $2.v->text, static_cast<size_t>($2.v->length)); }
      ',' T_STRING              { cg_string(cc, $5.v->text, static_cast<size_t>($5.v->length)); }
      rcs_ren
    | Rxa400 expr c_expr onint
    | Rxa400 expr               { EMIT(CW_END_STMT); }
    | Rxa401 expr c_expr onint
    | Rxa402 expr comma expr    { EMIT(CW_END_STMT); }
    | Rxa800                    { EMIT(CW_END_STMT); }
    | Rxa800 lref               { EMIT($2.word); EMIT(CW_END_STMT); }
    | Rxa800 lref ','           { EMIT($2.word); }
      expr                      { EMIT(CW_END_STMT); }
    | Rxa801                    { EMIT(0); }
    | Rxa801 lref               { EMIT(1); EMIT($2.word); }
    | Rxa801 lref ',' lref      { EMIT(2); EMIT($2.word); EMIT($4.word); }
    | Rxa802                    { ps->counter = 0; cg_mark(cc, 0); }
      trace_vlist
    | Rxb400 expr c_expr c_expr semicolon mat_list end
                                { EMIT(CW_END_STMT); }
    | Rxb401 mat_print          { EMIT(CW_END_STMT); }
    | Rxb402 expr c_expr semicolon mat_list
                                { EMIT(CW_END_STMT); }
    | Rxb403 mat_list           { EMIT(CW_END_STMT); }
    | Rxb404 mat_list           { EMIT(CW_END_STMT); }
    | Rxb405                    { parse_select(cc, SK_T11); }
      mat
    | Rxc800 expr c_expr onint
    | Rxc800 expr c_expr semicolon expr onint
    | Rxc801 expr comma sexpr   { EMIT(CW_END_STMT); }
    | Rxc802 expr comma expr    { EMIT(CW_END_STMT); }
    | Rxd400 expr c_expr onint
    | error                     { parse_improper(cc, "STATEMENT"); }
    ;

parameter
    : %empty
    | '(' param_list ')'
    ;

param_list
    : any_param                 { cg_mark_inc(cc); }
    | any_param ',' param_list  { cg_mark_inc(cc); }
    ;

any_param
    : param_type T_SYM          { EMIT(SYM5($2, 0)); }
    | param_type T_SYM '(' '*' ')'
                                { EMIT(SYM5($2, 1)); }
    | T_SYM                     { EMIT(SYM5($1, 0)); }
    | T_SYM '(' '*' ')'         { EMIT(SYM5($1, 1)); }
    | T_SYM '$'                 { EMIT(SYM4($1, 0)); }
    | T_SYM '$' '(' '*' ')'     { EMIT(SYM4($1, 1)); }
    | '#' T_ICONST              { parse_file_number(cc, $2.v->number, CW_FILE_PARAM); }
    | T_SYM AS T_SYM            { parse_struct_decl(cc, CW_AS, NAME($1), NAME($3)); }
    | T_SYM ':' T_SYM           { parse_struct_decl(cc, CW_TYPE_COLON, NAME($1), NAME($3)); }
    | STRUCT T_SYM              { PUSH(7, 0, $2); DUMP(1, 1, CW_STRUCT); cg_drop(cc); }
    ;

param_type
    : REAL                      { EMIT(CW_PARAM_REAL); }
    | SHORT                     { EMIT(CW_PARAM_SHORT); }
    | INTEGER                   { EMIT(CW_PARAM_INTEGER); }
    | DINTEGER                  { KEYWORD(1, CW_PARAM_DINTEGER); }
    | NUMERIC                   { KEYWORD(1, CW_PARAM_NUMERIC); }
    ;

comma
    : comma2
    | error                     { EXPECT("','"); }
    ;

comma2 : ','                    { EMIT(CW_COMMA); RESET(); } ;

semicolon
    : semicolon2
    | error                     { EXPECT("';'"); }
    ;

semicolon2 : ';'                { EMIT(CW_SEMICOLON); RESET(); } ;

colon
    : ':'                       { EMIT(CW_COLON); RESET(); }
    | error                     { EXPECT("':'"); }
    ;

rparen
    : ')'                       { EMIT(CW_CLOSE_PAREN); RESET(); }
    | error                     { EXPECT("')'"); }
    ;

c_or_s
    : ','                       { EMIT(CW_COMMA); RESET(); }
    | ';'                       { EMIT(CW_SEMICOLON); RESET(); }
    | error                     { EXPECT("';' or ','"); }
    ;

on
    : ON                        { EMIT(CW_ON); RESET(); }
    | error                     { EXPECT("'ON'"); }
    ;

to
    : to2
    | error                     { EXPECT("'TO'"); }
    ;

to2 : TO                        { EMIT(CW_TO); RESET(); } ;

to_end
    : %empty
    | TO END                    { EMIT(CW_TO); EMIT(CW_END); }
    ;

end
    : %empty
    | END                       { EMIT(CW_END); }
    ;

step
    : %empty
    | STEP                      { EMIT(CW_STEP); RESET(); }
      expr
    ;

on_sexpr
    : %empty
    | on sexpr
    ;

comma_sexpr
    : %empty
    | comma sexpr
    ;

semi_sexpr
    : %empty
    | semicolon sexpr
    ;

semi_expr
    : %empty
    | semicolon expr
    ;

xassign
    : return comma_sexpr
    | return comma_sexpr semicolon
                                { parse_select(cc, SK_T6); }
      file_type xassign_opt
    ;

xassign_opt
    : %empty
    | comma                     { parse_select(cc, SK_T7); ps->counter = 0; }
      assign_opts
    ;

assign
    : return comma_sexpr
    | return comma_sexpr semicolon
                                { parse_select(cc, SK_T7); ps->counter = 0; }
      assign_opts
    ;

assign_opts
    : assign_item
    | assign_item comma assign_opts
    ;

assign_item
    : R0                        { parse_option(cc, ps, 0, NUM($1)); }
    | R1                        { parse_option(cc, ps, 1, NUM($1)); }
    | R2                        { parse_option(cc, ps, 2, NUM($1)); }
    | R3                        { parse_option(cc, ps, 3, NUM($1)); }
    | error                     { parse_error(cc, "IMPROPER OR CONFLICTING SPECIFICATION"); }
    ;

case
    : case_num
    | case_str
    ;

case_num
    : case_item
    | case_item comma case_num
    ;

case_item
    : case_const
    | GT                        { EMIT(CW_CASE_GT); }
      case_const
    | LT                        { EMIT(CW_CASE_LT); }
      case_const
    | case_const TO             { EMIT(CW_TO); }
      case_const
    ;

case_const
    : T_ICONST                  { EMIT(CW_CASE_NEGATIVE); EMIT(NUM($1)); }
    | '-' T_ICONST              { EMIT(CW_CASE_NEGATIVE); EMIT(cw_word(-static_cast<int64_t>(NUM($2)))); }
    ;

case_str
    : case_sitem
    | case_sitem comma case_str
    ;

case_sitem
    : sconst
    | GT                        { EMIT(CW_CASE_GT); }
      sconst
    | LT                        { EMIT(CW_CASE_LT); }
      sconst
    | sconst TO                 { EMIT(CW_TO); }
      sconst
    ;

cat_type
    : %empty
    | comma                     { parse_select(cc, SK_T6); }
      file_type
    ;

create_type
    : %empty
    | semicolon                 { parse_select(cc, SK_T6); }
      file_type
    ;

file_type : R0                  { KEYWORD(1, CODE($1)); } ;

curs_list
    : curs_item
    | curs_item comma curs_list
    ;

curs_item
    : R0                        { KEYWORD(1, CODE($1)); }
    | R1                        { KEYWORD(1, CODE($1)); }
      expr
    | R2                        { KEYWORD(1, CODE($1)); }
      '(' expr ')'
    | '('                       { KEYWORD(1, CW_OPEN_PAREN); }
      cursor_pos ')'            { EMIT(CW_CLOSE_PAREN); }
    | error                     { parse_improper(cc, "CURSOR ITEM"); }
    ;

cursor_pos
    : expr comma expr
    | comma expr
    | expr
    ;

data
    : T_ANY
    | T_ANY ',' data
    ;

extends
    : %empty
    | R0 T_SYM                  { EMIT(NUM($1)); EMIT(SYM8($2)); }
    ;

com
    : com_one
    | com_one ','               { EMIT(CW_DECL_COMMA); }
      com
    ;

com_one
    : com_ntype T_SYM '(' '*' ')'
                                { cg_in_root(cc); EMIT(SYM5($2, 1)); EMIT(CW_COM_ALL_DIMS); }
    | com_ntype T_SYM '('       { EMIT(SYM5($2, 1)); EMIT(CW_DIM_OPEN); }
      declm_list
    | com_ntype T_SYM           { EMIT(SYM5($2, 0)); }
    | T_SYM '(' '*' ')'         { cg_in_root(cc); EMIT(SYM5($1, 1)); EMIT(CW_COM_ALL_DIMS); }
    | T_SYM '('                 { EMIT(SYM5($1, 1)); EMIT(CW_DIM_OPEN); }
      declm_list
    | T_SYM                     { EMIT(SYM5($1, 0)); }
    | T_SYM AS T_SYM            { parse_struct_decl(cc, CW_AS, NAME($1), NAME($3)); }
    | T_SYM ':' T_SYM           { parse_struct_decl(cc, CW_TYPE_COLON, NAME($1), NAME($3)); }
    | T_SYM '$' '(' '*' ')'     { cg_in_root(cc); EMIT(SYM4($1, 1)); EMIT(CW_COM_ALL_DIMS); }
    | T_SYM '$' '('             { EMIT(SYM4($1, 1)); EMIT(CW_DIM_OPEN); }
      declm_list com_len
    | T_SYM '$' '[' T_ICONST ']'
                                { EMIT(SYM4($1, 0)); EMIT(CW_DECL_LENGTH); EMIT(NUM($4)); }
    | T_SYM '$'                 { EMIT(SYM4($1, 0)); cg_in_root(cc); EMIT(CW_COM_STRING); }
    | '#' T_ICONST              { parse_file_number(cc, $2.v->number, CW_HASH); }
    ;

com_ntype
    : INTEGER                   { EMIT(CW_COM_INTEGER); }
    | DINTEGER                  { KEYWORD(1, CW_COM_DINTEGER); }
    | SHORT                     { EMIT(CW_COM_SHORT); }
    | REAL                      { EMIT(CW_COM_REAL); }
    ;

com_len
    : %empty
    | '[' T_ICONST ']'          { EMIT(CW_DECL_LENGTH); EMIT(NUM($2)); }
    ;

dim
    : T_MAIN dimm_list
    | T_SUB dims_list
    ;

dimm_list
    : dimm_item
    | dimm_item ','             { EMIT(CW_DECL_COMMA); }
      dimm_list
    ;

dimm_item
    : T_SYM AS T_SYM            { parse_struct_decl(cc, CW_AS, NAME($1), NAME($3)); }
    | T_SYM ':' T_SYM           { parse_struct_decl(cc, CW_TYPE_COLON, NAME($1), NAME($3)); }
    | T_SYM '('                 { EMIT(SYM5($1, 1)); EMIT(CW_DIM_OPEN); }
      declm_list
    | T_SYM '$' '('             { EMIT(SYM4($1, 1)); EMIT(CW_DIM_OPEN); }
      declm_list dimm_len
    | T_SYM '$' '[' T_ICONST ']'
                                { EMIT(SYM4($1, 0)); EMIT(CW_DECL_LENGTH); EMIT(NUM($4)); }
    ;

dimm_len
    : %empty
    | '[' T_ICONST ']'          { EMIT(CW_DECL_LENGTH); EMIT(NUM($2)); }
    ;

dims_list
    : dims_item
    | dims_item ','             { EMIT(CW_DECL_COMMA); }
      dims_list
    ;

dims_item
    : T_SYM AS T_SYM            { parse_struct_decl(cc, CW_AS, NAME($1), NAME($3)); }
    | T_SYM ':' T_SYM           { parse_struct_decl(cc, CW_TYPE_COLON, NAME($1), NAME($3)); }
    | T_SYM '('                 { EMIT(SYM5($1, 1)); EMIT(CW_REDIM_OPEN); }
      decls_list
    | T_SYM '$' '('             { EMIT(SYM4($1, 1)); EMIT(CW_REDIM_OPEN); }
      decls_list dims_len
    | T_SYM '$' '['             { EMIT(SYM4($1, 0)); EMIT(CW_REDIM_LENGTH); }
      expr ']'                  { EMIT(CW_CLOSE_BRACKET); RESET(); }
    ;

dims_len
    : %empty
    | '['                       { EMIT(CW_REDIM_LENGTH); }
      expr ']'                  { EMIT(CW_CLOSE_BRACKET); RESET(); }
    ;

num_decl
    : T_MAIN ndeclm_list
    | T_SUB ndecls_list
    ;

ndeclm_list
    : ndeclm
    | ndeclm ','                { EMIT(CW_DECL_COMMA); }
      ndeclm_list
    ;

ndeclm
    : T_SYM                     { EMIT(SYM5($1, 0)); }
    | T_SYM '('                 { EMIT(SYM5($1, 1)); EMIT(CW_DIM_OPEN); }
      declm_list
    ;

ndecls_list
    : ndecls
    | ndecls ','                { EMIT(CW_DECL_COMMA); }
      ndecls_list
    ;

ndecls
    : T_SYM                     { EMIT(SYM5($1, 0)); }
    | T_SYM '('                 { EMIT(SYM5($1, 1)); EMIT(CW_REDIM_OPEN); }
      decls_list
    ;

declm_list
    : declm { } declm_opt ')'   { EMIT(CW_DIM_CLOSE); }
    ;

declm_opt
    : %empty                    { $$.word = 1; }
    | declm_opt ','             { EMIT(CW_DIM_COMMA); }
      declm                     { $$.word = $1.word + 1; cg_check_dims(cc, static_cast<int>($$.word)); }
    ;

declm
    : declm_const
    | declm_const ':'           { EMIT(CW_DIM_RANGE); }
      declm_const
    ;

declm_const
    : T_ICONST                  { EMIT(0); EMIT(NUM($1)); }
    | '-' T_ICONST              { EMIT(0); EMIT(cw_word(-static_cast<int64_t>(NUM($2)))); }
    ;

decls_list
    : decls { } decls_opt rparen
    ;

decls_opt
    : %empty                    { $$.word = 1; }
    | decls_opt comma decls     { $$.word = $1.word + 1; cg_check_dims(cc, static_cast<int>($$.word)); }
    ;

decls
    : expr
    | expr colon expr
    ;

disp_list
    : %empty
    | disp_item
    | disp_item c_or_s disp_list
    | commata disp_list
    ;

disp_item
    : p_expr
    | sexpr
    | array
    | struct
    | R0                        { KEYWORD(1, CODE($1)); }
    | R1                        { KEYWORD(1, CODE($1)); }
      '(' expr ')'
    ;

commata
    : ','                       { EMIT(CW_PRINT_COMMA); }
    | ',' commata               { EMIT(CW_PRINT_COMMA); }
    ;

if_then
    : %empty                    { cg_set_stmt(cc, CW_IF_BLOCK); }
    | lref                      { EMIT($1.word); }
    | T_STMT                    { KEYWORD(0, CODE($1)); }
      syntax
    | T_SYM '='                 { KEYWORD(0, CW_IMPLIED_LET); PUSH(3, 0, $1); }
      let_expr                  { EMIT(CW_END_STMT); }
    | T_SYM '('                 { KEYWORD(0, CW_IMPLIED_LET); cg_count_push(cc); }
      subsc ')'                 { SUBSCRIPTED(CW_NUM_SUBSCRIPT_USE, SYM5, $1); }
      '=' let_expr              { EMIT(CW_END_STMT); }
    | T_SYM '$' '='             { KEYWORD(0, CW_IMPLIED_LET); PUSH(4, 0, $1); }
      let_sexpr                 { EMIT(CW_END_STMT); }
    | T_SYM '$' '('             { KEYWORD(0, CW_IMPLIED_LET); cg_count_push(cc); }
      subsc ')'                 { SUBSCRIPTED(CW_STR_SUBSCRIPT, SYM4, $1); }
      asubstr '=' let_sexpr     { EMIT(CW_END_STMT); }
    | T_SYM '$' '['             { KEYWORD(0, CW_IMPLIED_LET); }
      substr                    { unsigned w = SYM4($1, 0); DUMP(1, 2, CW_SUBSTRING, w); }
      '=' let_sexpr             { EMIT(CW_END_STMT); }
    ;

image
    : image_begin image_list
    | image_item image_list
    ;

image_begin
    : '+'
    | '#'
    | '-'
    ;

image_list
    : %empty
    | image_delim image_item image_list
    ;

image_delim
    : '@'
    | ','
    | '/'
    ;

image_item
    : %empty
    | '(' { } image_item image_list ')'
    | a_image
    | k_image
    | n_image                   { ps->counter = 0; }
    ;

a_image
    : 'A'
    | a_image 'A'
    ;

k_image : 'K' ;

n_image
    : n_sign_opt n_item
    | n_sign_opt n_item 'E' n_sign_opt
    ;

n_item
    : '*' n_group ns_image dec_opt
    | 'Z' n_group nz_image dec_opt
    | 'D' n_group nd_image dec_opt
    | n_decimals
    ;

ns_image
    : %empty
    | '*' n_group ns_image
    | 'Z' n_group
    ;

nz_image
    : %empty
    | 'Z' n_group nz_image
    ;

nd_image
    : %empty
    | 'D' n_group nd_image
    | 'Z' n_group
    ;

dec_opt
    : %empty
    | n_decimals
    ;

n_decimals
    : '.' n_sign_opt nd_list
    | 'R' n_sign_opt nd_list
    ;

nd_list
    : 'D' n_sign_opt
    | 'D' n_sign_opt nd_list
    ;

n_group
    : %empty
    | n_sign n_group
    | 'C' n_group
    | 'P' n_group
    ;

n_sign_opt
    : %empty
    | n_sign
    ;

n_sign
    : 'S'                       { parse_image_sign(cc, ps); }
    | 'M'                       { parse_image_sign(cc, ps); }
    ;

input
    : input_item
    | input_item comma input
    | prompt c_or_s input
    ;

input_item
    : lval_expr
    | array
    ;

linput
    : prompt c_or_s lval_str_expr
    | lval_str_expr
    ;

prompt : T_STRING               { parse_string_element(cc, *$1.v); } ;

key_list
    : %empty
    | comma expr
    | key_item key_list
    ;

key_item
    : ',' '#'                   { EMIT(CW_COMMA); EMIT(CW_CHAR_HASH); RESET(); }
      expr
    ;

key_label
    : %empty
    | colon sexpr
    ;

ld_sub
    : %empty
    | semicolon expr c_expr
    ;

let
    : let_var '=' let_expr      { EMIT(CW_END_STMT); }
    | svar '=' let_sexpr        { EMIT(CW_END_STMT); }
    | STRUCT T_SYM '=' T_SYM    { PUSH(7, 0, $2); PUSH(7, 0, $4); DUMP(2, 1, CW_STRUCT_LET); EMIT(CW_END_STMT); }
    ;

list_norm
    : %empty                    { EMIT(0); }
    | list_param
    ;

list_search
    : %empty                    { EMIT(0); }
    | ';' list_param
    ;

list_param
    : list_lref                 { EMIT(1); EMIT($1.word); }
    | list_lref ',' list_lref   { EMIT(2); EMIT($1.word); EMIT($3.word); }
    | list_lref ';' T_ICONST    { EMIT(3); EMIT($1.word); EMIT(NUM($3)); }
    ;

list_lref
    : T_ICONST                  { $$.word = NUM($1); }
    | T_SYM                     { $$.word = static_cast<uint32_t>(cg_label_line(cc, NAME($1))); }
    ;

new_syntax
    : T_SYM AS T_SYM            { parse_struct_decl(cc, CW_AS, NAME($1), NAME($3)); }
    | T_SYM ':' T_SYM           { parse_struct_decl(cc, CW_TYPE_COLON, NAME($1), NAME($3)); }
    | STRUCT T_SYM '=' T_SYM    { PUSH(7, 0, $2); PUSH(7, 0, $4); DUMP(2, 1, CW_STRUCT_LET); }
    ;

onint
    : GOTO lref                 { EMIT(CW_ON_GOTO); EMIT($2.word); }
    | GOSUB lref                { EMIT(CW_ON_GOSUB); EMIT($2.word); }
    | CALL T_SYM                { EMIT(CW_ON_CALL); EMIT(SYMSUB($2)); }
    ;

resave
    : %empty
    | comma resave2
    ;

resave2
    : sexpr c_lref c_lref
    | lref_expr c_lref
    ;

c_lref
    : %empty
    | comma lref_expr
    ;

lref_list
    : lref                      { EMIT($1.word); cg_mark_inc(cc); }
    | lref ','                  { EMIT($1.word); cg_mark_inc(cc); }
      lref_list
    ;

lref
    : T_ICONST                  { $$.word = SYMLINE($1); }
    | T_SYM                     { $$.word = SYMLABEL($1); }
    ;

start_line
    : %empty
    | comma start_expr
    ;

print_list
    : %empty
    | semicolon disp_list end
    ;

read_list
    : %empty
    | semicolon var_list
    ;

c_expr
    : %empty
    | comma expr
    ;

expr_list
    : %empty
    | expr_list2
    ;

expr_list2
    : expr
    | expr comma expr_list
    ;

var_list
    : var_listitem
    | var_listitem comma var_list
    ;

var_listitem
    : array
    | lval_expr
    | struct
    ;

var_no_struct_list
    : var_no_struct_listitem
    | var_no_struct_listitem comma var_no_struct_list
    ;

var_no_struct_listitem
    : array
    | lval_expr
    | struct
    ;

printer_is
    : expr                      { ps->counter = 4; }
      pr_is_list
    | R3                        { KEYWORD(1, CODE($1)); ps->counter = 4; }
      pr_is_list
    | sexpr                     { ps->counter = 0; }
      pr_is_list
    ;

pr_is_list
    : %empty
    | comma pr_is_item pr_is_list
    | error                     { parse_error(cc, "IMPROPER OR CONFLICTING SPECIFICATION"); }
    ;

pr_is_item
    : R0                        { parse_option(cc, ps, 0, NUM($1)); }
    | R1                        { parse_option(cc, ps, 1, NUM($1)); }
      '(' expr ')'
    | R2                        { parse_option(cc, ps, 2, NUM($1)); }
      '(' expr ')'
    ;

redim
    : redim_item
    | redim_item ','            { EMIT(CW_CHAR_COMMA); }
      redim
    ;

redim_item
    : T_SYM '$' '('             { EMIT(SYM4($1, 1)); EMIT(CW_REDIM_OPEN); }
      redim_list rparen
    | T_SYM '('                 { EMIT(SYM5($1, 1)); EMIT(CW_REDIM_OPEN); }
      redim_list rparen
    ;

redim_list
    : redim_dim                 { $$.word = 1; }
    | redim_list comma redim_dim
                                { $$.word = $1.word + 1; cg_check_dims(cc, static_cast<int>($$.word)); }
    ;

redim_dim
    : expr
    | expr colon expr
    ;

restore
    : %empty
    | store__protect
    | store__compatibility      { cg_set_stmt(cc, CW_RESTORE_COMPATIBLE); }
    | store__protect store__compatibility
                                { cg_set_stmt(cc, CW_RESTORE_COMPATIBLE); }
    | error                     { EXPECT("',', ';' or EOL"); }
    ;

store
    : %empty
    | store__protect            { cg_set_stmt(cc, CW_STORE_PROTECTED); }
    | store__compatibility      { cg_set_stmt(cc, CW_STORE_PROTECTED); }
    | store__protect store__compatibility
                                { cg_set_stmt(cc, CW_STORE_PROTECTED); }
    | error                     { EXPECT("',', ';' or EOL"); }
    ;

store__protect : comma2 sexpr ;

store__compatibility : semicolon2 sexpr ;

load
    : %empty
    | comma2 start_expr
    | comma2 sexpr start_line   { cg_set_stmt(cc, CW_LOAD_START); }
    | error                     { EXPECT("',' or EOL"); }
    ;

return
    : %empty
    | comma lval_num_expr
    ;

using
    : using_fmt
    | using_fmt semicolon using_list
    ;

using_fmt
    : lref                      { EMIT($1.word); }
    | sexpr
    ;

using_list
    : using_item
    | using_item c_or_s using_list
    ;

using_item
    : p_expr
    | sexpr
    | array
    ;

pack_list
    : pack_item
    | pack_item comma pack_list
    ;

pack_item
    : T_ICONST T_SYM            { KEYWORD(1, CW_PACK_SKIP); EMIT(NUM($1)); }
    | lval_expr
    | array
    | struct
    ;

db_start : '(' lval_str_expr comma db_expr comma expr comma num_array ;

db_expr
    : sexpr
    | expr
    ;

in_dset_list
    : in_dset_item
    | in_dset_item comma in_dset_list
    ;

in_dset_item
    : R0 T_ICONST               { parse_skip_item(cc, *$2.v, nullptr, NUM($1)); }
    | T_ICONST T_SYM            { parse_skip_item(cc, *$1.v, $2.v, CW_DSET_SKIP); }
    | lval_str_expr2
    | lval_num_expr
    | array
    | struct
    ;

in_data_set
    : R1                        { KEYWORD(1, CODE($1)); }
    | R2                        { KEYWORD(1, CODE($1)); }
    | R4 R2                     { KEYWORD(1, CODE($1)); KEYWORD(1, CODE($2)); }
    | R3                        { KEYWORD(1, CODE($1)); }
      remote_list
    | R4 R3                     { KEYWORD(1, CODE($1)); KEYWORD(1, CODE($2)); }
      remote_list
    | R5                        { KEYWORD(1, CODE($1)); }
      in_dset_use
    | R4 R5                     { KEYWORD(1, CODE($1)); KEYWORD(1, CODE($2)); }
      in_dset_use
    | R7 T_SYM                  { unsigned w = SYM8($2); KEYWORD(1, CODE($1)); EMIT(w); }
      in_dset_type_extends
    ;

in_dset_type_extends
    : %empty
    | R8 T_SYM                  { EMIT(NUM($1)); EMIT(SYM8($2)); }
    ;

in_dset_use
    : in_dset_list
    | T_SYM AS T_SYM            { parse_struct_decl(cc, CW_AS, NAME($1), NAME($3)); }
    | T_SYM ':' T_SYM           { parse_struct_decl(cc, CW_TYPE_COLON, NAME($1), NAME($3)); }
    ;

remote_list
    : lref                      { EMIT($1.word); }
    | lref ','                  { EMIT($1.word); }
      remote_list
    ;

pred_list
    : pred_item
    | pred_item semicolon pred_list
    ;

pred_item : db_expr pred_expr ;

pred_expr
    : %empty
    | comma db_expr
    | comma db_expr comma sexpr comma db_expr
    ;

wf_threads
    : %empty
    | semicolon R2              { KEYWORD(1, CODE($2)); }
      thread_list
    ;

thread_list
    : db_expr
    | thread_item comma thread_list
    ;

thread_item
    : db_expr
    | db_expr colon expr
    | db_expr R1                { KEYWORD(1, CODE($2)); }
      thread_link
    ;

thread_link
    : lval_num_expr
    | lval_str_expr2
    ;

sort_list
    : sort_item
    | sort_item comma sort_list
    ;

sort_item
    : lval_num_expr des         { parse_count_item(cc, ps, PARSE_MAX_SORT_ITEMS, "TOO MANY ITEMS"); }
    | lval_str_expr2 des        { parse_count_item(cc, ps, PARSE_MAX_SORT_ITEMS, "TOO MANY ITEMS"); }
    ;

des
    : %empty
    | R0                        { KEYWORD(1, CODE($1)); }
    ;

with_lines
    : %empty
    | R1                        { KEYWORD(1, CODE($1)); RESET(); }
      expr R3                   { KEYWORD(1, CODE($4)); RESET(); }
    ;

with_using
    : %empty
    | R4                        { KEYWORD(1, CODE($1)); RESET(); }
      using
    ;

totals_list
    : expr                      { parse_count_item(cc, ps, PARSE_MAX_TOTALS, "TOO MANY EXPRESSIONS"); cg_mark_inc(cc); }
    | expr comma totals_list    { parse_count_item(cc, ps, PARSE_MAX_TOTALS, "TOO MANY EXPRESSIONS"); cg_mark_inc(cc); }
    ;

break_by
    : expr R0                   { KEYWORD(1, CODE($2)); RESET(); }
      break_inc
    | sexpr R0                  { KEYWORD(1, CODE($2)); RESET(); }
    ;

break_inc
    : %empty
    | R5                        { KEYWORD(1, CODE($1)); RESET(); }
      expr
    ;

trace_vlist
    : trace_vitem
    | trace_vitem ',' trace_vlist
    ;

trace_vitem
    : trace_var                 { parse_count_item(cc, ps, PARSE_MAX_TRACE_VARS, "TOO MANY VARIABLES"); cg_mark_inc(cc); }
    ;

trace_var
    : T_SYM                     { EMIT(SYM5($1, 0)); }
    | T_SYM '$'                 { EMIT(SYM4($1, 0)); }
    | T_SYM '(' '*' ')'         { EMIT(SYM5($1, 1)); }
    | T_SYM '$' '(' '*' ')'     { EMIT(SYM4($1, 1)); }
    ;

mat_list
    : mat_litem
    | mat_litem comma mat_list
    ;

mat_print
    : mat_litem
    | mat_litem c_or_s
    | mat_litem c_or_s mat_print
    ;

mat_litem
    : T_SYM                     { PUSH(3, 1, $1); DUMP(1, 1, CW_MAT_NUM_ENTRY); }
      mat_redim
    | T_SYM '$'                 { PUSH(4, 1, $1); DUMP(1, 1, CW_MAT_STR_ENTRY); }
      mat_redim
    ;

mat
    : T_SYM '='                 { cg_mark(cc, 0); EMIT(SYM5($1, 1)); }
      mat_nrules
    | T_SYM '$' '='             { cg_mark(cc, 0); EMIT(SYM4($1, 1)); }
      mat_srules
    ;

mat_nrules
    : T_SYM                     { EMIT(SYM5($1, 1)); }
    | T_SYM mat_op '('          { EMIT(SYM5($1, 1)); EMIT(ps->counter); }
      expr rparen               { cg_mark_set(cc, 2); }
    | T_SYM mat_op2 T_SYM       { EMIT(SYM5($1, 1)); EMIT(ps->counter); EMIT(SYM5($3, 1)); cg_mark_set(cc, 3); }
    | T_SYM '*' T_SYM           { EMIT(SYM5($1, 1)); EMIT(CW_MULTIPLY); EMIT(SYM5($3, 1)); cg_mark_set(cc, 4); }
    | R1                        { EMIT(NUM($1)); cg_mark_set(cc, 5); }
      mat_redim
    | R0 '(' T_SYM ')'          { EMIT(NUM($1)); EMIT(SYM5($3, 1)); cg_mark_set(cc, 6); }
    | '(' expr rparen           { cg_mark_set(cc, 7); }
      mat_rule1
    | T_SEC Rnn_ '(' T_SYM ')'  { KEYWORD(1, CODE($1)); EMIT(SYM5($4, 1)); cg_mark_set(cc, 8); }
    ;

mat_rule1
    : %empty
    | mat_op T_SYM              { EMIT(ps->counter); EMIT(SYM5($2, 1)); cg_mark_set(cc, 1); }
    ;

mat_op
    : '*'                       { ps->counter = CW_MULTIPLY; }
    | mat_op3
    ;

mat_op2
    : '.'                       { ps->counter = CW_MAT_DOT; }
    | mat_op3
    ;

mat_op3
    : '+'                       { ps->counter = CW_ADD; }
    | '-'                       { ps->counter = CW_SUBTRACT; }
    | '/'                       { ps->counter = CW_DIVIDE; }
    | '='                       { ps->counter = CW_EQ; }
    | LT                        { ps->counter = CW_LT; }
    | LE                        { ps->counter = CW_LE; }
    | GT                        { ps->counter = CW_GT; }
    | GE                        { ps->counter = CW_GE; }
    | '#'                       { ps->counter = CW_NE; }
    | NE                        { ps->counter = CW_NE; }
    ;

mat_srules
    : T_SYM '$'                 { EMIT(SYM4($1, 1)); }
    | R1                        { parse_mat_string_function(cc, NUM($1)); EMIT(NUM($1)); cg_mark_set(cc, 5); }
      mat_redim
    | '(' sexpr rparen          { cg_mark_set(cc, 7); }
    ;

mat_redim
    : %empty
    | '('                       { EMIT(CW_REDIM_OPEN); RESET(); }
      mat_rlist rparen
    ;

mat_rlist
    : mat_ritem
    | mat_ritem comma mat_rlist
    ;

mat_ritem
    : expr
    | expr colon expr
    ;

replace
    : %empty
    | semicolon R0              { KEYWORD(1, CODE($2)); }
    ;

dump_var
    : simple_svar               { DUMP(1, 1, CW_STR_VAR); }
    | num_array
    ;

load_dll
    : sexpr comma expr
    | expr
    ;

c_dlg_lval
    : %empty
    | comma lval_num_expr
    ;

c_dlg_lsval
    : %empty
    | comma lval_str_expr
    ;

dlg_arg
    : expr
    | sexpr
    | str_array
    ;

dlg_larg
    : lval_expr
    | str_array
    ;

dlg_return
    : %empty
    | semicolon lval_num_expr
    ;

xpack : xpack_arg ;

xunpack
    : %empty
    | xpack_arg
    ;

xpack_arg
    : R1                        { KEYWORD(1, CODE($1)); RESET(); }
      sexpr
    | R1 R3                     { KEYWORD(1, CODE($1)); KEYWORD(1, CODE($2)); RESET(); }
      remote_list
    | R2                        { KEYWORD(1, CODE($1)); RESET(); }
      xp_var_list
    ;

xp_var_list
    : xp_var
    | xp_var comma xp_var_list
    ;

xp_var
    : lval_str_expr2
    | lval_num_expr
    | array
    | struct
    ;

rcs_ren
    : %empty                    { EMIT(0); }
    | ';' T_ICONST              { EMIT(1); EMIT(NUM($2)); }
    | ';' T_ICONST ',' T_ICONST { EMIT(2); EMIT(NUM($2)); EMIT(NUM($4)); }
    ;

dlg_call
    : R1                        { KEYWORD(1, CODE($1)); }
      sexpr dlg_call_arg dlg_cretval dlg_return
    | R2                        { KEYWORD(1, CODE($1)); }
      sexpr comma sexpr dlg_call_arg dlg_cretval dlg_return
    ;

dlg_call_arg
    : %empty
    | '('                       { KEYWORD(1, CW_CALL_ARGS); RESET(); }
      dlg_carg_lst ')'          { EMIT(CW_CLOSE_PAREN); }
    ;

dlg_carg_lst
    : dlg_carg                  { $$.word = 1; }
    | dlg_carg comma dlg_carg_lst
                                { $$.word = $3.word + 1;
                                  if ($$.word > PARSE_MAX_DLG_ARGS) parse_error(cc, "TOO MANY ARGUMENTS"); }
    ;

dlg_carg
    : expr
    | sexpr
    ;

dlg_cretval
    : %empty
    | comma lval_expr
    ;

%%

// The grammar's token numbers are the scanner's (tokens.h); the ends of every
// group are checked here, so that a token added or moved on one side only
// fails the build.
namespace {
constexpr bool same(int grammar, int scanner) { return grammar == scanner; }
}  // namespace
static_assert(same(T_EOL, ptok::T_EOL) && same(T_ICONST, ptok::T_ICONST) && same(OR, ptok::OR));
static_assert(same(UMINUS, ptok::UMINUS) && same(NOT, ptok::NOT) && same(UPLUS, ptok::UPLUS));
static_assert(same(R0, ptok::R0) && same(R9, ptok::R9) && same(Rn__, ptok::Rn__));
static_assert(same(Rsi_, ptok::Rsi_) && same(END, ptok::END) && same(STRUCT, ptok::STRUCT));
static_assert(same(Rx0000, ptok::first_statement_token) && same(Rx2001, ptok::last_statement_token) && same(Rx0ba8, ptok::Rx0ba8));
static_assert(same(Rxb405, ptok::Rxb405) && same(Rxe9c5, ptok::Rxe9c5) && same(Rx2000, ptok::Rx2000));

namespace {

#ifndef VARNICA_PARSER_UNTRACED
// The context whose line is being parsed, for the parser's trace output.
thread_local CompileContext* trace_context = nullptr;

struct TraceScope {
    explicit TraceScope(CompileContext* cc) { trace_context = cc; }
    ~TraceScope() { trace_context = nullptr; }
    TraceScope(const TraceScope&) = delete;
    TraceScope& operator=(const TraceScope&) = delete;
};

void parse_trace(FILE*, const char* format, ...) {
    CompileContext* cc = trace_context;
    if (cc == nullptr || !cc->debug) return;
    char text[512];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(text, sizeof text, format, ap);
    va_end(ap);
    cc_debug(cc, "%s", text);
}
#endif

// The end of the line is one T_EOL; the parser's end of input follows it.
int vqlex(ParseValue* lval, CompileContext* cc, ParseState* ps) {
    if (ps->line_ended) return 0;
    int token = scan_lex(cc);
    if (token == T_EOL) ps->line_ended = true;
    lval->v = scan_value(cc);
    lval->word = 0;
    return token;
}

void vqerror(CompileContext* cc, ParseState*, const char* message) {
    cc_debug(cc, "yyerror: %s\n", message);
}

}  // namespace

#ifndef VARNICA_PARSER_UNTRACED
int vq_untracedparse(CompileContext* cc, ParseState* ps);

int parse_line(CompileContext* cc) {
    if (!cc->debug_env_read) {
        cc->debug_env_read = true;
        const char* level = std::getenv("YYDEBUG");
        if (level != nullptr && level[0] >= '0' && level[0] <= '9') cc->debug = level[0] - '0';
    }
    return parse_line_quiet(cc);
}

int parse_line_quiet(CompileContext* cc) {
    vqdebug = cc->debug;
    ParseState ps;
    // Bison tells an exhausted stack (2) from a syntax error (1); callers
    // only need to know that the line failed. A line that is not debugged
    // goes to the parser without the trace.
    if (!cc->debug) return vq_untracedparse(cc, &ps) == 0 ? 0 : 1;
    TraceScope trace(cc);
    return vqparse(cc, &ps) == 0 ? 0 : 1;
}
#endif
