// The safe save's file operations on a POSIX system.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

#include "platform/files.h"
#include "platform/temporary_files.h"

namespace platform {
namespace {

// The temporary files a signal must remove.
TemporarySlots<4096, std::sig_atomic_t> temporaries;

// ".name.<pid>.<n>.tmp" in the folder of the target.
std::filesystem::path temporary_name(const std::filesystem::path& target, int attempt) {
  return temporary_name_beside(target, static_cast<unsigned long>(getpid()), attempt);
}

// The open(2) flags of a stdio mode, and the mode fdopen takes (no "x").
int open_flags(const char* mode, std::string& stream_mode) {
  bool update = std::strchr(mode, '+') != nullptr;
  int flags = update ? O_RDWR : (mode[0] == 'r' ? O_RDONLY : O_WRONLY);
  if (mode[0] == 'w' || mode[0] == 'a') flags |= O_CREAT;
  if (mode[0] == 'a') flags |= O_APPEND;
  if (std::strchr(mode, 'x')) flags |= O_EXCL;
  stream_mode = std::string(1, mode[0]) + (update ? "+" : "") + "b";
  return flags;
}

}  // namespace

std::FILE* open_regular_file(const std::filesystem::path& path, const char* mode) {
  std::string stream_mode;
  // Without O_NONBLOCK opening a FIFO waits for its other end; the file is
  // emptied ("w") only once it is known to be a plain file.
  int fd = ::open(path.c_str(), open_flags(mode, stream_mode) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat st{};
  bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  if (regular) regular = ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0;
  if (regular && mode[0] == 'w') regular = ::ftruncate(fd, 0) == 0;
  std::FILE* file = regular ? fdopen(fd, stream_mode.c_str()) : nullptr;
  if (!file) {
    int error = regular ? errno : (S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    ::close(fd);
    errno = error;
  }
  return file;
}

std::FILE* create_temporary_beside(const std::filesystem::path& target, std::filesystem::path& temporary) {
  // Names left by an earlier run that ended without cleaning up are passed
  // over: each attempt tries the next name.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::filesystem::path path = temporary_name(target, attempt);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return nullptr;
    }
    std::FILE* file = temporaries.remember(path.native()) ? fdopen(fd, "wb") : nullptr;
    if (!file) {
      temporaries.forget(path.native());
      ::close(fd);
      ::unlink(path.c_str());
      return nullptr;
    }
    temporary = path;
    return file;
  }
  return nullptr;
}

bool take_mode_and_owner(std::FILE* file, const std::filesystem::path& original) {
  struct stat old{};
  if (::stat(original.c_str(), &old) != 0) return false;
  int fd = fileno(file);
  // The owner first: a change of owner may clear the set-id bits of the mode.
  bool owner_kept = fchown(fd, old.st_uid, old.st_gid) == 0;
  if (!owner_kept) {
    // An ordinary user cannot give a file away, but may keep the owner
    // (already theirs) and set a group they belong to.
    struct stat now{};
    owner_kept = fstat(fd, &now) == 0 && now.st_uid == old.st_uid &&
                 (now.st_gid == old.st_gid || fchown(fd, static_cast<uid_t>(-1), old.st_gid) == 0);
  }
  bool mode_kept = fchmod(fd, old.st_mode & 07777) == 0;
  return owner_kept && mode_kept;
}

bool set_file_length(std::FILE* file, long size) {
  return std::fflush(file) == 0 && ::ftruncate(fileno(file), size) == 0;
}

bool sync_file(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  return fsync(fileno(file)) == 0;
}

void forget_temporary(const std::filesystem::path& temporary) { temporaries.forget(temporary.native()); }

void remove_temporary(const std::filesystem::path& temporary) {
  temporaries.forget(temporary.native());
  ::unlink(temporary.c_str());
}

void remove_temporaries_on_signal() {
  temporaries.remove_all([](const char* path) { ::unlink(path); });
}

}  // namespace platform
