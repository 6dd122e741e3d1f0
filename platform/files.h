#pragma once
// The few file operations the standard library does not give: opening a
// data file only when it is a plain file, and what a safe save needs (a
// temporary file beside the file it will replace, with the old file's mode
// and owner, written through to the disk, and removed again when a signal
// ends the program before it took the old file's place).

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The file system's name for a name the programs keep in CP866: its
// characters in UTF-8 on a POSIX system, in UTF-16 on Windows (whose
// narrow file functions would take the bytes in the ANSI code page).
std::filesystem::path file_path(std::string_view cp866_name);
// The CP866 form of a file system's name, when every character has one
// and it turns back into the same name; nothing otherwise, since any other
// name would open, or write, another file.
std::optional<std::string> cp866_file_name(const std::filesystem::path& name);

// Opens `path` as std::fopen does with `mode` ("rb", "r+b", "ab", "wb",
// "w+bx"), but only a regular file, or a new one where the mode makes it:
// a FIFO, a device or a folder of that name is refused at once, without
// waiting for a writer or reader at its other end. nullptr with errno set
// (ENOENT for a missing file the mode does not make).
std::FILE* open_regular_file(const std::filesystem::path& path, const char* mode);

// Puts the file `from` in the place of `to`, replacing a file of that name
// in one step (a plain rename refuses an existing target on Windows).
bool replace_file(const std::filesystem::path& from, const std::filesystem::path& to);

// A new, empty file of a unique hidden name in the folder of `target`, open
// for binary writing, with the mode a new file gets there; its name goes to
// `temporary`. Until forget_temporary or remove_temporary, a signal that
// ends the program removes it. nullptr when no file can be made there.
std::FILE* create_temporary_beside(const std::filesystem::path& target, std::filesystem::path& temporary);

// Gives the open temporary file the permission bits, owner and group of
// `original`. False when they could not all be kept (another user's file
// that only the owner could give away).
bool take_mode_and_owner(std::FILE* file, const std::filesystem::path& original);

// Makes the open file `size` bytes long, cutting or extending it.
bool set_file_length(std::FILE* file, long size);

// Writes what the stream holds and has the system put it on the disk.
bool sync_file(std::FILE* file);

// The temporary file has taken the target's place: a signal leaves it be.
void forget_temporary(const std::filesystem::path& temporary);
// Removes the temporary file and forgets it.
void remove_temporary(const std::filesystem::path& temporary);

// Removes every temporary file not yet forgotten. Safe inside a signal
// handler: the terminal's handler calls it before the program ends.
void remove_temporaries_on_signal();

}  // namespace platform
