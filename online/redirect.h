// Where a redirect of the service leads, and whether the program may follow it.
#pragma once

#include <cstddef>

// 301, 302, 303, 307 and 308: the answers that send a request elsewhere.
bool isRedirectStatus(unsigned long status);

// An http or https address with a host to ask: a name or a bracketed IPv6
// address, then at most a port of digits, and no user name or password.
bool isUsableAddress(const char* address);

enum class Redirect {
    follow,    // `next` holds the address to ask instead
    downgrade, // from https to plain http: never followed
    unusable,  // not an http or https address, or malformed, or too long
};

// Resolves a Location header against the address that answered with it,
// `current` (an http or https address): `location` may be a whole address,
// one without its scheme ("//host/path"), an absolute path, a query or a
// path relative to the current one ("." and ".." segments are resolved).
// A fragment is dropped. The result goes into `next` (`size` bytes) and is
// empty unless the redirect may be followed.
Redirect resolveRedirect(const char* current, const char* location, char* next, std::size_t size);
