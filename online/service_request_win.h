// One request to the YORL service, as every feed and download makes it.
#pragma once

#include <windows.h>
#include <wininet.h>

// The handles of one request; closing them (or the destructor) ends it. It
// can be moved but not copied: exactly one owner closes the handles.
struct ServiceRequest {
    HINTERNET session = nullptr;
    HINTERNET connection = nullptr;
    HINTERNET answer = nullptr; // the answer's handle, for HttpQueryInfo and InternetReadFile

    ServiceRequest() = default;
    ServiceRequest(ServiceRequest&& other) noexcept;
    ServiceRequest& operator=(ServiceRequest&& other) noexcept;
    ServiceRequest(const ServiceRequest&) = delete;
    ServiceRequest& operator=(const ServiceRequest&) = delete;
    ~ServiceRequest() { close(); }

    void close();
    // Forgets the handles without closing them: for a request whose session
    // another thread has closed, which closed them with it.
    void forget();
};

enum class RequestResult { ok, noSession, noConnection };

// Opens the request's session. openServiceRequest opens one itself when the
// request has none; a caller that must be able to end the request from
// another thread opens it first and closes it from there.
bool openServiceSession(ServiceRequest& request);

// Asks for `address` on the request's session and waits for the answer's
// headers, following redirects as long as they stay safe (see
// online/redirect.h). Every wait, for the connection, the request and each
// later read, ends after kServiceTimeoutMs. noSession when no session could
// be opened; noConnection when the address is unusable, the service could
// not be reached, did not answer in time, refused the connection's
// security, or redirected where the program does not go. On ok the caller
// reads the answer's status and body. No cookie, stored credential or
// logon prompt ever takes part.
RequestResult openServiceRequest(const char* address, ServiceRequest& request);

// How long the program waits for the service: each connection, request and
// read (15 s), and a whole feed however the service paces it (25 s).
// online/service.cpp defines them, compiled for each program.
extern const DWORD kServiceTimeoutMs;
extern const DWORD kFeedLimitMs;
