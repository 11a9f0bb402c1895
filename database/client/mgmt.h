// Management calls: free-form commands passed to a database server that has
// the management capability, answered with text.
#pragma once

// Attaches the server: its id, 0 when it has no management capability (the
// last status says S_REMOTE -10), -1 when it could not be attached.
int Mgmt_open(const char* host, const char* service);
// 0, or -1 for an unknown id or a server without the capability.
int Mgmt_close(int server_id);
// Sends the words; the server's text (free() it), or null with the last
// status set.
char* Mgmt_command(int server_id, int argc, const char* const* argv);
