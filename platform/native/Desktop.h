// Native stand-ins for the desktop services the preset library uses: INI profile files
// (Profile.cpp) and message boxes (MessageBox.cpp). Same signatures and contracts as on Windows.
#pragma once

#include "platform/native/Services.h"

using LPSTR = char*;
using LPCSTR = const char*;

// Module handles exist only as values to pass along; natively nothing loads resources.
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;

// INI profile files, with the behaviour of the Windows functions for the forms used here: a
// named value of a named section (section and key names are trimmed and compared without
// regard to ASCII case; the first matching section and the first matching key win; a line
// without "=" is a key without a value). Reading trims the value, removes one pair of
// matching outer quotes, and copies at most size - 1 characters and a NUL; the result is the
// number of characters copied. A missing value yields the default without its trailing spaces
// (and without outer quotes). Writing rewrites the whole file atomically, creating it on first
// write: a null key removes the whole section, a null value removes the key. Files are read
// as bytes: names outside ASCII compare exactly. The reading forms with a null section or key
// (lists of names) are not offered natively: they give the default.
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR returned,
                               DWORD size, LPCSTR fileName);
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);

// Message box flags and answers (values of the Windows SDK).
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONWARNING = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Natively there is nobody to ask: the caption and text go to standard error and the answer is
// the one that changes nothing (OK, Cancel or No). Programs that can ask give the preset store
// a handler of their own instead.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
