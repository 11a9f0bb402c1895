// Request encoding and response decoding of the dialog-server protocol,
// with hostile responses that must end as protocol errors.
#include "dialogs/formmorph/drvcodec.h"

#include "dialogs/formmorph/fmtrace.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "testsupport.h"

namespace {

using Bytes = std::vector<unsigned char>;

uint32_t word_at(const Bytes& frame, int index) { return drv_get_word(frame.data() + 4 + 4 * index); }

// The string area of a frame as text with NULs shown as '.'.
std::string area(const Bytes& frame) {
  std::string s;
  for (size_t i = 4 + DRV_FIXED_SIZE; i < frame.size(); ++i) s += frame[i] ? static_cast<char>(frame[i]) : '.';
  return s;
}

TEST(DrvCodec, NewRequestCarriesPathAndClassInTheStringArea) {
  DrvRequest q;
  q.code = DMDRV_NEW;
  q.path = "main.ok";
  q.name = "";  // an empty (or absent) string is one word of zeros
  Bytes frame;
  ASSERT_EQ(drv_hton(q, 1144, frame), 0);
  ASSERT_EQ(frame.size(), 4u + 88u + 8u + 4u);
  EXPECT_EQ(drv_get_word(frame.data()), frame.size());  // the length counts itself
  EXPECT_EQ(word_at(frame, 0), frame.size() - 4);
  EXPECT_EQ(word_at(frame, 1), 0u);
  EXPECT_EQ(word_at(frame, 2), 4u);
  EXPECT_EQ(word_at(frame, 3), 1u);
  EXPECT_EQ(word_at(frame, 4), 9u);
  for (int i = 5; i < DRV_FIXED_WORDS; ++i) EXPECT_EQ(word_at(frame, i), 0u) << i;
  EXPECT_EQ(area(frame), "main.ok.....");
}

TEST(DrvCodec, ValueKindsAreSwappedOnTheWire) {
  DrvRequest q;
  q.code = DMDRV_SET;
  q.path = "d.x";
  q.value.kind = DRV_TEXT;
  q.value.text = "abc";
  Bytes frame;
  ASSERT_EQ(drv_hton(q, 1144, frame), 0);
  EXPECT_EQ(word_at(frame, 4), static_cast<uint32_t>(DRV_WIRE_STRING));
  EXPECT_EQ(word_at(frame, 5), 5u);
  q.value.kind = DRV_INTEGER;
  q.value.number = -2;
  ASSERT_EQ(drv_hton(q, 1144, frame), 0);
  EXPECT_EQ(word_at(frame, 4), static_cast<uint32_t>(DRV_WIRE_INT));
  EXPECT_EQ(word_at(frame, 5), 0xfffffffeu);
}

TEST(DrvCodec, RuleArgumentsFillEightPairs) {
  DrvRequest q;
  q.code = DMDRV_RULE;
  q.name = "YqSaveDialog";
  q.argc = 1;
  q.args[0].kind = DRV_TEXT;
  q.args[0].text = "out.idm";
  Bytes frame;
  ASSERT_EQ(drv_hton(q, 1144, frame), 0);
  EXPECT_EQ(word_at(frame, 3), 1u);   // rule name
  EXPECT_EQ(word_at(frame, 4), 17u);  // empty path after "YqSaveDialog\0" and its padding
  EXPECT_EQ(word_at(frame, 5), 1u);   // argument count
  EXPECT_EQ(word_at(frame, 6), static_cast<uint32_t>(DRV_WIRE_STRING));
  EXPECT_EQ(word_at(frame, 7), 21u);
  for (int i = 8; i < DRV_FIXED_WORDS; ++i) EXPECT_EQ(word_at(frame, i), 0u) << i;
}

TEST(DrvCodec, RefusedRequestsAreNotEncoded) {
  FILE* trace = std::tmpfile();
  fm_set_trace_stream(trace);
  Bytes frame;
  DrvRequest bad_set;
  bad_set.code = DMDRV_SET;
  bad_set.value.kind = 3;
  EXPECT_EQ(drv_hton(bad_set, 1144, frame), DRV_ERR_PROTOCOL);
  DrvRequest bad_rule;
  bad_rule.code = DMDRV_RULE;
  bad_rule.argc = 2;
  bad_rule.args[1].kind = 7;
  EXPECT_EQ(drv_hton(bad_rule, 1144, frame), DRV_ERR_PROTOCOL);
  bad_rule.argc = 9;
  EXPECT_EQ(drv_hton(bad_rule, 1144, frame), DRV_ERR_PROTOCOL);
  DrvRequest unknown;
  unknown.code = 11;
  EXPECT_EQ(drv_hton(unknown, 1144, frame), DRV_ERR_PROTOCOL);

  DrvRequest big;
  big.code = DMDRV_SET;
  big.path = "d.t";
  big.value.kind = DRV_TEXT;
  // 4 + 88 + "d.t\0" + the text, its NUL and padding: 1,048 bytes of text
  // leave no room for the NUL.
  big.value.text = std::string(1048, 'x');
  EXPECT_EQ(drv_hton(big, 1144, frame), DRV_ERR_SIZE);
  big.value.text.pop_back();
  EXPECT_EQ(drv_hton(big, 1144, frame), 0);
  EXPECT_EQ(frame.size(), 1144u);

  fm_set_trace_stream(nullptr);
  std::rewind(trace);
  std::string text;
  for (int c; (c = std::fgetc(trace)) != EOF;) text += static_cast<char>(c);
  std::fclose(trace);
  // Each refusal names the number it refused.
  EXPECT_EQ(text,
            "formmorph: DMDRV_SET: bad type = 3\n"
            "formmorph: DMDRV_RULE: bad type = 7\n"
            "formmorph: DMDRV_RULE: bad argument count = 9\n"
            "formmorph: drv_hton: bad req = 11\n");
}

TEST(DrvCodec, FunctionCallsRefuseBadTypesInTheirOwnWords) {
  FILE* trace = std::tmpfile();
  fm_set_trace_stream(trace);
  DrvRequest q;
  q.code = DMDRV_FUNC;
  q.argc = 1;
  q.args[0].kind = -1;
  Bytes frame;
  EXPECT_EQ(drv_hton(q, 1144, frame), DRV_ERR_PROTOCOL);
  fm_set_trace_stream(nullptr);
  std::rewind(trace);
  char line[100] = {};
  ASSERT_NE(std::fgets(line, sizeof line, trace), nullptr);
  std::fclose(trace);
  EXPECT_STREQ(line, "formmorph: DMDRV_RUNC: bad type = -1\n");
}

// A response body: the fixed words, then `tail` as the string area.
Bytes response(std::vector<uint32_t> words, const std::string& tail = "") {
  words.resize(DRV_FIXED_WORDS, 0);
  Bytes body(DRV_FIXED_SIZE + tail.size(), 0);
  words[0] = static_cast<uint32_t>(body.size());
  for (int i = 0; i < DRV_FIXED_WORDS; ++i) drv_put_word(body.data() + 4 * i, words[static_cast<size_t>(i)]);
  std::memcpy(body.data() + DRV_FIXED_SIZE, tail.data(), tail.size());
  return body;
}

TEST(DrvCodec, ResponsesBringTheirValues) {
  DrvResponse r;
  Bytes get = response({0, 0, DMDRV_GET, 0, DRV_WIRE_STRING, 1}, std::string("text\0\0\0\0", 8));
  ASSERT_EQ(drv_ntoh(get.data(), get.size(), &r), 0);
  EXPECT_EQ(r.code, DMDRV_GET);
  EXPECT_EQ(r.value.kind, DRV_TEXT);
  EXPECT_EQ(r.value.text, "text");

  Bytes rule = response({0, 0, DMDRV_RULE, 3, DRV_WIRE_INT, 42});
  ASSERT_EQ(drv_ntoh(rule.data(), rule.size(), &r), 0);
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.value.kind, DRV_INTEGER);
  EXPECT_EQ(r.value.number, 42);

  Bytes done = response({0, 0, DMDRV_DO, 1, 2, 0});  // string word 0: empty
  ASSERT_EQ(drv_ntoh(done.data(), done.size(), &r), 0);
  EXPECT_EQ(r.second, 2);
  EXPECT_EQ(r.text, "");
}

struct Hostile {
  const char* what;
  Bytes body;
};

void PrintTo(const Hostile& h, std::ostream* os) { *os << h.what; }

class DrvCodecHostile : public ::testing::TestWithParam<Hostile> {};

TEST_P(DrvCodecHostile, IsAProtocolError) {
  const Bytes& body = GetParam().body;
  DrvResponse r;
  // A copy of exactly the body's size lets the sanitizers see any read past it.
  std::vector<unsigned char> exact(body);
  EXPECT_EQ(drv_ntoh(exact.data(), exact.size(), &r), DRV_ERR_PROTOCOL);
}

Bytes with_word0(Bytes b, uint32_t v) {
  drv_put_word(b.data(), v);
  return b;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DrvCodecHostile,
    ::testing::Values(
        Hostile{"shorter than the fixed part", Bytes(87, 0)},
        Hostile{"body length word differs", with_word0(response({0, 0, DMDRV_STATUS}), 92)},
        Hostile{"error word set", response({0, 5, DMDRV_STATUS})},
        Hostile{"unknown response code", response({0, 0, 99})},
        Hostile{"GET with value type 3", response({0, 0, DMDRV_GET, 0, 3})},
        Hostile{"RULE with value type 0x80", response({0, 0, DMDRV_RULE, 0, 0x80})},
        Hostile{"FUNC with value type 5", response({0, 0, DMDRV_FUNC, 0, 5})},
        Hostile{"string offset past the area", response({0, 0, DMDRV_RULE, 0, DRV_WIRE_STRING, 0x10000}, "abc")},
        Hostile{"string offset at the area's end", response({0, 0, DMDRV_GET, 0, DRV_WIRE_STRING, 5}, "abcd")},
        Hostile{"string without its NUL", response({0, 0, DMDRV_GET, 0, DRV_WIRE_STRING, 1}, "abcd")},
        Hostile{"string word 0xffffffff", response({0, 0, DMDRV_DO, 0, 0, 0xffffffffu}, "ab")}));

}  // namespace

namespace {

// The decoder's fuzzing seeds are responses as servers send them: each
// decodes, so the fuzzer starts from inside the format.
TEST(DrvCodec, EveryFuzzingSeedIsAResponse) {
  std::string folder = vtest::source_dir() + "/dialogs/formmorph/fuzz/seeds";
  std::vector<std::string> names = vtest::files_with_suffix(folder, "");
  ASSERT_GE(names.size(), 10u);
  for (const std::string& name : names) {
    if (name[0] == '.') continue;
    std::string bytes = vtest::read_file(folder + "/" + name);
    DrvResponse r;
    EXPECT_EQ(drv_ntoh(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &r), 0) << name;
  }
}

}  // namespace
