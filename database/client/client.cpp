#include "database/client/client.h"

#include <pwd.h>
#include <strings.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "database/client/des.h"
#include "database/client/tcp.h"
#include "database/client/trace.h"

namespace {

struct ClientGlobals {
  ClientContext* client = nullptr;
  ServerEntry* servers = nullptr;  // newest first
  int server_counter = 0;          // never restarts
};
ClientGlobals g;

struct CharsetEntry {
  const char* name;
  const char* short_name;
  int id;
  const char* display;
};

const CharsetEntry kCharsets[] = {
    {"QXROMAN8", "roman8", 0, "qx-roman8"},      {"QX-ROMAN8", "roman8", 0, "qx-roman8"},
    {"ROMAN8", "roman8", 0, "qx-roman8"},        {"ISO8859/1", "iso88591", 1, "iso-8859-1"},
    {"ISO88591", "iso88591", 1, "iso-8859-1"},   {"ISO8859-1", "iso88591", 1, "iso-8859-1"},
    {"ISO-8859-1", "iso88591", 1, "iso-8859-1"},
};

const char kGreetingMagic[8] = {'Y', 'Q', '.', 'D', 'B', 'S', 'R', 'V'};

char* copy_text(const char* text) {
  size_t n = std::strlen(text);
  char* copy = static_cast<char*>(std::malloc(n + 1));
  if (copy) std::memcpy(copy, text, n + 1);
  return copy;
}

// Overwrites a secret before its storage goes back.
void free_secret(char* text) {
  if (!text) return;
  volatile char* p = text;
  while (*p) *p++ = '\0';
  std::free(text);
}

void free_client(ClientContext* c) {
  if (!c) return;
  if (c->buffer) Buffer_Destroy(c->buffer);
  std::free(c->storage);
  std::free(c->user);
  free_secret(c->password);
  std::free(c);
}

void clear_greeting(ServerEntry* e) {
  e->protocol_revision = 0;
  e->byte_order = 0;
  e->capabilities = 0;
  e->suggested_bufsz = 0;
  e->max_bufsz = 0;
  std::free(e->platform);
  std::free(e->charset);
  std::free(e->challenge);
  e->platform = e->charset = e->challenge = nullptr;
  e->remote_charset = -1;
}

void unlink_entry(ServerEntry* e) {
  if (e->prev)
    e->prev->next = e->next;
  else if (g.servers == e)
    g.servers = e->next;
  if (e->next) e->next->prev = e->prev;
  e->next = e->prev = nullptr;
}

void free_entry(ServerEntry* e) {
  if (e->client && e->client->last_reply_from == e) e->client->last_reply_from = nullptr;
  clear_greeting(e);
  std::free(e->host);
  std::free(e->service);
  std::free(e);
}

// Disconnects, unlinks and frees an entry.
void drop_entry(ServerEntry* e) {
  if (tcp_close(e->socket) != 0) IDB_FAIL(S_REMOTE, 0);
  e->socket = -1;
  unlink_entry(e);
  free_entry(e);
}

// A server just attached that did not join (its logon or the replay of the
// open transaction levels failed) goes at once, inside a transaction too:
// kept, it would be asked to commit levels it never began. The last status
// stays the failure's.
void discard_new_entry(ServerEntry* e) {
  const LastStatus last = idb__last_status();
  drop_entry(e);
  idb__set_last(last.code, last.secondary, last.module, last.line);
}

// The login name of the process owner, empty when unknown.
void owner_name(char* out, size_t size) {
  out[0] = '\0';
  struct passwd entry, *found = nullptr;
  char work[1024];
  if (getpwuid_r(geteuid(), &entry, work, sizeof work, &found) == 0 && found && found->pw_name) {
    std::strncpy(out, found->pw_name, size - 1);
    out[size - 1] = '\0';
  }
}

const char* ctl_cmd_name(int cmd) {
  switch (cmd) {
    case ISRVKNOB_DCSETID: return "ISRVKNOB_DCSETID";
    case ISRVKNOB_SCSETID: return "ISRVKNOB_SCSETID";
    case ISRVKNOB_GCSETID: return "ISRVKNOB_GCSETID";
    default: return "** unknown **";
  }
}

const char* ctl_arg_name(int arg) {
  switch (arg) {
    case CP_ROMAN8: return "CP_ROMAN8";
    case CP_ISO88591: return "CP_ISO88591";
    default: return "** unknown **";
  }
}

// The password text of the logon: the password under a key made from the
// challenge, as hex. Null with the last status set on failure.
char* make_logon_password(const ServerEntry* e, const char* password) {
  const char* challenge = e->challenge ? e->challenge : "";
  if (std::strlen(challenge) > IDB_MAX_CHALLENGE) {
    debug_printf('P', 0, "server challenge longer than %d characters", IDB_MAX_CHALLENGE);
    IDB_FAIL(S_REMOTE, REMOTE_INIT);
    return nullptr;
  }
  char work[IDB_MAX_CHALLENGE + 1];
  std::strcpy(work, challenge);
  unsigned char record[DES_KEY_RECORD_SIZE];
  record[0] = 8;
  des_make_key(work, record + 1);
  char* hex = nullptr;
  int rc = des_encrypt_hex(record, reinterpret_cast<const unsigned char*>(password), std::strlen(password), &hex);
  std::memset(record, 0, sizeof record);
  if (rc < 0) {
    IDB_FAIL(S_SYSTEM, 12);
    return nullptr;
  }
  return hex;
}

}  // namespace

int yq__charset_id(const char* name) {
  if (!name) return -1;
  for (const CharsetEntry& row : kCharsets)
    if (strcasecmp(row.name, name) == 0) return row.id;
  return -1;
}

const char* yq__charset_name(int id) {
  for (const CharsetEntry& row : kCharsets)
    if (row.id == id) return row.display;
  return nullptr;
}

ClientContext* idb__get_client(int create) {
  if (g.client || !create) return g.client;
  ClientContext* c = static_cast<ClientContext*>(std::calloc(1, sizeof(ClientContext)));
  bool ok = c != nullptr;
  if (ok) {
    c->user = copy_text("");
    c->password = copy_text("");
    c->buffer = Buffer_Create();
    c->storage = static_cast<unsigned char*>(std::malloc(IDB_STORAGE_SIZE));
    ok = c->user && c->password && c->buffer && c->storage;
  }
  if (ok) {
    Buffer_SetSendStorage(c->buffer, c->storage, IDB_STORAGE_SIZE, 0);
    Buffer_SetRecvStorage(c->buffer, c->storage, IDB_STORAGE_SIZE, 0);
    c->logon_pending = 1;
    c->charset = -1;
    c->tx_counter = 9;
    ok = idb__winsock_startup() == 0;
  }
  if (!ok) {
    free_client(c);
    IDB_FAIL(S_REMOTE, REMOTE_INIT);
    return nullptr;
  }
  g.client = c;
  return c;
}

int idb__init() {
  debug_printf('P', 2, "idb__init()");
  return idb__get_client(1) ? 0 : -1;
}

int idb_init(int32_t, int32_t, int32_t, int32_t) { return idb__init(); }

int idb__exit() {
  debug_printf('P', 2, "idb__exit()");
  ClientContext* c = g.client;
  if (!c) return 0;
  idb__cleanup_context(c);
  idb__drop_all_servers();
  g.client = nullptr;
  free_client(c);
  tcp_cleanup(0);
  return 0;
}

int idb_ctl(int cmd, int arg) {
  if (idb__trace_call('P', 2, "idb_ctl()")) {
    debug_printf('P', 2, " cmd = %s (%d)", ctl_cmd_name(cmd), cmd);
    debug_printf('P', 2, " arg = %s (%d)", ctl_arg_name(arg), arg);
  }
  ClientContext* c = idb__get_client(1);
  if (!c) return -1;
  switch (cmd) {
    case ISRVKNOB_DCSETID: c->charset = CP_ISO88591; return 0;
    case ISRVKNOB_SCSETID:
      if (arg != CP_ROMAN8 && arg != CP_ISO88591) return -1;
      c->charset = arg;
      return 0;
    case ISRVKNOB_GCSETID: return c->charset;
    default: return -1;
  }
}

int idb_logon(const char* user, const char* password) {
  if (!user) user = "";
  if (!password) password = "";
  if (idb__trace_call('P', 2, "idb_logon()")) debug_printf('P', 2, " user = \"%s\"", user);
  ClientContext* c = idb__get_client(1);
  if (!c) return -1;
  char* u = copy_text(user);
  char* p = copy_text(password);
  if (!u || !p) {
    std::free(u);
    free_secret(p);
    return -1;
  }
  std::free(c->user);
  free_secret(c->password);
  c->user = u;
  c->password = p;
  c->logon_pending = 1;
  return 0;
}

ServerEntry* idb__first_server(ClientContext* client) {
  ServerEntry* e = g.servers;
  while (e && client && e->client != client) e = e->next;
  return e;
}

ServerEntry* idb__next_server(ServerEntry* entry, ClientContext* client) {
  ServerEntry* e = entry ? entry->next : nullptr;
  while (e && client && e->client != client) e = e->next;
  return e;
}

ServerEntry* idb__prev_server(ServerEntry* entry, ClientContext* client) {
  ServerEntry* e = entry ? entry->prev : nullptr;
  while (e && client && e->client != client) e = e->prev;
  return e;
}

ServerEntry* idb__find_server(ClientContext* client, int server_id) {
  for (ServerEntry* e = idb__first_server(client); e; e = idb__next_server(e, client))
    if (e->server_id == server_id) return e;
  return nullptr;
}

void idb__drop_idle_servers(ClientContext* client) {
  if (!client || client->tx_level != 0) return;
  ServerEntry* e = idb__first_server(client);
  while (e) {
    ServerEntry* next = idb__next_server(e, client);
    if (e->refcount == 0) drop_entry(e);
    e = next;
  }
}

void idb__drop_all_servers() {
  ClientContext* client = g.client;
  ServerEntry* e = idb__first_server(client);
  while (e) {
    ServerEntry* next = idb__next_server(e, client);
    drop_entry(e);
    e = next;
  }
}

int idb__answer_timeout_seconds() {
  const char* text = std::getenv(IDB_ENV_ANSWER_TIMEOUT);
  if (text && *text) {
    char* end = nullptr;
    long seconds = std::strtol(text, &end, 10);
    if (*end == '\0' && seconds >= 1 && seconds <= 3600) return static_cast<int>(seconds);
  }
  return IDB_ANSWER_TIMEOUT_SECONDS;
}

namespace {

// Bounds the whole exchange a live server answers at once, from its start:
// a reply dripped byte by byte does not move the limit.
void answer_within_timeout(ServerEntry* entry) {
  entry->timed_out = 0;
  entry->deadline_ms = tcp_now_ms() + int64_t{1000} * idb__answer_timeout_seconds();
}

void answer_whenever(ServerEntry* entry) { entry->deadline_ms = 0; }

// A silent server is a server that cannot be reached.
void report_silence(ServerEntry* entry) {
  debug_printf('P', 0, "no reply from server %s:%s within %d seconds", entry->host, entry->service,
               idb__answer_timeout_seconds());
  IDB_FAIL(S_REMOTE, REMOTE_CONNECT);
}

}  // namespace

int idb__connect_server(ServerEntry* entry) {
  int sock = tcp_connect(entry->host, entry->service);
  if (sock == -1) {
    IDB_FAIL(S_REMOTE, REMOTE_CONNECT);
    return -1;
  }
  entry->socket = sock;
  entry->request_counter = 0;
  entry->broken = 0;
  entry->inbox_start = entry->inbox_end = 0;
  clear_greeting(entry);
  answer_within_timeout(entry);
  if (establish_protocol(entry) != 0) {
    if (entry->timed_out)
      report_silence(entry);
    else
      IDB_FAIL(S_REMOTE, REMOTE_INIT);
    tcp_close(entry->socket);
    entry->socket = -1;
    return -1;
  }
  answer_whenever(entry);
  return 0;
}

int establish_protocol(ServerEntry* entry) {
  ClientContext* c = entry->client;
  Buffer* b = c->buffer;
  Buffer_SetLocalCharset(b, -1);
  Buffer_SetRemoteCharset(b, -1);
  Buffer_SetLocalByteOrder(b, BYTE_ORDER_LE);
  Buffer_SetRemoteByteOrder(b, BYTE_ORDER_BE);
  Buffer_ResetSend(b);
  Buffer_SetOpName(b, "establish_protocol()");

  char user[80];
  owner_name(user, sizeof user);
  Buffer_Put_nzstr(b, kGreetingMagic, sizeof kGreetingMagic);
  Buffer_Put_uint16(b, 1);
  Buffer_Put_uint16(b, BYTE_ORDER_LE);
  Buffer_Put_str(b, "WIN32");
  Buffer_Put_str(b, "ISO8859/1");
  Buffer_Put_str(b, user);
  if (Buffer_SendFailed(b) || idb__send_message(entry) != 0) return -1;

  entry->greeting_pending = 1;
  int rc = idb__recv_reply(entry, IDB_GREETING_LIMIT);
  entry->greeting_pending = 0;
  if (rc != 0) return -1;

  uint16_t revision = 0, order = 0;
  uint32_t caps = 0, suggested = 0, max = 0;
  const char *platform = nullptr, *charset = nullptr, *challenge = nullptr;
  if (Buffer_Get_uint16(b, &revision) != 0) return -1;
  debug_printf('P', 2, "server protocol_revision = %x", revision);
  if (revision & 0xff00) {
    debug_printf('P', 0, "incompatible server protocol_revision = %x", revision);
    return -1;
  }
  if (Buffer_Get_uint16(b, &order) != 0) return -1;
  debug_printf('P', 2, "server byte_order = %d", order);
  if (order != BYTE_ORDER_BE && order != BYTE_ORDER_LE) {
    debug_printf('P', 0, "incompatible server byte_order = %d", order);
    return -1;
  }
  if (Buffer_Get_counted_str(b, &platform) != 0) return -1;
  debug_printf('P', 2, "server platform = %s", platform);
  if (Buffer_Get_counted_str(b, &charset) != 0) return -1;
  debug_printf('P', 2, "server charset = %s", charset);
  if (Buffer_Get_uint32(b, &caps) != 0) return -1;
  debug_printf('P', 2, "server capabilities = %x", caps);
  if (Buffer_Get_uint32(b, &suggested) != 0) return -1;
  debug_printf('P', 2, "server suggested_bufsz = %d", static_cast<int>(suggested));
  if (Buffer_Get_uint32(b, &max) != 0) return -1;
  debug_printf('P', 2, "server max_bufsz = %d", static_cast<int>(max));
  if (Buffer_Get_counted_str(b, &challenge) != 0) return -1;
  debug_printf('P', 2, "server challenge = %s", challenge);
  int remote = yq__charset_id(charset);
  if (remote < 0) {
    debug_printf('P', 0, "Server uses unrecognized charset %s", charset);
    return -1;
  }
  if (max == 0) max = IDB_DEFAULT_MAX_BUFSZ;
  if (max > IDB_MAX_BUFSZ_CAP) {
    debug_printf('P', 2, "server max_bufsz capped at %u", static_cast<unsigned>(IDB_MAX_BUFSZ_CAP));
    max = IDB_MAX_BUFSZ_CAP;
  }

  entry->protocol_revision = revision;
  entry->byte_order = order;
  entry->capabilities = caps;
  entry->suggested_bufsz = suggested;
  entry->max_bufsz = max;
  entry->remote_charset = remote;
  entry->platform = copy_text(platform);
  entry->charset = copy_text(charset);
  entry->challenge = copy_text(challenge);
  if (!entry->platform || !entry->charset || !entry->challenge) {
    debug_printf('P', 0, "establish_protocol: memory allocation failed");
    return -1;
  }
  if (c->charset == -1) c->charset = yq__charset_id("ISO8859/1");
  return 0;
}

int idb__logon(ServerEntry* entry, int32_t* status) {
  ClientContext* c = entry->client;
  if (!(entry->capabilities & CAP_LOGON)) {
    debug_printf('P', 1, "idb__logon() note: server does not have logon capabilities, server_id=%d", entry->server_id);
    std::memset(status, 0, sizeof(StatusArray));
    idb__set_last_code(0);
    return 0;
  }
  if (idb__trace_call('P', 2, "idb__logon()")) debug_printf('P', 2, " user = \"%s\"", c->user);
  status[5] = DBLOGON;
  status[8] = 0;

  char* hex = make_logon_password(entry, c->password);
  if (!hex) return idb__set_status(-1, status);

  idb__begin_request(entry, IDB_CLASS_DATABASE, IDB_OP_LOGON);
  Buffer_SetOpName(c->buffer, "idb_logon()");
  Buffer_Put_str(c->buffer, c->user);
  // The trace shows the enciphered password masked: with the challenge it
  // would give the password back.
  size_t secret_length = std::strlen(hex);
  size_t secret_offset = Buffer_Size(c->buffer) + 2;
  Buffer_Put_str(c->buffer, hex);
  free_secret(hex);
  if (Buffer_SendFailed(c->buffer)) {
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    return idb__set_status(-1, status);
  }
  c->buffer->secret_offset = secret_offset;
  c->buffer->secret_length = secret_length;
  answer_within_timeout(entry);
  int rc = idb__call_server(entry);
  answer_whenever(entry);
  if (rc != 0) {
    if (entry->timed_out) report_silence(entry);
    return idb__set_status(-1, status);
  }
  if (idb__get_status(c->buffer, status) != 0) {
    IDB_FAIL(S_REMOTE, REMOTE_CODEC);
    return idb__set_status(-1, status);
  }
  idb__set_last_code(status[0]);
  return status[0];
}

ServerEntry* idb__attach_server(const char* host, const char* service, int32_t* status) {
  IDB_ASSERT(host != NULL);
  IDB_ASSERT(service != NULL);
  ClientContext* c = idb__get_client(1);
  if (!c) return nullptr;
  ServerEntry* e = idb__first_server(c);
  while (e && !(strcasecmp(e->host, host) == 0 && std::strcmp(e->service, service) == 0)) e = idb__next_server(e, c);
  bool created = false;
  if (!e) {
    e = static_cast<ServerEntry*>(std::calloc(1, sizeof(ServerEntry)));
    if (e) {
      e->socket = -1;
      e->remote_charset = -1;
      e->client = c;
      e->host = copy_text(host);
      e->service = copy_text(service);
    }
    if (!e || !e->host || !e->service) {
      if (e) free_entry(e);
      IDB_FAIL(S_REMOTE, REMOTE_INIT);
      return nullptr;
    }
    e->server_id = ++g.server_counter;
    if (idb__connect_server(e) != 0) {
      free_entry(e);
      return nullptr;
    }
    e->next = g.servers;
    if (g.servers) g.servers->prev = e;
    g.servers = e;
    created = true;
  }
  e->refcount += 1;
  if (c->logon_pending && idb__logon(e, status) != 0) {
    created ? discard_new_entry(e) : idb__release_server(e);
    return nullptr;
  }
  c->logon_pending = 0;
  if (created && idb__sync_transactions(e, status) != 0) {
    discard_new_entry(e);
    return nullptr;
  }
  return e;
}

void idb__release_server(ServerEntry* entry) {
  IDB_ASSERT(entry != NULL);
  if (entry->refcount > 0) entry->refcount -= 1;
  if (entry->refcount == 0 && entry->client->tx_level == 0) drop_entry(entry);
}
