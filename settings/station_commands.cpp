// The whole-configuration commands of the command line: the same
// connection, transfers and safe save as the File menu's commands, with
// progress and messages on standard error instead of the screen.
#include "settings/station_commands.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "facts/station_facts.h"
#include "link/link.h"
#include "link/link_connect.h"
#include "link/link_port.h"
#include "platform/platform.h"
#include "platform/serial.h"
#include "settings/catalogue.h"
#include "settings/karvel_transfers.h"
#include "settings/run_state.h"
#include "settings/settings_files.h"
#include "settings/settings_image.h"
#include "settings/station_transfers.h"
#include "settings/tomrik_companion.h"
#include "settings/tomrik_records.h"
#include "settings/transfer_frame.h"

namespace {

constexpr int status_done = 0;
constexpr int status_failed = 1;
constexpr int status_file_error = 2;

enum class Kind { none, read, write, compare };

struct StationCommand {
  Kind kind = Kind::none;
  std::string file;
  std::string port;
};

// The program's name at the start of every line on standard error.
const char* program_name = "";

void say(const char* format, ...) {
  std::fprintf(stderr, "%s: ", program_name);
  std::va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
  std::fflush(stderr);
}

// ------------------------------------------------------------- arguments

struct Option {
  const char* name;
  Kind kind;  // none: --port
};
constexpr Option options[] = {
    {"--read-station", Kind::read},
    {"--write-station", Kind::write},
    {"--compare-station", Kind::compare},
    {"--port", Kind::none},
};

const Option* find_option(std::string_view argument) {
  for (const Option& o : options)
    if (argument == o.name) return &o;
  return nullptr;
}

bool names_a_station_command(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (find_option(argv[i])) return true;
  return false;
}

// The command, or the one line that says what is wrong with the arguments.
std::optional<StationCommand> parse(int argc, char** argv, std::string& problem) {
  StationCommand command;
  bool port_given = false;
  for (int i = 1; i < argc; ++i) {
    const Option* option = find_option(argv[i]);
    if (!option) {
      problem = std::string("unknown argument ") + argv[i];
      return std::nullopt;
    }
    if (i + 1 >= argc || argv[i + 1][0] == '\0') {
      problem = std::string(option->name) + (option->kind == Kind::none ? " needs a device" : " needs a file name");
      return std::nullopt;
    }
    std::string value = argv[++i];
    if (option->kind == Kind::none) {
      if (port_given) {
        problem = "--port is given twice";
        return std::nullopt;
      }
      port_given = true;
      command.port = value;
      continue;
    }
    if (command.kind != Kind::none) {
      problem = "give one of --read-station, --write-station and --compare-station";
      return std::nullopt;
    }
    command.kind = option->kind;
    command.file = value;
  }
  if (command.kind == Kind::none) {
    problem = "--port goes with --read-station, --write-station or --compare-station";
    return std::nullopt;
  }
  return command;
}

// --------------------------------------------------------------- reports

std::string port_device() { return platform::serial_device_path("COM1"); }

std::string port_refusal() {
  const platform::SerialPort& port = link_port();
  switch (port.refusal()) {
    case platform::PortRefusal::no_device: return "no such device";
    case platform::PortRefusal::no_permission:
      return "no permission (add yourself to the dialout group and log in again)";
    case platform::PortRefusal::held: return "held by another program";
    case platform::PortRefusal::none:
    case platform::PortRefusal::other: break;
  }
  return "system error " + std::to_string(port.refusal_error());
}

std::string link_failure(int code) {
  switch (code) {
    case link_no_answer: return "the station does not answer";
    case link_no_sync: return "no synchronisation with the station";
    case link_not_acknowledged: return "the station did not acknowledge a byte";
    case link_check_mismatch: return "the check bytes differ";
    case link_not_connected: return "no station connected";
    case link_port_busy: return "cannot open " + port_device() + ": " + port_refusal();
    case link_system_error: return "the port " + port_device() + " refused its settings";
    case link_wrong_answer: return "the station's identity could not be read";
    case link_interrupted: return "the exchange was interrupted";
    default: return "exchange error " + std::to_string(code);
  }
}

// The progress shown at present, whose bar a message must not run into.
class ProgressReport;
ProgressReport* shown_progress = nullptr;
void end_progress_line();

// Where the link's error boxes go: one line each.
void report_box(int code, std::string_view) {
  end_progress_line();
  say("%s", link_failure(code).c_str());
}

std::string identity_text(const std::uint8_t* identity, int size) {
  std::string text;
  for (int i = 0; i < size; ++i) {
    unsigned char c = identity[i];
    text += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
  }
  return text;
}

std::string station_identity() { return link_state.station_identity; }

// What a failed unit is called in a message.
using UnitName = std::function<std::string(int unit)>;

// Progress on standard error: a bar drawn over again on a terminal, else a
// line at every tenth, for each pass over the units of each part of a
// command (the image, then tomrik's phone books): "reading the station",
// "writing the settings", "checking the phone books".
class ProgressReport : public TransferWatch {
 public:
  // `verb` names the passes that move units: "reading", "writing".
  explicit ProgressReport(const char* verb) : verb_(verb), terminal_(platform::standard_error_is_terminal()) {
    shown_progress = this;
  }
  ~ProgressReport() override {
    end_line();
    shown_progress = nullptr;
  }
  ProgressReport(const ProgressReport&) = delete;
  ProgressReport& operator=(const ProgressReport&) = delete;

  // The part of the command that follows, and what its units are called.
  void part(const char* what, UnitName name) {
    what_ = what;
    name_ = std::move(name);
  }
  void started(int units, bool checking) override {
    end_line();
    action_ = std::string(checking ? "checking" : verb_) + " " + what_;
    total_ = units > 0 ? units : 1;
    percent_ = -1;
    tenth_ = 0;
    // A log shows when each pass began; a terminal shows its bar at once.
    if (!terminal_) say("%s", action_.c_str());
  }
  void unit_done(int unit, int) override { show(unit + 1); }
  void unit_failed(int unit, int box) override {
    end_line();
    std::string why = box ? ": " + link_failure(box) : std::string();
    say("%s failed after %d tries%s", name_ ? name_(unit).c_str() : "a unit", TransferCourse::retries + 1,
        why.c_str());
  }
  // Ends a bar's line, so that a message starts on a line of its own.
  void end_line() {
    if (!bar_shown_) return;
    std::fputc('\n', stderr);
    std::fflush(stderr);
    bar_shown_ = false;
  }

 private:
  void show(int done) {
    int percent = static_cast<int>(100LL * done / total_);
    if (percent == percent_) return;
    percent_ = percent;
    if (terminal_) {
      constexpr int cells = 40;
      int filled = cells * percent / 100;
      std::fprintf(stderr, "\r%s: %s [%s%s] %3d%%", program_name, action_.c_str(), std::string(filled, '#').c_str(),
                   std::string(cells - filled, '.').c_str(), percent);
      std::fflush(stderr);
      bar_shown_ = true;
    } else if (percent / 10 != tenth_) {
      tenth_ = percent / 10;
      if (tenth_ > 0) say("%s: %d%%", action_.c_str(), tenth_ * 10);
    }
  }

  const char* verb_;
  bool terminal_;
  const char* what_ = "the station";
  std::string action_;
  int total_ = 1;
  UnitName name_;
  int percent_ = -1;
  int tenth_ = 0;
  bool bar_shown_ = false;
};

void end_progress_line() {
  if (shown_progress) shown_progress->end_line();
}

// What the image is called in progress lines: tomrik's phone books are a
// part of their own.
const char* image_part() { return record_station() ? "the settings" : "the station"; }

UnitName image_unit_names() {
  if (record_station()) {
    std::vector<TomrikRecordStep> plan = tomrik_record_plan(link_state.city_line_count, link_state.subscriber_count);
    return [plan](int unit) {
      if (unit < 0 || unit >= static_cast<int>(plan.size())) return std::string("a record");
      return "record " + std::to_string(plan[unit].group) + "." + std::to_string(plan[unit].index);
    };
  }
  return [](int unit) {
    char name[32];
    std::snprintf(name, sizeof name, "block at %04X", karvel_image_base + karvel_block_size * unit);
    return std::string(name);
  };
}

UnitName book_unit_names(std::vector<std::pair<int, int>> records) {
  return [records](int unit) {
    if (unit < 0 || unit >= static_cast<int>(records.size())) return std::string("a phone book record");
    return "phone book record " + std::to_string(records[unit].first) + "." + std::to_string(records[unit].second);
  };
}

// ------------------------------------------------------------ the station

// The station on the port, found as the port set-up screen finds it. Each
// failure has said why.
bool connect_station() {
  say("looking for the station on %s", port_device().c_str());
  auto attempt = [](int number, int speed_index) {
    if (number > 1) say("speed search: try %d at %d baud", number, facts::karvel_speed(speed_index & 3));
  };
  if (link_find_station(attempt) != LinkFound::station) return false;
  // The transfers run with the control line up, as the File menu's do.
  link_rts_on();
  if (!link_state.station_connected) return false;
  say("station %s found", station_identity().c_str());
  return true;
}

int image_size() { return record_station() ? tomrik_image_size : karvel_image_size; }
const char* model() { return record_station() ? "tomrik" : "karvel"; }
const char* unit_word() { return record_station() ? "records" : "blocks"; }

// ------------------------------------------------------- station to file

// Reads the configuration from the station into `image`, and tomrik's
// phone books into `books` when it is given; true only when all of it came
// whole. Each failure has said why.
bool read_station_whole(std::uint8_t* image, TomrikCompanion* books) {
  ProgressReport progress("reading");
  progress.part(image_part(), image_unit_names());
  TransferOutcome read = read_image_from_station(image, progress);
  if (read.whole() && books) {
    std::vector<std::pair<int, int>> names;
    for (const TomrikBookPlace& p : tomrik_book_plan(link_state.subscriber_count)) names.emplace_back(p.group, p.index);
    progress.part("the phone books", book_unit_names(names));
    read = read_books_from_station(*books, progress);
  }
  return read.whole();
}

int read_station(const StationCommand& command) {
  static std::uint8_t image[karvel_image_size];
  bool books = record_station();
  std::string books_path = tomrik_companion_path(command.file);
  SettingsFileWriter writer, books_writer;
  if (!writer.begin(command.file)) {
    say("cannot write %s", command.file.c_str());
    return status_file_error;
  }
  if (books && !books_writer.begin(books_path)) {
    say("cannot write %s", books_path.c_str());
    return status_file_error;
  }
  if (!connect_station()) return status_failed;
  TomrikCompanion companion;
  if (!read_station_whole(image, books ? &companion : nullptr)) {
    say("the station could not be read whole; %s was not changed", command.file.c_str());
    return status_failed;
  }
  if (!writer.commit(image, image_size())) {
    say("cannot write %s; the old file was kept", command.file.c_str());
    return status_file_error;
  }
  if (books) {
    std::vector<std::uint8_t> bytes = encode_tomrik_companion(companion);
    if (!books_writer.commit(bytes.data(), static_cast<int>(bytes.size()))) {
      say("cannot write %s; %s holds the settings without the phone books", books_path.c_str(),
          command.file.c_str());
      return status_file_error;
    }
    say("the settings of station %s are in %s, its phone books in %s", station_identity().c_str(),
        command.file.c_str(), books_path.c_str());
  } else {
    say("the settings of station %s are in %s", station_identity().c_str(), command.file.c_str());
  }
  return status_done;
}

// ------------------------------------------------------- file to station

// The settings file, read whole and checked before any byte goes to the
// station: 0 with the image, else the status.
int load_image_file(const std::string& path, std::uint8_t* image) {
  std::vector<std::uint8_t> bytes;
  WholeRead read = read_whole_file(path, karvel_image_size, bytes);
  if (read == WholeRead::cannot_open) {
    say("cannot read %s", path.c_str());
    return status_file_error;
  }
  if (read == WholeRead::changing) {
    say("%s changed while it was read", path.c_str());
    return status_file_error;
  }
  if (read == WholeRead::too_large || static_cast<int>(bytes.size()) != image_size()) {
    say("%s is not a %s settings file: those have %d bytes", path.c_str(), model(), image_size());
    return status_file_error;
  }
  bool identity_valid = record_station() ? std::all_of(bytes.begin(), bytes.begin() + facts::tomrik_identity_size,
                                                       [](std::uint8_t c) { return c >= 0x20 && c < 0x7F; })
                                         : karvel_identity_valid(bytes.data());
  if (!identity_valid) {
    say("%s is not a %s settings file: it holds no station identity", path.c_str(), model());
    return status_file_error;
  }
  std::memcpy(image, bytes.data(), bytes.size());
  return status_done;
}

// tomrik's phone books beside the file, when they are there: 0 with
// `present` telling, else the status. Without them only the settings are
// `used` ("written", "compared").
int load_books_file(const std::string& path, const std::uint8_t* image, TomrikCompanion& books, bool& present,
                    const char* used) {
  std::string books_path = tomrik_companion_path(path);
  present = false;
  switch (load_tomrik_companion(path, books)) {
    case CompanionLoad::ok: break;
    case CompanionLoad::missing:
      say("no phone books beside it (%s): only the settings are %s", books_path.c_str(), used);
      return status_done;
    case CompanionLoad::cannot_read: say("cannot read %s", books_path.c_str()); return status_file_error;
    case CompanionLoad::not_companion:
      say("%s is not a file of tomrik phone books", books_path.c_str());
      return status_file_error;
  }
  if (!std::equal(books.identity.begin(), books.identity.end(), image)) {
    say("%s holds the phone books of station %s, %s is of station %s", books_path.c_str(),
        identity_text(books.identity.data(), facts::tomrik_identity_size).c_str(), path.c_str(),
        identity_text(image, facts::tomrik_identity_size).c_str());
    return status_file_error;
  }
  present = true;
  return status_done;
}

int write_station(const StationCommand& command) {
  static std::uint8_t image[karvel_image_size];
  if (int status = load_image_file(command.file, image)) return status;
  TomrikCompanion books;
  bool with_books = false;
  if (record_station())
    if (int status = load_books_file(command.file, image, books, with_books, "written")) return status;
  if (!connect_station()) return status_failed;
  int identity_size = record_station() ? facts::tomrik_identity_size : facts::karvel_identity_size;
  ProgressReport progress("writing");
  progress.part(image_part(), image_unit_names());
  TransferOutcome sent = write_image_to_station(image, progress);
  if (sent.end == TransferEnd::not_suitable) {
    say("%s is for station %s, not for station %s; nothing was written", command.file.c_str(),
        identity_text(image, identity_size).c_str(), station_identity().c_str());
    return status_file_error;
  }
  if (sent.end == TransferEnd::identity_unread) {
    say("nothing was written");
    return status_failed;
  }
  if (sent.whole() && with_books) {
    std::vector<std::pair<int, int>> names;
    for (const TomrikBookRecord& r : books.records) names.emplace_back(r.group, r.index);
    progress.part("the phone books", book_unit_names(names));
    sent = write_books_to_station(books, progress);
    if (sent.end == TransferEnd::not_suitable) {
      progress.end_line();
      say("%s holds phone books station %s does not have; they were not written",
          tomrik_companion_path(command.file).c_str(), station_identity().c_str());
      return status_file_error;
    }
  }
  progress.end_line();
  if (!sent.whole()) {
    say("the station holds part of %s only: %d %s failed", command.file.c_str(), sent.failures, unit_word());
    return status_failed;
  }
  say("%s%s written to station %s and read back", command.file.c_str(),
      with_books ? " and its phone books" : "", station_identity().c_str());
  return status_done;
}

// ----------------------------------------------------- station and file

int compare_station(const StationCommand& command, const CatalogueModel& model) {
  static std::uint8_t image[karvel_image_size], station_image[karvel_image_size];
  if (int status = load_image_file(command.file, image)) return status;
  TomrikCompanion books, station_books;
  bool with_books = false;
  if (record_station())
    if (int status = load_books_file(command.file, image, books, with_books, "compared")) return status;
  if (!connect_station()) return status_failed;
  if (!read_station_whole(station_image, with_books ? &station_books : nullptr)) {
    say("the station could not be read whole; nothing was compared");
    return status_failed;
  }
  // The file is A, the station B, as --compare lists two files.
  Configuration in_file, in_station;
  in_file.model = in_station.model = &model;
  in_file.image.assign(image, image + image_size());
  in_station.image.assign(station_image, station_image + image_size());
  if (with_books) {
    in_file.companion = encode_tomrik_companion(books);
    in_station.companion = encode_tomrik_companion(station_books);
  }
  int status = compare_configurations(in_file, in_station, stdout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    say("cannot write to standard output");
    return status_file_error;
  }
  if (status == 0) say("station %s holds what %s holds", station_identity().c_str(), command.file.c_str());
  if (status == 1) say("station %s differs from %s", station_identity().c_str(), command.file.c_str());
  return status;
}

}  // namespace

std::optional<int> run_station_command(int argc, char** argv, const CatalogueModel& model) {
  if (!names_a_station_command(argc, argv)) return std::nullopt;
  const char* program = model.program;
  program_name = program;
  std::string problem;
  std::optional<StationCommand> command = parse(argc, argv, problem);
  if (!command) {
    say("%s (see %s --help)", problem.c_str(), program);
    return status_file_error;
  }
  platform::use_system_services();
  platform::use_no_terminal();
  platform::end_command_on_signals(program);
  reset_run_state();
  link_send_boxes_to(report_box);
  if (!command->port.empty()) platform::choose_serial_device("COM1", command->port);
  link_state.port_index = 0;
  int status = command->kind == Kind::read    ? read_station(*command)
               : command->kind == Kind::write ? write_station(*command)
                                              : compare_station(*command, model);
  if (link_state.station_connected) link_rts_off();
  link_send_boxes_to(nullptr);
  return status;
}
