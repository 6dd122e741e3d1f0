#pragma once
// What a program knows about itself: its version, the file it was started
// from, and where its data files ("help.txt", "help.hlp") are found.

#include <optional>
#include <string>
#include <vector>

namespace platform {

// The version of the programs and the simulator, as the build names it.
const char* program_version();

// The full path of the running program's file; empty when the system does
// not tell.
std::string own_program_path();

// The places a data file is looked for, in order: the current directory
// (the bare name, where the engineer works), beside the program, and the
// data folder of an installation, found from the program's own folder so
// that an installation works under any prefix.
std::vector<std::string> data_file_places(const std::string& name, const std::string& program_path);

// The programs look beside the file they were started from (their main
// passes own_program_path()); until then, as in the tests, only in the
// current directory.
void locate_data_files_from(const std::string& program_path);

// The first of those places where something of that name exists; the bare
// name when there is none, so that opening it fails as before.
std::string find_data_file(const std::string& name);

// The folders find_data_file looks in for `name`, in order, as one line
// for a message ("/home/x/work, /usr/bin, /usr/share/station-consoles").
std::string data_file_folders(const std::string& name);

// The text a command-line program prints for --help and --version.
struct ProgramAbout {
  const char* name;
  const char* usage;  // the whole --help text
};

// Answers --help and --version (exit status 0) and refuses anything else
// (status 2, with the usage on standard error); nothing when there are no
// arguments and the program runs as usual.
std::optional<int> answer_command_line(int argc, char** argv, const ProgramAbout& about);

}  // namespace platform
