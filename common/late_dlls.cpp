// The common dialogs, WinINet and COM, loaded at their first use rather than when the program starts.
//
// Under Wine, loading them with the program added about 25 ms to every
// start, before any window could show; a player who never opens a file
// dialog or the leaderboard need not wait for them.
#include "common/late_dlls.h"

namespace {

template <typename Function>
void resolve(HMODULE module, const char* name, Function& function)
{
    function = module ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

struct CommonDialogs {
    decltype(&::GetOpenFileNameA) open;
    decltype(&::GetSaveFileNameA) save;
};

struct WinInet {
    decltype(&::InternetOpenA) openSession;
    decltype(&::InternetConnectA) connect;
    decltype(&::HttpOpenRequestA) openRequest;
    decltype(&::HttpSendRequestA) sendRequest;
    decltype(&::HttpQueryInfoA) queryInfo;
    decltype(&::InternetReadFile) readFile;
    decltype(&::InternetSetOptionA) setOption;
    decltype(&::InternetCrackUrlA) crackUrl;
    decltype(&::InternetCloseHandle) closeHandle;
};

struct Com {
    decltype(&::CoInitializeEx) initialize;
    decltype(&::CoCreateInstance) create;
};

// Loaded once, by whichever thread asks first; the language makes the
// others wait for it. Neither DLL is ever unloaded.
const CommonDialogs& commonDialogs()
{
    static const CommonDialogs loaded = [] {
        HMODULE module = LoadLibraryA("comdlg32.dll");
        CommonDialogs functions{};
        resolve(module, "GetOpenFileNameA", functions.open);
        resolve(module, "GetSaveFileNameA", functions.save);
        return functions;
    }();
    return loaded;
}

const WinInet& winInet()
{
    static const WinInet loaded = [] {
        HMODULE module = LoadLibraryA("wininet.dll");
        WinInet functions{};
        resolve(module, "InternetOpenA", functions.openSession);
        resolve(module, "InternetConnectA", functions.connect);
        resolve(module, "HttpOpenRequestA", functions.openRequest);
        resolve(module, "HttpSendRequestA", functions.sendRequest);
        resolve(module, "HttpQueryInfoA", functions.queryInfo);
        resolve(module, "InternetReadFile", functions.readFile);
        resolve(module, "InternetSetOptionA", functions.setOption);
        resolve(module, "InternetCrackUrlA", functions.crackUrl);
        resolve(module, "InternetCloseHandle", functions.closeHandle);
        return functions;
    }();
    return loaded;
}

const Com& com()
{
    static const Com loaded = [] {
        HMODULE module = LoadLibraryA("ole32.dll");
        Com functions{};
        resolve(module, "CoInitializeEx", functions.initialize);
        resolve(module, "CoCreateInstance", functions.create);
        return functions;
    }();
    return loaded;
}

// Calls `function` with `arguments`, or fails as it would without its DLL.
template <typename Result, typename Function, typename... Arguments>
Result call(Function function, Result failure, Arguments... arguments)
{
    if (!function) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return failure;
    }
    return function(arguments...);
}

} // namespace

namespace late {

BOOL GetOpenFileNameA(OPENFILENAMEA* dialog)
{
    return call(commonDialogs().open, FALSE, dialog);
}

BOOL GetSaveFileNameA(OPENFILENAMEA* dialog)
{
    return call(commonDialogs().save, FALSE, dialog);
}

HINTERNET InternetOpenA(const char* agent, DWORD access, const char* proxy, const char* bypass, DWORD flags)
{
    return call(winInet().openSession, HINTERNET(nullptr), agent, access, proxy, bypass, flags);
}

HINTERNET InternetConnectA(HINTERNET session, const char* host, INTERNET_PORT port, const char* user,
                           const char* password, DWORD service, DWORD flags, DWORD_PTR context)
{
    return call(winInet().connect, HINTERNET(nullptr), session, host, port, user, password, service, flags, context);
}

HINTERNET HttpOpenRequestA(HINTERNET connection, const char* verb, const char* object, const char* version,
                           const char* referrer, const char** acceptTypes, DWORD flags, DWORD_PTR context)
{
    return call(winInet().openRequest, HINTERNET(nullptr), connection, verb, object, version, referrer, acceptTypes,
                flags, context);
}

BOOL HttpSendRequestA(HINTERNET request, const char* headers, DWORD headersLength, void* optional, DWORD optionalLength)
{
    return call(winInet().sendRequest, FALSE, request, headers, headersLength, optional, optionalLength);
}

BOOL HttpQueryInfoA(HINTERNET request, DWORD level, void* buffer, DWORD* length, DWORD* index)
{
    return call(winInet().queryInfo, FALSE, request, level, buffer, length, index);
}

BOOL InternetReadFile(HINTERNET file, void* buffer, DWORD size, DWORD* read)
{
    return call(winInet().readFile, FALSE, file, buffer, size, read);
}

BOOL InternetSetOptionA(HINTERNET handle, DWORD option, void* buffer, DWORD length)
{
    return call(winInet().setOption, FALSE, handle, option, buffer, length);
}

BOOL InternetCrackUrlA(const char* url, DWORD length, DWORD flags, URL_COMPONENTSA* parts)
{
    return call(winInet().crackUrl, FALSE, url, length, flags, parts);
}

BOOL InternetCloseHandle(HINTERNET handle)
{
    return call(winInet().closeHandle, FALSE, handle);
}

HRESULT CoInitializeEx(void* reserved, DWORD model)
{
    return com().initialize ? com().initialize(reserved, model) : HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
}

HRESULT CoCreateInstance(REFCLSID classId, IUnknown* outer, DWORD context, REFIID interfaceId, void** object)
{
    if (!com().create)
        return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
    return com().create(classId, outer, context, interfaceId, object);
}

} // namespace late
