#pragma once
// "name.mld", the melody names kept on the computer, in the same form for
// karvel and tomrik: 16 slots of 32 bytes, slot n the name of melody n as
// CP866 text padded with 0 bytes. The file is whatever is in the current
// directory, so it is taken as it comes: a short file leaves the rest of the
// names empty, a longer one keeps its tail untouched, and no byte of it is
// ever taken for anything but a character.

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>

class MelodyNameFile {
 public:
  static constexpr int slot_count = 16;
  static constexpr int slot_size = 32;
  static constexpr int file_size = slot_count * slot_size;
  static constexpr const char* file_name = "name.mld";

  MelodyNameFile() = default;
  MelodyNameFile(const MelodyNameFile&) = delete;
  MelodyNameFile& operator=(const MelodyNameFile&) = delete;
  // Closes the file without writing it back.
  ~MelodyNameFile();

  // Opens the file for reading and updating and reads its names; a missing
  // file is created with empty names. False when it can be neither opened
  // nor created.
  bool open();
  // Reads the names and closes the file again, changing nothing: a listing
  // of a configuration takes them so. A missing file gives empty names.
  // False when a file of that name cannot be read.
  bool read_only();
  // Writes the 512 bytes back over the start of the file and closes it.
  // False when the write failed; the file then holds what it held when it
  // was opened.
  bool write_back();

  // The 32 bytes of slot n (0..15); any other number gives an empty slot.
  std::array<std::uint8_t, slot_size> slot(int n) const;
  void set_slot(int n, const std::array<std::uint8_t, slot_size>& bytes);
  // A slot's 32 characters as the screen shows them: every byte below 32
  // (0 padding, or a control code that would move the cursor) as a blank.
  std::string shown(int n) const;

 private:
  std::FILE* file_ = nullptr;
  std::array<std::uint8_t, file_size> bytes_{};
  std::array<std::uint8_t, file_size> read_{};  // the file's start as it was opened
  std::size_t read_size_ = 0;
};

// The melody screens' message at (34, 4) for a names file that could not
// be opened, or (`writing`) written back; waits for a key.
void show_names_file_error(bool writing);

// A name's byte as the screen shows it.
char shown_name_char(std::uint8_t byte);
