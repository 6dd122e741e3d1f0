#pragma once
// What the file commands and the whole-configuration transfers share: the
// messages at the dialog's name field, the result line, the progress bars,
// and the frame of a transfer command (dialog, question, transfer, again).

#include <cstdint>
#include <functional>
#include <string>

#include "settings/station_transfers.h"

// karvel messages at (34, 4) in COLOR_ALERT; each waits for a key and
// blanks its field again.
void show_open_error();
void show_file_not_suitable();
// A file that was opened but could not be written whole (the disk is full,
// the device failed); the old one is kept.
void show_write_error();

// A result text centred in a field of `width` at (column, 4), and a second
// line below it when one is given; waits for a key, blanks them and returns
// the key (0 for an extended key).
int show_result(const char* text, int column, int width, std::uint8_t colour, const std::string& below = "");
// The line below a result that says how many units failed: "Блоков с
// ошибкой: 3" (karvel) or "Записей с ошибкой: 3" (tomrik); empty for none.
std::string failed_units_text(int failures);
// The result of a transfer whose file could not be written: the line from
// `line_start` to the end of the field is blanked first (the progress line
// stands there), then the text is shown as a result.
int show_write_failure(int line_start, int column, int width);
// tomrik's refusal of a file for another configuration, at (34, 4) as it
// stands (not centred); waits for a key, blanks the line, returns the key.
int show_unsuitable_configuration();

struct TransferCommand {
  bool clear_screen_first;
  int question_column;
  std::string (*question)();  // the question for the chosen file
  // Runs after a yes: the key that ends the round (Esc ends the command,
  // any other shows the dialog again).
  int (*transfer)();
};
void run_transfer_command(const TransferCommand& command);

// The result text of a transfer from the station that could not read every
// setting: the line or the station failed, and the file was kept.
const char* link_failure_text();

// How a transfer moves its units (blocks or records) through a link that
// may fail. A unit that fails is tried again, up to three times, before it
// counts as failed; reads and writes are both safe to repeat. The transfer
// proper has a watch: it is asked before every try and, while a try runs,
// before every byte the link sends, so a stop (Esc, for the File menu's
// commands) ends the transfer within one answer's time-out and a settling
// pause however silent the station is; a failed unit shows no box and waits
// for no key: the watch hears of it and the result counts them. A course
// without a watch (a check before the transfer proper, a connection) is
// never stopped, and its failed unit shows the box of its last try (karvel
// blocks; records show none). A run of `failures_to_end` consecutive failed
// units ends the transfer, since the station is gone.
class TransferCourse {
 public:
  static constexpr int retries = 3;
  explicit TransferCourse(int failures_to_end, TransferWatch* watch = nullptr)
      : failures_to_end_(failures_to_end), watch_(watch) {}
  TransferCourse(const TransferCourse&) = delete;
  TransferCourse& operator=(const TransferCourse&) = delete;

  enum class Unit { done, failed, end };
  // Runs unit `unit`; `attempt` is one try, true when it succeeded. `end`:
  // stopped, or a run of failures; the transfer goes no further.
  Unit run(const std::function<bool()>& attempt, int unit = 0);

  bool stopped() const { return stopped_; }
  int failures() const { return failures_; }
  // Whether the transfer ended before its last unit, whatever the reason.
  bool ended() const { return ended_; }
  // The outcome of a course that ran to here.
  TransferOutcome outcome() const;

 private:
  bool stop_asked();
  static bool stop_during_try();
  static TransferCourse* trying_;

  int failures_to_end_;
  TransferWatch* watch_;
  int failures_ = 0;
  int run_ = 0;  // consecutive failed units
  bool stopped_ = false;
  bool ended_ = false;
};

// One read of a unit (a block or a record): whether the link gave it, and
// the bytes it gave.
struct UnitRead {
  bool read = false;
  const int* data = nullptr;
  int count = 0;
};

// A whole read of units 0..count-1, each read until two reads in a row
// agree. It is whole or nothing: the first unit that still fails ends the
// transfer. `keep` takes each unit so read, from the bytes of its last
// read. Progress and stops go through the watch: started(count, false),
// then unit_done after each unit read.
struct ReadPlan {
  int count = 0;
  std::function<UnitRead(int unit)> read;
  std::function<void(int unit)> keep;
};
TransferOutcome read_whole(const ReadPlan& plan, TransferWatch& watch);

// One read of a record into `record`, its length first; a record the
// station does not have reads with length 0.
UnitRead read_record_once(int* record, int group, int index);

// A whole send of units 0..count-1 (blocks or records). Each unit is
// written and read back by the link. That cannot prove the whole: a later
// write whose address or record name arrived damaged, with check bytes that
// still agreed, lands on a unit already sent and read back. So once every
// unit is sent, what the station holds is read unit by unit and compared
// with the file; the units found different are written again and the whole
// is compared once more, and a unit still different counts as failed. A
// unit counts as the file's when a read equals it; as different only when
// two reads in a row agree and differ from it.
struct SendPlan {
  int count = 0;
  // Units the station keeps to itself are neither written nor compared.
  std::function<bool(int unit)> sent;
  // One try of writing the unit.
  std::function<bool(int unit)> write;
  // One read of the unit: whether it came, whether it equals what the file
  // gave the unit (bytes the station keeps aside), and the bytes read.
  struct ReadBack : UnitRead {
    bool same = false;
  };
  std::function<ReadBack(int unit)> read_back;
};
// Progress and stops go through the watch: started(count, false) for the
// pass that sends, started(count, true) for each that compares, and
// unit_done after each unit a pass has gone over. The failures counted are
// the units the station does not hold as the file gives them.
TransferOutcome send_whole(const SendPlan& plan, TransferWatch& watch);

// True in tomrik, whose station is addressed by records.
bool record_station();
