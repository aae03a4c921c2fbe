// Stands for a Windows MAME in the tests: hands the run to Debian's Linux MAME through tools/mame_bridge.py.
//
// Wine starts a Linux program from CreateProcess but neither waits for it nor
// gives its exit code, so this Windows console program is what the front-end
// starts. It sends its working folder and its arguments to the helper on
// 127.0.0.1 (port HOBRIN_MAME_BRIDGE_PORT, else 8382), writes what MAME
// prints to its own standard output and standard error, each to each, and
// ends with MAME's exit code. Windows paths among the arguments become Unix
// paths and the device name NUL becomes /dev/null; every other argument is
// passed on as it is, in UTF-8, as MAME's own Windows build takes it.
//
// Request:  "HMB1", u32 count, then count texts (u32 length, bytes): the
//           working folder's Unix path, then the arguments.
// Answer:   frames of u8 kind (1 standard output, 2 standard error, 3 exit),
//           u32 length, bytes; the exit frame holds the exit code as an i32.
// All numbers little-endian.
#include <winsock2.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kDefaultPort = 8382;
// What a failure of the bridge itself ends with: no MAME run ends so.
const int kBridgeFailure = 100;

int bridgeFailure(const char* what)
{
    std::fprintf(stderr, "mame bridge: %s\n", what);
    return kBridgeFailure;
}

std::string toUtf8(const std::wstring& text)
{
    int size =
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], size, nullptr, nullptr);
    return bytes;
}

// Wine's own export: the Unix path of a Windows path, in a heap block.
typedef char*(__cdecl* UnixPathOf)(const wchar_t*);

bool unixPath(const std::wstring& windowsPath, std::string& path)
{
    static UnixPathOf convert = reinterpret_cast<UnixPathOf>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!convert)
        return false;
    wchar_t full[MAX_PATH * 4];
    DWORD length = GetFullPathNameW(windowsPath.c_str(), sizeof full / sizeof full[0], full, nullptr);
    if (length == 0 || length >= sizeof full / sizeof full[0])
        return false;
    char* converted = convert(full);
    if (!converted)
        return false;
    path = converted;
    HeapFree(GetProcessHeap(), 0, converted);
    return true;
}

bool isDriveAbsolute(const std::wstring& text)
{
    return text.size() >= 2 && text[1] == L':' &&
           ((text[0] >= L'A' && text[0] <= L'Z') || (text[0] >= L'a' && text[0] <= L'z'));
}

// An argument as the Linux MAME must see it.
std::string linuxArgument(const std::wstring& argument)
{
    if (_wcsicmp(argument.c_str(), L"NUL") == 0)
        return "/dev/null";
    if (isDriveAbsolute(argument) || (!argument.empty() && argument[0] == L'\\')) {
        std::string path;
        if (unixPath(argument, path))
            return path;
    }
    // A relative path stays relative to the same folder.
    std::string text = toUtf8(argument);
    if (argument.find(L'\\') != std::wstring::npos) {
        for (char& c : text) {
            if (c == '\\')
                c = '/';
        }
    }
    return text;
}

void putNumber(std::string& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

bool sendAll(SOCKET connection, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        int got = send(connection, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
        if (got <= 0)
            return false;
        sent += static_cast<std::size_t>(got);
    }
    return true;
}

// Reads the answer in large blocks: under Wine every recv is a round trip
// to the server, and MAME's output arrives in pieces of a few kilobytes.
struct Receiver {
    SOCKET connection;
    std::vector<char> buffer = std::vector<char>(1 << 20);
    std::size_t start = 0;
    std::size_t end = 0;

    bool read(char* target, std::size_t size)
    {
        while (size > 0) {
            if (start == end) {
                int got = recv(connection, buffer.data(), static_cast<int>(buffer.size()), 0);
                if (got <= 0)
                    return false;
                start = 0;
                end = static_cast<std::size_t>(got);
            }
            std::size_t part = end - start < size ? end - start : size;
            std::memcpy(target, buffer.data() + start, part);
            start += part;
            target += part;
            size -= part;
        }
        return true;
    }
};

void writeAll(HANDLE output, const char* bytes, std::size_t size)
{
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(output, bytes, static_cast<DWORD>(size), &written, nullptr) || written == 0)
            return;
        bytes += written;
        size -= written;
    }
}

int bridgePort()
{
    const char* text = std::getenv("HOBRIN_MAME_BRIDGE_PORT");
    int port = text && *text ? std::atoi(text) : kDefaultPort;
    return port > 0 && port < 65536 ? port : kDefaultPort;
}

int run(int argc, wchar_t** argv)
{
    wchar_t folder[MAX_PATH * 4];
    DWORD length = GetCurrentDirectoryW(sizeof folder / sizeof folder[0], folder);
    std::string unixFolder;
    if (length == 0 || length >= sizeof folder / sizeof folder[0] || !unixPath(folder, unixFolder))
        return bridgeFailure("cannot find the Unix path of the working folder (is this Wine?)");

    std::string request = "HMB1";
    putNumber(request, static_cast<std::uint32_t>(argc));
    putNumber(request, static_cast<std::uint32_t>(unixFolder.size()));
    request += unixFolder;
    for (int i = 1; i < argc; ++i) {
        std::string argument = linuxArgument(argv[i]);
        putNumber(request, static_cast<std::uint32_t>(argument.size()));
        request += argument;
    }

    SOCKET connection = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in helper{};
    helper.sin_family = AF_INET;
    helper.sin_port = htons(static_cast<u_short>(bridgePort()));
    helper.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connection == INVALID_SOCKET || connect(connection, reinterpret_cast<sockaddr*>(&helper), sizeof helper) != 0)
        return bridgeFailure("the helper (tools/mame_bridge.py) does not answer on 127.0.0.1");
    if (!sendAll(connection, request))
        return bridgeFailure("the helper closed the connection");

    // MAME writes a line at a time, so output that has already arrived is
    // written in one piece per stream: each write is a round trip under Wine.
    HANDLE outputs[] = {GetStdHandle(STD_OUTPUT_HANDLE), GetStdHandle(STD_ERROR_HANDLE)};
    Receiver answer{connection};
    std::string pending;
    int pendingKind = 1;
    for (;;) {
        if (!pending.empty() && answer.start == answer.end) {
            writeAll(outputs[pendingKind - 1], pending.data(), pending.size());
            pending.clear();
        }
        char header[5];
        if (!answer.read(header, sizeof header))
            return bridgeFailure("the helper ended the run without an exit code");
        int kind = header[0];
        std::uint32_t size = 0;
        for (int i = 3; i >= 0; --i)
            size = size << 8 | static_cast<unsigned char>(header[1 + i]);
        if (size > (64u << 20) || kind < 1 || kind > 3)
            return bridgeFailure("the helper sent a frame of an unknown kind");
        std::string payload(size, '\0');
        if (size > 0 && !answer.read(&payload[0], size))
            return bridgeFailure("the helper ended the run without an exit code");
        if (kind != pendingKind && !pending.empty()) {
            writeAll(outputs[pendingKind - 1], pending.data(), pending.size());
            pending.clear();
        }
        if (kind == 3) {
            std::uint32_t code = 0;
            for (std::size_t i = 0; i < 4 && i < payload.size(); ++i)
                code |= static_cast<std::uint32_t>(static_cast<unsigned char>(payload[i])) << (8 * i);
            closesocket(connection);
            return static_cast<int>(code);
        }
        pendingKind = kind;
        pending += payload;
    }
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    WSADATA winsock;
    if (WSAStartup(MAKEWORD(2, 2), &winsock) != 0)
        return bridgeFailure("no Winsock");
    int code = run(argc, argv);
    WSACleanup();
    return code;
}
