#include "editors/field_editors.h"

#include <algorithm>
#include <vector>

#include "facts/digits.h"
#include "facts/karvel_memory.h"
#include "facts/station_facts.h"
#include "link/link.h"
#include "link/link_screens.h"
#include "platform/cp866.h"
#include "toolkit/digit_string.h"
#include "toolkit/hints.h"
#include "toolkit/screen.h"

namespace {
FieldDrawing* drawing = nullptr;
}  // namespace

FieldDrawing::FieldDrawing() : outer_(drawing) {
  if (outer_) {
    status_ = outer_->status_;
    left_ = outer_->left_;
  }
  drawing = this;
}

FieldDrawing::~FieldDrawing() {
  drawing = outer_;
  if (outer_ && outer_->status_ == link_ok) {
    outer_->status_ = status_;
    outer_->left_ = left_;
  }
}

int read_block_watching_esc(int address, int count, bool& esc) {
  KeyReads before = key_reads();
  int status = link_read_block_alike(address, count);
  KeyReads after = key_reads();
  esc = status != link_ok && after.count != before.count && after.last == key::esc;
  return status;
}

int drawing_read_block(int address, int count) {
  if (!drawing) return link_read_block_alike(address, count);
  if (drawing->status_ != link_ok) return drawing->status_;
  drawing->status_ = read_block_watching_esc(address, count, drawing->left_);
  return drawing->status_;
}

namespace {

int byte_value(int i) { return link_buffer[i] & 0xFF; }

// How a one-byte choice field looks and what Space does to it.
struct ChoiceKind {
  std::string (*text)(int value);
  int (*next)(int value);
  void (*hint)();
};

int toggle(int value) { return (value + 1) & 1; }

std::string line_ref_text(int v) { return field_text::line_ref(v, link_counts()); }

const ChoiceKind yes_no_kind{field_text::yes_no, toggle, hint_space_enter};
const ChoiceKind baud_kind{field_text::baud, [](int v) { return (v + 1) % facts::karvel_speed_count; }, hint_space_enter};
const ChoiceKind port_bus_kind{field_text::port_bus, nullptr, nullptr};
const ChoiceKind allowed_kind{field_text::allowed, toggle, nullptr};
const ChoiceKind dial_mode_kind{field_text::dial_mode, toggle, nullptr};
const ChoiceKind hold_sound_kind{field_text::hold_sound, [](int v) { return v + 1 >= 3 ? 0 : v + 1; }, nullptr};
const ChoiceKind line_ref_kind{line_ref_text,
                               [](int v) { return v + 1 > link_state.city_line_count ? 0 : v + 1; }, nullptr};

// Prints a text at the field's cell and leaves the cursor on the cell.
void print_field(ScreenPos at, const std::string& text, std::uint8_t colour) {
  goto_xy(at);
  set_colour(colour);
  put_text(text);
  goto_xy(at);
}

// The show half every field shares: read, print by the field's rule (or
// `width` blanks when the read failed), put the cursor back on the cell in
// the screen colour.
template <typename Render>
int show_field(ScreenPos at, int address, int count, std::uint8_t colour, int width, Render render) {
  int status = drawing_read_block(address, count);
  // A failed read's box has moved the cursor and changed the colour.
  goto_xy(at);
  set_colour(colour);
  put_text(status == link_ok ? render() : std::string(width, ' '));
  goto_xy(at);
  set_colour(COLOR_SCREEN);
  return status;
}

// The end of an edit half: after a write that stands the field is shown
// again from the station; after one the read-back found different it shows
// what the station holds, and the edit gives the write's failure.
template <typename Show>
int show_after_write(int status, Show show) {
  bool differed = status > 0 && link_read_back_differed();
  if (status != link_ok && !differed) return status;
  int shown = show();
  return status == link_ok ? shown : status;
}

int show_choice(ScreenPos at, int address, std::uint8_t colour, const ChoiceKind& kind) {
  // Every choice's text for 0 is as wide as its others.
  const int width = static_cast<int>(kind.text(0).size());
  return show_field(at, address, 1, colour, width, [&] { return kind.text(byte_value(0)); });
}

int edit_choice(ScreenPos at, int address, const ChoiceKind& kind, bool follow_speed = false) {
  if (check_access() != 0) return -1;
  if (kind.hint) kind.hint();
  // A value that could not be read is not edited: Enter would write
  // whatever the link buffer held.
  int status = show_choice(at, address, COLOR_BOX, kind);
  if (status != link_ok) return status;
  const int k = read_space_steps([&] {
    link_buffer[0] = kind.next(byte_value(0)) & 0xFF;
    print_field(at, kind.text(byte_value(0)), COLOR_BOX);
  });
  if (k == key::esc) return show_choice(at, address, COLOR_SCREEN, kind);
  int value = byte_value(0);
  int write_status = link_write_block(address, 1);
  // The station moves to a new speed as soon as it has stored it; the
  // program follows only a station that took the byte.
  if (follow_speed && address == facts::karvel_speed_address) link_follow_station_speed(value, write_status, 1);
  return show_after_write(write_status, [&] { return show_choice(at, address, COLOR_SCREEN, kind); });
}

// Typed numbers: the field is blanked, digits are echoed as typed, and a
// value outside its limits is never written. Plain numbers take every digit
// under the maximum rule ("0 0 0 0 5" is 5); references have room for no
// more digits than their width, and one more starts again unechoed.
struct TypedKind {
  int width;
  int bytes;
  int base;  // stored value = typed value - base
  bool width_restarts;
};

int edit_typed(ScreenPos at, int address, int minimum, int maximum, const TypedKind& kind) {
  if (check_access() != 0) return -1;
  hint_digits_enter();
  const TypedNumber typed = read_typed_number({at, kind.width, COLOR_BOX, minimum, maximum, kind.width_restarts});
  if (typed.key != key::enter) return link_ok;
  const int stored = typed.value - kind.base;
  link_buffer[0] = stored & 0xFF;
  if (kind.bytes == 2) link_buffer[1] = (stored >> 8) & 0xFF;
  return link_write_block(address, kind.bytes);
}

// The link buffer's first `count` entries as bytes (count at most 255).
std::vector<std::uint8_t> buffer_bytes(int count) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::max(count, 0)));
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(byte_value(static_cast<int>(i)));
  return bytes;
}

std::string digits_text(int count, const DigitPair* table) {
  return field_text::digits(buffer_bytes(count).data(), count, table);
}

std::string plain_text(int count) { return field_text::characters(buffer_bytes(count).data(), count); }

// A trace of the text editor's keys on row 24, as the station's engineers
// know it: each key and the insertion point it meets, as the key is read.
void trace_text_key(int k, int scan, int place) {
  print_at(1, 24, format("ch=%4X                                ", k), COLOR_SCREEN);
  print_at(20, 24, format("cntx=%2d", place), COLOR_SCREEN);
  if (k == key::extended) print_at(10, 24, format("ch=%4X", scan), COLOR_SCREEN);
}

// A field is at most 255 bytes long, as many as one block read or write
// carries.
int field_length(int count) { return std::clamp(count, 1, 255); }

}  // namespace

FieldCounts link_counts() {
  FieldCounts counts;
  counts.ports = link_state.port_count;
  counts.city_lines = link_state.city_line_count;
  counts.subscribers = link_state.subscriber_count;
  return counts;
}

int show_yes_no(ScreenPos at, int address, std::uint8_t colour) { return show_choice(at, address, colour, yes_no_kind); }
int edit_yes_no(ScreenPos at, int address) { return edit_choice(at, address, yes_no_kind); }
int show_baud(ScreenPos at, int address, std::uint8_t colour) { return show_choice(at, address, colour, baud_kind); }
int edit_baud(ScreenPos at, int address) { return edit_choice(at, address, baud_kind, true); }
int show_port_bus(ScreenPos at, int address, std::uint8_t colour) { return show_choice(at, address, colour, port_bus_kind); }
int show_allowed(ScreenPos at, int address, std::uint8_t colour) { return show_choice(at, address, colour, allowed_kind); }
int edit_allowed(ScreenPos at, int address) { return edit_choice(at, address, allowed_kind); }
int show_dial_mode(ScreenPos at, int address, std::uint8_t colour) { return show_choice(at, address, colour, dial_mode_kind); }
int edit_dial_mode(ScreenPos at, int address) { return edit_choice(at, address, dial_mode_kind); }
int show_hold_sound(ScreenPos at, int address, std::uint8_t colour) { return show_choice(at, address, colour, hold_sound_kind); }
int edit_hold_sound(ScreenPos at, int address) { return edit_choice(at, address, hold_sound_kind); }
int show_line_ref(ScreenPos at, int address, std::uint8_t colour) { return show_choice(at, address, colour, line_ref_kind); }
int edit_line_ref(ScreenPos at, int address) { return edit_choice(at, address, line_ref_kind); }

int show_number(ScreenPos at, int address, std::uint8_t colour) {
  return show_field(at, address, 1, colour, 4,
                    [] { return field_text::number(byte_value(0)); });
}

int edit_number(ScreenPos at, int address, int minimum, int maximum) {
  int status = edit_typed(at, address, minimum, std::min(maximum, 255), {4, 1, 0, false});
  return show_after_write(status, [&] { return show_number(at, address, COLOR_SCREEN); });
}

int show_number16(ScreenPos at, int address, std::uint8_t colour) {
  return show_field(at, address, 2, colour, 5,
                    [] { return field_text::number16(byte_value(0), byte_value(1)); });
}

int edit_number16(ScreenPos at, int address, int minimum, int maximum) {
  int status = edit_typed(at, address, minimum, std::min(maximum, 65535), {5, 2, 0, false});
  return show_after_write(status, [&] { return show_number16(at, address, COLOR_SCREEN); });
}

int show_port_ref(ScreenPos at, int address, std::uint8_t colour) {
  return show_field(at, address, 1, colour, 2, [] { return field_text::port_ref(byte_value(0), link_counts()); });
}

int edit_port_ref(ScreenPos at, int address) {
  int status = edit_typed(at, address, 0, link_state.port_count, {2, 1, 0, true});
  return show_after_write(status, [&] { return show_port_ref(at, address, COLOR_SCREEN); });
}

int show_subscriber_ref(ScreenPos at, int address, std::uint8_t colour, int kind) {
  return show_field(at, address, 1, colour, 3,
                    [kind] { return field_text::subscriber_ref(byte_value(0), kind, link_counts()); });
}

int edit_subscriber_ref(ScreenPos at, int address, int kind) {
  int base = field_text::subscriber_base(kind);
  int status = edit_typed(at, address, base + 1, base + link_state.port_count, {3, 1, base, true});
  return show_after_write(status, [&] { return show_subscriber_ref(at, address, COLOR_SCREEN, kind); });
}

int show_digits(ScreenPos at, int address, std::uint8_t colour, int count, const DigitPair* table) {
  count = field_length(count);
  return show_field(at, address, count, colour, count, [&] { return digits_text(count, table); });
}

int edit_digits(ScreenPos at, int address, int count, const DigitPair* table) {
  count = field_length(count);
  if (check_access() != 0) return -1;
  hint_digit_string();
  int status = show_digits(at, address, COLOR_BOX, count, table);
  if (status != link_ok) return status;
  const DigitString field{at, link_buffer, count, [table](int k) { return digit_code(table, k); },
                          [table](int code) { return digit_char(table, code & 0xFF); }};
  if (edit_digit_string(field) == key::enter) {
    status = link_write_block(address, count);
    if (status != link_ok) return status;
  }
  status = show_digits(at, address, COLOR_SCREEN, count, table);
  set_colour(COLOR_SCREEN);
  return status;
}

int show_text(ScreenPos at, int address, std::uint8_t colour, int count) {
  count = field_length(count);
  return show_field(at, address, count, colour, count, [&] { return plain_text(count); });
}

int edit_text(ScreenPos at, int address, int count) {
  count = field_length(count);
  if (check_access() != 0) return -1;
  int status = show_text(at, address, COLOR_BOX, count);
  if (status != link_ok) return status;
  const DigitString field{at, link_buffer, count, [](int k) { return k >= 32 ? k : -1; },
                          [](int code) { return static_cast<char>(code < 32 ? ' ' : code); },
                          DigitTyping::insert_always, true, RightStep::off_a_code};
  if (edit_digit_string(field, trace_text_key) == key::enter) status = link_write_block(address, count);
  // Shown again from the station whether the write stood or not.
  show_text(at, address, COLOR_SCREEN, count);
  set_colour(COLOR_SCREEN);
  return status;
}

namespace {

// access_pending after a level read that failed: the edit is refused.
constexpr int level_unknown = 0x100;

// The refusal box stays 1.5 seconds; Esc ends it at once and is not kept
// for the page. Other keys pressed meanwhile are kept, as they came.
void wait_out_refusal() {
  constexpr int step_ms = 20;
  std::vector<int> kept;
  for (int waited = 0; waited < 1500; waited += step_ms) {
    bool esc = false;
    while (key_waiting() && !esc) {
      int k = read_key();
      esc = k == key::esc;
      if (!esc) kept.push_back(k);
      if (k == key::extended && key_waiting()) kept.push_back(read_key());  // its scan code
    }
    if (esc) break;
    wait_ms(step_ms);
  }
  give_back_keys(kept);
}

}  // namespace

// The access code the next protected edit asks for; made as the program is
// loaded, with no code run at start-up.
constinit int access_pending = 0;

void reset_editor_state() { access_pending = 0; }

void load_access_level(int parameter) {
  // A level that could not be read protects the parameter: the edit is
  // refused with one box, also where the read itself shows none (a data
  // byte unanswered, the command byte refused).
  LinkResult read;
  int box = 0;
  {
    LinkBoxesHeld held;
    read = link_read_block_alike(facts::karvel_protection_address(parameter), 1);
    box = held.take();
  }
  if (read == link_ok) {
    access_pending = byte_value(0);
    return;
  }
  if (box == 0) box = read == link_refused ? link_not_acknowledged : link_no_answer;
  link_error_box(box);
  access_pending = level_unknown;
}

int ask_access_code() {
  int pending = access_pending;
  access_pending = 0;
  if (pending == level_unknown) return access_refused_quietly;
  // Levels 1..7 name a code; a level whose low three bits are 0 names none
  // and asks for nothing.
  int level = pending & 7;
  if (level == 0) return 0;
  // Codes that could not be read at connection are not known to be 0.
  if (!link_state.access_codes_known) return -1;
  int code = link_state.access_code_table[level];
  if (code == 0) return 0;
  open_modal_window();
  draw_box(20, 10, 30, 3);
  print_at(23, 12, "Введите код доступа:"_cp, COLOR_BOX);
  goto_xy(45, 12);
  set_colour(COLOR_BOX);
  long typed = 0;
  bool entered = read_number_or_esc(typed);
  set_colour(COLOR_SCREEN);
  close_modal_window();
  if (!entered) return access_refused_quietly;
  return typed == code ? 0 : -1;
}

int check_access() {
  int asked = ask_access_code();
  if (asked == 0) return 0;
  if (asked == -1) show_access_denied();
  return -1;
}

void show_access_denied() {
  save_screen();
  set_window(5, 3, 75, 23);
  draw_box(15, 10, 40, 5);
  print_at(23, 12, std::string(24, ' '), COLOR_DENIED);
  print_at(23, 13, "  Неверный код доступа  "_cp, COLOR_DENIED);
  print_at(23, 14, std::string(24, ' '), COLOR_DENIED);
  wait_out_refusal();
  set_window(1, 1, 80, 25);
  restore_screen();
}

void show_record_cell(ScreenPos at, const int* record, int value, const CellRule& rule, std::uint8_t colour) {
  if (record[0] == 0) return;
  print_field(at, rule.text(value), colour);
  set_colour(COLOR_SCREEN);
}

int edit_record_cell(ScreenPos at, const int* record, int& value, const CellRule& rule) {
  if (record[0] == 0) return 0;
  return read_space_steps([&] {
    value = rule.next(value);
    show_record_cell(at, record, value, rule, COLOR_BOX);
  });
}

void show_bit_yes_no(ScreenPos at, int value, int bit, std::uint8_t colour) {
  bool set = bit >= 1 && bit <= 8 && (value >> (bit - 1)) & 1;
  print_field(at, set ? " Да"_cp : "Нет"_cp, colour);
  set_colour(COLOR_SCREEN);
}

int edit_bit_yes_no(ScreenPos at, int& value, int bit) {
  return read_space_steps([&] {
    if (bit < 1 || bit > 8) return;
    value = (value ^ (1 << (bit - 1))) & 0xFF;
    show_bit_yes_no(at, value, bit, COLOR_BOX);
  });
}
