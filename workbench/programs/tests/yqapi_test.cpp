// The program library facade: reading and storing images in memory, digest
// texts, numbering and its limit, indentation and the colour listing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "language/keywords.h"
#include "programs_fixture.h"
#include "workbench/programs/progcontext.h"
#include "workbench/programs/progpswd.h"

namespace {

using progtest::compile_all;
using progtest::image_of;
using progtest::listing_of;
using progtest::ProgramsTest;

const std::vector<std::string> kSmall = {"! a small program", "DIM A$[20]", "A$=\"x\"",  "FOR I=1 TO 3",
                                         "PRINT I;A$",        "NEXT I",     "CALL S(2)", "END",
                                         "SUB S(N)",          "PRINT N*2",  "SUBEND"};

struct Facade : ProgramsTest {
  // The image of kSmall in a format, through a program read back from a
  // revision-0 image (a new program always stores revision 0).
  std::vector<uint8_t> small_image(int revision, const char* digest_text = nullptr) {
    YqApiProgram fresh;
    EXPECT_TRUE(fresh.NewProgram());
    compile_all(&fresh, kSmall);
    std::vector<uint8_t> rev0 = image_of(&fresh);
    YqApiProgram p;
    EXPECT_EQ(p.ReadHeader(rev0.data(), rev0.size()), 0);
    EXPECT_EQ(p.ReadSegments(), 0);
    p.SetFormat(revision);
    EXPECT_TRUE(p.SetPassword(digest_text));
    return image_of(&p);
  }
};

TEST_F(Facade, DigestTextsAndPasswords) {
  EXPECT_STREQ(yq__prog_digest_text("abc", 3), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(YqApi_PasswordDigest("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(YqApi_PasswordDigest(""), "d41d8cd98f00b204e9800998ecf8427e");

  std::vector<uint8_t> img = small_image(2, YqApi_PasswordDigest("abc").c_str());
  ASSERT_FALSE(img.empty());
  YqApiProgram p;
  ASSERT_EQ(p.ReadHeader(img.data(), img.size()), 0);
  EXPECT_TRUE(p.IsSecured());
  EXPECT_EQ(p.CheckPassword(nullptr), 0);
  EXPECT_EQ(p.CheckPassword("900150983CD24FB0D6963F7D28E17F72"), 0);  // upper case never opens
  EXPECT_EQ(p.CheckPassword(YqApi_PasswordDigest("abd").c_str()), 0);
  EXPECT_EQ(p.CheckPassword("900150983cd24fb0d6963f7d28e17f72"), 1);
  ASSERT_EQ(p.ReadSegments(), 0);
  EXPECT_NE(listing_of(p).find("\x1b\x09PRINT "), std::string::npos);  // opened: the code lists
  // Stored again, the password stays and the image is the same.
  EXPECT_EQ(image_of(&p), img);

  // A protected program read without its password lists PROTECTED.
  YqApiProgram locked;
  ASSERT_EQ(locked.ReadHeader(img.data(), img.size()), 0);
  ASSERT_EQ(locked.ReadSegments(), 0);
  YqApiIter it;
  ASSERT_TRUE(it.First(locked));
  ASSERT_TRUE(it.NextLine());
  EXPECT_EQ(locked.ListLine(it, 5), "* \x1b\x04PROTECTED\x1b\x01");

  // A file without a password opens with any text, also none.
  std::vector<uint8_t> open_img = small_image(2);
  YqApiProgram q;
  ASSERT_EQ(q.ReadHeader(open_img.data(), open_img.size()), 0);
  EXPECT_FALSE(q.IsSecured());
  EXPECT_EQ(q.CheckPassword(nullptr), 1);
}

TEST_F(Facade, APasswordTextThatIsNoDigestIsRefusedAndTheOldOneKept) {
  std::string abc = YqApi_PasswordDigest("abc");
  std::vector<uint8_t> img = small_image(2, abc.c_str());
  YqApiProgram p;
  ASSERT_EQ(p.ReadHeader(img.data(), img.size()), 0);
  ASSERT_EQ(p.CheckPassword(abc.c_str()), 1);
  ASSERT_EQ(p.ReadSegments(), 0);
  const char* bad[] = {"", "900150983cd24fb0d6963f7d28e17f7", "900150983cd24fb0d6963f7d28e17f7200",
                       "900150983cd24fb0d6963f7d28e17fzz", "not a digest at all, 32 chars!!!"};
  for (const char* text : bad) EXPECT_FALSE(p.SetPassword(text)) << text;
  EXPECT_EQ(image_of(&p), img);

  prog_options opt;
  yq__prog_init_options(&opt);
  EXPECT_EQ(yq__prog_set_password_text(&opt, "xyz"), -1);
  EXPECT_EQ(opt.password, 0);
  EXPECT_EQ(yq__prog_set_password_text(&opt, "900150983CD24FB0D6963F7D28E17F72"), 0);
  EXPECT_EQ(opt.password, 1);
  EXPECT_EQ(opt.digest[0], 0x90);
  EXPECT_EQ(opt.digest[15], 0x72);
  EXPECT_EQ(yq__prog_set_password_text(&opt, nullptr), 0);
  EXPECT_EQ(opt.password, 0);
}

TEST_F(Facade, ANewProgramStoresInTheDefaultFormat) {
  YqApiProgram p;
  ASSERT_TRUE(p.NewProgram());
  EXPECT_TRUE(p.Info() == nullptr);
  p.SetFormat(2);
  p.SetCharset(1);
  EXPECT_TRUE(p.SetPassword(YqApi_PasswordDigest("abc").c_str()));
  EXPECT_EQ(p.GetFormat(), 0);
  compile_all(&p, kSmall);
  std::vector<uint8_t> img = image_of(&p);
  ASSERT_FALSE(img.empty());
  YqApiProgram back;
  ASSERT_EQ(back.ReadHeader(img.data(), img.size()), 0);
  ASSERT_NE(back.Info(), nullptr);
  EXPECT_EQ(back.Info()->revision, 0);
  EXPECT_EQ(back.Info()->byte_order, 4321);
  EXPECT_EQ(back.Info()->charset, 0);
  EXPECT_FALSE(back.IsSecured());
  ASSERT_EQ(back.ReadSegments(), 0);
  EXPECT_EQ(listing_of(back), listing_of(p));
  EXPECT_TRUE(sink.boxes.empty());
}

TEST_F(Facade, EachRevisionReadsAndStoresBackTheSame) {
  for (int rev : {0, 1, 2}) {
    std::vector<uint8_t> img = small_image(rev);
    ASSERT_FALSE(img.empty()) << rev;
    YqApiProgram p;
    ASSERT_EQ(p.ReadHeader(img.data(), img.size()), 0) << rev;
    EXPECT_EQ(p.GetFormat(), rev);
    ASSERT_EQ(p.ReadSegments(), 0) << rev;
    EXPECT_EQ(image_of(&p), img) << rev;
  }
}

TEST_F(Facade, ABlockShorterOrLongerThanItsHeaderSays) {
  std::vector<uint8_t> img = small_image(2);
  ASSERT_GT(img.size(), 40u);
  // The file size of the file-info record ends the record's payload.
  std::vector<uint8_t> shorter(img.begin(), img.end() - 1);
  YqApiProgram p;
  EXPECT_EQ(p.ReadHeader(shorter.data(), shorter.size()), -1);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].text.rfind("Inconsistent program size\nFile progfile_read, Line ", 0), 0u)
      << sink.boxes[0].text;
  EXPECT_EQ(sink.boxes[0].style, SHELL_MB_OK | SHELL_MB_ICONSTOP);

  sink.boxes.clear();
  std::vector<uint8_t> longer = img;
  longer.insert(longer.end(), 16, 0xEE);
  ASSERT_EQ(p.ReadHeader(longer.data(), longer.size()), 0);
  ASSERT_EQ(sink.boxes.size(), 1u);
  EXPECT_EQ(sink.boxes[0].text.rfind("Program filesize exceeds logical size\nFile progfile_read, Line ", 0), 0u);
  EXPECT_EQ(sink.boxes[0].style, SHELL_MB_OK | SHELL_MB_ICONEXCLAMATION);
  ASSERT_EQ(p.ReadSegments(), 0);
  EXPECT_EQ(image_of(&p), img);
}

TEST_F(Facade, EveryTruncationFailsCleanlyAndDropsWhatWasRead) {
  std::string abc = YqApi_PasswordDigest("abc");
  for (int rev : {0, 1, 2}) {
    std::vector<uint8_t> img = small_image(rev, rev == 2 ? abc.c_str() : nullptr);
    ASSERT_FALSE(img.empty());
    for (size_t cut = 0; cut < img.size(); ++cut) {
      // A block of exactly the cut size, so a read past it shows under the
      // sanitizers.
      std::vector<uint8_t> part(img.begin(), img.begin() + static_cast<long>(cut));
      YqApiProgram p;
      int rc = p.ReadHeader(part.data(), part.size());
      if (rc == 0) {
        p.CheckPassword(abc.c_str());
        rc = p.ReadSegments();
      }
      EXPECT_EQ(rc, -1) << "revision " << rev << ", " << cut << " of " << img.size() << " bytes";
      EXPECT_TRUE(p.IsEmpty());
    }
  }
  EXPECT_FALSE(sink.boxes.empty());
  for (const progtest::Box& b : sink.boxes) EXPECT_EQ(b.style, SHELL_MB_OK | SHELL_MB_ICONSTOP) << b.text;
}

TEST_F(Facade, TheLineAfterNumber32767IsRefused) {
  YqApiProgram p;
  ASSERT_TRUE(p.NewProgram());
  // Segments of 4,000 lines keep every code area below its limit.
  std::string listed;
  for (unsigned n = 1; n <= 32767; ++n) {
    const char* text = n % 4000 == 0 ? "SUB Part" : "A=1";
    std::string sub;
    if (n % 4000 == 0) {
      sub = "SUB Part" + std::to_string(n);
      text = sub.c_str();
    }
    ASSERT_EQ(p.CompileLine(text, n == 32767 ? &listed : nullptr, nullptr), 1) << n << ": " << p.ErrorText();
  }
  EXPECT_EQ(listed,
            "\x1b\x0e"
            "A\x1b\x01\x1b\x0b=\x1b\x01\x1b\x0c"
            "1\x1b\x01");
  EXPECT_EQ(p.CurrentLine(), 32768u);
  EXPECT_EQ(p.CompileLine("A=2", nullptr, nullptr), -1);
  EXPECT_EQ(p.ErrorText(), "MAXIMUM NUMBER OF PROGRAM LINES EXCEEDED");
  YqApiIter it;
  ASSERT_TRUE(it.First(p));
  unsigned last = 0;
  size_t lines = 0;
  while (it.NextLine()) {
    last = it.LineNumber();
    ++lines;
  }
  EXPECT_EQ(lines, 32767u);
  EXPECT_EQ(last, 32767u);
  p.Reset();
  EXPECT_TRUE(p.IsEmpty());
  EXPECT_EQ(p.CurrentLine(), 1u);
}

// Indentation: the column of each line's keyword as the lister pads it.
TEST_F(Facade, IndentationFollowsTheBlocks) {
  YqApiProgram p;
  ASSERT_TRUE(p.NewProgram());
  YqApiIndent indent;
  indent.enabled = 1;
  indent.base = 1;
  indent.per_level = 3;
  p.SetIndentation(&indent);
  struct Case {
    const char* text;
    const char* listed;  // without the colour escapes
  } cases[] = {
      {"FOR I=1 TO 2", "FOR I=1 TO 2"},
      {"IF I=1 THEN", "   IF I=1 THEN "},
      {"PRINT I", "      PRINT I"},
      {"ELSE", "   ELSE"},
      {"PRINT 0", "      PRINT 0"},
      {"END IF", "   END IF"},
      {"SELECT I", "   SELECT I"},
      {"CASE 1", "   CASE 1"},
      {"PRINT 1", "      PRINT 1"},
      {"END SELECT", "   END SELECT"},
      {"! a comment", "! a comment"},
      {"NEXT I", "NEXT I"},
      {"NEXT I", "NEXT I"},  // never below level 0
      {"SUB S", "SUB S"},
      {"PRINT 2", "   PRINT 2"},
      {"SUBEND", "SUBEND"},
  };
  for (const Case& c : cases) {
    std::string listed;
    ASSERT_EQ(p.CompileLine(c.text, &listed, nullptr), 1) << c.text << ": " << p.ErrorText();
    std::string plain;
    for (size_t i = 0; i < listed.size(); ++i) {
      if (listed[i] == '\x1b') {
        ++i;
        continue;
      }
      plain += listed[i];
    }
    EXPECT_EQ(plain, c.listed) << c.text;
  }

  // A level whose column would pass 80 stands at column 80.
  indent.level = 0;
  indent.per_level = 30;
  for (int i = 0; i < 4; ++i) ASSERT_EQ(p.CompileLine("FOR J=1 TO 2", nullptr, nullptr), 1);
  std::string listed;
  int flags = 0;
  ASSERT_EQ(p.CompileLine("PRINT J", &listed, &flags), 1);
  EXPECT_EQ(listed.find_first_not_of(' '), 79u);
  EXPECT_EQ(flags & PK_FLAG_OPENS_BLOCK, 0);
  YqApiIter it;
  ASSERT_TRUE(it.First(p));
  ASSERT_TRUE(it.NextLine());
  EXPECT_TRUE(it.OpensBlock());
  EXPECT_FALSE(it.ClosesBlock());
}

TEST_F(Facade, ListedKeywordLinesStartWithTheKeywordColour) {
  YqApiProgram p;
  ASSERT_TRUE(p.NewProgram());
  std::string listed;
  int flags = 0;
  ASSERT_EQ(p.CompileLine("PRINT \"Hi\";FNA(2);X$", &listed, &flags), 1) << p.ErrorText();
  EXPECT_EQ(listed.rfind("\x1b\x09PRINT \x1b\x01", 0), 0u) << listed;
  EXPECT_NE(listed.find("\x1b\x0d\"Hi\"\x1b\x01"), std::string::npos) << listed;
  EXPECT_NE(listed.find("\x1b\x06"), std::string::npos) << listed;
  EXPECT_EQ(flags & 0x80, 0x80);
}

TEST_F(Facade, WrongStateCallsAreFailedChecks) {
  YqApiProgram p;
  EXPECT_THROW(p.IsSecured(), SysAssertError);
  EXPECT_THROW(p.CheckPassword("x"), SysAssertError);
  EXPECT_THROW(p.ReadSegments(), SysAssertError);
  EXPECT_THROW(p.Store(nullptr), SysAssertError);
  YqApiIter it;
  EXPECT_THROW(p.ListLine(it, 5), SysAssertError);
  EXPECT_THROW(it.KeywordFlags(), SysAssertError);
}

}  // namespace
