// The listening side of TCP for the conversion tool's reverse connection
// (the client side is database/client/tcp.h). Failures are traced (category
// 'N') with the socket layer's "[%d] %s" texts and return -1.
#pragma once

// A listening socket on `service`: a decimal port ("0" is refused), a
// service name, or any free port when `service` is null or empty. When the
// port is in use, the next one is tried, up to `retries` more times (only
// for a given port). With `loopback_only` the socket is bound to 127.0.0.1,
// else to every address. Backlog 5.
int tcp_listen(const char* service, int retries, bool loopback_only);

// Waits at most `timeout_ms` (a negative value: without end) for one
// connection and accepts it, with SO_REUSEADDR and TCP_NODELAY set on it.
// -1 on failure or time-out.
int tcp_accept(int listener, int timeout_ms);

// The local port of a socket, or -1.
int tcp_port(int sock);

// 1 when the socket can be read without waiting, 0 when not, -1 on failure.
int tcp_poll(int sock);
