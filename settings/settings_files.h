#pragma once
// Settings files: the file-list dialog and the raw reads and writes of a
// settings image. A settings file is the image written raw, with no header;
// karvel files are 32768 bytes, tomrik files 2048.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Runs inside the window the caller drew (draw_box (18, 3, 59, 20)).
// 0: a name was chosen (settings_state.file_name); 27: Esc at the list;
// -1: Esc while a name was being typed.
int settings_file_dialog(const char* pattern);

// The names the dialog lists: regular files of the current directory that
// match the pattern, in directory order, the first 64, each cut to 12
// characters and shown in CP866.
std::vector<std::string> list_settings_files(const char* pattern);
// DOS-style matching: "*" and "?", letters in either case.
bool matches_pattern(const std::string& name, const char* pattern);

enum class FileRead {
  ok,
  cannot_open,  // missing, unreadable, not a regular file, or a read error
  wrong_size,   // empty, shorter or longer than an image
};
// Reads the file of the current name into `out` (`size` bytes). `out` is
// left untouched unless the whole image was read.
FileRead read_settings_file(std::uint8_t* out, int size);

// Writes a settings file so that an existing one is replaced only by a
// complete new one: the image goes to a new file beside it, which takes the
// old one's place when everything has been written. Dropping the writer
// before commit leaves the old file as it was.
class SettingsFileWriter {
 public:
  SettingsFileWriter() = default;
  SettingsFileWriter(const SettingsFileWriter&) = delete;
  SettingsFileWriter& operator=(const SettingsFileWriter&) = delete;
  ~SettingsFileWriter() { discard(); }
  // Creates the new file for the current name; false when the name cannot
  // be written (too long, a directory or other non-file, write-protected,
  // or no file can be created in the directory).
  bool begin();
  // Writes the image in blocks of 256 bytes and puts the file in place;
  // false (and the old file kept) when any step fails.
  bool commit(const std::uint8_t* image, int size);
  void discard();

 private:
  std::string target_;
  std::string temporary_;
  std::FILE* file_ = nullptr;
};

// The file name as the operating system knows it.
std::string settings_file_path();
