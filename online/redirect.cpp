// Where a redirect of the service leads, and whether the program may follow it.
#include "online/redirect.h"

#include "common/ascii.h"
#include "common/bounded_text.h"

#include <cstring>

namespace {

// Longer addresses are refused rather than cut.
const std::size_t kMaxAddress = 2048;

enum class Scheme { none, http, https };

// One part of an address: where it starts in its text and how long it is.
struct Piece {
    const char* text = nullptr; // null when the part is absent
    std::size_t length = 0;
};

// The parts of an address or of a Location header; the fragment is left out.
struct Reference {
    Piece scheme;
    Piece authority; // without its "//"
    Piece path;
    Piece query; // with its "?"
};

bool equalsNoCase(const Piece& piece, const char* word)
{
    std::size_t length = std::strlen(word);
    if (piece.length != length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        char c = piece.text[i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != word[i])
            return false;
    }
    return true;
}

Scheme webScheme(const Piece& scheme)
{
    if (equalsNoCase(scheme, "http"))
        return Scheme::http;
    if (equalsNoCase(scheme, "https"))
        return Scheme::https;
    return Scheme::none;
}

// Length of the run at `text` that holds none of `stops` and no zero byte.
std::size_t runUntil(const char* text, const char* stops)
{
    std::size_t length = 0;
    while (text[length] && !std::strchr(stops, text[length]))
        ++length;
    return length;
}

Reference splitReference(const char* text)
{
    Reference parts;
    // A scheme is a letter, then letters, digits, "+", "-" or ".", then ":".
    std::size_t length = 0;
    if (isAsciiLetter(text[0])) {
        length = 1;
        while (isAsciiLetter(text[length]) || isAsciiDigit(text[length]) ||
               (text[length] != '\0' && std::strchr("+-.", text[length])))
            ++length;
    }
    if (length > 0 && text[length] == ':') {
        parts.scheme = {text, length};
        text += length + 1;
    }
    if (text[0] == '/' && text[1] == '/') {
        text += 2;
        parts.authority = {text, runUntil(text, "/?#")};
        text += parts.authority.length;
    }
    parts.path = {text, runUntil(text, "?#")};
    text += parts.path.length;
    if (*text == '?') {
        parts.query = {text, runUntil(text, "#")};
    }
    return parts;
}

// Removes the "." and ".." segments of `path` (`length` bytes) into `out`,
// which has room for at least as many bytes plus one.
void removeDotSegments(const char* path, std::size_t length, char* out)
{
    char input[kMaxAddress + 2];
    std::memcpy(input, path, length);
    input[length] = '\0';
    char* in = input;
    std::size_t outLength = 0;
    auto dropLastSegment = [&] {
        while (outLength > 0 && out[outLength - 1] != '/')
            --outLength;
        if (outLength > 0)
            --outLength;
    };
    while (*in) {
        if (std::strncmp(in, "../", 3) == 0) {
            in += 3;
        } else if (std::strncmp(in, "./", 2) == 0) {
            in += 2;
        } else if (std::strncmp(in, "/./", 3) == 0) {
            in += 2; // goes on with "/x"
        } else if (std::strcmp(in, "/.") == 0) {
            in += 1;
            in[0] = '/';
        } else if (std::strncmp(in, "/../", 4) == 0) {
            in += 3;
            dropLastSegment();
        } else if (std::strcmp(in, "/..") == 0) {
            in += 2;
            in[0] = '/';
            dropLastSegment();
        } else if (std::strcmp(in, ".") == 0 || std::strcmp(in, "..") == 0) {
            in += std::strlen(in);
        } else {
            std::size_t segment = (*in == '/' ? 1 : 0) + runUntil(in + (*in == '/' ? 1 : 0), "/");
            std::memcpy(out + outLength, in, segment);
            outLength += segment;
            in += segment;
        }
    }
    out[outLength] = '\0';
}

// A Location must be one printable ASCII word: no blanks, no control bytes
// (a line end would start another header), nothing beyond ASCII, and no
// backslash, which some parsers take for a slash and others do not.
bool isPrintableWord(const char* text)
{
    if (!*text)
        return false;
    for (const char* c = text; *c; ++c) {
        unsigned char byte = static_cast<unsigned char>(*c);
        if (byte <= 0x20 || byte >= 0x7F || byte == '\\')
            return false;
    }
    return true;
}

// A host to ask, with no user name or password in it: a name or a
// bracketed IPv6 address that is not empty, then at most a port of digits.
// An empty host ("https://:8080/") would leave the choice to the network
// library.
bool isUsableAuthority(const Piece& authority)
{
    if (!authority.text || authority.length == 0 || std::memchr(authority.text, '@', authority.length))
        return false;
    const char* text = authority.text;
    std::size_t host = 0;
    if (text[0] == '[') {
        const void* close = std::memchr(text, ']', authority.length);
        if (!close)
            return false;
        host = static_cast<std::size_t>(static_cast<const char*>(close) - text) + 1;
        if (host == 2)
            return false;
    } else {
        while (host < authority.length && text[host] != ':')
            ++host;
        if (host == 0)
            return false;
    }
    if (host == authority.length)
        return true;
    std::size_t digits = authority.length - host - 1;
    if (text[host] != ':' || digits == 0 || digits > 5)
        return false;
    for (std::size_t i = host + 1; i < authority.length; ++i) {
        if (!isAsciiDigit(text[i]))
            return false;
    }
    return true;
}

} // namespace

bool isRedirectStatus(unsigned long status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool isUsableAddress(const char* address)
{
    if (std::strlen(address) > kMaxAddress)
        return false;
    Reference parts = splitReference(address);
    return webScheme(parts.scheme) != Scheme::none && isUsableAuthority(parts.authority);
}

Redirect resolveRedirect(const char* current, const char* location, char* next, std::size_t size)
{
    if (size > 0)
        next[0] = '\0';
    if (size == 0 || std::strlen(current) > kMaxAddress || std::strlen(location) > kMaxAddress)
        return Redirect::unusable;
    // Blanks around the header's value are not part of it.
    char word[kMaxAddress + 1];
    std::size_t start = std::strspn(location, " \t");
    copyText(word, sizeof word, location + start);
    std::size_t end = std::strlen(word);
    while (end > 0 && (word[end - 1] == ' ' || word[end - 1] == '\t'))
        word[--end] = '\0';
    if (!isPrintableWord(word))
        return Redirect::unusable;

    Reference base = splitReference(current);
    Reference ref = splitReference(word);
    Scheme from = webScheme(base.scheme);
    if (from == Scheme::none || !isUsableAuthority(base.authority))
        return Redirect::unusable;

    // Fill in what the reference leaves out from the current address.
    Reference target = ref;
    char merged[2 * kMaxAddress + 2];
    if (!ref.scheme.text) {
        target.scheme = base.scheme;
        if (!ref.authority.text) {
            target.authority = base.authority;
            if (ref.path.length == 0) {
                target.path = base.path;
                if (!ref.query.text)
                    target.query = base.query;
            } else if (ref.path.text[0] != '/') {
                // Relative to the current path's folder.
                std::size_t folder = base.path.length;
                while (folder > 0 && base.path.text[folder - 1] != '/')
                    --folder;
                formatText(merged, sizeof merged, "%s%.*s%.*s", folder == 0 ? "/" : "", static_cast<int>(folder),
                           base.path.text, static_cast<int>(ref.path.length), ref.path.text);
                target.path = {merged, std::strlen(merged)};
            }
        }
    }
    Scheme to = webScheme(target.scheme);
    if (to == Scheme::none || !isUsableAuthority(target.authority) || target.path.length > kMaxAddress)
        return Redirect::unusable;
    if (from == Scheme::https && to == Scheme::http)
        return Redirect::downgrade;

    char path[kMaxAddress + 2];
    removeDotSegments(target.path.text, target.path.length, path);
    TextBuilder builder = startText(next, size);
    appendFormat(builder, "%s://%.*s%s%s%.*s", to == Scheme::https ? "https" : "http",
                 static_cast<int>(target.authority.length), target.authority.text, path[0] == '/' ? "" : "/", path,
                 static_cast<int>(target.query.length), target.query.text ? target.query.text : "");
    if (builder.overflowed) {
        next[0] = '\0';
        return Redirect::unusable;
    }
    return Redirect::follow;
}
