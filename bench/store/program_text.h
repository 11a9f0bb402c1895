// The maximal program of the benchmarks: 32,767 numbered lines over many
// segments (a main program, then subprograms and multi-line functions of a
// few hundred lines each), with a realistic mix of statements and names.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace bench_program {

constexpr int kMaxLines = 32767;
constexpr int kSegmentLines = 400;  // lines of one subprogram or function
constexpr int kMainLines = 1000;    // lines of the main program
constexpr int kNames = 60;          // variable names in use per subprogram
constexpr int kMainNames = 900;     // ... and in the main program

// A variable name of the segment: an upper-case letter and lower-case
// letters and digits, as the space-independent spelling wants them. The
// first 1164 names of a segment are all different.
inline std::string name(int segment, int i) {
  static const char* const stems[] = {"Amount", "Total", "Count", "Rate",  "Price", "Qty",
                                      "Sum",    "Item",  "Level", "Index", "Limit", "Code"};
  char buf[32];
  std::snprintf(buf, sizeof buf, "%s%d", stems[i % 12], (segment * 7 + i) % 97);
  return buf;
}

// One statement of the mix; `k` picks the kind and the names.
inline std::string statement(int segment, int k, int line, bool labels) {
  char ref[16];
  std::snprintf(ref, sizeof ref, "%d", line);
  const char* target = labels ? "Top" : ref;
  int names = segment == 0 ? kMainNames : kNames;
  std::string a = name(segment, k % names);
  std::string b = name(segment, (k * 7 + 3) % names);
  std::string c = name(segment, (k * 13 + 5) % names);
  char buf[256];
  switch (k % 16) {
    case 0: std::snprintf(buf, sizeof buf, "%s=%s+%s*2-(%s/3)", a.c_str(), b.c_str(), c.c_str(), a.c_str()); break;
    case 1:
      std::snprintf(buf, sizeof buf, "IF %s>%s AND %s<>0 THEN %s", a.c_str(), b.c_str(), c.c_str(), target);
      break;
    case 2:
      std::snprintf(buf, sizeof buf, "PRINT \"%s=\";%s,%s;TAB(20);%s", a.c_str(), a.c_str(), b.c_str(), c.c_str());
      break;
    case 3:
      std::snprintf(buf, sizeof buf, "Text$=Text$[1,10]&CHR$(65+%s MOD 26)&VAL$(%s)", a.c_str(), b.c_str());
      break;
    case 4: std::snprintf(buf, sizeof buf, "FOR I=1 TO %s STEP 2", a.c_str()); break;
    case 5: std::snprintf(buf, sizeof buf, "  Table(I)=Table(I-1)+ABS(%s)-INT(%s)", b.c_str(), c.c_str()); break;
    case 6: std::snprintf(buf, sizeof buf, "NEXT I"); break;
    case 7:
      std::snprintf(buf, sizeof buf, "%s=MAX(%s,%s,0)+LEN(Text$)+POS(Text$,\"x\")", a.c_str(), b.c_str(), c.c_str());
      break;
    case 8: std::snprintf(buf, sizeof buf, "IF %s=0 THEN %s=%s+1", a.c_str(), b.c_str(), b.c_str()); break;
    case 9: std::snprintf(buf, sizeof buf, "DISP USING \"5D.DD,2X,10A\";%s,Text$", a.c_str()); break;
    case 10: std::snprintf(buf, sizeof buf, "ON %s GOSUB %s,%s", a.c_str(), target, target); break;
    case 11: std::snprintf(buf, sizeof buf, "READ #1,%s;%s,Text$", b.c_str(), a.c_str()); break;
    case 12: std::snprintf(buf, sizeof buf, "! step %d of the computation", k); break;
    case 13: std::snprintf(buf, sizeof buf, "%s=%s*1.075+%d.25 ! rounded later", a.c_str(), b.c_str(), k % 100); break;
    case 14: std::snprintf(buf, sizeof buf, "Grid(%s,%s)=Grid(%s,1)^2", a.c_str(), b.c_str(), c.c_str()); break;
    default: std::snprintf(buf, sizeof buf, "DATA %d,\"item %d\",%d.5", k, k, k); break;
  }
  return buf;
}

// The source text: `lines` numbered lines, 1, 2, 3, ... With `labels`,
// references to other lines name the label Top instead of a line number (as
// the environment wants them).
inline std::vector<std::string> generate(int lines, bool labels = false) {
  std::vector<std::string> out;
  out.reserve(static_cast<size_t>(lines));
  int segment = 0;
  int in_segment = 0;
  int limit = kMainLines;
  for (int n = 1; n <= lines; ++n) {
    std::string text;
    bool last = n == lines || in_segment + 1 == limit;
    if (in_segment == 0) {
      if (segment == 0) {
        text = "DIM Text$[80],Table(100),Grid(20,20)";
      } else if (segment % 4 == 0) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "DEF FNCalc%d(X,Y)", segment);
        text = buf;
      } else {
        char buf[64];
        std::snprintf(buf, sizeof buf, "SUB Part%d(Table(*),Text$,N)", segment);
        text = buf;
      }
    } else if (in_segment == 1 && segment > 0) {
      text = "INTEGER I,K(N),Grid(N,N)";
    } else if (last) {
      text = segment == 0 ? "END" : segment % 4 == 0 ? "FNEND" : "SUBEND";
    } else if (segment == 0 && in_segment % 50 == 0) {
      char buf[64];
      std::snprintf(buf, sizeof buf, "CALL Part%d(Table(*),Text$,%d)", (in_segment / 50) * 2 + 1, in_segment);
      text = buf;
    } else if (segment % 4 == 0 && in_segment % 40 == 0) {
      text = "RETURN X+Y";
    } else {
      text = statement(segment, n * 5 + segment * 3, n, labels);
    }
    out.push_back(std::to_string(n) + " " + text);
    if (last) {
      ++segment;
      in_segment = 0;
      limit = kSegmentLines;
    } else {
      ++in_segment;
    }
  }
  return out;
}

// ---- the same program in Lua ------------------------------------------------
// For a side-by-side comparison with a Lua compiler: the same number of lines
// and the same statement mix, each statement of the BASIC text written as Lua
// says it (a FOR as "for ... do" and its NEXT as "end", a jump as a goto to
// the label at the top of the function, PRINT, DISP, READ and DATA as calls),
// with the same names. Lua wants its loops closed: a NEXT without a FOR
// before it becomes an assignment, and loops still open at the end of a
// function are closed on its last line.

// One statement of the mix in Lua; `open_loops` counts the open "for"s.
inline std::string lua_statement(int segment, int k, int line, int* open_loops) {
  int names = segment == 0 ? kMainNames : kNames;
  std::string a = name(segment, k % names);
  std::string b = name(segment, (k * 7 + 3) % names);
  std::string c = name(segment, (k * 13 + 5) % names);
  char buf[256];
  switch (k % 16) {
    case 0:
      std::snprintf(buf, sizeof buf, "%s = %s + %s * 2 - (%s / 3)", a.c_str(), b.c_str(), c.c_str(), a.c_str());
      break;
    case 1:
      std::snprintf(buf, sizeof buf, "if %s > %s and %s ~= 0 then goto top end", a.c_str(), b.c_str(), c.c_str());
      break;
    case 2:
      std::snprintf(buf, sizeof buf, "print(\"%s=\", %s, %s, tab(20), %s)", a.c_str(), a.c_str(), b.c_str(), c.c_str());
      break;
    case 3:
      std::snprintf(buf, sizeof buf, "Text = Text:sub(1, 10) .. string.char(65 + %s %% 26) .. tostring(%s)", a.c_str(),
                    b.c_str());
      break;
    case 4:
      std::snprintf(buf, sizeof buf, "for I = 1, %s, 2 do", a.c_str());
      ++*open_loops;
      break;
    case 5:
      std::snprintf(buf, sizeof buf, "  Table[I] = Table[I - 1] + math.abs(%s) - math.floor(%s)", b.c_str(), c.c_str());
      break;
    case 6:
      if (*open_loops > 0) {
        std::snprintf(buf, sizeof buf, "end");
        --*open_loops;
      } else {
        std::snprintf(buf, sizeof buf, "I = I + 2");
      }
      break;
    case 7:
      std::snprintf(buf, sizeof buf, "%s = math.max(%s, %s, 0) + #Text + (Text:find(\"x\") or 0)", a.c_str(), b.c_str(),
                    c.c_str());
      break;
    case 8: std::snprintf(buf, sizeof buf, "if %s == 0 then %s = %s + 1 end", a.c_str(), b.c_str(), b.c_str()); break;
    case 9: std::snprintf(buf, sizeof buf, "disp(string.format(\"%%5.2f  %%10s\", %s, Text))", a.c_str()); break;
    case 10: std::snprintf(buf, sizeof buf, "on_gosub(%s, %d, %d)", a.c_str(), line, line); break;
    case 11: std::snprintf(buf, sizeof buf, "%s, Text = read(1, %s)", a.c_str(), b.c_str()); break;
    case 12: std::snprintf(buf, sizeof buf, "-- step %d of the computation", k); break;
    case 13:
      std::snprintf(buf, sizeof buf, "%s = %s * 1.075 + %d.25 -- rounded later", a.c_str(), b.c_str(), k % 100);
      break;
    case 14: std::snprintf(buf, sizeof buf, "Grid[%s][%s] = Grid[%s][1] ^ 2", a.c_str(), b.c_str(), c.c_str()); break;
    default: std::snprintf(buf, sizeof buf, "data(%d, \"item %d\", %d.5)", k, k, k); break;
  }
  return buf;
}

// The Lua text of generate(lines): line n of it stands for line n there.
inline std::vector<std::string> lua_generate(int lines) {
  std::vector<std::string> out;
  out.reserve(static_cast<size_t>(lines));
  int segment = 0;
  int in_segment = 0;
  int limit = kMainLines;
  int open_loops = 0;
  for (int n = 1; n <= lines; ++n) {
    std::string text;
    bool last = n == lines || in_segment + 1 == limit;
    char buf[64];
    if (in_segment == 0) {
      if (segment == 0) {
        text = "::top:: Text, Table, Grid = \"\", {}, {}";
      } else if (segment % 4 == 0) {
        std::snprintf(buf, sizeof buf, "function FNCalc%d(X, Y) ::top::", segment);
        text = buf;
      } else {
        std::snprintf(buf, sizeof buf, "function Part%d(Table, Text, N) ::top::", segment);
        text = buf;
      }
    } else if (in_segment == 1 && segment > 0) {
      text = "local I, K, Grid = 0, {}, {}";
    } else if (last) {
      for (; open_loops > 0; --open_loops) text += "end ";
      text += segment == 0 ? "os.exit(0)" : segment % 4 == 0 ? "return X" : "end";
      if (segment % 4 == 0 && segment > 0) text += " end";
    } else if (segment == 0 && in_segment % 50 == 0) {
      std::snprintf(buf, sizeof buf, "Part%d(Table, Text, %d)", (in_segment / 50) * 2 + 1, in_segment);
      text = buf;
    } else if (segment % 4 == 0 && in_segment % 40 == 0) {
      text = "do return X + Y end";
    } else {
      text = lua_statement(segment, n * 5 + segment * 3, n, &open_loops);
    }
    out.push_back(text);
    if (last) {
      ++segment;
      in_segment = 0;
      limit = kSegmentLines;
      open_loops = 0;
    } else {
      ++in_segment;
    }
  }
  return out;
}

}  // namespace bench_program
