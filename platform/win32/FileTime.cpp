#include "platform/FileTime.h"

#include "platform/File.h"
#include "platform/win32/Handles.h"

#include <windows.h>

#include <algorithm>

namespace platform {

namespace {

FileTime FromFiletime(const FILETIME& time) {
  return {static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) |
                               time.dwLowDateTime)};
}

FILETIME ToFiletime(FileTime time) {
  const auto ticks = static_cast<uint64_t>(time.Ticks);
  FILETIME filetime;
  filetime.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
  filetime.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
  return filetime;
}

// The folder entry's data: times, size and attributes, without opening the file, so a file
// held open without sharing still gives them.
bool EntryData(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
  return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) != 0;
}

// The file or folder opened for its times only, whoever else holds it; a symbolic link is
// followed.
FileHandle OpenForTimes(const std::string& path, DWORD access) {
  return FileHandle(CreateFileA(path.c_str(), access,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

}  // namespace

FileTime CurrentFileTime() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return FromFiletime(now);
}

// The entry of a symbolic link holds the link's own times, not those of the file it reaches, so
// for a link the file reached through it counts too (the handle follows the link), and the
// later time wins: an edited target shows as well as a link made anew to point elsewhere.
bool LastChangeTime(const std::string& path, FileTime& time) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!EntryData(path, data)) return false;
  time = FromFiletime(data.ftLastWriteTime);
  if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) return true;
  const FileHandle reached = OpenForTimes(path, FILE_READ_ATTRIBUTES);
  FILETIME lastWrite;
  if (!reached.IsValid() || !GetFileTime(reached.Get(), nullptr, nullptr, &lastWrite)) return false;
  time = std::max(time, FromFiletime(lastWrite));
  return true;
}

bool ModificationTime(const std::string& path, FileTime& time) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!EntryData(path, data)) return false;
  time = FromFiletime(data.ftLastWriteTime);
  return true;
}

bool SetModificationTime(const std::string& path, FileTime time) {
  FileHandle file = OpenForTimes(path, FILE_WRITE_ATTRIBUTES);
  if (!file.IsValid()) return false;
  const FILETIME lastWrite = ToFiletime(time);
  const bool set = SetFileTime(file.Get(), nullptr, nullptr, &lastWrite) != 0;
  const DWORD error = GetLastError();
  file.Close();  // the caller reads the error of the setting, not of the closing
  SetLastError(error);
  return set;
}

// On the open file, so that the time is set before the file is flushed and put in its place.
bool File::SetModificationTime(FileTime time) {
  const FILETIME lastWrite = ToFiletime(time);
  return SetFileTime(reinterpret_cast<HANDLE>(handle_), nullptr, nullptr, &lastWrite) != 0;
}

bool FileSizeWithoutOpening(const std::string& path, uint64_t& size) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!EntryData(path, data)) return false;
  size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return true;
}

}  // namespace platform
