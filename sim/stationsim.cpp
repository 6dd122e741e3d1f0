// stationsim: a station of either model on a pseudo-terminal, for the
// programs to talk to when no station is at hand.
//
//   stationsim --model karvel --link /tmp/com1 --baud 57600 &
//   STATION_COM1=/tmp/com1 karvel
//
// See `stationsim --help` for the options, and event_script.h for the
// events file.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <ctime>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "platform/program_files.h"
#include "platform/serial.h"
#include "sim/event_script.h"
#include "sim/karvel_station.h"
#include "sim/pty_station.h"
#include "sim/station_line.h"
#include "sim/storage_device.h"
#include "sim/tomrik_station.h"
#include "sim/tomrik_traffic.h"

namespace {

const char usage[] =
    "usage: stationsim [options]\n"
    "  --model karvel|tomrik  station model (default karvel)\n"
    "  --link PATH            make PATH a symbolic link to the line's device\n"
    "  --baud N               the station's speed: karvel 9600, 19200, 38400 or\n"
    "                         57600 (default: its speed setting at 0x8029, or\n"
    "                         57600 when that is not 0..3); tomrik 4800 (default)\n"
    "  --identity TEXT        identity: 8 characters for karvel, 4 for tomrik\n"
    "  --image FILE.set       load the configuration from a settings file\n"
    "  --save FILE.set        write the configuration there when ending\n"
    "  --events FILE          event frames to offer to polls (one per line, hex\n"
    "                         bytes, optional leading +MS delay, # comments)\n"
    "  --drop P               probability that an answer is lost\n"
    "  --corrupt P            probability that an answer arrives with one bit\n"
    "                         wrong (acknowledgements, data, lengths and check\n"
    "                         bytes alike; a check byte stays below 0x80)\n"
    "  --corrupt-received P   probability that a byte from the program reaches\n"
    "                         the station with one bit wrong\n"
    "  --late P               probability that an answer comes after the\n"
    "                         program's time-out\n"
    "  --idle-sync P          tomrik: probability that the station answers the\n"
    "                         first synchronisation byte of a frame with its\n"
    "                         idle 0x80 (the next attempt synchronises)\n"
    "  --seed N               seed for the faults and the traffic (default 1)\n"
    "  --pace                 delay each answer by the wire time of the byte and\n"
    "                         its answer at the line speed\n"
    "  --storage FILE|gen     tomrik: the storage device's call records, from a\n"
    "                         file (each record its length byte, then its bytes)\n"
    "                         or generated; the device starts switched off\n"
    "  --storage-auto         the storage device switches itself on while the\n"
    "                         program is quiet for a second, and off at the\n"
    "                         program's first byte for the station\n"
    "  --control PATH         a FIFO (made if missing) for operator commands, one\n"
    "                         a line: \"storage on\", \"storage off\"\n"
    "  -v                     one line per frame on stderr (-vv: empty polls too)\n"
    // A live station.
    "  --traffic              a live station: karvel's telephones and lines call\n"
    "                         on their own (seeded by --seed), in the state memory\n"
    "                         and as events for the polls, and key frames dial on\n"
    "                         its first port in service; tomrik runs calls of its\n"
    "                         own and offers them as events (the same seed, the\n"
    "                         same calls)\n"
    "  --help                 show this text\n"
    "  --version              show the version\n";

struct Options {
  std::string model = "karvel";
  std::string link, identity, image, save, events, storage, control;
  int baud = 0;
  sim::FaultPlan faults;
  double idle_sync = 0;
  bool pace = false;
  int verbose = 0;
  bool traffic = false;
  bool storage_auto = false;
};

volatile sig_atomic_t stop_signal = 0;
void on_stop(int signal) { stop_signal = signal; }

[[noreturn]] void fail(const std::string& message) {
  std::fprintf(stderr, "stationsim: %s\n", message.c_str());
  std::exit(2);
}

// Plain decimal digits, at most `max`; nothing for anything else (signs,
// blanks, an empty text, a value past `max`).
std::optional<std::uint64_t> decimal(const char* text, std::uint64_t max) {
  if (*text == '\0') return std::nullopt;
  std::uint64_t n = 0;
  for (const char* p = text; *p; ++p) {
    if (*p < '0' || *p > '9') return std::nullopt;
    auto digit = static_cast<std::uint64_t>(*p - '0');
    if (n > (max - digit) / 10) return std::nullopt;
    n = n * 10 + digit;
  }
  return n;
}

double probability(const std::string& option, const char* text) {
  char* end = nullptr;
  double p = -1;
  if (*text != '\0' && !std::isspace(static_cast<unsigned char>(*text))) p = std::strtod(text, &end);
  if (!end || *end || !(p >= 0 && p <= 1))
    fail(option + " takes a probability from 0 to 1, not \"" + text + "\"");
  return p;
}

int line_speed(const std::string& option, const char* text) {
  std::optional<std::uint64_t> n = decimal(text, 1000000);
  if (!n || !platform::is_serial_speed(static_cast<int>(*n)))
    fail(option + " takes one of 4800, 9600, 19200, 38400 or 57600, not \"" + text + "\"");
  return static_cast<int>(*n);
}

std::uint64_t seed(const std::string& option, const char* text) {
  constexpr std::uint64_t largest = std::numeric_limits<std::uint64_t>::max();
  std::optional<std::uint64_t> n = decimal(text, largest);
  if (!n) fail(option + " takes a whole number from 0 to " + std::to_string(largest) + ", not \"" + text + "\"");
  return *n;
}

Options parse(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&]() -> const char* {
      if (i + 1 >= argc) fail(a + " needs a value");
      return argv[++i];
    };
    if (a == "--model") o.model = value();
    else if (a == "--link") o.link = value();
    else if (a == "--baud") o.baud = line_speed(a, value());
    else if (a == "--identity") o.identity = value();
    else if (a == "--image") o.image = value();
    else if (a == "--save") o.save = value();
    else if (a == "--events") o.events = value();
    else if (a == "--storage") o.storage = value();
    else if (a == "--control") o.control = value();
    else if (a == "--storage-auto") o.storage_auto = true;
    else if (a == "--drop") o.faults.drop = probability(a, value());
    else if (a == "--corrupt") o.faults.corrupt = probability(a, value());
    else if (a == "--corrupt-received") o.faults.corrupt_received = probability(a, value());
    else if (a == "--late") o.faults.late = probability(a, value());
    else if (a == "--idle-sync") o.idle_sync = probability(a, value());
    else if (a == "--seed") o.faults.seed = seed(a, value());
    else if (a == "--pace") o.pace = true;
    else if (a == "--traffic") o.traffic = true;
    else if (a == "-v") o.verbose = 1;
    else if (a == "-vv") o.verbose = 2;
    else if (a == "--version") {
      std::printf("stationsim %s\n", platform::program_version());
      std::exit(0);
    } else if (a == "--help" || a == "-h") {
      std::fputs(usage, stdout);
      std::exit(0);
    } else {
      fail("unknown option " + a + "\n" + usage);
    }
  }
  if (o.model != "karvel" && o.model != "tomrik") fail("--model is karvel or tomrik");
  if (!o.storage.empty() && o.model != "tomrik") fail("only a tomrik station has a storage device");
  if (o.storage_auto && o.storage.empty()) fail("--storage-auto needs --storage");
  if (o.idle_sync > 0 && o.model != "tomrik") fail("--idle-sync is for a tomrik station");
  return o;
}

bool read_file(const std::string& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// Writes beside the file and renames, so an existing file is never left
// half written.
bool write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::string temporary = path + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::remove(temporary.c_str());
      return false;
    }
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

void load_image(sim::Station& station, const std::string& path) {
  std::string content;
  if (!read_file(path, content)) fail("cannot read " + path);
  if (content.size() != station.image_size())
    fail(path + " holds " + std::to_string(content.size()) + " bytes; a " + station.model() + " settings file holds " +
         std::to_string(station.image_size()));
  station.load_image(std::vector<std::uint8_t>(content.begin(), content.end()));
}

void set_speed(sim::Station& station, int baud, bool karvel) {
  if (karvel ? facts::karvel_speed_index(baud) < 0 : !platform::is_serial_speed(baud))
    fail("the " + std::string(station.model()) + " station cannot run at " + std::to_string(baud) + " baud");
  if (karvel) {
    int before = static_cast<sim::KarvelStation&>(station).peek(sim::KarvelStation::speed_setting);
    if (before != facts::karvel_speed_index(baud))
      std::fprintf(stderr, "stationsim: speed setting at 0x8029 set from %d to %d for %d baud\n", before,
                   facts::karvel_speed_index(baud), baud);
  }
  station.set_baud(baud);
}

std::uint64_t steady_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// The operator's channel: a FIFO read without blocking, held open for
// writing as well so that a writer closing it is no end of file.
struct ControlChannel {
  int fd = -1;
  std::string partial;

  void open(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
      if (::mkfifo(path.c_str(), 0600) != 0) fail("cannot make the FIFO " + path + ": " + std::strerror(errno));
    } else if (!S_ISFIFO(st.st_mode)) {
      fail(path + " is not a FIFO");
    }
    fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK);
    if (fd < 0) fail("cannot open " + path + ": " + std::strerror(errno));
  }
  // Complete lines that have come since the last look.
  std::vector<std::string> lines() {
    std::vector<std::string> out;
    if (fd < 0) return out;
    char buf[256];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0) partial.append(buf, static_cast<std::size_t>(n));
    std::size_t at;
    while ((at = partial.find('\n')) != std::string::npos) {
      std::string line = partial.substr(0, at);
      partial.erase(0, at + 1);
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
      out.push_back(line);
    }
    if (partial.size() > 4096) partial.clear();
    return out;
  }
};

std::array<std::uint8_t, 7> local_clock() {
  std::time_t now = std::time(nullptr);
  std::tm t{};
  localtime_r(&now, &t);
  return sim::clock_record(t);
}

}  // namespace

int main(int argc, char** argv) {
  Options o = parse(argc, argv);
  bool karvel = o.model == "karvel";
  std::unique_ptr<sim::Station> station;
  if (karvel) station = std::make_unique<sim::KarvelStation>();
  else station = std::make_unique<sim::TomrikStation>();

  if (!o.image.empty()) load_image(*station, o.image);
  if (!o.identity.empty() && !station->set_identity(o.identity))
    fail(std::string("a ") + station->model() + " identity has " + (karvel ? "8" : "4") + " characters");
  if (o.baud) set_speed(*station, o.baud, karvel);
  if (!karvel) static_cast<sim::TomrikStation&>(*station).set_idle_sync(o.idle_sync, o.faults.seed);

  auto say = [](const std::string& line) { std::fprintf(stderr, "stationsim: %s\n", line.c_str()); };
  if (o.verbose) station->frame_log = say;
  station->log_empty_polls = o.verbose > 1;

  // A live station starts once it has its configuration and its log.
  if (o.traffic && karvel) static_cast<sim::KarvelStation&>(*station).start_traffic(o.faults.seed, steady_ms());

  if (!o.events.empty()) {
    std::string text, error;
    std::vector<sim::ScriptedEvent> events;
    if (!read_file(o.events, text)) fail("cannot read " + o.events);
    if (!sim::parse_event_script(text, events, error) || !sim::schedule_events(*station, events, steady_ms(), error))
      fail(o.events + ": " + error);
  }

  sim::StationLine line(*station, o.faults);
  line.set_pacing(o.pace);
  // Paced answers are due a fraction of a millisecond apart: wake on time.
  if (o.pace) prctl(PR_SET_TIMERSLACK, 1UL);
  if (o.verbose) line.fault_log = say;
  sim::PtyStation pty(*station, line);
  if (o.verbose) pty.note = say;

  sim::StorageDevice storage;
  if (!o.storage.empty()) {
    if (o.storage == "gen") {
      storage.store = sim::generate_calls(12, o.faults.seed);
    } else if (std::string why; !sim::read_store_file(o.storage, storage.store, why)) {
      fail(why);
    }
    storage.set_clock(local_clock(), steady_ms());
    storage.set_faults(o.faults);
    if (o.verbose) storage.log = say;
    pty.set_storage(&storage);
    pty.set_storage_auto(o.storage_auto);
  }
  ControlChannel control;
  if (!o.control.empty()) control.open(o.control);

  // The tomrik station's own calls, fed to its event queue as they happen
  // (the karvel station runs its traffic itself).
  std::unique_ptr<sim::TomrikTraffic> traffic;
  if (o.traffic && !karvel) {
    auto& tomrik = static_cast<sim::TomrikStation&>(*station);
    traffic = std::make_unique<sim::TomrikTraffic>(tomrik.city_lines(), tomrik.subscribers(), o.faults.seed);
  }

  std::string error;
  if (!pty.open(error)) fail(error);
  if (!o.link.empty() && !pty.make_link(o.link, error)) fail(error);

  // The stop signals are held back except while waiting on the line, so
  // one that comes between two waits is not lost.
  sigset_t stops, waiting;
  sigemptyset(&stops);
  for (int s : {SIGINT, SIGTERM, SIGHUP}) {
    sigaddset(&stops, s);
    struct sigaction sa {};
    sa.sa_handler = on_stop;
    sigaction(s, &sa, nullptr);
  }
  sigprocmask(SIG_BLOCK, &stops, &waiting);
  sigdelset(&waiting, SIGINT);
  sigdelset(&waiting, SIGTERM);
  sigdelset(&waiting, SIGHUP);

  std::printf("stationsim: %s station at %d baud listening on %s%s%s\n", station->model(), station->baud(),
              pty.device().c_str(), o.link.empty() ? "" : " (link ", o.link.empty() ? "" : (o.link + ")").c_str());
  std::fflush(stdout);

  bool line_ok = true;
  std::uint64_t last_look = steady_ms();
  while (!stop_signal && line_ok) {
    line_ok = pty.serve(control.fd >= 0 || traffic ? 50 : 500, &waiting);
    if (traffic) traffic->feed(*station, steady_ms());
    for (const std::string& command : control.lines()) {
      if (command == "storage on" || command == "storage off") {
        if (o.storage.empty()) {
          say("no storage device (start with --storage)");
          continue;
        }
        storage.switch_on(command == "storage on", steady_ms());
        say(std::string("storage device switched ") + (storage.on() ? "on" : "off"));
      } else if (!command.empty()) {
        say("unknown operator command: " + command);
      }
    }
    if (steady_ms() - last_look >= 500) {
      pty.release_abandoned_line();
      last_look = steady_ms();
    }
  }

  int status = line_ok ? 0 : 1;
  if (!line_ok) say("the line failed");
  if (!o.save.empty()) {
    if (write_file(o.save, station->image())) {
      say("configuration saved to " + o.save);
    } else {
      say("cannot write " + o.save);
      status = 1;
    }
  }
  pty.remove_link();
  return status;
}
