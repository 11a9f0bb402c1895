/* Grammar of the declaration language:
 *   YqDLL name ( arguments )
 * where each argument is one of the typed forms, YqVoid, or "..." after a comma. */
%require "3.0"
%define api.prefix {lf}
%define parse.trace
%define parse.error simple

%code requires {
#include <cstdlib>
}

%code {
#include "language/tools/linkforge/linkforge.h"
#include "language/errutil.h"

#include <cstring>

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

static void lferror(const char* message) {
    // Bison's own texts, in the words the tool has always used.
    if (message && std::strcmp(message, "memory exhausted") == 0)
        message = "yacc stack overflow";
    print_error(message);
}

int lf_parse_input() {
    const char* trace = std::getenv("YYDEBUG");
    lfdebug = trace != nullptr;
    lf_scan_start();
    return lfparse();
}
