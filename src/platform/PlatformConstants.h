#pragma once
// Numbers shared by every Kestrel window: the user-message base, message-box styles and answers,
// the error codes the audio code reports through the thread's last error.
#include <cstdint>

using WPARAM = std::uint64_t;
using LPARAM = std::int64_t;
using LRESULT = std::int64_t;
using UINT = std::uint32_t;
using DWORD = std::uint32_t;

constexpr UINT WM_USER = 0x0400;

// Message-box styles (the low nibble is the button set, the next one the icon).
constexpr UINT MB_OK = 0x00;
constexpr UINT MB_OKCANCEL = 0x01;
constexpr UINT MB_YESNO = 0x04;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_TYPEMASK = 0x0F;
constexpr UINT MB_ICONMASK = 0xF0;

// Message-box answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Last-error codes of the audio code.
constexpr DWORD ERROR_KESTREL_NO_OUTPUT_PATH = 4352;
constexpr DWORD ERROR_KESTREL_WRITER_CLOSED = 4355;
constexpr DWORD ERROR_KESTREL_NO_OUTPUT_FILE = 4356;
constexpr DWORD ERROR_KESTREL_ENCODER_REJECTED = 4357;
constexpr DWORD ERROR_KESTREL_SHORT_WRITE = 4358;

// The folder name Kestrel keeps its settings, history and recordings under.
inline constexpr const char* kProductFolder = "Morvex";
inline constexpr const char* kProductName = "Kestrel";
