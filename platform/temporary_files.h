#pragma once
// For the file back ends only: the temporary files a safe save has open,
// which a signal (or the Windows console's control handler) must remove
// before the program ends, and their names beside the file they replace.

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <string>

namespace platform {

// A handler may only look at plain memory, so the names are kept in fixed
// buffers, each marked in use only once its name is complete. A save has one
// temporary file at a time; a few slots leave room for a transfer that saves
// while another waits. `Flag` is the type the handler may read while the
// program writes it. The names are the system's own (`Char`: char on a
// POSIX system, wchar_t on Windows).
template <std::size_t PathRoom, class Flag, class Char = char>
class TemporarySlots {
 public:
  using Name = std::basic_string<Char>;

  // False when the name is too long or every slot is taken.
  bool remember(const Name& path) {
    if (path.size() >= PathRoom) return false;
    for (int i = 0; i < slots; ++i) {
      if (in_use_[i]) continue;
      std::copy(path.c_str(), path.c_str() + path.size() + 1, paths_[i]);
      in_use_[i] = 1;
      return true;
    }
    return false;
  }

  void forget(const Name& path) {
    for (int i = 0; i < slots; ++i)
      if (in_use_[i] && path == paths_[i]) in_use_[i] = 0;
  }

  // Calls remove_file(const Char*) on every name still remembered and
  // forgets it; safe in a handler when remove_file is.
  template <class Remove>
  void remove_all(Remove remove_file) {
    for (int i = 0; i < slots; ++i) {
      if (!in_use_[i]) continue;
      remove_file(paths_[i]);
      in_use_[i] = 0;
    }
  }

 private:
  static constexpr int slots = 4;
  Char paths_[slots][PathRoom];
  volatile Flag in_use_[slots];
};

// ".name.<process>.<attempt>.tmp" in the folder of the target.
inline std::filesystem::path temporary_name_beside(const std::filesystem::path& target, unsigned long process,
                                                   int attempt) {
  std::filesystem::path name = ".";
  name += target.filename();
  name += "." + std::to_string(process) + "." + std::to_string(attempt) + ".tmp";
  return target.parent_path() / name;
}

}  // namespace platform
