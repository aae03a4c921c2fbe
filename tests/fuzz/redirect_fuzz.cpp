// Feeds arbitrary Location headers to the redirect resolution: the result
// must end within its buffer, be empty unless followed, and a followed one
// must be an http or https address that never leaves https for http.
#include "online/redirect.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

void resolveFrom(const char* current, const std::string& location, std::size_t size)
{
    // An exactly-sized result: any write past it lands outside.
    std::string next(size, '\x7f');
    Redirect result = resolveRedirect(current, location.c_str(), &next[0], size);
    const char* end = static_cast<const char*>(std::memchr(next.data(), '\0', size));
    require(end != nullptr);
    if (result != Redirect::follow) {
        require(next[0] == '\0');
        return;
    }
    bool secure = std::strncmp(next.c_str(), "https://", 8) == 0;
    require(secure || std::strncmp(next.c_str(), "http://", 7) == 0);
    require(secure || std::strncmp(current, "https:", 6) != 0);
    for (const char* c = next.c_str(); c < end; ++c)
        require(static_cast<unsigned char>(*c) > 0x20 && static_cast<unsigned char>(*c) < 0x7F && *c != '\\');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The header's text ends at its first zero byte, as WinINet hands it over.
    const std::string location(reinterpret_cast<const char*>(data), size);
    resolveFrom("https://yorl.test:8393/yorl/inp/a.zip?x=1", location.c_str(), 512);
    resolveFrom("http://h", location.c_str(), 512);
    resolveFrom("http://h/a/b/", location.c_str(), 24);
    return 0;
}
