// One request to the YORL service, as every feed and download makes it.
#pragma once

#include <windows.h>
#include <wininet.h>

// The handles of one request; closing them (or the destructor) ends it.
struct ServiceRequest {
    HINTERNET session = nullptr;
    HINTERNET connection = nullptr;
    HINTERNET answer = nullptr; // the answer's handle, for HttpQueryInfo and InternetReadFile
    void close();
    ~ServiceRequest() { close(); }
};

enum class RequestResult { ok, noSession, noConnection };

// Opens a session, asks for `address` and waits for the answer's headers,
// following redirects as long as they stay safe (see online/redirect.h).
// Every wait, for the connection, the request and each later read, ends
// after kServiceTimeoutMs. noSession when no session could be opened;
// noConnection when the service could not be reached, did not answer in
// time, refused the connection's security, or redirected where the program
// does not go. On ok the caller reads the answer's status and body.
RequestResult openServiceRequest(const char* address, ServiceRequest& request);

const DWORD kServiceTimeoutMs = 15000;
