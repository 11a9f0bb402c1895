/* Grammar of the schema source: the database header, password classes,
 * items, index items and data sets, with control lines between the parts.
 * Each construct is handed to its check-and-record routine; the error
 * alternatives report what was expected and let the parse go on, so that
 * one run lists as many problems as it can. */
%require "3.6"
%define api.prefix {sch}
%define parse.trace
%define parse.error simple
/* The error alternatives of the password, item and index item lists compete
 * with those of the sections that follow them; the lists keep the error. */
%expect 3

%code requires {
#include <cstdlib>

// A number keeps its digits too: a password may be made of them.
struct SchNumber {
    long value;
    char text[24];
};
}

%code {
#include "database/tools/schema/schema.h"
#include "language/errutil.h"

#include <cstdio>
#include <cstring>
#include <string>

int schlex();
static void scherror(const char* message);

namespace {

// What an item definition collected before it is checked.
long item_count = -1;
char* item_type = nullptr;
long item_format = -1;
// One "Bad $CONTROL statement" per control line.
int control_bad_reported = 0;

void start_control_line() {
    sch_in_control_line = 1;
    control_bad_reported = 0;
}

void end_control_line() { sch_in_control_line = 0; }

void bad_control() {
    if (!control_bad_reported) sch_warning("Bad $CONTROL statement");
    control_bad_reported = 1;
}

void take_item_type(long count, char* type) {
    std::free(item_type);
    item_count = count;
    item_type = type;
}

}  // namespace

int sch_in_control_line = 0;

namespace {

// The first two tokens of the definition being read (a definition ends with
// ';'), and a section keyword met inside it: what a definition that failed
// to parse looked like, so that a list can tell a bad definition of its own
// from the start of a section whose keyword is missing.
struct Definition {
    int first = 0, second = 0;
    std::string first_text, second_text;
    int keyword = 0;
    int seen = 0;
    bool ended = false;
};
Definition def;
// Whether "SETS:" was read: the sets then cannot lack it.
bool sets_keyword_seen = false;

bool is_section_keyword(int token) {
    return token == T_BEGINDB || token == T_DEFLANG || token == T_PASSWORDS || token == T_ITEMS ||
           token == T_IITEMS || token == T_SETS;
}

void note_token(int token) {
    if (sch_in_control_line || token == T_CONTROL || token == T_TITLE || token == T_PAGE || token == T_EOL) return;
    if (def.ended) def = Definition{};
    if (is_section_keyword(token)) {
        if (token == T_SETS) sets_keyword_seen = true;
        def.keyword = token;
        def.seen = 0;
        return;
    }
    const std::string text = token == T_STRING && schlval.text ? schlval.text : "";
    if (def.seen == 0) {
        def.first = token;
        def.first_text = text;
    } else if (def.seen == 1) {
        def.second = token;
        def.second_text = text;
    }
    ++def.seen;
    if (token == ';') def.ended = true;
}

// A failed password definition that holds a section keyword or has the
// shape of an item ("NAME, TYPE"): the items began without "ITEMS:".
bool looks_like_items() {
    return def.keyword == T_IITEMS || def.keyword == T_SETS || def.first_text.find(',') != std::string::npos ||
           def.second_text.rfind(",", 0) == 0;
}

// A failed item or index item definition before any "SETS:" that does not
// begin with a name, or begins with a set keyword ("N:", "NAME:"): the sets
// began without "SETS:".
bool looks_like_sets() { return !sets_keyword_seen && (def.first != T_STRING || def.second == ':'); }

}  // namespace

int schlex() {
    int token = sch_scan_token();
    note_token(token);
    return token;
}
}

%union {
    char* text;
    SchNumber num;
}

%token <text> T_STRING T_QSTRING
%token <num> T_NUMBER
%token T_BEGINDB T_DEFLANG T_PASSWORDS T_ITEMS T_IITEMS T_SETS
%token T_NAME T_ENTRY T_INDEX T_CAPACITY
%token T_CONTROL T_TITLE T_PAGE T_EOL
%token T_LIST T_NOLIST T_ROOT T_NOROOT T_TABLE T_NOTABLE T_ERRORS T_LINES T_BLOCKMAX

%destructor { std::free($$); } <text>

%%

schema
    : control begin_section password_section item_section iitem_section set_section
    ;

/* ---- control lines ---- */

control
    : %empty
    | control control_line
    ;

control_line
    : control_start ctrl_list T_EOL     { end_control_line(); }
    | title_start T_EOL                 { sch_set_title(nullptr); end_control_line(); }
    | title_start T_QSTRING T_EOL       { sch_set_title($2); std::free($2); end_control_line(); }
    | title_start error T_EOL           { sch_warning("Quoted string or EOL expected"); end_control_line(); }
    | page_start T_EOL                  { sch_new_page(nullptr); end_control_line(); }
    | page_start T_QSTRING T_EOL        { sch_new_page($2); std::free($2); end_control_line(); }
    | page_start error T_EOL            { sch_warning("Quoted string or EOL expected"); end_control_line(); }
    ;

control_start : T_CONTROL   { start_control_line(); } ;
title_start   : T_TITLE     { start_control_line(); } ;
page_start    : T_PAGE      { start_control_line(); } ;

ctrl_list
    : %empty
    | ctrl_items
    ;

ctrl_items
    : ctrl_item
    | ctrl_items ctrl_item
    | ctrl_items ',' ctrl_item
    ;

ctrl_item
    : T_LIST                { sch_opt.listing = 1; }
    | T_NOLIST              { sch_opt.listing = 0; }
    | T_ROOT                { }
    | T_NOROOT              { sch_opt.no_catalog = 1; }
    | T_TABLE               { sch_opt.set_table = 1; }
    | T_NOTABLE             { sch_opt.set_table = 0; }
    | T_ERRORS T_NUMBER     {
                                if ($2.value < 0)
                                    sch_warning("Bad error limit; must be >= 0");
                                else
                                    err_context()->max_errors = $2.value;
                            }
    | T_LINES T_NUMBER      {
                                if ($2.value != 0 && ($2.value < 20 || $2.value > 199))
                                    sch_warning("Bad page length; must be 0 or 20 - 199");
                                else
                                    sch_page_length(static_cast<int>($2.value));
                            }
    | T_BLOCKMAX T_NUMBER   { }
    | error                 { bad_control(); }
    ;

/* ---- BEGIN DATA BASE and DEFAULT LANGUAGE ---- */

begin_section
    : begin_data_base control def_language
    | error                 { sch_error("'BEGIN DATA BASE' expected"); }
    ;

begin_data_base
    : T_BEGINDB database_name ';'
    | T_BEGINDB database_name ',' T_STRING ';'  { sch_db_volume($4); std::free($4); }
    | T_BEGINDB error ';'   { sch_error("Database name expected"); }
    ;

database_name
    : T_STRING              { sch_db_name($1); std::free($1); }
    ;

def_language
    : %empty
    | T_DEFLANG T_STRING ';' control    { sch_default_language($2); std::free($2); }
    ;

/* ---- PASSWORDS: ---- */

password_section
    : T_PASSWORDS control password_list
    | error                 { sch_error("'PASSWORDS:' expected"); }
    ;

password_list
    : %empty
    | password_list password_def control
    ;

/* A definition that does not parse is skipped up to its ';'; one that
 * parsed but is not followed by ';' ends there, and the next one is read. */
password_def
    : password ';'
    | password error        { sch_error("Missing ';'"); }
    | error ';'             {
                                if (looks_like_items()) sch_fatal("(FATAL) 'ITEMS:' expected");
                                sch_error("Password class [password] expected");
                            }
    ;

password
    : T_NUMBER T_STRING     { sch_password($1.value, $2); std::free($2); }
    | T_NUMBER              { sch_password($1.value, ""); }
    | T_NUMBER T_NUMBER     { sch_password($1.value, $2.text); }
    ;

/* ---- ITEMS: ---- */

item_section
    : T_ITEMS control item_list
    | later_section         { sch_fatal("(FATAL) 'ITEMS:' expected"); }
    | error                 { sch_fatal("(FATAL) 'ITEMS:' expected"); }
    ;

/* A section that may only follow the items. */
later_section
    : T_IITEMS
    | T_SETS
    ;

item_list
    : item_def control
    | item_list item_def control
    ;

item_def
    : item ';'
    | item error            { sch_error("Missing ';'"); }
    | error ';'             {
                                if (looks_like_sets()) sch_fatal("(FATAL) 'SETS:' expected");
                                sch_error("Item name, type [(format)] expected");
                            }
    ;

item
    : T_STRING ',' item_type item_format
                            {
                                sch_item($1, item_count, item_type, item_format);
                                std::free($1);
                                take_item_type(-1, nullptr);
                            }
    ;

item_type
    : T_STRING              { take_item_type(-1, $1); }
    | T_NUMBER T_STRING     { take_item_type($1.value, $2); }
    ;

item_format
    : %empty                { item_format = -1; }
    | '(' T_NUMBER ')'      { item_format = $2.value; }
    | '(' class_list_opt '/' class_list_opt ')'     { item_format = -1; }
    | '(' T_NUMBER error    { item_format = $2.value; sch_error("Missing ')'"); }
    ;

class_list_opt
    : %empty
    | class_list
    ;

class_list
    : T_NUMBER
    | class_list ',' T_NUMBER
    ;

/* ---- IITEMS: ---- */

iitem_section
    : %empty
    | T_IITEMS control iitem_list
    ;

iitem_list
    : iitem_def control
    | iitem_list iitem_def control
    ;

iitem_def
    : iitem ';'
    | iitem error           { sch_error("Missing ';'"); }
    | error ';'             {
                                sch_iitem_end();
                                if (looks_like_sets()) sch_fatal("(FATAL) 'SETS:' expected");
                                sch_error("Index item name = item [:length] [, ...] expected");
                            }
    ;

iitem
    : iitem_name '=' iitem_seg_list     { sch_iitem_end(); }
    ;

iitem_name
    : T_STRING              { sch_iitem_begin($1); std::free($1); }
    ;

iitem_seg_list
    : iitem_seg
    | iitem_seg_list ',' control iitem_seg
    ;

iitem_seg
    : T_STRING              { sch_iitem_segment($1, -1); std::free($1); }
    | T_STRING ':' T_NUMBER { sch_iitem_segment($1, $3.value); std::free($1); }
    ;

/* ---- SETS: ---- */

set_section
    : %empty
    | T_SETS control set_list
    | error                 { sch_fatal("(FATAL) 'SETS:' expected"); }
    ;

set_list
    : set
    | set_list set
    ;

set
    : set_header control set_entries set_index set_capacity     { sch_set_end(); }
    ;

set_header
    : set_head '(' rw_list ')' set_header_tail
    | T_NAME error ';'      { sch_set_begin(nullptr, nullptr); sch_error("Expected name, type (r/w) [,volume]"); }
    | error ';'             { sch_set_begin(nullptr, nullptr); sch_error("Expected 'NAME:'"); }
    ;

set_head
    : T_NAME T_STRING ',' T_STRING  { sch_set_begin($2, $4); std::free($2); std::free($4); }
    ;

set_header_tail
    : ';'
    | ',' T_STRING ';'      { sch_set_volume($2); std::free($2); }
    ;

rw_list
    : read_list '/' write_list
    | '/' write_list
    ;

read_list
    : T_NUMBER                  { sch_set_class(0, $1.value); }
    | read_list ',' T_NUMBER    { sch_set_class(0, $3.value); }
    ;

write_list
    : T_NUMBER                  { sch_set_class(1, $1.value); }
    | write_list ',' T_NUMBER   { sch_set_class(1, $3.value); }
    ;

set_entries
    : T_ENTRY entry_list ';' control
    | T_ENTRY error ';' control     { sch_error("Expected item [,item ...]"); }
    | error                         { sch_error("Expected 'ENTRY:'"); }
    ;

entry_list
    : entry_def
    | entry_list ',' control entry_def
    ;

entry_def
    : entry_name
    | entry_name '(' path_def ')'
    ;

entry_name
    : T_STRING              { sch_entry_item($1); std::free($1); }
    ;

path_def
    : T_STRING                          { sch_entry_path($1, 0, nullptr); std::free($1); }
    | T_STRING '(' T_STRING ')'         { sch_entry_path($1, 0, $3); std::free($1); std::free($3); }
    | '!' T_STRING                      { sch_entry_path($2, 1, nullptr); std::free($2); }
    | '!' T_STRING '(' T_STRING ')'     { sch_entry_path($2, 1, $4); std::free($2); std::free($4); }
    | T_NUMBER                          { sch_entry_path_count($1.value); }
    ;

set_index
    : %empty
    | T_INDEX index_list ';' control
    | T_INDEX error ';' control     { sch_error("Expected iitem [,iitem ...]"); }
    ;

index_list
    : index_def
    | index_list ',' control index_def
    ;

index_def
    : T_STRING              { sch_set_index($1, nullptr); std::free($1); }
    | T_STRING '/' T_STRING { sch_set_index($1, $3); std::free($1); std::free($3); }
    ;

set_capacity
    : %empty
    | capacity_def control
    | T_CAPACITY error ';' control                      { sch_error("Number expected"); }
    ;

capacity_def
    : T_CAPACITY T_NUMBER blocking_factor ';'           { sch_set_capacity($2.value); }
    ;

blocking_factor
    : %empty
    | '(' T_NUMBER ')'
    ;

%%

static void scherror(const char* message) {
    if (std::strcmp(message, "memory exhausted") == 0) {
        sch_print("yacc stack overflow\n");
        sch_exit(1);
    }
    if (sch_in_control_line) return;  // the control line warns on its own
    sch_error(message);
}

int sch_parse() {
    schdebug = sch_opt.trace;
    def = Definition{};
    sets_keyword_seen = false;
    int result = schparse();
    std::free(item_type);
    item_type = nullptr;
    return result;
}
