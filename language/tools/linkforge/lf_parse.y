/* Grammar of the declaration language:
 *   YqDLL name ( arguments )
 * where each argument is one of the typed forms, YqVoid, or "..." after a comma. */
%require "3.6"
%define api.prefix {lf}
%define parse.trace     /* keeps the symbol names for our own trace */
%define parse.error simple

%code requires {
#include <cstdlib>
}

%code {
#include "language/tools/linkforge/linkforge.h"
#include "language/tools/linkforge/lf_trace.h"
#include "language/errutil.h"

#include <cstdio>
#include <cstring>
#include <iterator>

int lflex();
static void lferror(const char* message);
}

%union {
    char* text;
    long number;
}

%token YQDLL YQVOID YQINT YQREAL YQCHAR YQSTRING
%token <text> IDENT
%token <number> NUMBER
%type <number> size

%destructor { std::free($$); } <text>

%%

module
    : %empty
    | functions
    ;

functions
    : function
    | functions function
    ;

function
    : YQDLL IDENT { lf_begin_function($2); $2 = nullptr; /* the record owns it now */ } '(' arguments ')'
    ;

arguments
    : %empty
    | YQVOID
    | argument
    | arguments ',' argument
    | arguments ',' '.' '.' '.'     { lf_add_argument(nullptr, LF_VAR_ARG, 0); }
    ;

argument
    : YQINT IDENT                   { lf_add_argument($2, LF_INT_BY_VALUE, 0); }
    | YQINT '*' IDENT               { lf_add_argument($3, LF_INT_BY_REFERENCE, 0); }
    | YQINT IDENT '[' size ']'      { lf_add_argument($2, LF_INT_ARRAY, $4); }
    | YQREAL IDENT                  { lf_add_argument($2, LF_REAL_BY_VALUE, 0); }
    | YQREAL '*' IDENT              { lf_add_argument($3, LF_REAL_BY_REFERENCE, 0); }
    | YQREAL IDENT '[' size ']'     { lf_add_argument($2, LF_REAL_ARRAY, $4); }
    | YQCHAR '*' IDENT              { lf_add_argument($3, LF_ZSTRING, 0); }
    | YQSTRING '*' IDENT            { lf_add_argument($3, LF_STRING, 0); }
    | YQSTRING IDENT '[' size ']'   { lf_add_argument($2, LF_STRING_ARRAY, $4); }
    ;

size
    : %empty    { $$ = 0; }
    | NUMBER    { $$ = $1; }
    ;

%%

namespace {

// The trace of the parse under way (YYDEBUG), with the parser's tables.
struct ParserTrace {
    LfParserTables tables;
    LfTrace trace;
    bool tables_ready;
    bool on;
};
ParserTrace parser_trace;

template <class T, std::size_t N>
std::vector<int> table_of(const T (&values)[N]) {
    return std::vector<int>(std::begin(values), std::end(values));
}

bool table_entry_is_error([[maybe_unused]] int value) {
    return yytable_value_is_error(value);
}

void load_tables(LfParserTables* t) {
    t->pact = table_of(yypact);
    t->defact = table_of(yydefact);
    t->pgoto = table_of(yypgoto);
    t->defgoto = table_of(yydefgoto);
    t->table = table_of(yytable);
    t->check = table_of(yycheck);
    t->stos = table_of(yystos);
    t->r1 = table_of(yyr1);
    t->r2 = table_of(yyr2);
    t->translate = table_of(yytranslate);
    t->names.clear();
    for (int symbol = 0; symbol < YYNTOKENS + YYNNTS; ++symbol)
        t->names.push_back(yysymbol_name(static_cast<yysymbol_kind_t>(symbol)));
    t->table_is_error = table_entry_is_error;
    t->pact_ninf = YYPACT_NINF;
    t->final_state = YYFINAL;
    t->ntokens = YYNTOKENS;
    t->max_token = YYMAXUTOK;
    t->eof_symbol = YYSYMBOL_YYEOF;
    t->error_symbol = YYSYMBOL_YYerror;
    t->undef_symbol = YYSYMBOL_YYUNDEF;
    t->error_token = LFerror;
    t->undef_token = LFUNDEF;
    t->max_depth = YYMAXDEPTH;
}

}  // namespace

// The parser's scanner: every token also goes to the trace.
int lflex() {
    int token = lf_scan_token();
    if (parser_trace.on)
        lf_trace_token(&parser_trace.trace, token);
    return token;
}

static void lferror(const char* message) {
    // Bison's own texts, in the words the tool has always used.
    if (message && std::strcmp(message, "memory exhausted") == 0)
        message = "yacc stack overflow";
    print_error(message);
    if (parser_trace.on)
        lf_trace_error_reported(&parser_trace.trace);
}

int lf_parse_input() {
    // YYDEBUG turns on the classic trace lines; Bison's own stay off.
    lfdebug = 0;
    parser_trace.on = std::getenv("YYDEBUG") != nullptr;
    lf_scan_start();
    if (parser_trace.on) {
        if (!parser_trace.tables_ready) {
            load_tables(&parser_trace.tables);
            parser_trace.tables_ready = true;
        }
        lf_trace_begin(&parser_trace.trace, &parser_trace.tables, stderr);
    }
    int result = lfparse();
    if (parser_trace.on)
        lf_trace_end(&parser_trace.trace);
    return result;
}
