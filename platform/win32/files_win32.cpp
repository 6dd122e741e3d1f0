// The safe save's file operations on Windows.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

#include "platform/files.h"
#include "platform/temporary_files.h"

namespace platform {
namespace {

// The temporary files to remove when the program is stopped before a save
// finished, where the console's control handler may read them.
TemporarySlots<MAX_PATH, LONG, wchar_t> temporaries;

// ".name.<process>.<n>.tmp" in the folder of the target (a leading dot does
// not hide a file on Windows; the attribute does).
std::filesystem::path temporary_name(const std::filesystem::path& target, int attempt) {
  return temporary_name_beside(target, GetCurrentProcessId(), attempt);
}

}  // namespace

// Every name goes to the wide-character functions, so a Cyrillic name is
// the file of its characters whatever the ANSI code page. Windows has no
// FIFO in a folder, but a device name ("con", "com1", "nul") opens
// anywhere: only a file on a disk is kept.
std::FILE* open_regular_file(const std::filesystem::path& path, const char* mode) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    errno = EISDIR;
    return nullptr;
  }
  std::wstring wide_mode(mode, mode + std::strlen(mode));
  std::FILE* file = _wfopen(path.c_str(), wide_mode.c_str());
  if (!file) return nullptr;
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK) {
    std::fclose(file);
    errno = EINVAL;
    return nullptr;
  }
  return file;
}

std::FILE* create_temporary_beside(const std::filesystem::path& target, std::filesystem::path& temporary) {
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::filesystem::path path = temporary_name(target, attempt);
    // Shared for deletion only: a command ended by Ctrl+C removes the file
    // while it is still open.
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return nullptr;
    }
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
      CloseHandle(handle);
      DeleteFileW(path.c_str());
      return nullptr;
    }
    std::FILE* file = temporaries.remember(path.native()) ? _fdopen(fd, "wb") : nullptr;
    if (!file) {
      temporaries.forget(path.native());
      _close(fd);
      DeleteFileW(path.c_str());
      return nullptr;
    }
    temporary = path;
    return file;
  }
  return nullptr;
}

// Windows keeps no POSIX mode or owner; what a user sees of the old file is
// its read-only and hidden attributes, and a read-only file is never
// replaced (the writer refuses it before), so the new file only has to
// shed the hidden attribute it was made with.
bool take_mode_and_owner(std::FILE* file, const std::filesystem::path& original) {
  (void)file;
  return GetFileAttributesW(original.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool set_file_length(std::FILE* file, long size) {
  return std::fflush(file) == 0 && _chsize_s(_fileno(file), size) == 0;
}

bool sync_file(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != 0;
}

void forget_temporary(const std::filesystem::path& temporary) {
  temporaries.forget(temporary.native());
}

void remove_temporary(const std::filesystem::path& temporary) {
  temporaries.forget(temporary.native());
  SetFileAttributesW(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(temporary.c_str());
}

void remove_temporaries_on_signal() {
  temporaries.remove_all([](const wchar_t* path) {
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path);
  });
}

}  // namespace platform
