// One request to the YORL service: bounded waits, and redirects followed by
// the program itself so that an https service never hands it to plain http.
#include "online/service_request_win.h"
#include "common/late_dlls.h"

#include "common/bounded_text.h"
#include "online/redirect.h"

#include <cstring>

namespace {

// Enough for the service's own redirects; a loop ends here.
const int kMaxRedirects = 5;
const std::size_t kMaxAddress = 1024;

// Always from the service, never from the cache: tables must be current.
// Redirects are followed below, not by WinINet, which under Wine would
// follow one from https to http. The leaderboard needs no cookie and no
// logon: none that a service set, or that the system keeps, goes out with a
// request, and no credential prompt can open.
const DWORD kRequestFlags = INTERNET_FLAG_RAW_DATA | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                            INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTH |
                            INTERNET_FLAG_NO_UI;

// Windows passes a session's options on to the handles made from it; Wine
// ignores the send and receive timeouts of a session and honours them only
// on the connection and request handles, so each level gets them.
void boundWaits(HINTERNET handle)
{
    DWORD timeout = kServiceTimeoutMs;
    late::InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
    late::InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &timeout, sizeof timeout);
    late::InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
}

void closeHandle(HINTERNET& handle)
{
    if (handle)
        late::InternetCloseHandle(handle);
    handle = nullptr;
}

// One GET of `address` on the request's session, up to the answer's headers.
// InternetOpenUrl would make the connection handle itself, and under Wine
// its waits could then not be bounded.
bool sendOnce(ServiceRequest& request, const char* address)
{
    char host[256];
    char path[kMaxAddress];
    char query[kMaxAddress];
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof path;
    parts.lpszExtraInfo = query;
    parts.dwExtraInfoLength = sizeof query;
    if (!late::InternetCrackUrlA(address, 0, 0, &parts) || host[0] == '\0' ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS))
        return false;
    char object[2 * kMaxAddress];
    if (!formatText(object, sizeof object, "%s%s", path[0] ? path : "/", query))
        return false;

    request.connection =
        late::InternetConnectA(request.session, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    if (!request.connection)
        return false;
    boundWaits(request.connection);
    DWORD flags = kRequestFlags | (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
    request.answer = late::HttpOpenRequestA(request.connection, "GET", object, nullptr, nullptr, nullptr, flags, 0);
    if (!request.answer)
        return false;
    boundWaits(request.answer);
    return late::HttpSendRequestA(request.answer, nullptr, 0, nullptr, 0) != FALSE;
}

} // namespace

ServiceRequest::ServiceRequest(ServiceRequest&& other) noexcept
    : session(other.session), connection(other.connection), answer(other.answer)
{
    other.forget();
}

ServiceRequest& ServiceRequest::operator=(ServiceRequest&& other) noexcept
{
    if (this != &other) {
        close();
        session = other.session;
        connection = other.connection;
        answer = other.answer;
        other.forget();
    }
    return *this;
}

void ServiceRequest::close()
{
    closeHandle(answer);
    closeHandle(connection);
    closeHandle(session);
}

void ServiceRequest::forget()
{
    answer = nullptr;
    connection = nullptr;
    session = nullptr;
}

bool openServiceSession(ServiceRequest& request)
{
    request.close();
    request.session = late::InternetOpenA("Hobrin", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!request.session)
        return false;
    boundWaits(request.session);
    return true;
}

RequestResult openServiceRequest(const char* address, ServiceRequest& request)
{
    closeHandle(request.answer);
    closeHandle(request.connection);
    if (!request.session && !openServiceSession(request))
        return RequestResult::noSession;

    char current[kMaxAddress];
    if (!isUsableAddress(address) || !copyText(current, sizeof current, address))
        return RequestResult::noConnection;
    for (int redirects = 0;; ++redirects) {
        if (!sendOnce(request, current))
            return RequestResult::noConnection;
        DWORD status = 0;
        DWORD size = sizeof status;
        if (!late::HttpQueryInfoA(request.answer, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                                  nullptr) ||
            !isRedirectStatus(status))
            return RequestResult::ok;
        // A redirect without a place to go is an answer like any other
        // that is not the one asked for.
        char location[kMaxAddress] = "";
        size = sizeof location - 1;
        if (!late::HttpQueryInfoA(request.answer, HTTP_QUERY_LOCATION, location, &size, nullptr)) {
            if (GetLastError() == ERROR_HTTP_HEADER_NOT_FOUND)
                return RequestResult::ok;
            return RequestResult::noConnection;
        }
        location[sizeof location - 1] = '\0';
        char next[kMaxAddress];
        if (redirects == kMaxRedirects || resolveRedirect(current, location, next, sizeof next) != Redirect::follow)
            return RequestResult::noConnection;
        copyText(current, sizeof current, next);
        closeHandle(request.answer);
        closeHandle(request.connection);
    }
}
