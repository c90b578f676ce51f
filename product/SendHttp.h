// SendHttp: one HTTP request over WinINet, bounded in time and in the size of its reply.
#pragma once

#include <windows.h>

#include "sys/Api.h"

// The server is "host" or "host:port" (plain HTTP, port 80 by default), "http://host[:port]",
// or "https://host[:port]" (TLS, port 443 by default, the certificate checked; a server that
// fails the check gives no reply, never a plain request instead). A trailing "/" is allowed.
//
// POST with body (narrowed to the library's code page, sent as a form) or, with a null body,
// GET; the object is path ("updates/check.php"), agent "Mozilla/4.0", always from the server,
// no user interface, connect and receive time-outs of at most 10 s. The reply is read up to
// maxReply bytes and widened; null when nothing arrived, the server answered with a status
// other than 2xx, or the whole exchange did not end within HttpTimeLimitMs. The calling
// thread waits (without dispatching messages) until then. Free the reply with DelHttpBuffer.
enum : DWORD { HttpTimeoutMs = 10000, HttpTimeLimitMs = 20000 };

GLMBX_API wchar_t* SendHttp(const wchar_t* server, const wchar_t* path, unsigned int maxReply, const wchar_t* body);
GLMBX_API void DelHttpBuffer(wchar_t* reply);
