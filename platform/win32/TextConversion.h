// Text between a single-byte code page (the ANSI one by default) and the UTF-16 of the system's
// wide functions, for the Windows backend and the user interface.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace platform {

// The code page of the ANSI file functions: the one in which names are opened again.
inline UINT FileApiCodePage() {
  return AreFileApisANSI() ? CP_ACP : CP_OEMCP;
}

// The text in UTF-16.
inline std::wstring Widened(std::string_view text, UINT codePage = CP_ACP) {
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
  return wide;
}

// What becomes of a character that the code page cannot hold.
enum class Unmappable {
  // The system's look-alike ("c" for a c with circumflex): for text that is only shown.
  LookAlike,
  // "?", which no Windows name holds: for names that are opened again, where a look-alike
  // would name another file, or "." or "\" (a fullwidth full stop, a fullwidth reverse solidus).
  QuestionMark,
};

// The text of a zero-terminated UTF-16 string in the code page; empty for null and when it
// cannot be converted at all. A UTF-8 code page holds every character.
inline std::string Narrowed(const wchar_t* text, Unmappable unmappable, UINT codePage = CP_ACP) {
  if (text == nullptr) return {};
  const bool utf8 = codePage == CP_UTF8 || (codePage == CP_ACP && GetACP() == CP_UTF8);
  const DWORD flags = unmappable == Unmappable::QuestionMark && !utf8 ? WC_NO_BEST_FIT_CHARS : 0;
  const int length = WideCharToMultiByte(codePage, flags, text, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return {};
  std::string narrow(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(codePage, flags, text, -1, narrow.data(), length, nullptr, nullptr);
  narrow.pop_back();  // the terminating zero
  return narrow;
}

}  // namespace platform
