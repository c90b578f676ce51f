// SendHttp: the request runs on a worker that holds the library loaded, so that a peer which
// never lets go costs the caller no more than the time limit.
#include "product/SendHttp.h"

#include <wininet.h>

#include <atomic>
#include <cwchar>
#include <cwctype>
#include <new>

#include "sys/StrUtil.h"

namespace {

const wchar_t Agent[] = L"Mozilla/4.0";
const wchar_t FormHeader[] = L"Content-Type: application/x-www-form-urlencoded";
// The worker ends by itself at the limit; the caller allows it a little more to get there.
const DWORD CallerSlackMs = 3000;
const DWORD ReadChunk = 4096;

enum { HostChars = 256, PathChars = 2048 };

struct Endpoint {
    wchar_t host[HostChars];
    INTERNET_PORT port;
    bool secure;
};

bool StartsWithNoCase(const wchar_t* s, const wchar_t* prefix)
{
    return _wcsnicmp(s, prefix, wcslen(prefix)) == 0;
}

bool ParseServer(const wchar_t* server, Endpoint& out)
{
    if (!server)
        return false;
    while (iswspace(*server))
        ++server;
    out.secure = false;
    out.port = INTERNET_DEFAULT_HTTP_PORT;
    if (StartsWithNoCase(server, L"https://")) {
        out.secure = true;
        out.port = INTERNET_DEFAULT_HTTPS_PORT;
        server += 8;
    } else if (StartsWithNoCase(server, L"http://")) {
        server += 7;
    }
    const wchar_t* host = server;
    const wchar_t* hostEnd;
    if (*host == L'[') {  // an IPv6 address
        ++host;
        hostEnd = wcschr(host, L']');
        if (!hostEnd)
            return false;
        server = hostEnd + 1;
    } else {
        hostEnd = host;
        while (*hostEnd && *hostEnd != L':' && *hostEnd != L'/' && !iswspace(*hostEnd))
            ++hostEnd;
        server = hostEnd;
    }
    size_t hostLength = static_cast<size_t>(hostEnd - host);
    if (hostLength == 0 || hostLength >= HostChars)
        return false;
    wmemcpy(out.host, host, hostLength);
    out.host[hostLength] = 0;
    if (*server == L':') {
        unsigned long port = 0;
        int digits = 0;
        for (++server; iswdigit(*server) && digits < 6; ++server, ++digits)
            port = port * 10 + static_cast<unsigned long>(*server - L'0');
        if (digits == 0 || port == 0 || port > 65535)
            return false;
        out.port = static_cast<INTERNET_PORT>(port);
    }
    if (*server == L'/')
        ++server;
    while (iswspace(*server))
        ++server;
    return *server == 0;
}

// Owns one WinINet handle.
class NetHandle {
public:
    explicit NetHandle(HINTERNET h) : handle(h) {}
    ~NetHandle()
    {
        if (handle)
            InternetCloseHandle(handle);
    }
    NetHandle(const NetHandle&) = delete;
    NetHandle& operator=(const NetHandle&) = delete;
    operator HINTERNET() const { return handle; }

private:
    HINTERNET handle;
};

// Shared by the caller and the worker; the last of the two to let go frees it.
struct Exchange {
    std::atomic<LONG> refs{2};
    std::atomic<bool> abandoned{false};
    Endpoint endpoint = {};
    wchar_t path[PathChars] = {};
    char* body = nullptr;
    DWORD bodyLength = 0;
    unsigned int maxReply = 0;
    char* reply = nullptr;  // maxReply + 1 bytes, terminated
    DWORD replyLength = 0;
    DWORD started = 0;
    HMODULE module = nullptr;

    ~Exchange()
    {
        delete[] body;
        delete[] reply;
    }
    void Release()
    {
        if (--refs == 0)
            delete this;
    }
};

void LowerTimeout(HINTERNET handle, DWORD option)
{
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (InternetQueryOptionW(handle, option, &value, &size) && value != 0 && value <= HttpTimeoutMs)
        return;
    value = HttpTimeoutMs;
    InternetSetOptionW(handle, option, &value, sizeof(value));
}

bool TimeIsUp(const Exchange& x)
{
    return x.abandoned.load() || GetTickCount() - x.started >= HttpTimeLimitMs;
}

void Run(Exchange& x)
{
    NetHandle session(InternetOpenW(Agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session)
        return;
    LowerTimeout(session, INTERNET_OPTION_CONNECT_TIMEOUT);
    LowerTimeout(session, INTERNET_OPTION_RECEIVE_TIMEOUT);
    NetHandle connection(InternetConnectW(session, x.endpoint.host, x.endpoint.port, nullptr, nullptr,
                                          INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection)
        return;
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_RESYNCHRONIZE | INTERNET_FLAG_NO_UI;
    if (x.endpoint.secure)
        flags |= INTERNET_FLAG_SECURE;
    const wchar_t* accept[] = {L"*/*", nullptr};
    NetHandle request(HttpOpenRequestW(connection, x.body ? L"POST" : L"GET", x.path, nullptr, nullptr, accept,
                                       flags, 0));
    if (!request)
        return;
    // Again on the request: some WinINets keep the session's settings to themselves.
    LowerTimeout(request, INTERNET_OPTION_CONNECT_TIMEOUT);
    LowerTimeout(request, INTERNET_OPTION_RECEIVE_TIMEOUT);
    BOOL sent = x.body ? HttpSendRequestW(request, FormHeader, static_cast<DWORD>(-1), x.body, x.bodyLength)
                       : HttpSendRequestW(request, nullptr, 0, nullptr, 0);
    if (!sent || TimeIsUp(x))
        return;
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) ||
        status < 200 || status > 299)
        return;
    char* buffer = new (std::nothrow) char[x.maxReply + 1];
    if (!buffer)
        return;
    DWORD total = 0;
    while (total < x.maxReply) {
        if (TimeIsUp(x)) {
            // A reply still trickling in at the limit is not one.
            delete[] buffer;
            return;
        }
        // Only what has arrived: a read of more would wait for it, past any limit of ours.
        DWORD available = 0;
        if (!InternetQueryDataAvailable(request, &available, 0, 0) || available == 0)
            break;
        DWORD want = x.maxReply - total < available ? x.maxReply - total : available;
        DWORD got = 0;
        if (!InternetReadFile(request, buffer + total, want < ReadChunk ? want : ReadChunk, &got) || got == 0)
            break;
        total += got;
    }
    buffer[total] = 0;
    x.reply = buffer;
    x.replyLength = total;
}

DWORD WINAPI Worker(void* param)
{
    Exchange* x = static_cast<Exchange*>(param);
    Run(*x);
    HMODULE module = x->module;
    x->Release();
    FreeLibraryAndExitThread(module, 0);
}

bool Prepare(Exchange& x, const wchar_t* server, const wchar_t* path, unsigned int maxReply, const wchar_t* body)
{
    if (!ParseServer(server, x.endpoint) || !path || maxReply == 0 || maxReply > 0x7FFFFFFE)
        return false;
    // WinINet sends the object as given; the request line needs it absolute.
    size_t length = wcslen(path);
    size_t slash = *path == L'/' ? 0 : 1;
    if (length + slash >= PathChars)
        return false;
    x.path[0] = L'/';
    wmemcpy(x.path + slash, path, length + 1);
    x.maxReply = maxReply;
    if (body) {
        size_t chars = wcslen(body);
        if (chars > 0x0FFFFFFF)
            return false;
        int bytes = static_cast<int>(chars * 4 + 1);
        x.body = new (std::nothrow) char[bytes];
        if (!x.body)
            return false;
        x.body[0] = 0;
        if (chars && !wc2mb(body, x.body, bytes))
            return false;
        x.bodyLength = static_cast<DWORD>(strlen(x.body));
    }
    return true;
}

} // namespace

wchar_t* SendHttp(const wchar_t* server, const wchar_t* path, unsigned int maxReply, const wchar_t* body)
{
    Exchange* x = new (std::nothrow) Exchange;
    if (!x)
        return nullptr;
    // The worker keeps the library loaded until it has returned from WinINet.
    if (!Prepare(*x, server, path, maxReply, body) ||
        !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, reinterpret_cast<LPCWSTR>(&Worker),
                            &x->module)) {
        delete x;
        return nullptr;
    }
    x->started = GetTickCount();
    HANDLE thread = CreateThread(nullptr, 0, Worker, x, 0, nullptr);
    if (!thread) {
        FreeLibrary(x->module);
        delete x;
        return nullptr;
    }
    wchar_t* result = nullptr;
    if (WaitForSingleObject(thread, HttpTimeLimitMs + CallerSlackMs) == WAIT_OBJECT_0) {
        if (x->reply && x->replyLength > 0) {
            int chars = static_cast<int>(x->replyLength) + 1;
            result = new (std::nothrow) wchar_t[chars];
            if (result && !mb2wc(x->reply, result, chars))
                result[0] = 0;  // nothing convertible: an empty reply, still a reply
        }
    } else {
        x->abandoned.store(true);
    }
    CloseHandle(thread);
    x->Release();
    return result;
}

void DelHttpBuffer(wchar_t* reply)
{
    delete[] reply;
}
