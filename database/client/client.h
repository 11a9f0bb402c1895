// The client-wide state of the database client library and its connections
// to database servers: start and end, the code-set control, the remembered
// logon, the server table with reference counts, the greeting and the logon.
#pragma once

#include <cstddef>
#include <cstdint>

#include "database/client/buffer.h"
#include "database/client/status.h"

// Size of the preset block shared by requests and replies.
enum { IDB_STORAGE_SIZE = 32768 };
// Open transaction levels.
enum { IDB_MAX_TX_LEVELS = 20 };
// Longest logon challenge the key derivation takes.
enum { IDB_MAX_CHALLENGE = 64 };
// Bytes of a connection's receive-ahead area: a reply up to this size (its
// length word included) is usually taken in one receive.
enum { IDB_INBOX_SIZE = 8192 };
// Frame limit of the greeting reply.
enum { IDB_GREETING_LIMIT = 256 };
// The greeting and the logon, which a live server answers at once, wait at
// most this many seconds for their reply; the environment variable
// VARNICA_DB_ANSWER_TIMEOUT (whole seconds, 1 to 3600) replaces the number.
// A server that stays silent, or stops inside a reply, then ends the attach
// with the connection failure (S_REMOTE -2, "Unable to connect server").
// Every other call waits as long as the server works on it before its reply
// begins (TCP keep-alive finds a server that is gone), but a frame that has
// begun must be whole within the same limit from its first bytes.
enum { IDB_ANSWER_TIMEOUT_SECONDS = 30 };
#define IDB_ENV_ANSWER_TIMEOUT "VARNICA_DB_ANSWER_TIMEOUT"
int idb__answer_timeout_seconds();
// Notice frames a server may send before the reply to one request; more end
// the connection ("server sent more than 1000 notices for one request").
enum { IDB_MAX_NOTICES = 1000 };
// max_bufsz when the server announces 0, and the most any server may announce.
enum : uint32_t { IDB_DEFAULT_MAX_BUFSZ = 1048576u, IDB_MAX_BUFSZ_CAP = 16777216u };

// Capability bits of the greeting reply.
enum : uint32_t {
  CAP_TRANSACTIONS = 0x02,
  CAP_CATALOG = 0x04,
  CAP_LOGON = 0x08,
  CAP_MANAGEMENT = 0x20,
};

// Code-set ids.
enum { CP_ROMAN8 = 0, CP_ISO88591 = 1 };

// idb_ctl commands.
enum { ISRVKNOB_DCSETID = 1, ISRVKNOB_SCSETID = 2, ISRVKNOB_GCSETID = 3 };

// Request classes.
enum { IDB_CLASS_DATABASE = 3, IDB_CLASS_CATALOG = 4, IDB_CLASS_MGMT = 6 };
// Operations of the database class.
enum {
  IDB_OP_OPEN = 1,
  IDB_OP_CLOSE = 2,
  IDB_OP_INFO = 3,
  IDB_OP_LOCK = 4,
  IDB_OP_UNLOCK = 5,
  IDB_OP_PUT = 6,
  IDB_OP_FIND = 7,
  IDB_OP_GET = 8,
  IDB_OP_CREATE = 11,
  IDB_OP_ERASE = 12,
  IDB_OP_PURGE = 13,
  IDB_OP_LOGON = 14,
  IDB_OP_BEGIN = 15,
  IDB_OP_ROLLBACK = 16,
  IDB_OP_PRECOMMIT = 17,
  IDB_OP_COMMIT = 18,
};

struct ServerEntry;

struct ClientContext {
  Buffer* buffer;
  unsigned char* storage;  // IDB_STORAGE_SIZE bytes, preset send and receive storage
  char* user;
  char* password;
  int logon_pending;
  int charset;  // local code set; -1 until set or greeted
  int32_t tx_counter;
  int32_t tx_ids[IDB_MAX_TX_LEVELS];
  int tx_level;
  // The server whose frame the buffer's reply came from: when that reply did
  // not decode, its connection is broken before the next request, since the
  // rest of a frame that lied about its length may still be in the stream.
  ServerEntry* last_reply_from;
};

struct ServerEntry {
  ServerEntry* next;
  ServerEntry* prev;
  ClientContext* client;
  int refcount;
  char* host;
  char* service;
  int server_id;
  int greeting_pending;
  int socket;  // -1 after disconnect
  uint16_t request_counter;
  // Set when a frame could not be read whole or did not belong to the
  // request: the stream is out of step, so the socket is closed and every
  // later call on this entry fails at once.
  int broken;
  // Set when the greeting's or the logon's reply did not come in time.
  int timed_out;
  // While the greeting and the logon wait: the tcp_now_ms() time their
  // answer must have come by; 0 otherwise.
  int64_t deadline_ms;
  // Bytes received but not yet taken as frames: inbox[inbox_start..inbox_end).
  // A server may send a notice frame and the reply together; both stay here
  // until taken. Emptied when the connection is opened or broken.
  size_t inbox_start;
  size_t inbox_end;
  unsigned char inbox[IDB_INBOX_SIZE];
  // From the greeting reply.
  uint16_t protocol_revision;
  int byte_order;
  uint32_t capabilities;
  uint32_t suggested_bufsz;
  uint32_t max_bufsz;
  char* platform;
  char* charset;
  char* challenge;
  int remote_charset;
};

// Code-set names.
int yq__charset_id(const char* name);
const char* yq__charset_name(int id);

int idb__init();
int idb_init(int32_t a, int32_t b, int32_t c, int32_t d);
int idb__exit();
int idb_ctl(int cmd, int arg);
int idb_logon(const char* user, const char* password);

ClientContext* idb__get_client(int create);
ServerEntry* idb__attach_server(const char* host, const char* service, int32_t* status);
void idb__release_server(ServerEntry* entry);
ServerEntry* idb__first_server(ClientContext* client);
ServerEntry* idb__next_server(ServerEntry* entry, ClientContext* client);
ServerEntry* idb__prev_server(ServerEntry* entry, ClientContext* client);
ServerEntry* idb__find_server(ClientContext* client, int server_id);
void idb__drop_idle_servers(ClientContext* client);
void idb__drop_all_servers();
int idb__connect_server(ServerEntry* entry);
int establish_protocol(ServerEntry* entry);
int idb__logon(ServerEntry* entry, int32_t* status);

// Closes every open database of the client.
void idb__cleanup_context(ClientContext* client);
// Begins every open transaction level on a newly attached server. When one
// begin fails, the levels it did begin there are rolled back on it and -1 is
// returned: the attach then fails and the server leaves the client, so it
// never takes part in the transaction, which stays open on the other
// servers. The status says why (a refusal: the server's status).
int idb__sync_transactions(ServerEntry* entry, int32_t* status);

// Framing, requests and replies.
void idb__begin_request(ServerEntry* entry, int cls, int operation);
int idb__call_server(ServerEntry* entry);
int idb__send_request(ServerEntry* entry);
int idb__send_message(ServerEntry* entry);
int idb__recv_reply(ServerEntry* entry, uint32_t limit);
int idb__recv_message(ServerEntry* entry, uint32_t limit);
int idb__get_status(Buffer* bufp, int32_t* status);
// Marks the connection out of step and closes its socket.
void idb__break_connection(ServerEntry* entry);
