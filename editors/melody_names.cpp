#include "editors/melody_names.h"

#include <cerrno>

#include "platform/cp866.h"
#include "platform/files.h"
#include "toolkit/screen.h"

MelodyNameFile::~MelodyNameFile() {
  if (file_) std::fclose(file_);
}

bool MelodyNameFile::open() {
  bytes_.fill(0);
  file_ = platform::open_regular_file(file_name, "r+b");
  if (file_) {
    // Whatever the file holds up to 512 bytes; a read error leaves the rest
    // of the names empty.
    read_size_ = std::fread(bytes_.data(), 1, bytes_.size(), file_);
    read_ = bytes_;
    return true;
  }
  if (errno != ENOENT) return false;
  // A new installation has no names yet: start the file with empty ones.
  // "x" keeps a file that appeared meanwhile from being emptied.
  file_ = platform::open_regular_file(file_name, "w+bx");
  if (!file_) return false;
  if (std::fwrite(bytes_.data(), 1, bytes_.size(), file_) != bytes_.size() || std::fflush(file_) != 0) {
    std::fclose(file_);
    file_ = nullptr;
    return false;
  }
  return true;
}

bool MelodyNameFile::read_only() {
  bytes_.fill(0);
  std::FILE* file = platform::open_regular_file(file_name, "rb");
  if (!file) return errno == ENOENT;
  // A short file leaves the rest of the names empty.
  const bool read = std::fread(bytes_.data(), 1, bytes_.size(), file) == bytes_.size() || std::ferror(file) == 0;
  std::fclose(file);
  return read;
}

bool MelodyNameFile::write_back() {
  if (!file_) return false;
  std::rewind(file_);
  bool written = std::fwrite(bytes_.data(), 1, bytes_.size(), file_) == bytes_.size() && std::fflush(file_) == 0;
  if (!written) {
    // A write that stopped half way (a full disk) leaves neither the old
    // names nor the new: the old ones go back, at their old length.
    std::clearerr(file_);
    std::rewind(file_);
    std::fwrite(read_.data(), 1, read_size_, file_);
    if (read_size_ < bytes_.size()) platform::set_file_length(file_, static_cast<long>(read_size_));
  }
  written = std::fclose(file_) == 0 && written;
  file_ = nullptr;
  return written;
}

std::array<std::uint8_t, MelodyNameFile::slot_size> MelodyNameFile::slot(int n) const {
  std::array<std::uint8_t, slot_size> s{};
  if (n >= 0 && n < slot_count)
    for (int i = 0; i < slot_size; ++i) s[i] = bytes_[n * slot_size + i];
  return s;
}

void MelodyNameFile::set_slot(int n, const std::array<std::uint8_t, slot_size>& bytes) {
  if (n < 0 || n >= slot_count) return;
  for (int i = 0; i < slot_size; ++i) bytes_[n * slot_size + i] = bytes[i];
}

void show_names_file_error(bool writing) {
  print_at(34, 4, writing ? "Ошибка записи файла!"_cp : "Ошибка открытия файла!"_cp, COLOR_BOX);
  read_plain_key();
}

char shown_name_char(std::uint8_t byte) { return byte < 32 ? ' ' : static_cast<char>(byte); }

std::string MelodyNameFile::shown(int n) const {
  std::string text;
  for (std::uint8_t b : slot(n)) text.push_back(shown_name_char(b));
  return text;
}
