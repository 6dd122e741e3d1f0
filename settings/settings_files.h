#pragma once
// Settings files: the file-list dialog and the raw reads and writes of a
// settings image. A settings file is the image written raw, with no header;
// karvel files are 32768 bytes, tomrik files 2048.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

// Runs inside the window the caller drew (draw_box (18, 3, 59, 20)).
// 0: a name was chosen (settings_state.file_name); 27: Esc at the list;
// -1: Esc while a name was being typed. A typed name that is empty or longer
// than 12 characters with its extension is refused with a message, and the
// list keys apply again.
int settings_file_dialog(const char* pattern);

// The names the dialog lists: regular files of the current directory that
// match the pattern, in directory order, the first 64 of those whose names
// fit the 12 characters of a slot and can be shown in CP866 as they are.
std::vector<std::string> list_settings_files(const char* pattern);
// DOS-style matching: "*" and "?", letters in either case.
bool matches_pattern(const std::string& name, const char* pattern);

enum class FileRead {
  ok,
  cannot_open,  // missing, unreadable, not a regular file, or a read error
  wrong_size,   // empty or shorter than an image
};
// Reads the image from the start of the file of the current name into
// `out` (`size` bytes); what follows it in the file is not read. `out` is
// left untouched unless the whole image was read.
FileRead read_settings_file(std::uint8_t* out, int size);

enum class WholeRead {
  ok,
  cannot_open,  // missing, unreadable, not a regular file, or a read error
  too_large,    // more than the limit
  changing,     // two reads gave different bytes: something writes it
};
// The whole content of a regular file of at most `limit` bytes, taken only
// when two reads of it agree.
WholeRead read_whole_file(const std::filesystem::path& path, std::size_t limit, std::vector<std::uint8_t>& out);

// Writes a settings file so that an existing one is replaced only by a
// complete new one: the image goes to a new file beside it, which takes the
// old one's place, with its mode and owner, once everything has been
// written and put on the disk. A symbolic link stays a link: the file it
// points to is written. Where no new file can be made beside it (a folder
// the user may not write), or the new one could not keep the owner, an
// existing file is overwritten in place, and its old content put back if
// that write fails. Dropping the writer before commit leaves the old file
// as it was; until then a save is under way, so input that ends meanwhile
// ends the program with the old file kept.
class SettingsFileWriter {
 public:
  SettingsFileWriter() = default;
  SettingsFileWriter(const SettingsFileWriter&) = delete;
  SettingsFileWriter& operator=(const SettingsFileWriter&) = delete;
  ~SettingsFileWriter() { discard(); }
  // Makes ready to write the file of the current name; false when the name
  // cannot be written (none chosen, a directory or other non-file,
  // write-protected, or a new file where none can be made).
  bool begin();
  // The same for a file named by its path as the system knows it.
  bool begin(const std::filesystem::path& path);
  // Writes the image in blocks of 256 bytes (and the bytes after the last
  // whole block), reads it back and puts the file in place; false, with the
  // old file kept, when any step fails or the file does not read back equal.
  bool commit(const std::uint8_t* image, int size);
  void discard();

 private:
  void drop_temporary();
  bool write_in_place(const std::uint8_t* image, int size);

  std::filesystem::path target_;     // the file written, at the end of any links
  std::filesystem::path temporary_;  // the new file beside it, while there is one
  std::FILE* file_ = nullptr;
  bool in_place_ = false;
  std::optional<platform::WorkUnderWay> under_way_;
};

// Messages at the dialog's name field for a typed name that cannot be
// used; each waits for a key and blanks the field again.
void show_name_missing();
void show_name_too_long();

// The file name as the operating system knows it.
std::filesystem::path settings_file_path();
