// Test helper: a file that this process cannot write, also when the tests
// run as root (whom the file's mode does not stop).
#pragma once

#include <string>

namespace vtest {

// Takes the write bits off `path`. When that does not stop this process
// (root), the file is bind-mounted read-only onto itself in a mount
// namespace of the calling thread alone, so nothing outside the test sees
// it. False when neither way makes the file read-only (root without the
// right to mount); the caller then skips its case.
bool make_read_only(const std::string& path);
// Ends what make_read_only did: the mount goes, the owner's write bit comes
// back.
void undo_read_only(const std::string& path);

}  // namespace vtest
