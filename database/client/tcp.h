// TCP helpers of the database protocol (also used by the dialog conversion
// tool): connect by host and service, send and receive whole byte ranges,
// close, the use-counted start-up of the socket layer and its error texts.
#pragma once

#include <cstddef>
#include <cstdint>

// A connected socket, or -1 (the cause is traced, category X).
int tcp_connect(const char* host, const char* service);
// Sends all n bytes; 0 or -1.
int tcp_send(int sock, const void* bytes, size_t n);
// The same; its hex-dump trace shows the `secret_length` bytes from
// `secret_offset` as "x" (a logon's enciphered password).
int tcp_send_masked(int sock, const void* bytes, size_t n, size_t secret_offset, size_t secret_length);
// Receives exactly n bytes; 0, 1 at end of stream, -1, or -2 when nothing
// came within the socket's receive time-out (the stream is then out of step).
int tcp_recv(int sock, void* bytes, size_t n);
// Receives at least `least` and at most `most` bytes, taking what the socket
// already holds in one call where it can: a whole reply usually arrives in one
// receive. The count is stored in *got; results as for tcp_recv.
int tcp_recv_some(int sock, void* bytes, size_t least, size_t most, size_t* got);
// While on, the hex-dump trace of received bytes shows their count only:
// the catalog calls switch it on around replies that carry password
// digests (user records). Returns the previous setting.
bool tcp_conceal_received(bool on);
// Milliseconds of a clock that never goes back: the base of deadlines.
int64_t tcp_now_ms();
// As tcp_recv_some and tcp_recv, but every wait also ends at `deadline_ms`
// (a tcp_now_ms() time; 0 for none), however the bytes trickle in: -2 then,
// with errno ETIMEDOUT.
int tcp_recv_some_until(int sock, void* bytes, size_t least, size_t most, size_t* got, int64_t deadline_ms);
int tcp_recv_until(int sock, void* bytes, size_t n, int64_t deadline_ms);
// How long a receive may wait for the next bytes: `seconds`, or 0 for as
// long as it takes. 0 or -1.
int tcp_set_recv_timeout(int sock, int seconds);
// 0 or -1; a socket of -1 is accepted silently.
int tcp_close(int sock);

// Use count of the socket layer: start-up takes one use, clean-up gives one
// back (force: all of them) and returns the remaining count.
int idb__winsock_startup();
int tcp_cleanup(int force);

// The error code of the last failed socket call, in the socket layer's
// numbering (10004 interrupted, 10054 reset, 10061 refused and so on).
int tcp_last_error();
// "[10061] Connection refused" and the like; "[%d] Message not found" for a
// code without a text. The text lives in a static buffer.
const char* tcp_error_text(int code);
