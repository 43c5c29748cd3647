// The Win32 calls headcopy uses, with their Win32 names, types and constants,
// carried over POSIX system calls. Handles are file descriptors; error codes are errno values.
#pragma once

#include <cstddef>
#include <cstdint>

using BOOL = int;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using LONGLONG = std::int64_t;
using SIZE_T = std::size_t;
using HANDLE = void*;
using HWND = void*;
using LPCSTR = const char*;
using LPSTR = char*;
using LPVOID = void*;
using LPCVOID = const void*;
using LPDWORD = DWORD*;
using HMODULE = void*;
struct SECURITY_ATTRIBUTES;
struct OVERLAPPED;
union LARGE_INTEGER {
    LONGLONG QuadPart;
};

inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

constexpr BOOL FALSE = 0;
constexpr BOOL TRUE = 1;

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

constexpr DWORD STD_INPUT_HANDLE = static_cast<DWORD>(-10);
constexpr DWORD STD_OUTPUT_HANDLE = static_cast<DWORD>(-11);
constexpr DWORD STD_ERROR_HANDLE = static_cast<DWORD>(-12);

constexpr DWORD FILE_TYPE_UNKNOWN = 0;
constexpr DWORD FILE_TYPE_DISK = 1;
constexpr DWORD FILE_TYPE_CHAR = 2;
constexpr DWORD FILE_TYPE_PIPE = 3;

constexpr unsigned MB_OK = 0;

HANDLE CreateFileA(LPCSTR name, DWORD access, DWORD share_mode, SECURITY_ATTRIBUTES* security, DWORD disposition,
                   DWORD flags, HANDLE template_file);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD to_read, LPDWORD read, OVERLAPPED* overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD to_write, LPDWORD written, OVERLAPPED* overlapped);
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size);
BOOL CloseHandle(HANDLE object);
DWORD GetLastError();
HANDLE GetStdHandle(DWORD which);
DWORD GetFileType(HANDLE file);
LPSTR GetCommandLineA();
DWORD GetModuleFileNameA(HMODULE module, LPSTR file_name, DWORD size);
[[noreturn]] void ExitProcess(unsigned exit_code);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, unsigned type);
HANDLE GetProcessHeap();
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T size);
LPVOID HeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T size);
BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID block);

// Names here are taken exactly as they stand.
inline DWORD name_refusal(LPCSTR) { return 0; }
