// Small POSIX socket helpers of the environment's server link: error texts
// in the link's "error %d: " form, whole sends that never raise SIGPIPE,
// and the socket options the link switches.
#pragma once

#include <cstddef>
#include <string>

// "error %d: " and the system's text for the errno value (Linux numbers).
std::string Net_ErrorText(int err);

// Sends n bytes in pieces of at most `chunk` bytes, blocking, without
// SIGPIPE (a peer gone is an EPIPE failure). 0, or the errno of the failed
// piece; *sent holds the bytes that went out.
int Net_SendAll(int fd, const void* data, size_t n, size_t chunk, size_t* sent);

// Receives at most n bytes without blocking: the count, 0 when the peer
// closed, -1 with errno (EAGAIN when nothing is there yet).
long Net_RecvSome(int fd, void* data, size_t n);

// Waits until fd is readable or `timeout_ms` passes: 1 readable, 0 time
// out, -1 with errno.
int Net_WaitReadable(int fd, int timeout_ms);

// 0 or errno.
int Net_SetNoDelay(int fd);
int Net_SetLinger(int fd, bool on, int seconds);
// The bytes that can be read at once (FIONREAD); 0 or errno.
int Net_Readable(int fd, int* count);
