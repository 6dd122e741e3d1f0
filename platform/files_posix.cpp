// The safe save's file operations on a POSIX system.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

#include "files.h"
#include "temporary_files.h"

namespace platform {
namespace {

// The temporary files a signal must remove.
TemporarySlots<4096, std::sig_atomic_t> temporaries;

// ".name.<pid>.<n>.tmp" in the folder of the target.
std::string temporary_name(const std::string& target, int attempt) {
  return temporary_name_beside(target, "/", static_cast<unsigned long>(getpid()), attempt);
}

}  // namespace

std::FILE* create_temporary_beside(const std::string& target, std::string& temporary) {
  // Names left by an earlier run that ended without cleaning up are passed
  // over: each attempt tries the next name.
  for (int attempt = 0; attempt < 1000; ++attempt) {
    std::string path = temporary_name(target, attempt);
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return nullptr;
    }
    std::FILE* file = temporaries.remember(path) ? fdopen(fd, "wb") : nullptr;
    if (!file) {
      temporaries.forget(path);
      ::close(fd);
      ::unlink(path.c_str());
      return nullptr;
    }
    temporary = path;
    return file;
  }
  return nullptr;
}

bool take_mode_and_owner(std::FILE* file, const std::string& original) {
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

bool sync_file(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  return fsync(fileno(file)) == 0;
}

void forget_temporary(const std::string& temporary) { temporaries.forget(temporary); }

void remove_temporary(const std::string& temporary) {
  temporaries.forget(temporary);
  ::unlink(temporary.c_str());
}

void remove_temporaries_on_signal() {
  temporaries.remove_all([](const char* path) { ::unlink(path); });
}

}  // namespace platform
