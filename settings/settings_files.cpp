#include "settings/settings_files.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>

#include "link/link_dialect.h"
#include "platform/cp866.h"
#include "platform/files.h"
#include "settings/settings_state.h"
#include "toolkit/profile.h"
#include "toolkit/screen.h"

namespace {

namespace fs = std::filesystem;

constexpr int max_names = 64;
constexpr int name_slot = 12;       // characters of a listed or current name
constexpr int typed_limit = 13;     // characters a typed name may reach
constexpr int field_column = 34;    // the name field of the dialog, row 4
constexpr int field_width = 14;

bool glob(const char* p, const char* s) {
  for (; *p; ++p, ++s) {
    if (*p == '*') {
      for (const char* t = s;; ++t) {
        if (glob(p + 1, t)) return true;
        if (!*t) return false;
      }
    }
    if (!*s) return false;
    if (*p != '?' && std::tolower(static_cast<unsigned char>(*p)) != std::tolower(static_cast<unsigned char>(*s)))
      return false;
  }
  return *s == 0;
}

// The CP866 form of a directory entry's name, when the name can be shown in
// a slot and chosen from it: at most 12 characters, each one the console
// draws as itself, and one that turns back into the same file name. Any
// other name would open, or write, a file the user did not choose.
std::optional<std::string> listed_name(const fs::path& os_name) {
  std::optional<std::string> name = platform::cp866_file_name(os_name);
  if (!name || name->empty() || name->size() > name_slot) return std::nullopt;
  for (char c : *name)
    if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
  return name;
}

void set_current_name(const std::string& name) {
  std::size_t n = std::min<std::size_t>(name.size(), name_slot);
  std::memset(settings_state.file_name, 0, sizeof settings_state.file_name);
  std::memcpy(settings_state.file_name, name.data(), n);
  settings_state.name_too_long = name.size() > name_slot;
}

std::string pattern_extension(const char* pattern) {
  const char* dot = std::strrchr(pattern, '.');
  return dot ? std::string(dot) : std::string();
}

struct Dialog {
  std::vector<std::string> names;
  int selection = 0;

  int last() const { return static_cast<int>(names.size()) - 1; }

  void paint(int n, std::uint8_t colour) {
    if (n < 0 || n > last()) return;
    print_at(20 + 15 * (n / 16), 6 + n % 16, names[n], colour);
  }

  void blank_field() { print_at(field_column, 4, std::string(field_width, ' '), COLOR_BOX); }

  void show_selection_in_field() {
    blank_field();
    if (selection <= last()) print_at(field_column, 4, names[selection], COLOR_BOX);
  }

  void move_to(int next) {
    next = std::clamp(next, 0, std::max(0, last()));
    paint(selection, COLOR_BOX);
    selection = next;
    paint(selection, COLOR_SELECT);
    show_selection_in_field();
  }

  void echo(std::string_view text) {
    std::uint8_t old = current_colour();
    set_colour(COLOR_BOX);
    put_text(text);
    set_colour(old);
  }

  // Typing a name that began with `first`. 0 a name was chosen, -1 Esc,
  // 1 the name was dropped and the list keys apply again.
  int type_name(int first, const char* pattern) {
    blank_field();
    goto_xy(field_column, 4);
    std::string name(1, static_cast<char>(std::tolower(first)));
    echo(name);
    for (;;) {
      if (static_cast<int>(name.size()) >= typed_limit) {
        if (name.find('.') != std::string::npos) return refuse(show_name_too_long);
        break;
      }
      int k = read_key();
      if (k == key::extended) {
        read_key();
        continue;
      }
      if (k == key::esc) {
        blank_field();
        return -1;
      }
      if (k == key::enter) break;
      if (k == key::backspace) {
        if (!name.empty()) {
          name.pop_back();
          echo("\b \b");
        }
        continue;
      }
      if (std::isalnum(k) || k == '_' || k == '.') {
        name.push_back(static_cast<char>(k));
        echo(std::string(1, static_cast<char>(k)));
      }
    }
    if (name.find('.') == std::string::npos) name += pattern_extension(pattern);
    // A name with nothing before its extension (all of it erased) would be
    // a hidden file; a longer one than a slot holds would be cut.
    if (name.empty() || name[0] == '.') return refuse(show_name_missing);
    if (static_cast<int>(name.size()) > name_slot) return refuse(show_name_too_long);
    set_current_name(name);
    return 0;
  }

  // A typed name that cannot be used: the message says why, and the list
  // keys apply again.
  int refuse(void (*message)()) {
    message();
    show_selection_in_field();
    return 1;
  }

  int run(const char* pattern) {
    print_at(20, 4, "Текущий файл: "_cp, COLOR_BOX);
    names = list_settings_files(pattern);
    for (int n = 0; n <= last(); ++n) paint(n, COLOR_BOX);
    char count[40];
    std::snprintf(count, sizeof count, "%d", static_cast<int>(names.size()));
    print_at(20, 23, std::string("Колличество файлов: "_cp) + count, COLOR_BOX);
    if (!link_dialect().memory_window) {
      print_at(60, 23, " ESC ", COLOR_SELECT);
      print_at(65, 23, " - Выход "_cp, COLOR_BOX);
    } else {
      print_at(45, 23, "ENTER", COLOR_SELECT);
      print_at(50, 23, " - Выполнить "_cp, COLOR_BOX);
      print_at(63, 23, " ESC ", COLOR_SELECT);
      print_at(68, 23, " - Выход "_cp, COLOR_BOX);
    }
    selection = 0;
    paint(0, COLOR_SELECT);
    if (!names.empty()) print_at(field_column, 4, names[0], COLOR_BOX);
    for (;;) {
      int k = read_key();
      if (k == key::extended) {
        int scan = read_key();
        if (scan == key::up) move_to(selection - 1);
        if (scan == key::down) move_to(selection + 1);
        if (scan == key::left) move_to(selection - 16);
        if (scan == key::right) move_to(selection + 16);
        continue;
      }
      if (k == key::esc) return 27;
      if (k == key::enter) {
        set_current_name(selection <= last() ? names[selection] : std::string());
        return 0;
      }
      if ((k >= 'A' && k <= 'Z') || (k >= 'a' && k <= 'z')) {
        int result = type_name(k, pattern);
        if (result != 1) return result;
      }
    }
  }
};

// The file a name stands for: the end of its chain of symbolic links, so
// that a save writes the file a link points to and leaves the link a link.
// A chain that does not end is given back as it stands, and the caller
// finds it is not a file.
fs::path end_of_links(const fs::path& name) {
  fs::path path = name;
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(path, ec))) break;
    fs::path next = fs::read_symlink(path, ec);
    if (ec) break;
    path = next.is_absolute() ? next : path.parent_path() / next;
  }
  return path;
}

// Opening for update changes nothing in the file.
bool may_write(const fs::path& path) {
  std::FILE* probe = platform::open_regular_file(path, "r+b");
  if (!probe) return false;
  std::fclose(probe);
  return true;
}

// In blocks of 256 bytes, and what is left after the last whole block.
bool write_blocks(std::FILE* f, const std::uint8_t* data, int size) {
  std::size_t blocks = static_cast<std::size_t>(size) / 256;
  std::size_t rest = static_cast<std::size_t>(size) % 256;
  return std::fwrite(data, 256, blocks, f) == blocks &&
         (rest == 0 || std::fwrite(data + 256 * blocks, 1, rest, f) == rest);
}

// A write stands only once the file has been read back and holds exactly
// what was written.
bool file_holds(const fs::path& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* f = platform::open_regular_file(path, "rb");
  if (!f) return false;
  std::vector<std::uint8_t> back(size);
  bool same = std::fread(back.data(), 1, size, f) == size && std::fgetc(f) == EOF && !std::ferror(f) &&
              std::equal(back.begin(), back.end(), data);
  std::fclose(f);
  return same;
}

// A file larger than this is no settings file anyone keeps; it is not
// overwritten in place, where its old content could not be put back.
constexpr std::uintmax_t max_kept_content = 1u << 20;

bool read_old_content(const fs::path& path, std::vector<std::uint8_t>& out) {
  std::error_code ec;
  std::uintmax_t size = fs::file_size(path, ec);
  if (ec || size > max_kept_content) return false;
  std::FILE* f = platform::open_regular_file(path, "rb");
  if (!f) return false;
  out.resize(static_cast<std::size_t>(size));
  bool whole = std::fread(out.data(), 1, out.size(), f) == out.size() && std::fgetc(f) == EOF && !std::ferror(f);
  std::fclose(f);
  return whole;
}

// The file's content becomes `data`, on the disk, over its old bytes.
bool overwrite(const fs::path& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* f = platform::open_regular_file(path, "r+b");
  if (!f) return false;
  bool ok = std::fwrite(data, 1, size, f) == size && platform::sync_file(f);
  ok = std::fclose(f) == 0 && ok;
  std::error_code ec;
  if (ok && fs::file_size(path, ec) != size && !ec) fs::resize_file(path, size, ec);
  return ok && !ec && file_holds(path, data, size);
}

bool regular_file(const fs::directory_entry& entry) {
  std::error_code ec;
  return entry.is_regular_file(ec);
}

}  // namespace

bool matches_pattern(const std::string& name, const char* pattern) { return glob(pattern, name.c_str()); }

std::vector<std::string> list_settings_files(const char* pattern) {
  std::vector<std::string> names;
  std::error_code ec;
  fs::directory_iterator it(".", ec), end;
  for (; !ec && it != end && static_cast<int>(names.size()) < max_names; it.increment(ec)) {
    std::optional<std::string> name = listed_name(it->path().filename());
    if (!name || (*name)[0] == '.') continue;  // hidden, as the system's own files
    if (matches_pattern(*name, pattern) && regular_file(*it)) names.push_back(*name);
  }
  return names;
}

int settings_file_dialog(const char* pattern) {
  Dialog dialog;
  return dialog.run(pattern);
}

fs::path settings_file_path() { return platform::file_path(settings_state.file_name); }

FileRead read_settings_file(std::uint8_t* out, int size) {
  if (settings_state.name_too_long || settings_state.file_name[0] == 0) return FileRead::cannot_open;
  std::FILE* f = platform::open_regular_file(settings_file_path(), "rb");
  if (!f) return FileRead::cannot_open;
  // The image is the start of the file; whatever follows it is not read.
  std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
  std::size_t got = std::fread(data.data(), 1, data.size(), f);
  bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return FileRead::cannot_open;
  if (got != static_cast<std::size_t>(size)) return FileRead::wrong_size;
  std::memcpy(out, data.data(), static_cast<std::size_t>(size));
  return FileRead::ok;
}

WholeRead read_whole_file(const fs::path& path, std::size_t limit, std::vector<std::uint8_t>& out) {
  std::vector<std::uint8_t> reads[2];
  for (std::vector<std::uint8_t>& content : reads) {
    std::FILE* f = platform::open_regular_file(path, "rb");
    if (!f) return WholeRead::cannot_open;
    // One byte more than the limit tells a file that is too large.
    content.resize(limit + 1);
    std::size_t got = std::fread(content.data(), 1, content.size(), f);
    bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) return WholeRead::cannot_open;
    if (got > limit) return WholeRead::too_large;
    content.resize(got);
  }
  if (reads[0] != reads[1]) return WholeRead::changing;
  out = std::move(reads[0]);
  return WholeRead::ok;
}

bool SettingsFileWriter::begin() {
  discard();
  if (settings_state.name_too_long || settings_state.file_name[0] == 0) return false;
  return begin(settings_file_path());
}

bool SettingsFileWriter::begin(const fs::path& path) {
  discard();
  if (path.empty()) return false;
  target_ = end_of_links(path);
  std::error_code ec;
  fs::file_status status = fs::status(target_, ec);
  bool exists = fs::exists(status);
  // An existing name must be a file that may be written: a directory, a
  // device or a write-protected file stays as it is.
  if (exists && (!fs::is_regular_file(status) || !may_write(target_))) return false;
  file_ = platform::create_temporary_beside(target_, temporary_);
  // Replacing the file would give it another owner, or part it from its
  // other names: such a file, like one in a folder where nothing new may be
  // made, is written in place.
  if (file_ && exists && (fs::hard_link_count(target_, ec) != 1 || !platform::take_mode_and_owner(file_, target_)))
    drop_temporary();
  if (!file_) in_place_ = exists;
  if (file_ || in_place_) under_way_.emplace();
  return file_ || in_place_;
}

bool SettingsFileWriter::commit(const std::uint8_t* image, int size) {
  under_way_.reset();
  if (in_place_) {
    in_place_ = false;
    return write_in_place(image, size);
  }
  if (!file_) return false;
  bool ok = write_blocks(file_, image, size) && platform::sync_file(file_);
  ok = std::fclose(file_) == 0 && ok;
  file_ = nullptr;
  // The old file gives way only to a new one that reads back whole.
  if (ok) ok = file_holds(temporary_, image, static_cast<std::size_t>(size));
  if (ok) ok = platform::replace_file(temporary_, target_);
  if (ok)
    platform::forget_temporary(temporary_);
  else
    platform::remove_temporary(temporary_);
  temporary_.clear();
  return ok;
}

void SettingsFileWriter::discard() {
  drop_temporary();
  in_place_ = false;
  under_way_.reset();
}

void SettingsFileWriter::drop_temporary() {
  if (file_) {
    std::fclose(file_);
    file_ = nullptr;
  }
  if (!temporary_.empty()) {
    platform::remove_temporary(temporary_);
    temporary_.clear();
  }
}

// Without a temporary file the image is written where the old content
// lies. That content is read first and put back when the write fails, so
// the file is always the old one or the new one; a longer old file is cut
// to the image.
bool SettingsFileWriter::write_in_place(const std::uint8_t* image, int size) {
  std::vector<std::uint8_t> old;
  if (!read_old_content(target_, old)) return false;
  if (overwrite(target_, image, static_cast<std::size_t>(size))) return true;
  overwrite(target_, old.data(), old.size());
  return false;
}
