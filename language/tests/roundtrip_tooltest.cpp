// store and list as inverses: a program in the lister's own form lists back
// unchanged, and every sample program reaches a fixed point after one pass:
// listing the stored listing gives the same text, and storing that text again
// gives a byte-identical program file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "testsupport.h"

namespace {

using vtest::run;
using vtest::RunResult;

struct RoundTrip : ::testing::Test {
  vtest::TempDir dir;

  // Stores text as dir/name.PROG; false (with a failure) when store fails.
  bool store(const std::string& name, const std::string& source_path, bool space_dependent = false) {
    std::vector<std::string> args;
    if (space_dependent) args.push_back("-s");
    args.insert(args.end(), {"-o", dir.file(name), source_path});
    RunResult r = run("store", args);
    EXPECT_EQ(r.exit_code, 0) << name << ":\n" << r.err;
    return r.exit_code == 0;
  }
  std::string list(const std::string& name) {
    RunResult r = run("list", {dir.file(name)});
    EXPECT_EQ(r.exit_code, 0) << name << ":\n" << r.err;
    return r.out;
  }
};

// Lines as the lister writes them: numbered, upper-case keywords, its own
// spacing, parentheses only where the stored operations need them (string
// concatenation groups to the right, so a chain of it shows its grouping).
const char kCanonical[] =
    "10 ! Canonical text\n"
    "20 DIM A(10),B$[20],M(2,-1:3)\n"
    "30 INTEGER K,L(5)\n"
    "40 COM X,Y$\n"
    "50 B$=\"HELLO\"&(CHR$(0)&\"X\")\n"
    "60 FOR I=1 TO 10 STEP 2\n"
    "70   A(I)=-(I+1)^2*3-(K-L(1))\n"
    "80 NEXT I\n"
    "90 IF (A(1)=4) AND (K<>0) THEN PRINT A(1);B$[1,3],K\n"
    "100 IF X>Y THEN 60\n"
    "110 ON K GOTO 60,80,100\n"
    "120 GOSUB 200\n"
    "130 PRINT USING 210;X,Y$\n"
    "140 DISP TAB(5);\"A\";SPA(2)\n"
    "150 SELECT K\n"
    "160 CASE <0,1 TO 3,>9\n"
    "170 CASE ELSE\n"
    "180 END SELECT\n"
    "190 STOP\n"
    "200 X=MAX(X,Y,1.5)+ABS(-X)+LEN(Y$)+POS(Y$,\"A\")\n"
    "210 IMAGE 5D.DD,2X,10A\n"
    "220 DATA 1,\"TWO\",3\n"
    "230 REM the end\n"
    "240 END\n"
    "250 SUB Show(REAL V,W$,Z(*))\n"
    "260   PRINT V;W$         ! indented comment\n"
    "270 SUBEND\n";

TEST_F(RoundTrip, CanonicalTextListsBackUnchanged) {
  vtest::write_file(dir.file("canon.txt"), kCanonical);
  ASSERT_TRUE(store("canon", dir.file("canon.txt")));
  EXPECT_EQ(list("canon"), kCanonical);
}

// Functions and subprograms with STRUCT parameters, single-line and
// multi-line, list back as written and store again to the same program.
const char kStructParameters[] =
    "10 DEF FNH(STRUCT P)=P.A+1\n"
    "20 DEF FNS$(STRUCT P,A$)=P.N$&A$\n"
    "30 DEF FNK(STRUCT P,STRUCT Q,X)=P.A(X)*Q.B+FNH(STRUCT P)\n"
    "40 DEF FNM(X,STRUCT P)\n"
    "50   RETURN P.A*X\n"
    "60 FNEND\n"
    "70 SUB Sb(STRUCT P,Q AS T,X)\n"
    "80 SUBEND\n";

TEST_F(RoundTrip, StructureParametersListBackAndStoreAlike) {
  vtest::write_file(dir.file("s.txt"), kStructParameters);
  ASSERT_TRUE(store("s", dir.file("s.txt")));
  std::string listed = list("s");
  EXPECT_EQ(listed, kStructParameters);
  vtest::write_file(dir.file("s2.txt"), listed);
  ASSERT_TRUE(store("s2", dir.file("s2.txt")));
  EXPECT_EQ(vtest::read_file(dir.file("s2.PROG")), vtest::read_file(dir.file("s.PROG")));
}

// A MAT redimension and the arguments of DLG CALL start their own count of
// operations: expressions with several operations there list back as written.
const char kRestartedOperations[] =
    "10 MAT READ Y(1:X*2),N(3+X*Y)\n"
    "20 MAT INPUT Lab(-(T IS A T))\n"
    "30 DLG CALL FUNCTION \"f\"(DBEXPLAIN$(N.N(*)),X+Y*2),Sb;Lab.N\n"
    "40 DLG CALL FUNCTION Name$&\"x\"(-X)\n";

TEST_F(RoundTrip, OperationsAfterRedimensionAndCallArgumentsListBack) {
  vtest::write_file(dir.file("o.txt"), kRestartedOperations);
  ASSERT_TRUE(store("o", dir.file("o.txt")));
  std::string listed = list("o");
  EXPECT_EQ(listed, kRestartedOperations);
  vtest::write_file(dir.file("o2.txt"), listed);
  ASSERT_TRUE(store("o2", dir.file("o2.txt")));
  EXPECT_EQ(vtest::read_file(dir.file("o2.PROG")), vtest::read_file(dir.file("o.PROG")));
}

// Forms whose listing must carry what the stored operations need to read back
// alike: an item linked inside a thread list and the first item after USE of
// IN DATA SET (their operations count on from the expression before LINK or
// USE), a DLG CALL name that would otherwise read as a
// subscripted string or not at all, and concatenations grouped either way.
const char kListedAsStored[] =
    "10 WORKFILE IS #1;THREAD IS A$ LINK T.A(1),\"Z\"\n"
    "20 WORKFILE IS #1;THREAD IS \"X\" LINK B(I+1),C$ LINK T.N$,\"Y\"\n"
    "30 DLG CALL FUNCTION (A$)(X)\n"
    "40 DLG CALL METHOD O$,(DATE$)(X+1,Y$)\n"
    "50 DLG CALL FUNCTION (\"f\"&A$)(X),Y;Z\n"
    "60 DLG CALL FUNCTION A$&\"f\"(X)\n"
    "70 C$=(A$&B$)&C$\n"
    "80 C$=A$&(B$&C$)\n"
    "90 C$=((A$&B$)&C$)&(D$&E$)\n"
    "100 IN DATA SET A$&B$ USE X(I+1),Y\n"
    "110 IN DATA SET N+1 IN COM USE Key$(J-1)\n"
    "120 IN DATA SET N*2 IN COM DIM ALL\n";

TEST_F(RoundTrip, LinkedItemsCallNamesAndConcatenationsListAsStored) {
  vtest::write_file(dir.file("f.txt"), kListedAsStored);
  ASSERT_TRUE(store("f", dir.file("f.txt")));
  std::string listed = list("f");
  EXPECT_EQ(listed, kListedAsStored);
  vtest::write_file(dir.file("f2.txt"), listed);
  ASSERT_TRUE(store("f2", dir.file("f2.txt")));
  EXPECT_EQ(vtest::read_file(dir.file("f2.PROG")), vtest::read_file(dir.file("f.PROG")));
}

// The sample programs written in the default spelling (each "-sd" file is the
// same program in the space-dependent spelling).
std::vector<std::string> sample_programs() {
  // The space-dependent twins ("-sd.txt") are checked beside their originals.
  std::vector<std::string> names;
  for (const std::string& n : vtest::files_with_suffix(vtest::source_dir() + "/examples/programs", ".txt"))
    if (n.size() < 7 || n.compare(n.size() - 7, 7, "-sd.txt") != 0) names.push_back(n.substr(0, n.size() - 4));
  return names;
}

struct SampleRoundTrip : RoundTrip, ::testing::WithParamInterface<std::string> {};

TEST_P(SampleRoundTrip, IsAFixedPointAfterOnePass) {
  const std::string base = GetParam();
  const std::string folder = vtest::source_dir() + "/examples/programs/";
  ASSERT_TRUE(store("p0", folder + base + ".txt"));
  std::string first = list("p0");
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first.find("* ERROR"), std::string::npos) << first;
  EXPECT_EQ(first.find("* MISSING"), std::string::npos) << first;

  vtest::write_file(dir.file("l1.txt"), first);
  ASSERT_TRUE(store("p1", dir.file("l1.txt")));
  std::string second = list("p1");
  EXPECT_EQ(second, first);

  vtest::write_file(dir.file("l2.txt"), second);
  ASSERT_TRUE(store("p2", dir.file("l2.txt")));
  EXPECT_EQ(vtest::read_file(dir.file("p2.PROG")), vtest::read_file(dir.file("p1.PROG")));

  // The same program in the space-dependent spelling lists the same.
  if (vtest::file_exists(folder + base + "-sd.txt")) {
    ASSERT_TRUE(store("sd", folder + base + "-sd.txt", true));
    EXPECT_EQ(list("sd"), first);
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, SampleRoundTrip, ::testing::ValuesIn(sample_programs()),
                         [](const ::testing::TestParamInfo<std::string>& param_info) {
                           std::string n = param_info.param;
                           for (char& c : n)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return n;
                         });

}  // namespace
