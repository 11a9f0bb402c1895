#include "workbench/server/srvcodec.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "workbench/base/sysassert.h"
#include "workbench/base/sysutil.h"

const char* const SRV_ITEM_SHORT = "16bit Integer";
const char* const SRV_ITEM_LONG = "32bit Integer";
const char* const SRV_ITEM_STRING = "String";
const char* const SRV_ITEM_OBJECT = "Object";

std::string Srv_ProtocolFailureText(const char* item, uint32_t offset) {
  char text[256];
  std::snprintf(text, sizeof text,
                "Client/Server Protocol Failure:\nUnable to decode server message.\nExpected: %s at offset %u\n", item,
                offset);
  return text;
}

// ------------------------------------------------------------ encoder

SrvEncoder::SrvEncoder() { Clear(); }

void SrvEncoder::Clear() {
  buf_.assign(4, 0);
  buf_.shrink_to_fit();
  container_at_ = 0;
  capacity_words_ = 0;
  failure_.clear();
  scratch_.clear();
  scratch_.shrink_to_fit();
}

uint8_t* SrvEncoder::refuse(size_t n, const std::string& why) {
  if (failure_.empty()) failure_ = why;
  scratch_.resize(std::max<size_t>(n, 1));
  return scratch_.data();
}

uint8_t* SrvEncoder::grow(size_t n) {
  size_t old = buf_.size();
  if (!failure_.empty()) return refuse(n, failure_);
  if (n > SRV_MESSAGE_MAX || old - 4 + n > SRV_MESSAGE_MAX) {
    char text[160];
    std::snprintf(text, sizeof text, "The request would be larger than %u bytes (%zu more after %zu).",
                  static_cast<unsigned>(SRV_MESSAGE_MAX), n, old - 4);
    return refuse(n, text);
  }
  size_t need_words = (old + n + 3) / 4;
  if (need_words > capacity_words_) {
    capacity_words_ = static_cast<uint32_t>(need_words + 256);
    // The buffer itself grows by doubling, so that a long message costs
    // linear time to build.
    if (buf_.capacity() < size_t{capacity_words_} * 4)
      buf_.reserve(std::max(size_t{capacity_words_} * 4, 2 * buf_.capacity()));
  }
  buf_.resize(old + n);
  return buf_.data() + old;
}

void SrvEncoder::PutByte(unsigned value) { *grow(1) = static_cast<uint8_t>(value); }

void SrvEncoder::PutShort(int value) { Srv_Put16(grow(2), static_cast<uint32_t>(value)); }

void SrvEncoder::PutLong(uint32_t value) { Srv_Put32(grow(4), value); }

void SrvEncoder::PutString(const char* text, bool convert) {
  SYS_ASSERT(text);
  size_t n = std::strlen(text);
  uint8_t* at;
  if (InContainer()) {
    at = grow(n);
  } else if (n >= 0xFFFF) {
    char why[160];
    std::snprintf(why, sizeof why, "A text of %zu bytes is longer than a request can carry (65534 bytes).", n);
    at = refuse(n + 3, why);
  } else {
    at = grow(n + 3);
    Srv_Put16(at, static_cast<uint32_t>(n + 1));
    at += 2;
    at[n] = 0;
  }
  std::memcpy(at, text, n);
  if (convert) Sys_ConvertCodepage(1, 0, at, n);
}

uint8_t* SrvEncoder::PutBlock(uint32_t n) {
  if (InContainer()) return grow(n);
  uint8_t* at = grow(size_t{n} + 5);
  Srv_Put32(at, n + 1);
  at[4 + n] = 0;
  return at + 4;
}

uint8_t* SrvEncoder::PutRaw(uint32_t n) { return grow(n); }

void SrvEncoder::BeginContainer() {
  SYS_ASSERT(!InContainer());
  grow(4);
  // After a failure the container stays open on paper only.
  container_at_ = Failed() ? buf_.size() : buf_.size() - 4;
}

void SrvEncoder::EndContainer() {
  SYS_ASSERT(InContainer());
  PutByte(0);
  size_t at = container_at_;
  if (!Failed()) Srv_Put32(buf_.data() + at, static_cast<uint32_t>(buf_.size() - at - 4));
  container_at_ = 0;
}

const uint8_t* SrvEncoder::Frame() {
  Srv_Put32(buf_.data(), Length());
  return buf_.data();
}

// ------------------------------------------------------------ decoder

void SrvDecoder::Assign(std::vector<uint8_t> payload) {
  data_ = std::move(payload);
  offset_ = 0;
  failed_ = nullptr;
}

void SrvDecoder::Clear() { Assign({}); }

bool SrvDecoder::GetByte(unsigned* value) {
  if (Remaining() < 1) return fail(SRV_ITEM_SHORT);
  *value = data_[offset_++];
  return true;
}

bool SrvDecoder::GetUShort(uint32_t* value) {
  if (Remaining() < 2) return fail(SRV_ITEM_SHORT);
  *value = Srv_Get16(data_.data() + offset_);
  offset_ += 2;
  return true;
}

bool SrvDecoder::GetShort(int32_t* value) {
  uint32_t u = 0;
  if (!GetUShort(&u)) return false;
  *value = static_cast<int16_t>(static_cast<uint16_t>(u));
  return true;
}

bool SrvDecoder::GetLong(uint32_t* value) {
  if (Remaining() < 4) return fail(SRV_ITEM_LONG);
  *value = Srv_Get32(data_.data() + offset_);
  offset_ += 4;
  return true;
}

bool SrvDecoder::GetString(const char** text, bool convert) {
  if (Remaining() < 2) return fail(SRV_ITEM_STRING);
  uint32_t n = Srv_Get16(data_.data() + offset_);
  if (n == 0 || n > Remaining() - 2) return fail(SRV_ITEM_STRING);
  uint8_t* at = data_.data() + offset_ + 2;
  if (at[n - 1] != 0) return fail(SRV_ITEM_STRING);
  if (convert) Sys_ConvertCodepage(0, 1, at, n - 1);
  *text = reinterpret_cast<const char*>(at);
  offset_ += 2 + n;
  return true;
}

bool SrvDecoder::GetObject(const uint8_t** data, uint32_t* size) {
  if (Remaining() < 4) return fail(SRV_ITEM_OBJECT);
  uint32_t n = Srv_Get32(data_.data() + offset_);
  if (n == 0 || n > Remaining() - 4) return fail(SRV_ITEM_OBJECT);
  const uint8_t* at = data_.data() + offset_ + 4;
  if (at[n - 1] != 0) return fail(SRV_ITEM_OBJECT);
  *data = at;
  *size = n - 1;
  offset_ += 4 + n;
  return true;
}

// ------------------------------------------------------------ frame reader

namespace {
// The payload buffer starts at most this large and doubles as bytes come.
const size_t kFirstPiece = 64 * 1024;
}  // namespace

void SrvFrameReader::Reset(uint32_t limit, bool discard) {
  limit_ = limit;
  discard_ = discard;
  too_large_ = false;
  header_got_ = 0;
  length_ = 0;
  got_ = 0;
  payload_.clear();
  payload_.shrink_to_fit();
}

uint8_t* SrvFrameReader::Room(size_t* room) {
  if (header_got_ < 4) {
    *room = 4 - header_got_;
    return header_ + header_got_;
  }
  size_t left = length_ - got_;
  const size_t chunk = SRV_IO_CHUNK;
  *room = left < chunk ? left : chunk;
  if (discard_) {
    if (scratch_.size() < SRV_IO_CHUNK) scratch_.resize(SRV_IO_CHUNK);
    return scratch_.data();
  }
  // The buffer grows with what has come, not with what was announced.
  size_t need = got_ + *room;
  if (payload_.size() < need) {
    size_t grown = std::max(need, payload_.size() * 2);
    try {
      payload_.resize(std::min<size_t>(grown, length_));
    } catch (const std::bad_alloc&) {
      *room = 0;
      return nullptr;
    }
  }
  return payload_.data() + got_;
}

SrvFrameReader::Status SrvFrameReader::Took(size_t n) {
  if (header_got_ < 4) {
    header_got_ += static_cast<uint32_t>(n);
    if (header_got_ < 4) return MORE;
    length_ = Srv_Get32(header_);
    if (length_ > limit_) {
      too_large_ = true;
      return TOO_LARGE;
    }
    if (!discard_) {
      try {
        payload_.resize(std::min<size_t>(length_, kFirstPiece));
      } catch (const std::bad_alloc&) {
        return NO_MEMORY;
      }
    }
  } else {
    got_ += static_cast<uint32_t>(n);
  }
  return got_ == length_ ? DONE : MORE;
}

std::vector<uint8_t> SrvFrameReader::Take() {
  std::vector<uint8_t> out = std::move(payload_);
  payload_.clear();
  return out;
}
