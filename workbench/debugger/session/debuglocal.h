// The run-time process of a local session and its two worker threads: the
// output reader (1,024-byte reads, lines posted as 0x71f) and the exit
// watcher (the exit line, then 0x71a). The threads only post through
// DebugHost::PostOutput and PostEnded.
//
// A run-time that is still alive when its session has ended gets SIGTERM
// after DEBUG_REAP_GRACE_MS, SIGKILL after as long again, and is reaped; a
// killed one reports exit code 128 + its signal.
#pragma once

#include <string>
#include <vector>

// Starts `executable` with `args` (args[0] included), the environment block
// (NAME=value words, each ended by a NUL, then a NUL) and the working
// directory (empty: ours). Its standard input is at end of file; output and
// error share one pipe, whose lines lose 0x80-0x9F as well with `drop_c1`.
// False after a box ([14] or [15]). Runs that have finished are dropped
// first.
bool DebugLocal_Start(const std::string& executable, const std::vector<std::string>& args,
                      const std::string& environment, const std::string& start_dir, bool drop_c1 = false);

// Drops the runs whose process and threads have finished; the number of
// runs left.
size_t DebugLocal_DropFinished();

// The session ended: the run-time, when still alive, is stopped as above.
void DebugLocal_SessionEnded();

// Whether the run-time of the session in progress has ended: the end
// message (0x71a) of an earlier session's run-time, arriving late, must
// not cancel the exchange of the session that followed.
bool DebugLocal_CurrentRunEnded();

// Waits up to `ms` for every run-time started so far to be reaped and its
// threads to end; true when they have. For the end of the process and tests.
bool DebugLocal_WaitAll(int ms);
