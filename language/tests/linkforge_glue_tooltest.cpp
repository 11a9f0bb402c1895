// The C glue that linkforge writes: its exact text, and a real compile of it
// with the system C compiler, called through the dispatcher.
#include "tests/support/testsupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kAllKinds =
    "/* Declarations sit in C text; everything but YqDLL lines is skipped. */\n"
    "int helper(int x);\n"
    "YqDLL f(YqVoid);\n"
    "YqDLL g(YqInt a, YqInt *b, YqInt c[10], YqReal d, YqReal *e, YqReal q[],\n"
    "        YqChar *s, YqString *t, YqString u[4]);\n"
    "YqDLL h(YqInt a, YqInt b, ...);\n";

TEST(LinkforgeGlue, ExactTextForEveryKind) {
  vtest::TempDir dir;
  vtest::write_file(dir.file("decl.h"), kAllKinds);
  auto r = vtest::run("linkforge", {dir.file("decl.h")});
  ASSERT_EQ(r.exit_code, 0) << r.err << r.out;

  std::string slots;
  for (int i = 2; i < 49; ++i) slots += "av[" + std::to_string(i) + "],";
  slots += "av[49]";
  const std::string expected =
      "/*\n"
      "   (stdout)\n"
      "   THIS FILE IS GENERATED AUTOMATICALLY BY LINKFORGE\n"
      "   DON'T CHANGE MANUALLY\n"
      "*/\n"
      "\n"
      "#include <dllif.h>\n"
      "\n"
      "/*\n"
      " f( void )\n"
      " g( long a, long *b, long *c, double d, double *e, double *q, char *s, YqString *t, YqString *u )\n"
      " h( long a, long b, ... )\n"
      "*/\n"
      "\n"
      "struct YqFuncList YqFuncList[] = {\n"
      " { \"f\",\t0, 0 },\n"
      " { \"g\",\t0, 9 },\n"
      " { \"h\",\t9, 3 },\n"
      " { 0L }\n"
      "};\n"
      "\n"
      "struct YqArgList YqArgList[] = {\n"
      " { \"a\",\tYqArg_IntByValue\t, 0 },\n"
      " { \"b\",\tYqArg_IntByReference\t, 0 },\n"
      " { \"c\",\tYqArg_IntArray\t, 10 },\n"
      " { \"d\",\tYqArg_RealByValue\t, 0 },\n"
      " { \"e\",\tYqArg_RealByReference\t, 0 },\n"
      " { \"q\",\tYqArg_RealArray\t, 0 },\n"
      " { \"s\",\tYqArg_zString\t, 0 },\n"
      " { \"t\",\tYqArg_String\t, 0 },\n"
      " { \"u\",\tYqArg_StringArray\t, 4 },\n"
      " { \"a\",\tYqArg_IntByValue\t, 0 },\n"
      " { \"b\",\tYqArg_IntByValue\t, 0 },\n"
      " { \"...\",\tYqArg_VarArg\t, 0 },\n"
      "};\n"
      "\n"
      "int YqCall(fn, av)\n"
      "int fn; void *av[];\n"
      "{\n"
      " switch(fn) {\n"
      " case 0:\n"
      "  return f();\n"
      " case 1:\n"
      "  return g(*(YqInt *)(av[0]), (YqInt *)(av[1]), (YqInt *)(av[2]), *(YqReal *)(av[3]), "
      "(YqReal *)(av[4]), (YqReal *)(av[5]), (YqChar *)(av[6]), (YqString *)(av[7]), "
      "(YqString *)(av[8]));\n"
      " case 2:\n"
      "  return h(*(YqInt *)(av[0]), *(YqInt *)(av[1]), " +
      slots +
      ");\n"
      " default:\n"
      "  return -1;\n"
      " }\n"
      "}\n";
  EXPECT_EQ(r.out, expected);
}

TEST(LinkforgeGlue, NoArgumentsAnywhereGivesAnArgumentPointer) {
  vtest::TempDir dir;
  vtest::write_file(dir.file("decl.h"), "YqDLL ping(YqVoid)\nYqDLL pong()\n");
  auto r = vtest::run("linkforge", {"-o", dir.file("glue.c"), dir.file("decl.h")});
  ASSERT_EQ(r.exit_code, 0) << r.err << r.out;
  EXPECT_EQ(r.out, "");
  const std::string glue = vtest::read_file(dir.file("glue.c"));
  EXPECT_NE(glue.find("   " + dir.file("glue.c") + "\n"), std::string::npos) << glue;
  EXPECT_NE(glue.find(" { \"ping\",\t0, 0 },\n { \"pong\",\t0, 0 },\n { 0L }\n};\n\n"
                      "struct YqArgList *YqArgList;\n\nint YqCall(fn, av)\n"),
            std::string::npos)
      << glue;
  EXPECT_NE(glue.find(" case 1:\n  return pong();\n"), std::string::npos) << glue;
}

// Every kind of argument, a variable list and an empty list, compiled with
// the C compiler against our run-time header and called through YqCall.
const std::string kCallDecls =
    "#include <dllif.h>\n"
    "YqDLL ints(YqInt v, YqInt *r, YqInt arr[3]);\n"
    "YqDLL reals(YqReal v, YqReal *r, YqReal arr[]);\n"
    "YqDLL texts(YqChar *z, YqString *s, YqString list[2]);\n"
    "YqDLL tail(YqInt n, YqReal x, ...);\n"
    "YqDLL none(YqVoid);\n";

const std::string kCallImpl = R"(#include <stdarg.h>
#include <stdio.h>
#include "decls.h"

int ints(YqInt v, YqInt *r, YqInt arr[3]) {
    printf("ints %ld %ld %ld %ld %ld\n", v, *r, arr[0], arr[1], arr[2]);
    *r = v * 2;
    return 1;
}
int reals(YqReal v, YqReal *r, YqReal arr[]) {
    printf("reals %.2f %.2f %.2f\n", v, *r, arr[1]);
    *r = -v;
    return 2;
}
int texts(YqChar *z, YqString *s, YqString list[2]) {
    printf("texts %s %.*s %.*s\n", z, (int)s->length, s->text, (int)list[1].length, list[1].text);
    return 3;
}
int tail(YqInt n, YqReal x, ...) {
    va_list ap;
    YqInt i;
    printf("tail %ld %.1f", n, x);
    va_start(ap, x);
    for (i = 0; i < n; ++i)
        printf(" %ld", *va_arg(ap, YqInt *));
    va_end(ap);
    printf("\n");
    return 4;
}
int none(void) { printf("none\n"); return 5; }

int main(void) {
    void *av[YQ_MAX_ARGS];
    YqInt v = 21, r = 4, arr[3] = {7, 8, 9}, n = 3, k[48];
    YqReal rv = 1.5, rr = 2.25, rarr[2] = {0.5, 6.75}, x = 0.5;
    YqString s = {3, 8, "abcdefgh"};
    YqString list[2] = {{1, 1, "p"}, {2, 2, "qr"}};
    int i;
    for (i = 0; i < 48; ++i) k[i] = 100 + i;

    av[0] = &v; av[1] = &r; av[2] = arr;
    i = YqCall(0, av);
    printf("= %d r=%ld\n", i, r);
    av[0] = &rv; av[1] = &rr; av[2] = rarr;
    i = YqCall(1, av);
    printf("= %d r=%.2f\n", i, rr);
    av[0] = "zed"; av[1] = &s; av[2] = list;
    printf("= %d\n", YqCall(2, av));
    av[0] = &n; av[1] = &x;
    for (i = 2; i < YQ_MAX_ARGS; ++i) av[i] = &k[i - 2];
    printf("= %d\n", YqCall(3, av));
    printf("= %d\n", YqCall(4, av));
    printf("= %d\n", YqCall(5, av));
    return 0;
}
)";

TEST(LinkforgeGlue, CompilesAndPassesArgumentsThroughTheDispatcher) {
  vtest::TempDir dir;
  vtest::write_file(dir.file("decls.h"), kCallDecls);
  vtest::write_file(dir.file("impl.c"), kCallImpl);
  auto gen = vtest::run("linkforge", {"-o", dir.file("glue.c"), dir.file("decls.h")});
  ASSERT_EQ(gen.exit_code, 0) << gen.err << gen.out;

  const std::string include = vtest::source_dir() + "/examples/linkforge";
  // The glue includes only <dllif.h>; the declarations header gives the
  // compiler the prototypes, as a project's build would.
  auto cc =
      vtest::run("/usr/bin/env", {"cc", "-std=c99", "-Wall", "-Werror", "-I" + include, "-I" + dir.path(), "-include",
                                  dir.file("decls.h"), "-o", dir.file("call"), dir.file("glue.c"), dir.file("impl.c")});
  if (cc.exit_code == 127) GTEST_SKIP() << "no C compiler";
  ASSERT_EQ(cc.exit_code, 0) << cc.err;

  auto call = vtest::run(dir.file("call"), {});
  ASSERT_EQ(call.exit_code, 0) << call.err;
  EXPECT_EQ(call.out,
            "ints 21 4 7 8 9\n= 1 r=42\n"
            "reals 1.50 2.25 6.75\n= 2 r=-1.50\n"
            "texts zed abc qr\n= 3\n"
            "tail 3 0.5 100 101 102\n= 4\n"
            "none\n= 5\n"
            "= -1\n");
}

}  // namespace
