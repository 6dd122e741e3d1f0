// Station-wide settings of karvel: identity, general settings, hardware and
// logical subscriber numbers, access codes and protection levels.
#include "karvel/station_settings.h"

#include <algorithm>
#include <string>
#include <vector>

#include "editors/field_editors.h"
#include "editors/screen_entry.h"
#include "facts/karvel_memory.h"
#include "karvel/call_handling_pages.h"
#include "karvel/catalogue.h"
#include "karvel/context_help.h"
#include "karvel/field_rows.h"
#include "karvel/parameter_names.h"
#include "karvel/screens.h"
#include "link/link.h"
#include "platform/cp866.h"
#include "toolkit/box_menu.h"
#include "toolkit/field_page.h"
#include "toolkit/hints.h"
#include "toolkit/number_prompt.h"
#include "toolkit/ruled_lines.h"
#include "toolkit/screen.h"

namespace {

// The identity page: four texts of 8 station bytes each. The time shows
// hh:mm, the characters at positions 0..2 and 4..5, without the
// separator's twin.
struct IdentityLine {
  const char* label;
  int address;
  int row;
  std::vector<ImageSpan> shown;  // the runs of positions shown
};
const IdentityLine identity_lines[4] = {
    {"Идентификационный номер станции.........."_cp, facts::karvel_identity_address, 4, {{0, 8}}},
    {"Версия программного обеспечения.........."_cp, facts::karvel_version_address, 5, {{0, 8}}},
    {"Дата создания программного обеспечения..."_cp, facts::karvel_date_address, 6, {{0, 8}}},
    {"Время создания программного обеспечения.."_cp, facts::karvel_time_address, 7, {{0, 3}, {4, 2}}},
};

// The shown bytes of a line, of the 8 read.
std::vector<std::uint8_t> shown_bytes(const IdentityLine& line, const int* read) {
  std::vector<std::uint8_t> bytes;
  for (const ImageSpan& run : line.shown)
    for (int i = run.offset; i < run.offset + run.size; ++i) bytes.push_back(static_cast<std::uint8_t>(read[i]));
  return bytes;
}

// The shown bytes as the listing gives them: a text of their count.
FieldRow shown_text(const std::vector<std::uint8_t>& bytes) {
  return {0, FieldKind::text, 0, 255, static_cast<int>(bytes.size())};
}

// The station's engineers read four service bytes on the identity page:
// Insert, then the two service letters in either case. Any other key
// starts the sequence again.
constexpr char identity_service_keys[2] = {'S', 'V'};
constexpr int service_keys_typed = 3;

int next_service_step(int step, int k, int scan) {
  if (k == key::extended) return scan == key::insert ? 1 : 0;
  const int upper = k >= 'a' && k <= 'z' ? k - 32 : k;
  if (step == 1 && upper == identity_service_keys[0]) return 2;
  if (step == 2 && upper == identity_service_keys[1]) return service_keys_typed;
  return 0;
}

// The bytes stand at the foot of the screen for four seconds.
void flash_service_bytes() {
  if (link_read_block_alike(facts::karvel_service_bytes, 4) != link_ok) return;
  const std::string text = format("%2X,%2X,%2X,%2X", link_buffer[0] & 0xFF, link_buffer[1] & 0xFF,
                                  link_buffer[2] & 0xFF, link_buffer[3] & 0xFF);
  print_at_plain(1, 25, text);
  wait_ms(4000);
  print_at_plain(1, 25, std::string(text.size(), ' '));
}

// ---------------------------------------------------------------- the menu

const BoxMenu settings_menu{28, 10, 30,
                            {{"1.Идентификационный номер"_cp, show_identity_page},
                             {"2.Общестанционные установки"_cp, edit_general_settings},
                             {"3.Аппаратные номера абонентов"_cp, edit_hardware_numbers},
                             {"5.Программные номера абонентов"_cp, edit_logical_numbers},
                             {"4.Коды доступа програмирования"_cp, edit_access_codes}}};

// -------------------------------------------------------- general settings

// Labels at column 4, the units inside them; the mode row (e) has an editor
// of its own.
const RowPage general_page{
    " Общестанционные установки "_cp,
    16,
    {
      {"a/Макс. колличество звонящих телефонов в 1 интервале..."_cp,
       {facts::karvel_ringing_limits, FieldKind::number, 1, 32, 1, 92}, nullptr, nullptr, 92},
      {"b/Макс. колличество звонящих телефонов в 2 интервале..."_cp,
       {facts::karvel_ringing_limits + 1, FieldKind::number, 1, 32, 1, 92}, nullptr, nullptr, 92},
      {"c/Макс. колличество звонящих телефонов в 3 интервале..."_cp,
       {facts::karvel_ringing_limits + 2, FieldKind::number, 1, 32, 1, 92}, nullptr, nullptr, 92},
      {"d/Макс. колличество звонящих телефонов в 4 интервале..."_cp,
       {facts::karvel_ringing_limits + 3, FieldKind::number, 1, 32, 1, 92}, nullptr, nullptr, 92},
      {"e/Режим функционирования станции......................."_cp,
       {facts::karvel_mode_address, FieldKind::none}, nullptr, nullptr, 93},
      {"f/Счетчик инициализации городских линий................"_cp,
       {facts::karvel_line_init_counter, FieldKind::number_ro}, nullptr, nullptr, 95},
      {"g/Счетчик общего сброса станции........................"_cp,
       {facts::karvel_reset_counter, FieldKind::number_ro}, nullptr, nullptr, 96},
      {"h/Колличество циклов для общего сброса................."_cp,
       {facts::karvel_reset_cycles, FieldKind::number, 0, 255, 1, 94}, nullptr, nullptr, 97},
      {"i/Подключение платы автоинформатора...................."_cp,
       {facts::karvel_announcer_fitted, FieldKind::yes_no_ro}, nullptr, nullptr, 209},
      {"j/Скорость обмена по COM порту.........................       Бод."_cp,
       {facts::karvel_speed_address, FieldKind::baud}, nullptr, nullptr, 100},
      {"k/Скорость обмена с системным телефоном................       Бод."_cp,
       {facts::karvel_telephone_speed, FieldKind::baud}, nullptr, nullptr, 100},
      {"l/Подключение DTMF приемников/передатчиков............."_cp,
       {facts::karvel_dtmf_connection, FieldKind::port_bus}, nullptr, nullptr, 199},
      {"m/Код соединения с громкоговорящей связью.............."_cp,
       {facts::karvel_loudspeaker_code, FieldKind::digits, 0, 0, 4, 98}, nullptr, nullptr, 98},
      {"n/Длительность воспроизведения сообщения...............       * 5 Мс."_cp,
       {facts::karvel_playback_length, FieldKind::number16_ro}, nullptr, nullptr, 210},
      {"o/Уменьшение длительности воспроизведения..............      * 5 Мс."_cp,
       {facts::karvel_playback_reduction, FieldKind::number, 20, 255}, nullptr, nullptr, 211},
      {"p/Время для набора добавочного номера при DISA дозвоне.      Сек."_cp,
       {facts::karvel_disa_dial_seconds, FieldKind::number, 0, 10}, nullptr, nullptr, 212},
    },
    own_topics,
    16,
    4};

constexpr int mode_row = 5;
constexpr int identity_topic = 91, hardware_numbers_topic = 99, logical_numbers_topic = 190;

const bool help_registered = register_help_topics("station-wide settings", [] {
  std::vector<int> topics = row_page_topics({&general_page});
  for (int topic : {identity_topic, hardware_numbers_topic, logical_numbers_topic}) topics.push_back(topic);
  return topics;
}());

// The station's mode byte; the name of mode m is 8 characters at
// 0x8080 + 8m. The station keeps four names, but a mode byte above 3 is
// shown and kept as it is: its "name" is whatever the 8 bytes at that
// place hold, which still lie inside the configuration window.
int read_mode(int& mode) {
  int status = drawing_read_block(facts::karvel_mode_address, 1);
  mode = link_buffer[0] & 0xFF;
  return status;
}

void show_mode_name(ScreenPos at, int mode, std::uint8_t colour) {
  show_text(at, facts::karvel_mode_name_address(mode), colour, 8);
}

// A mode that could not be read shows blanks.
void show_current_mode(ScreenPos at, std::uint8_t colour) {
  int mode = 0;
  if (read_mode(mode) == link_ok)
    show_mode_name(at, mode, colour);
  else
    print_at(at, std::string(8, ' '), colour);
}

// Returns false when the access code was refused: the page is then left.
bool select_mode(ScreenPos at) {
  hint_space_enter();
  load_access_level(93);
  if (check_access() != 0) return false;
  int mode = 0;
  if (read_mode(mode) == link_ok) {
    show_mode_name(at, mode, COLOR_BOX);
    const int k = read_space_steps([&] {
      mode = (mode + 1) & 3;
      show_mode_name(at, mode, COLOR_BOX);
    });
    if (k == key::enter) {
      link_buffer[0] = mode;
      link_write_block(facts::karvel_mode_address, 1);
    }
  }
  show_current_mode(at, COLOR_SCREEN);
  return true;
}

// The mode is read before the level is loaded: when that read fails no
// editor runs, and a loaded level would be left for the next editor.
void edit_mode_name(ScreenPos at) {
  int mode = 0;
  if (read_mode(mode) != link_ok) return;
  load_access_level(80);
  edit_text(at, facts::karvel_mode_name_address(mode), 8);
}

// ------------------------------------------------------ hardware numbers

// Port p stands in column (p - 1) / 16 + 1, row (p - 1) % 16 + 1.
constexpr int hardware_ports = 48;
int hardware_address(int p) { return facts::karvel_hardware_number_address(p); }

int hardware_port_at(const GridCursor& grid) { return 16 * (grid.column - 1) + grid.row; }

ScreenPos hardware_cell(const GridCursor& grid, int p) { return grid.cell((p - 1) / 16 + 1, (p - 1) % 16 + 1); }

// The index port p holds, or -1 when it could not be read (the read has
// shown its box): nothing is then written on a guess.
int read_index(int p) {
  if (link_read_block_alike(hardware_address(p), 1) != link_ok) return -1;
  return link_buffer[0] & 0xFF;
}

void write_index(int p, int value) {
  link_buffer[0] = value & 0xFF;
  link_write_block(hardware_address(p), 1);
}

void show_hardware_cell(const GridCursor& grid, int p) {
  if (p > link_state.port_count) return;
  show_subscriber_ref(hardware_cell(grid, p), hardware_address(p), COLOR_SCREEN, 3);
}

// True when the user left at a failed read's box.
bool draw_hardware_page(const GridCursor& grid) {
  clear_screen();
  print_at_plain(10, 3, "Соответствие внутренних портов станции номерам абонентов"_cp);
  print_at_plain(10, 5, "  Порт     Номер     Порт     Номер     Порт     Номер"_cp);
  for (int r = 1; r <= 16; ++r) print_at_plain(10, 6 + r, format("%5d .....%13d .....%13d .....", r, r + 16, r + 32));
  draw_ruled_lines({across_line(4, 10, 65, true), across_line(6, 10, 65, false), across_line(23, 10, 65, true),
                    down_line(10, 4, 23, true), down_line(28, 4, 23, true), down_line(47, 4, 23, true),
                    down_line(65, 4, 23, true)});
  FieldDrawing drawing;
  for (int p = 1; p <= hardware_ports; ++p) show_hardware_cell(grid, p);
  return drawing.left();
}

// A port may take the number of a port that still has its own number (the
// two exchange them), or give its own number back to the port that has it;
// so the table stays a set of pairwise exchanges of the natural order.
void change_hardware_number(const GridCursor& grid, int p) {
  int before = read_index(p);
  if (before < 0) return;
  load_access_level(99);
  edit_subscriber_ref(grid.current_cell(), hardware_address(p), 3);
  // An index that could not be read (-1) matches nothing, so the exchange
  // is not accepted and port p gets back the index it was read to hold:
  // the table stays a set of pairwise exchanges.
  int after = read_index(p);
  if (before == after) return;
  int q = before == p ? after : after == p ? before : 0;
  bool q_is_port = q >= 1 && q <= hardware_ports && q <= link_state.port_count;
  int partner = q_is_port ? read_index(q) : 0;
  print_at(1, 24,
           format("adr1=%4X  data1=%2d  adr2=%4X  data2=%2d  io_buff[0]=%2d  ", hardware_address(p), before,
                  q_is_port ? hardware_address(q) : 0, after, partner),
           COLOR_SCREEN);
  bool accepted = q_is_port && (before == p || after == p) && (partner == after || partner == before);
  if (accepted) {
    write_index(q, before);
    show_hardware_cell(grid, q);
  } else {
    write_index(p, before);
    show_hardware_cell(grid, p);
  }
  grid_goto(grid);
}

// -------------------------------------------------------- logical numbers

// Column c, row r holds the port of logical number 99 + 20 (c - 1) + r.
CellTable logical_cells() {
  CellTable cells;
  for (int c = 1; c <= 5; ++c)
    for (int r = 1; r <= facts::karvel_logical_column_rows; ++r)
      cells.push_back({c, r,
                       {facts::karvel_logical_number_address(c, r), FieldKind::port_ref, 0, 255, 1,
                        logical_numbers_topic},
                       format("Номер %d"_cp, 99 + facts::karvel_logical_column_rows * (c - 1) + r)});
  return cells;
}
const CellTable logical_numbers = logical_cells();

// True when the user left at a failed read's box.
bool draw_logical_page(const GridCursor& grid) {
  clear_screen();
  print_at_plain(21, 1, "Назначение логических номеров абонентов"_cp);
  print_at_plain(7, 3, "Номер  Порт   Номер  Порт   Номер  Порт   Номер  Порт   Номер  Порт"_cp);
  for (int r = 1; r <= 20; ++r)
    print_at_plain(7, 3 + r, format("%3d ..%11d ..%11d ..%11d ..%11d ..", 99 + r, 119 + r, 139 + r, 159 + r, 179 + r));
  std::vector<RuledLine> lines{across_line(2, 5, 75, true), across_line(24, 5, 75, true), down_line(5, 2, 24, true),
                               down_line(75, 2, 24, true)};
  for (int column : {19, 33, 47, 61}) lines.push_back(down_line(column, 2, 24, false));
  draw_ruled_lines(lines);
  return show_cells(grid, logical_numbers, 0);
}

// ------------------------------------------------------------ access codes

void show_access_code(int k) {
  goto_xy(46, 8 + k);
  int code = link_state.access_code_table[k];
  put_text(code == 0 ? std::string(5, ' ') : format("%5d", code));
}

void draw_access_codes() {
  clear_screen();
  for (int k = 1; k <= facts::karvel_access_code_count; ++k) {
    print_at_plain(30, 8 + k, format("Код доступа %d - "_cp, k));
    show_access_code(k);
  }
}

// Takes up to five digits in the field; a sixth starts again. The code is
// 16 bits, high byte first: a larger number keeps its low 16 bits, and the
// page shows what the station holds after the write.
void enter_access_code(int k) {
  const TypedNumber typed = read_typed_number({{46, 8 + k}, 5, COLOR_BOX});
  if (typed.key == key::enter) {
    const int address = facts::karvel_access_codes_address + 2 * (k - 1);
    link_buffer[0] = (typed.value / 256) & 0xFF;
    link_buffer[1] = typed.value % 256;
    link_write_block(address, 2);
    // The program's copy of the code follows only what the station was read
    // to hold.
    if (link_read_block_alike(address, 2) == link_ok)
      link_state.access_code_table[k] = (link_buffer[0] & 0xFF) * 256 + (link_buffer[1] & 0xFF);
  }
  set_colour(COLOR_SCREEN);
  show_access_code(k);
}

// ------------------------------------------------------- protection levels

// True when the user left at a failed read's box.
bool draw_protection_block(const GridCursor& grid, int block) {
  FieldDrawing drawing;
  for (int i = 1; i <= 16; ++i) {
    print_at_plain(4, 3 + i, parameter_names(16 * block + i));
    show_number(grid.cell(1, i), facts::karvel_protection_address(16 * block + i), COLOR_SCREEN);
  }
  return drawing.left();
}

}  // namespace

void station_settings_menu() {
  if (!enter_station_screen(ScreenNeeds::station_or_file)) return;
  int current = 1;
  while (current != 0) {
    clear_screen();
    print_at_plain(20, 2, "  Общестанционные установки"_cp);
    if (run_box_menu_action(settings_menu, current) == key::esc) current = 0;
  }
}

void show_identity_page() {
  clear_screen();
  hint_esc_top();
  hint_help_key();
  print_at_plain(16, 2, " Идентификационный номер"_cp);
  FieldDrawing drawing;
  for (const IdentityLine& line : identity_lines) {
    print_at_plain(4, line.row, line.label);
    if (drawing_read_block(line.address, facts::karvel_text_size) != link_ok) continue;
    // Control bytes would move the cursor, so they show as blanks.
    const std::vector<std::uint8_t> bytes = shown_bytes(line, link_buffer);
    put_text(field_text::characters(bytes.data(), static_cast<int>(bytes.size())));
  }
  if (drawing.left()) return;
  int service_step = 0;
  for (;;) {
    int scan;
    const int k = read_plain_key(scan);
    if (k == key::esc) return;
    if (scan == key::f10) show_help(identity_topic);
    service_step = next_service_step(service_step, k, scan);
    if (service_step == service_keys_typed) {
      service_step = 0;
      flash_service_bytes();
    }
  }
}

void edit_general_settings() {
  const auto on_mode_row = [](const GridCursor& grid) { return grid.row == mode_row; };
  run_settings_row_page(general_page,
                        {handled_key(key::f4,
                                     [&](GridCursor& grid) {
                                       if (on_mode_row(grid)) edit_mode_name(grid.current_cell());
                                     }),
                         {key::enter,
                          [&](GridCursor& grid) {
                            if (!on_mode_row(grid)) return KeyResult::ignored;
                            return select_mode(grid.current_cell()) ? KeyResult::handled : KeyResult::leave;
                          }}},
                        [](const GridCursor& grid) { show_current_mode(grid.cell(1, mode_row), COLOR_SCREEN); });
}

void edit_hardware_numbers() {
  FieldPage page{GridCursor({22, 41, 60}, spaced(7, 16)),
                 [] {
                   hint_edit_page();
                   hint_help_key();
                 },
                 draw_hardware_page,
                 {help_key(hardware_numbers_topic), handled_key(key::enter,
                                                                [](GridCursor& grid) {
                                                                  const int p = hardware_port_at(grid);
                                                                  if (p <= link_state.port_count)
                                                                    change_hardware_number(grid, p);
                                                                })},
                 {}};
  run_field_page(page);
}

void edit_logical_numbers() {
  FieldPage page{GridCursor(spaced(15, 5, 14), spaced(4, 20)),
                 nullptr,
                 draw_logical_page,
                 {help_key(logical_numbers_topic),
                  handled_key(key::enter, [](GridCursor& grid) { edit_cell(grid, logical_numbers, 0); })},
                 {}};
  run_field_page(page);
}

void edit_access_codes() {
  clear_screen();
  print_at_plain(25, 3, "Коды доступа к програмированию"_cp);
  // A wrong code gets this page's own message, not the editors' box.
  access_pending = 7;
  int asked = ask_access_code();
  if (asked == access_refused_quietly) return;
  if (asked != 0) {
    const std::string message = "  Неверный код доступа к програмированию  "_cp;
    print_at(20, 11, std::string(message.size(), ' '), COLOR_ALERT);
    print_at(20, 12, message, COLOR_ALERT);
    print_at(20, 13, std::string(message.size(), ' '), COLOR_ALERT);
    wait_ms(1500);
    return;
  }
  FieldPage page{GridCursor({46}, spaced(9, 7)),
                 nullptr,
                 [](const GridCursor&) {
                   draw_access_codes();
                   return false;
                 },
                 {handled_key(key::enter, [](GridCursor& grid) { enter_access_code(grid.row); }),
                  {key::insert,
                   [](GridCursor&) {
                     edit_protection_levels();
                     return KeyResult::redraw;
                   }}},
                 {}};
  run_field_page(page);
}

void edit_protection_levels() {
  clear_screen();
  print_at_plain(8, 2, "Название установки"_cp);
  print_at_plain(56, 2, "Код доступа"_cp);
  // The page number is the block of sixteen parameters + 1; after a step
  // the block (from 0) stands on row 2.
  int number = 1;
  bool stepped = false;
  FieldPage page{GridCursor({60}, spaced(4, 16)),
                 nullptr,
                 [&](const GridCursor& grid) {
                   if (stepped) print_at_plain(40, 2, format("nblk=%2d", number - 1));
                   stepped = true;
                   return draw_protection_block(grid, number - 1);
                 },
                 {handled_key(key::enter,
                              [&](GridCursor& grid) {
                                const int parameter = 16 * (number - 1) + grid.row;
                                edit_number(grid.current_cell(), facts::karvel_protection_address(parameter), 0, 7);
                              })},
                 {&number, [] { return 16; }}};
  run_field_page(page);
}

// ---------------------------------------------------------------- listing

namespace {

void list_identity(KarvelListing& listing, const std::string& section) {
  for (const IdentityLine& line : identity_lines) {
    int read[facts::karvel_text_size];
    for (int i = 0; i < facts::karvel_text_size; ++i) read[i] = listing.byte(line.address + i);
    const std::vector<std::uint8_t> bytes = shown_bytes(line, read);
    std::vector<ImageSpan> spans;
    for (const ImageSpan& run : line.shown) spans.push_back({line.address + run.offset, run.size});
    listing.add(section, listed_label(line.label).label, 0, spans,
                listed_row_value(shown_text(bytes), bytes.data(), "", listing.counts()));
  }
}

// The mode row shows the name of the mode its byte names.
void list_mode(KarvelListing& listing, const std::string& section) {
  const std::string label = listed_label(general_page.rows[mode_row - 1].label).label;
  const int mode = listing.byte(facts::karvel_mode_address);
  const std::uint8_t byte = static_cast<std::uint8_t>(mode);
  const bool named = mode < facts::karvel_mode_count;
  const int name = facts::karvel_mode_name_address(named ? mode : 0);
  const std::uint8_t* name_bytes = listing.bytes(name, facts::karvel_mode_name_size);
  const std::string shown = named ? field_text::characters(name_bytes, facts::karvel_mode_name_size) : "";
  std::vector<ImageSpan> reads;
  if (named) reads.push_back({name, facts::karvel_mode_name_size});
  listing.add(section, label, 93, {{facts::karvel_mode_address, 1}}, listed_value(shown, "", named, &byte, 1, true),
              reads);
  for (int m = 0; m < facts::karvel_mode_count; ++m)
    listing.add_row(section, {format("Название режима %d"_cp, m + 1), ""},
                    {facts::karvel_mode_name_address(m), FieldKind::text, 0, 255, facts::karvel_mode_name_size}, 0, 80);
}

void list_numbering(KarvelListing& listing) {
  const int ports = listing.counts().ports;
  const std::string hardware = menu_entry_name(settings_menu.text(2 + 1));
  for (int p = 1; p <= std::min(hardware_ports, ports); ++p) {
    const std::uint8_t v = static_cast<std::uint8_t>(listing.byte(hardware_address(p)));
    listing.add(hardware, format("Порт %d"_cp, p), 99, hardware_address(p), 1,
                listed_value(field_text::subscriber_ref(v, 3, listing.counts()), "", v >= 1 && v <= ports, &v, 1));
  }
  listing.add_cells(menu_entry_name(settings_menu.text(3 + 1)), logical_numbers, 0);
}

void list_access(KarvelListing& listing) {
  const std::string codes = menu_entry_name(settings_menu.text(4 + 1));
  for (int k = 1; k <= facts::karvel_access_code_count; ++k) {
    const int address = facts::karvel_access_codes_address + 2 * (k - 1);
    const std::uint8_t* b = listing.bytes(address, 2);
    listing.add(codes, format("Код доступа %d"_cp, k), 0, address, 2,
                listed_value(field_text::number16(b[1], b[0]), "", true, b, 2));
  }
  // Parameter 256 has no name; its level's byte is the first place of the
  // first pickup group, which lists it.
  const std::string levels = codes + " / " + "Коды доступа установок"_cp;
  constexpr int last_named_parameter = 255;
  for (int n = 1; n <= last_named_parameter; ++n)
    listing.add_row(levels, {trimmed(parameter_names(n)), ""}, {facts::karvel_protection_address(n), FieldKind::number},
                    0, 0);
}

}  // namespace

void list_station_settings(KarvelListing& listing) {
  list_identity(listing, menu_entry_name(settings_menu.text(0 + 1)));
  // The mode row stands between the page's other rows.
  const std::string general = menu_entry_name(settings_menu.text(1 + 1));
  list_row_page(listing, general_page, general, 0, 1, true, mode_row - 1);
  list_mode(listing, general);
  list_row_page(listing, general_page, general, 0, mode_row + 1);
  list_numbering(listing);
  list_access(listing);
}
