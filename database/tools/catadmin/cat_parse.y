/* Grammar of catadmin's command language. Each statement is carried out as
 * soon as it is read; a statement that does not parse is skipped up to the
 * next ";" after the "syntax error" line, and EXIT ends the reading. */
%require "3.6"
%define api.prefix {cat}
%define parse.trace
%define parse.error simple

%code requires {
#include <string>

#include "database/tools/catadmin/catadmin.h"
}

%code {
#include <cstdarg>
#include <cstdio>
#include <memory>

int catlex();
int cat_scan_token();
static void caterror(const char* message);

// The parser's debug lines, each starting with "yy".
static void cat_debug_print(FILE* stream, const char* format, ...) __attribute__((format(printf, 2, 3)));
#define YYFPRINTF cat_debug_print

int catlex() { return cat_scan_token(); }

namespace {

CatList* one(std::string* name) {
    std::unique_ptr<std::string> owned(name);
    CatList* list = new CatList;
    list->names.push_back(*owned);
    return list;
}

CatList* more(CatList* list, std::string* name) {
    std::unique_ptr<std::string> owned(name);
    list->names.push_back(*owned);
    return list;
}

CatList* word(const char* text) {
    CatList* list = new CatList;
    list->names.push_back(text);
    return list;
}

CatList* all() {
    CatList* list = new CatList;
    list->all = true;
    return list;
}

CatList* join(CatList* list, CatList* next) {
    std::unique_ptr<CatList> owned(next);
    for (const std::string& n : next->names) list->names.push_back(n);
    return list;
}

const char* opt(const std::string* text) { return text ? text->c_str() : nullptr; }

}  // namespace
}

%union {
    std::string* text;
    CatList* list;
}

%token <text> T_QSTRING
%token T_WORD T_NUMBER T_BAD
%token K_CONNECT K_LOGON K_PASSWORD K_DATABASE K_EXIT K_CREATE K_DROP K_ALTER K_USER K_GROUP
%token K_GRANT K_REVOKE K_BY K_FOR K_FROM K_OF K_ON K_TO K_DBA K_UADMIN K_DADMIN K_DBPRIV
%token K_ALL K_PRIVILEGES K_SELECT K_DELETE K_INSERT K_UPDATE K_READ K_WRITE K_ERASE K_PUBLIC

%type <text> password
%type <list> names users userprivs userpriv groupprivs grouppriv tableprivs tablepriv tablepriv_list tables

%destructor { delete $$; } <text> <list>

%%

input
    : %empty
    | input statement
    ;

statement
    : K_EXIT ';'                                        { YYACCEPT; }
    | K_CONNECT T_QSTRING ';'                           { std::unique_ptr<std::string> a($2); act_connect(a->c_str()); }
    | K_LOGON T_QSTRING password ';'                    {
          std::unique_ptr<std::string> a($2), b($3);
          act_logon(a->c_str(), opt(b.get()));
      }
    | K_CREATE K_USER T_QSTRING password ';'            {
          std::unique_ptr<std::string> a($3), b($4);
          act_add_user(a->c_str(), opt(b.get()));
      }
    | K_DROP K_USER names ';'                           { std::unique_ptr<CatList> a($3); act_del_user(*a); }
    | K_ALTER K_PASSWORD K_FOR K_USER T_QSTRING K_TO T_QSTRING ';' {
          std::unique_ptr<std::string> a($5), b($7);
          act_user_pswd(a->c_str(), b->c_str());
      }
    | K_DATABASE T_QSTRING ';'                          { std::unique_ptr<std::string> a($2); act_database(a->c_str()); }
    | K_CREATE K_GROUP T_QSTRING ';'                    { std::unique_ptr<std::string> a($3); act_add_group(a->c_str()); }
    | K_DROP K_GROUP names ';'                          { std::unique_ptr<CatList> a($3); act_del_group(*a); }
    | K_GRANT userprivs K_TO users ';'                  {
          std::unique_ptr<CatList> a($2), b($4);
          act_user_priv(true, *a, *b);
      }
    | K_REVOKE userprivs K_FROM users ';'               {
          std::unique_ptr<CatList> a($2), b($4);
          act_user_priv(false, *a, *b);
      }
    | K_GRANT groupprivs K_TO names ';'                 {
          std::unique_ptr<CatList> a($2), b($4);
          act_group_priv(true, *a, *b);
      }
    | K_REVOKE groupprivs K_FROM names ';'              {
          std::unique_ptr<CatList> a($2), b($4);
          act_group_priv(false, *a, *b);
      }
    | K_GRANT names K_TO users ';'                      {
          std::unique_ptr<CatList> a($2), b($4);
          act_member(true, *a, *b);
      }
    | K_REVOKE names K_FROM users ';'                   {
          std::unique_ptr<CatList> a($2), b($4);
          act_member(false, *a, *b);
      }
    | K_GRANT tableprivs K_ON tables K_TO names ';'     {
          std::unique_ptr<CatList> a($2), b($4), c($6);
          act_table_priv(true, *a, *b, *c);
      }
    | K_REVOKE tableprivs K_ON tables K_FROM names ';'  {
          std::unique_ptr<CatList> a($2), b($4), c($6);
          act_table_priv(false, *a, *b, *c);
      }
    | error ';'                                         { yyerrok; }
    ;

password
    : %empty                                            { $$ = nullptr; }
    | K_PASSWORD T_QSTRING                              { $$ = $2; }
    ;

names
    : T_QSTRING                                         { $$ = one($1); }
    | names ',' T_QSTRING                               { $$ = more($1, $3); }
    ;

users
    : K_PUBLIC                                          { $$ = all(); }
    | names                                             { $$ = $1; }
    ;

userprivs
    : userpriv                                          { $$ = $1; }
    | userprivs ',' userpriv                            { $$ = join($1, $3); }
    ;

userpriv
    : K_CONNECT                                         { $$ = word("connect"); }
    | K_UADMIN                                          { $$ = word("uadmin"); }
    | K_DBA                                             { $$ = word("dba"); }
    ;

groupprivs
    : grouppriv                                         { $$ = $1; }
    | groupprivs ',' grouppriv                          { $$ = join($1, $3); }
    ;

grouppriv
    : K_DADMIN                                          { $$ = word("dadmin"); }
    | K_DBPRIV                                          { $$ = word("dbpriv"); }
    ;

tableprivs
    : K_ALL K_PRIVILEGES                                { $$ = all(); }
    | tablepriv_list                                    { $$ = $1; }
    ;

tablepriv_list
    : tablepriv                                         { $$ = $1; }
    | tablepriv_list ',' tablepriv                      { $$ = join($1, $3); }
    ;

tablepriv
    : K_READ                                            { $$ = word("read"); }
    | K_WRITE                                           { $$ = word("write"); }
    | K_ERASE                                           { $$ = word("erase"); }
    ;

tables
    : K_ALL                                             { $$ = all(); }
    | names                                             { $$ = $1; }
    ;

%%

static void caterror(const char* message) { cat_error("%s", message); }

static bool debug_line_start = true;

static void cat_debug_print(FILE* stream, const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    for (const char* p = text; *p; ++p) {
        if (debug_line_start) std::fputs("yy", stream);
        std::fputc(*p, stream);
        debug_line_start = *p == '\n';
    }
}

int cat_parse(bool debug) {
    catdebug = debug ? 1 : 0;
    return catparse();
}
