// Transactions of a session: a stack of levels, each with the undo of the
// catalog changes made inside it; begin, rollback, pre-commit and final
// commit; and the refusals that tests order with --refuse.
#include <cstdlib>

#include "server.h"

namespace dbserver {

namespace {

constexpr size_t kMaxLevels = 20;

enum : int32_t {
  ST_BAD_PARAMETER = -21,
  ST_ILLEGAL_MODE = -31,
  ST_NESTING = 32,
  ST_NO_TRANSACTION = 33,
  ST_OUT_OF_SYNC = 34,
};

bool parse_int(const std::string& text, long min, long max, long& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 0);
  if (*end || v < min || v > max) return false;
  out = v;
  return true;
}

}  // namespace

bool parse_refusal(const std::string& text, Refusal& out) {
  size_t slash = text.find('/');
  if (slash == std::string::npos) return false;
  size_t at = text.find('@', slash);
  size_t eq = text.find('=', slash);
  size_t op_end = std::min(at, eq);
  long cls = 0, op = 0, nth = 1, status = -1;
  if (!parse_int(text.substr(0, slash), 0, 0xffff, cls)) return false;
  if (!parse_int(text.substr(slash + 1, op_end == std::string::npos ? std::string::npos : op_end - slash - 1), 0,
                 0xffff, op))
    return false;
  if (at != std::string::npos &&
      !parse_int(text.substr(at + 1, eq == std::string::npos ? std::string::npos : eq - at - 1), 1, 1000000, nth))
    return false;
  if (eq != std::string::npos && !parse_int(text.substr(eq + 1), INT32_MIN, INT32_MAX, status)) return false;
  if (status == 0) return false;
  out.cls = static_cast<uint16_t>(cls);
  out.op = static_cast<uint16_t>(op);
  out.nth = static_cast<int>(nth);
  out.status = static_cast<int32_t>(status);
  return true;
}

bool State::refused(uint16_t cls, uint16_t op, int32_t* status) {
  bool refuse = false;
  for (Refusal& r : refusals) {
    if (r.cls != cls || r.op != op) continue;
    if (++r.seen == r.nth) {
      refuse = true;
      *status = r.status;
    }
  }
  return refuse;
}

void Session::refuse(uint16_t id, uint16_t cls, int32_t status) {
  state_.note(number_, "refused class %u with status %d", cls, status);
  if (cls == 3) {
    status_reply(id, status, 0, 0);
    return;
  }
  Writer body(big_);
  body.i32(status);
  body.str("request refused by the server");
  reply(id, body);
}

void Session::status_reply(uint16_t id, int32_t status, int32_t word1, int32_t word2) {
  Writer body(big_);
  body.u16(0x0007);  // words 0, 1 and 2
  int32_t words[10] = {status, word1, word2};
  for (int32_t w : words) body.i32(w);
  reply(id, body);
}

void Session::keep(Undo undo) {
  if (!levels_.empty()) levels_.back().undo.push_back(std::move(undo));
}

void Session::settle() {
  if (pending_.empty()) return;
  // A committed inner level's changes belong to the level around it now.
  if (!levels_.empty())
    for (Level& l : pending_)
      for (Undo& u : l.undo) levels_.back().undo.push_back(std::move(u));
  pending_.clear();
}

void Session::undo_to(size_t keep_levels) {
  while (levels_.size() > keep_levels) {
    Level& l = levels_.back();
    for (auto it = l.undo.rbegin(); it != l.undo.rend(); ++it) (*it)();
    levels_.pop_back();
  }
}

void Session::transaction(uint16_t id, uint16_t op, Reader& in) {
  int32_t status = 0;
  if (op == 15) {  // begin
    uint8_t mode = in.u8();
    uint8_t index = in.u8();
    uint32_t tx = in.u32();
    std::string comment = in.str();
    if (!in.ok() || in.remaining() != 0)
      status = ST_BAD_PARAMETER;
    else if (mode != 1)
      status = ST_ILLEGAL_MODE;
    else if (index != levels_.size())
      status = ST_OUT_OF_SYNC;
    else if (levels_.size() >= kMaxLevels)
      status = ST_NESTING;
    else
      levels_.push_back(Level{tx, {}});
    state_.note(number_, "begin level=%u id=%u comment=\"%s\" status=%d", index, tx, comment.c_str(), status);
    status_reply(id, status, static_cast<int32_t>(tx), static_cast<int32_t>(levels_.size()));
    return;
  }
  if (op == 16) {  // rollback
    uint8_t mode = in.u8();
    uint8_t open = in.u8();
    uint32_t tx = in.u32();
    // A rollback of the levels a pre-commit just closed takes them back.
    if (!pending_.empty() && open == levels_.size() + pending_.size()) {
      for (Level& l : pending_) levels_.push_back(std::move(l));
      pending_.clear();
    }
    settle();
    if (!in.ok() || in.remaining() != 0) {
      status = ST_BAD_PARAMETER;
    } else if (mode < 1 || mode > 3) {
      status = ST_ILLEGAL_MODE;
    } else if (levels_.empty()) {
      status = ST_NO_TRANSACTION;
    } else if (open != levels_.size()) {
      status = ST_OUT_OF_SYNC;
    } else if (mode == 1) {
      if (tx != levels_.back().id)
        status = ST_BAD_PARAMETER;
      else
        undo_to(levels_.size() - 1);
    } else if (mode == 2) {
      size_t found = levels_.size();
      for (size_t k = levels_.size(); k-- > 0;)
        if (levels_[k].id == tx) {
          found = k;
          break;
        }
      if (found == levels_.size())
        status = ST_BAD_PARAMETER;
      else
        undo_to(found);
    } else {
      undo_to(0);
    }
    state_.note(number_, "rollback mode=%u levels=%u id=%u status=%d", mode, open, tx, status);
    status_reply(id, status, 0, static_cast<int32_t>(levels_.size()));
    return;
  }
  if (op == 17) {  // pre-commit
    uint8_t mode = in.u8();
    uint8_t open = in.u8();
    if (!in.ok() || in.remaining() != 0) {
      status = ST_BAD_PARAMETER;
    } else if (mode != 1 && mode != 2 && mode != 12) {
      status = ST_ILLEGAL_MODE;
    } else if (levels_.empty()) {
      status = ST_NO_TRANSACTION;
    } else if (open != levels_.size()) {
      status = ST_OUT_OF_SYNC;
    } else if (mode == 12) {
      levels_.clear();  // committed at once
    } else {
      size_t keep_levels = mode == 1 ? levels_.size() - 1 : 0;
      pending_.assign(std::make_move_iterator(levels_.begin() + static_cast<long>(keep_levels)),
                      std::make_move_iterator(levels_.end()));
      levels_.resize(keep_levels);
    }
    state_.note(number_, "pre-commit mode=%u levels=%u status=%d", mode, open, status);
    status_reply(id, status, 0, static_cast<int32_t>(levels_.size()));
    return;
  }
  // final commit
  status = in.remaining() != 0 ? ST_BAD_PARAMETER : 0;
  state_.note(number_, "commit status=%d", status);
  status_reply(id, status, 0, static_cast<int32_t>(levels_.size()));
}

}  // namespace dbserver
