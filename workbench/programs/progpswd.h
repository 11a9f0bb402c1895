// Program passwords as digest texts: the MD5 digest of a password written as
// 32 lower-case hexadecimal digits, two per byte. Inside the environment a
// password travels only in this form (the profile's "PswdMD5" values hold the
// same text); these calls turn it into the digests of the program file reader
// and writer.
#pragma once

#include <cstddef>

#include "language/progfile.h"

enum { PROG_DIGEST_TEXT_SIZE = 2 * PROG_DIGEST_SIZE };

// The digest text of a password's bytes, in a buffer of 33 bytes (with the
// NUL) that the next call overwrites.
const char* yq__prog_digest_text(const char* password, size_t length);

// Checks a digest text against the program a reader has opened: 1 when the
// program has no password (verified is cleared) or the text equals the
// stored digest written as a digest text (verified is set), else 0. Only
// lower-case digits match; a null text gives 0 on a protected program.
int yq__prog_check_password_text(prog_reader* rd, const char* digest_text);

// Sets the password of store options from a digest text; null clears it.
// A text that is not exactly 32 hexadecimal digits is refused with -1 and
// the options keep their password; 0 otherwise.
int yq__prog_set_password_text(prog_options* opt, const char* digest_text);

// The 16 digest bytes of a text of exactly 32 hexadecimal digits (either
// case); false for any other text.
bool prog_parse_digest_text(const char* text, uint8_t* digest);
