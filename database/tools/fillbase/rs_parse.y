/* Grammar of the restructuring rules: a sequence of set entries,
 * each with an optional source set and an optional block of item entries.
 * Each reference is checked as soon as it is read, so that an error is
 * reported with the line it stands on. */
%require "3.6"
%define api.prefix {rs}
%define parse.trace
%define parse.error simple

%code requires {
// A set or item given by name (name set) or by number.
struct RsRef {
    long number;
    const char* name;
    long line;
};
// An element range: none, one index, or first-last.
struct RsRange {
    int given;  // 0 none, 1 one index, 2 first-last
    long first;
    long last;
};
struct RsSrc {
    int kind;
    long number;
    const char* name;
    RsRange range;
    long line;
};
}

%code {
#include "database/tools/fillbase/restruct_internal.h"

void rs_begin_set(const RsRef& target);
void rs_set_source(const RsRef& source);
void rs_add_item(const RsRef& target, const RsRange& range, const RsSrc& source);

static void rserror(const char* message) { rs_error(message); }
}

%union {
    long num;
    const char* text;
    RsRef ref;
    RsRange range;
    RsSrc src;
}

%token <num> T_NUMBER
%token <text> T_NAME T_TEXT
%token T_IMPORT_SET T_NULL T_CONST
%type <ref> ref
%type <range> opt_range range
%type <src> source

%%

spec
    : %empty
    | spec entry
    | spec error
    ;

entry
    : T_IMPORT_SET ref { rs_begin_set($2); } opt_from opt_items
    ;

opt_from
    : %empty
    | '=' ref { rs_set_source($2); }
    ;

opt_items
    : %empty
    | '{' items '}'
    ;

items
    : %empty
    | items item
    | items error ';' { yyerrok; }
    ;

item
    : ref opt_range '=' source ';' { rs_add_item($1, $2, $4); }
    ;

ref
    : T_NAME   { $$.number = 0; $$.name = $1; $$.line = rs_state->line_number; }
    | T_NUMBER { $$.number = $1; $$.name = nullptr; $$.line = rs_state->line_number; }
    ;

opt_range
    : %empty { $$.given = 0; $$.first = 0; $$.last = 0; }
    | range  { $$ = $1; }
    ;

range
    : '[' T_NUMBER ']'              { $$.given = 1; $$.first = $2; $$.last = $2; }
    | '[' T_NUMBER '-' T_NUMBER ']' { $$.given = 2; $$.first = $2; $$.last = $4; }
    ;

source
    : T_NUMBER         { $$ = RsSrc{RS_FIELD_NUMBER, $1, nullptr, RsRange{0, 0, 0}, rs_state->line_number}; }
    | T_NAME opt_range { $$ = RsSrc{RS_FIELD_NAME, 0, $1, $2, rs_state->line_number}; }
    | T_NULL           { $$ = RsSrc{RS_NULL, 0, nullptr, RsRange{0, 0, 0}, rs_state->line_number}; }
    | T_CONST T_NUMBER { $$ = RsSrc{RS_CONST_NUMBER, $2, nullptr, RsRange{0, 0, 0}, rs_state->line_number}; }
    | T_CONST T_TEXT   { $$ = RsSrc{RS_CONST_TEXT, 0, $2, RsRange{0, 0, 0}, rs_state->line_number}; }
    ;

%%
