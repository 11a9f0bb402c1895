/* Interface between the run-time and the call glue that linkforge writes:
   the argument types, the kinds of the argument table, the two tables and
   the dispatcher. The glue defines YqFuncList, YqArgList and YqCall. */
#ifndef DLLIF_H
#define DLLIF_H

/* A declaration file is also a C header: "YqDLL name(arguments);" declares
   a function that returns int, and "YqVoid" an empty argument list. */
#define YqDLL int
#define YqVoid void

typedef long YqInt;
typedef double YqReal;
typedef char YqChar;

/* A string variable of the language: its current length, its declared
   capacity and its bytes (not NUL-terminated). */
typedef struct YqString {
    YqInt length;
    YqInt capacity;
    YqChar *text;
} YqString;

enum YqArgKind {
    YqArg_VarArg,
    YqArg_IntByValue,
    YqArg_IntByReference,
    YqArg_IntArray,
    YqArg_RealByValue,
    YqArg_RealByReference,
    YqArg_RealArray,
    YqArg_zString,
    YqArg_String,
    YqArg_StringArray
};

/* One row per function; the table ends with a row whose name is null. */
struct YqFuncList {
    const char *name;
    int first_arg;      /* index of its first row in YqArgList */
    int arg_count;
};

/* One row per argument, the functions' arguments one after the other. */
struct YqArgList {
    const char *name;   /* "..." for a variable argument list */
    enum YqArgKind kind;
    int size;           /* array size, 0 when not given */
};

/* The run-time passes up to 50 argument slots: av[i] points at the value of
   argument i (or is the array or string itself for the pointer kinds). */
#define YQ_MAX_ARGS 50

/* Calls function fn of YqFuncList; -1 for an unknown number. */
int YqCall(int fn, void *av[]);

#endif
