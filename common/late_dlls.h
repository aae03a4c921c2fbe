// The common dialogs, WinINet and COM, loaded at their first use rather than when the program starts.
#pragma once

#include <windows.h>
#include <commdlg.h>
#include <objbase.h>
#include <wininet.h>

// Each takes and gives what the function of the same name does. Should its
// DLL not load (it is part of every Windows), the call fails with
// ERROR_MOD_NOT_FOUND, as the function fails on any other error.
namespace late {

BOOL GetOpenFileNameA(OPENFILENAMEA* dialog);
BOOL GetSaveFileNameA(OPENFILENAMEA* dialog);

HINTERNET InternetOpenA(const char* agent, DWORD access, const char* proxy, const char* bypass, DWORD flags);
HINTERNET InternetConnectA(HINTERNET session, const char* host, INTERNET_PORT port, const char* user,
                           const char* password, DWORD service, DWORD flags, DWORD_PTR context);
HINTERNET HttpOpenRequestA(HINTERNET connection, const char* verb, const char* object, const char* version,
                           const char* referrer, const char** acceptTypes, DWORD flags, DWORD_PTR context);
BOOL HttpSendRequestA(HINTERNET request, const char* headers, DWORD headersLength, void* optional,
                      DWORD optionalLength);
BOOL HttpQueryInfoA(HINTERNET request, DWORD level, void* buffer, DWORD* length, DWORD* index);
BOOL InternetReadFile(HINTERNET file, void* buffer, DWORD size, DWORD* read);
BOOL InternetSetOptionA(HINTERNET handle, DWORD option, void* buffer, DWORD length);
BOOL InternetCrackUrlA(const char* url, DWORD length, DWORD flags, URL_COMPONENTSA* parts);
BOOL InternetCloseHandle(HINTERNET handle);

HRESULT CoInitializeEx(void* reserved, DWORD model);
HRESULT CoCreateInstance(REFCLSID classId, IUnknown* outer, DWORD context, REFIID interfaceId, void** object);

} // namespace late
