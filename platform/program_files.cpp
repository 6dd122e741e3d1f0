#include "platform/program_files.h"

#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

#ifndef STATION_VERSION
#define STATION_VERSION "unknown"
#endif
#ifndef DATA_DIR_FROM_BIN
#define DATA_DIR_FROM_BIN "../share/station-consoles"
#endif

namespace platform {

const char* program_version() { return STATION_VERSION; }

std::vector<std::string> data_file_places(const std::string& name, const std::string& program_path) {
  std::vector<std::string> places{name};
  if (program_path.empty()) return places;
  std::filesystem::path folder = std::filesystem::path(program_path).parent_path();
  // Normal form, so that a Windows user reads backslashes throughout.
  places.push_back((folder / name).lexically_normal().string());
  places.push_back((folder / DATA_DIR_FROM_BIN / name).lexically_normal().string());
  return places;
}

namespace {
std::string& data_files_program_path() {
  static std::string path;
  return path;
}
}  // namespace

void locate_data_files_from(const std::string& program_path) { data_files_program_path() = program_path; }

std::string find_data_file(const std::string& name) {
  for (const std::string& place : data_file_places(name, data_files_program_path())) {
    std::error_code error;
    // Anything of that name counts, even a folder: the current directory's
    // entry is the engineer's, and one that cannot be read is reported as
    // such rather than passed over.
    if (std::filesystem::exists(place, error)) return place;
  }
  return name;
}

std::string data_file_folders(const std::string& name) {
  std::string folders;
  for (const std::string& place : data_file_places(name, data_files_program_path())) {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::absolute(place, error).lexically_normal().parent_path();
    if (!folders.empty()) folders += ", ";
    folders += error ? place : folder.string();
  }
  return folders;
}

std::optional<int> answer_command_line(int argc, char** argv, const ProgramAbout& about) {
  if (argc < 2) return std::nullopt;
  std::string_view first = argv[1];
  if (argc == 2 && (first == "--help" || first == "-h")) {
    std::fputs(about.usage, stdout);
    return 0;
  }
  if (argc == 2 && first == "--version") {
    std::printf("%s %s\n", about.name, program_version());
    return 0;
  }
  // "--help extra": the option is known, what follows it is not.
  bool known = first == "--help" || first == "-h" || first == "--version";
  std::fprintf(stderr, "%s: unknown argument %s\n%s", about.name, argv[known ? 2 : 1], about.usage);
  return 2;
}

}  // namespace platform
