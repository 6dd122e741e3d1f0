// The safe save's file operations on Windows.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <csignal>
#include <cstring>
#include <string>

#include "files.h"

namespace platform {
namespace {

// The temporary files to remove when the program is stopped before a save
// finished; fixed buffers, as on the POSIX side, so the console's control
// handler may read them.
constexpr int temporary_slots = 4;
constexpr std::size_t path_room = MAX_PATH;
char temporary_paths[temporary_slots][path_room];
volatile LONG slot_in_use[temporary_slots];

bool remember(const std::string& path) {
  if (path.size() >= path_room) return false;
  for (int i = 0; i < temporary_slots; ++i) {
    if (slot_in_use[i]) continue;
    std::memcpy(temporary_paths[i], path.c_str(), path.size() + 1);
    slot_in_use[i] = 1;
    return true;
  }
  return false;
}

void forget(const std::string& path) {
  for (int i = 0; i < temporary_slots; ++i)
    if (slot_in_use[i] && path == temporary_paths[i]) slot_in_use[i] = 0;
}

// "name.<process>.<n>.tmp" in the folder of the target (a leading dot does
// not hide a file on Windows; the attribute does).
std::string temporary_name(const std::string& target, int attempt) {
  std::size_t slash = target.find_last_of("/\\");
  std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  return folder + "." + name + "." + std::to_string(GetCurrentProcessId()) + "." + std::to_string(attempt) + ".tmp";
}

}  // namespace

std::FILE* create_temporary_beside(const std::string& target, std::string& temporary) {
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::string path = temporary_name(target, attempt);
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      if (GetLastError() == ERROR_FILE_EXISTS) continue;
      return nullptr;
    }
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
      CloseHandle(handle);
      DeleteFileA(path.c_str());
      return nullptr;
    }
    std::FILE* file = remember(path) ? _fdopen(fd, "wb") : nullptr;
    if (!file) {
      forget(path);
      _close(fd);
      DeleteFileA(path.c_str());
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
bool take_mode_and_owner(std::FILE* file, const std::string& original) {
  (void)file;
  return GetFileAttributesA(original.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool sync_file(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
  return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != 0;
}

void forget_temporary(const std::string& temporary) {
  forget(temporary);
}

void remove_temporary(const std::string& temporary) {
  forget(temporary);
  SetFileAttributesA(temporary.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(temporary.c_str());
}

void remove_temporaries_on_signal() {
  for (int i = 0; i < temporary_slots; ++i) {
    if (!slot_in_use[i]) continue;
    SetFileAttributesA(temporary_paths[i], FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(temporary_paths[i]);
    slot_in_use[i] = 0;
  }
}

}  // namespace platform
