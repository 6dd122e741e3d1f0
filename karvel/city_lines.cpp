// City line settings of karvel.
#include "karvel/city_lines.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "editors/field_editors.h"
#include "facts/karvel_memory.h"
#include "facts/station_facts.h"
#include "karvel/call_handling_pages.h"
#include "karvel/catalogue.h"
#include "karvel/context_help.h"
#include "karvel/field_rows.h"
#include "karvel/screens.h"
#include "link/link.h"
#include "link/link_screens.h"
#include "platform/cp866.h"
#include "toolkit/box_menu.h"
#include "toolkit/screen.h"

LineEditorState line_editor;

void reset_line_editor() { line_editor = LineEditorState(); }

int usable_city_lines() {
  const int first = link_state.first_line_port;
  // Line l's block is block l + first - 1 of the window, which holds 128.
  const int blocks_in_window = facts::karvel_image_size / 256;
  if (first < 0) return 0;
  return std::max(0, std::min(link_state.city_line_count, blocks_in_window - first));
}

int line_block(int line) { return facts::karvel_block_address(line + link_state.first_line_port - 1); }

namespace {

const BlockChoice line_choice{&line_editor.current_line, line_block, line_switch_keys};

// One page of a line with its values in one column: sixteen labelled rows
// of fields at offsets of the line's block, with the parameter and help
// topic of row r at r + `number_base`. Only the first `topic_rows` rows
// have a topic; F10 on the others does nothing.
struct LineRow {
  const char* label;
  FieldRow field;
  const char* unit = nullptr;  // printed after the value, or null
};

struct LinePage {
  const char* title;
  int title_column;
  LineRow rows[16];
  int number_base;
  int topic_rows = 16;
};

constexpr int value_column = 60;
constexpr int unit_column = 65;

// Rows without a field carry a letter and dots to the width of the others.
#define DOTTED(letter) letter "/....................................................."

const char* const five_ms = "* 5Мс."_cp;
const char* const seconds = "Сек."_cp;

const LinePage main_page = {
    "Основные установки городской линии:"_cp,
    5,
    {
        {"a/Разрешение на обслуживание линии (Да/Нет) ..........."_cp, {0x00, FieldKind::yes_no}},
        {"b/Установка уровня приоритета линии (0-255) ..........."_cp, {0x01, FieldKind::number, 0, 255}},
        {"c/Выбор типа набора номера в линию (Тон/Пульс) ........"_cp, {0x02, FieldKind::dial_mode}},
        {"d/Длительность паузы после дополнительного набора .....     Сек."_cp, {0x03, FieldKind::number, 0, 9}},
        {"e/Длительность паузы после кода межгорода .............     Сек."_cp, {0x04, FieldKind::number, 0, 9}},
        {"f/Звуковой сигнал при DISA дозвоне ...................."_cp, {0x05, FieldKind::hold_sound}},
        {DOTTED("g"), {0x06, FieldKind::none}},
        {DOTTED("h"), {0x07, FieldKind::none}},
        {DOTTED("i"), {0x08, FieldKind::none}},
        {DOTTED("j"), {0x09, FieldKind::none}},
        {"k/Разрешение очереди на городскую линию................"_cp, {0x0A, FieldKind::yes_no}},
        {"l/Запрещение уменьшения уровня DTMF сигнала (Да/Нет) .."_cp, {0x0B, FieldKind::yes_no}},
        {"m/Прослушивание гор. линии в паузах набора (Да/Нет) ..."_cp, {0x0C, FieldKind::yes_no}},
        {"n/Разрешение закрытого набора по гор. линии (Да/Нет) .."_cp, {0x0D, FieldKind::yes_no}},
        // Units of 5 ms, low byte first.
        {"o/Время задержки выдачи сообщения .....................      * 5Мс"_cp,
         {0x0E, FieldKind::number16, 0, 2000}},
        {DOTTED("p"), {0x0F, FieldKind::none}},
    },
    100,
};

const LinePage times_page = {
    "Временные параметры городской линии:"_cp,
    5,
    {
        {"a/Длительность занятия городской линии ................"_cp, {0x10, FieldKind::number, 1, 255}, five_ms},
        {"b/Длительность освобождения городской линии ..........."_cp, {0x11, FieldKind::number, 1, 255}, five_ms},
        {"c/MIN фиксируемый период импульсов во внешнем звонке .."_cp, {0x12, FieldKind::number, 1, 20}, five_ms},
        {"d/MAX фиксируемый период импульсов во внешнем звонке .."_cp, {0x13, FieldKind::number, 1, 20}, five_ms},
        {"e/Установка времени включения признака звонка через ..."_cp, {0x14, FieldKind::number, 1, 100}, five_ms},
        {"f/Установка времени выключения признака звоннка через ."_cp, {0x15, FieldKind::number, 1, 100}, five_ms},
        {"g/Установка признака наличия вызова ..................."_cp, {0x16, FieldKind::number, 1, 255}, five_ms},
        {"h/Сброс признака наличия вызова ......................."_cp, {0x17, FieldKind::number, 1, 20}, seconds},
        {"i/Загрузка линии при ответе на непрерывный звонок через"_cp, {0x18, FieldKind::number, 1, 10}, seconds},
        {"j/Длительность размыкания импульсного ключа ..........."_cp, {0x19, FieldKind::number, 1, 20}, five_ms},
        {"k/Длительность замыкания импульсного ключа ............"_cp, {0x1A, FieldKind::number, 1, 20}, five_ms},
        {"l/Межсерийная пауза в импульсном наборе ..............."_cp, {0x1B, FieldKind::number, 20, 200}, five_ms},
        {"m/Длительность разрыва (FLASH) по городской линии ....."_cp, {0x1C, FieldKind::number, 16, 200}, five_ms},
        {"n/Пауза после разрыва (FLASH) по городской линии ......"_cp, {0x1D, FieldKind::number, 20, 255}, five_ms},
        {"o/Длительность дополнительной паузы в тональном наборе"_cp, {0x1E, FieldKind::number, 0, 200}, five_ms},
        {"p/Время ожидания следующей цифры при наборе гор. номера"_cp, {0x1F, FieldKind::number, 0, 200}, five_ms},
    },
    116,
};

// The first five and the last three rows show their bytes but are not
// the engineer's to change.
const LinePage initial_durations_page = {
    "Временые параметры городской линии:"_cp,
    5,
    {
        {DOTTED("a"), {0x20, FieldKind::number_ro}, seconds},
        {DOTTED("b"), {0x21, FieldKind::number_ro}, seconds},
        {DOTTED("c"), {0x22, FieldKind::number_ro}, seconds},
        {DOTTED("d"), {0x23, FieldKind::number_ro}, seconds},
        {DOTTED("e"), {0x24, FieldKind::number_ro}, seconds},
        {"f/Задержка на включение режима DISA...................."_cp, {0x25, FieldKind::number, 0, 30}, seconds},
        {"g/Задержка загрузки гор. линии для связи Город-Город..."_cp, {0x26, FieldKind::number, 0, 20}, seconds},
        {"h/Длительность связи Город-Город ......................"_cp, {0x27, FieldKind::number, 1, 240}, seconds},
        {"i/Длит. ожид. набора номера абонента при DISA дозвоне ."_cp, {0x28, FieldKind::number, 1, 30}, seconds},
        {"j/Длит. ожидания ответа абонента при DISA дозвоне ....."_cp, {0x29, FieldKind::number, 1, 60}, seconds},
        {"k/Момент возникновения связи Город-Город .............."_cp, {0x2A, FieldKind::number, 1, 20}, seconds},
        {"l/Время ожидания занятой линии для связи Город-Город .."_cp, {0x2B, FieldKind::number, 0, 120}, seconds},
        {"m/Длительность закрытого набора ......................."_cp, {0x2C, FieldKind::number, 1, 20}, seconds},
        {DOTTED("n"), {0x2D, FieldKind::number_ro}, seconds},
        {DOTTED("o"), {0x2E, FieldKind::number_ro}, seconds},
        {DOTTED("p"), {0x2F, FieldKind::number_ro}, seconds},
    },
    132,
};

const LinePage codes_page = {
    "Коды контроля и набора городской линии:"_cp,
    20,
    {
        {"a/Дополнительный набор ..............................."_cp, {0x30, FieldKind::digits, 0, 0, 4}},
        {"b/Код межгорода ......................................"_cp, {0x34, FieldKind::digits, 0, 0, 4}},
        {DOTTED("c"), {0, FieldKind::none}},
        {DOTTED("d"), {0, FieldKind::none}},
        {DOTTED("e"), {0, FieldKind::none}},
        {DOTTED("f"), {0, FieldKind::none}},
        {DOTTED("g"), {0, FieldKind::none}},
        {DOTTED("h"), {0, FieldKind::none}},
        {DOTTED("i"), {0, FieldKind::none}},
        {DOTTED("j"), {0, FieldKind::none}},
        {DOTTED("k"), {0, FieldKind::none}},
        {DOTTED("l"), {0, FieldKind::none}},
        {DOTTED("m"), {0, FieldKind::none}},
        {DOTTED("n"), {0, FieldKind::none}},
        {DOTTED("o"), {0, FieldKind::none}},
        {DOTTED("p"), {0, FieldKind::none}},
    },
    148,
    2,  // the two codes; topic 164 after them is the general-call groups'
};

// F10 on row r of a page shows topic r + number_base, on the rows that
// have one.
int row_topic(const LinePage& page, int row) { return row <= page.topic_rows ? row + page.number_base : 0; }

std::vector<int> page_topics(std::initializer_list<const LinePage*> pages) {
  std::vector<int> topics;
  for (const LinePage* page : pages)
    for (int r = 1; r <= page->topic_rows; ++r) topics.push_back(row_topic(*page, r));
  return topics;
}

const bool line_pages_help_registered = register_help_topics(
    "city line pages", page_topics({&main_page, &times_page, &initial_durations_page, &codes_page}));

#undef DOTTED

void show_line_values(const LinePage& page, const GridCursor& grid, int block) {
  for (int r = 1; r <= 16; ++r) show_field_row(grid.cell(1, r), page.rows[r - 1].field, block, COLOR_SCREEN);
}

void run_line_page(const LinePage& page) {
  // The page menu's line stands on row 2 too; it must not show through
  // past the end of the title.
  print_at_plain(1, 2, std::string(79, ' '));
  print_at_plain(page.title_column, 2, page.title);
  for (int r = 1; r <= 16; ++r) {
    print_at_plain(5, 3 + r, page.rows[r - 1].label);
    if (page.rows[r - 1].unit) print_at_plain(unit_column, 3 + r, page.rows[r - 1].unit);
  }
  GridCursor grid({value_column}, spaced(4, 16));
  BlockPage frame{
      {62, 2},
      false,
      [&](const GridCursor& g, int block) { show_line_values(page, g, block); },
      [&](const GridCursor& g) { return row_topic(page, g.row); },
      [&](const GridCursor& g, int, int block) {
        FieldRow row = page.rows[g.row - 1].field;
        row.level = g.row + page.number_base;
        edit_field_row(g.current_cell(), row, block);
      },
  };
  run_block_page(grid, line_choice, frame);
}

// ------------------------------------------------------- general-call groups

const CallGroupsPage line_call_groups{"   Группы общего вызова для линии:"_cp, facts::karvel_call_groups_offset, 164, true};

// ------------------------------------------------------- operating modes

// One byte per station mode in each of three rows of four.
const VariantRow line_mode_rows[] = {
    {"b/Таблица наведения вызовов"_cp, {facts::karvel_line_routing_table_offset, FieldKind::number, 0, 16, 1, 181}},
    {"c/Разрешение DISA дозвона"_cp, {0x44, FieldKind::yes_no, 0, 1, 1, 182}},
    {"d/Выход из города в город"_cp, {0x48, FieldKind::number, 0, 4, 1, 183}},
};

const VariantsPage line_modes{
    "  Режимы функционирования городской линии  "_cp,
    {20, 3},
    20,
    43,
    line_mode_rows,
    static_cast<int>(std::size(line_mode_rows)),
    1,
    false,
};

const bool line_groups_help_registered =
    register_help_topics("city line call groups and modes", [] {
      std::vector<int> topics = call_groups_topics(line_call_groups);
      for (int topic : variants_topics(line_modes)) topics.push_back(topic);
      return topics;
    }());

// ------------------------------------------------------- page menu

const char* const page_items[6] = {"1.Основные установки"_cp,    "2.Временные параметры"_cp,
                                   "3.Исходные длительности"_cp, "4.Коды конроля и набора"_cp,
                                   "5.Режимы функционирования"_cp, "6.Группы общего вызова"_cp};

const BoxMenu page_menu_box{30, 10, 29, 6, page_items};

void run_page_item(int item) {
  switch (item) {
    case 1: edit_line_main(); break;
    case 2: edit_line_times(); break;
    case 3: edit_line_times2(); break;
    case 4: edit_line_codes(); break;
    case 5: edit_line_modes(); break;
    case 6: edit_line_call_groups(); break;
  }
}

// The page menu of the current line; Esc forgets the line. After Esc at
// the line prompt no item is highlighted and Enter runs nothing until the
// user moves.
void page_menu() {
  clear_screen();
  print_at_plain(20, 2, format("Городская линия:        %2d"_cp, line_editor.current_line));
  if (run_box_menu(page_menu_box, line_editor.page_item) == key::esc)
    line_editor.current_line = 0;
  else
    run_page_item(line_editor.page_item);
}

constexpr ScreenPos line_input_at{50, 2};
constexpr int line_input_places = 4;

}  // namespace

int ask_line_number() {
  clear_screen();
  print_at_plain(20, 2, "Введите номер линии:"_cp);
  int value = 0, digits = 0;
  auto restart = [&] {
    print_at_plain(line_input_at.column, line_input_at.row, std::string(line_input_places, ' '));
    goto_xy(line_input_at);
    value = 0;
    digits = 0;
  };
  restart();
  for (;;) {
    int scan;
    int k = read_plain_key(scan);
    if (k == key::esc) {
      line_editor.page_item = 0;
      return value;
    }
    if (k == key::enter) return value;
    if (k < '0' || k > '9') continue;
    // Zeros never make the number too big; the places still run out.
    if (digits == line_input_places) {
      restart();
      continue;
    }
    put_char(static_cast<std::uint8_t>(k));
    value = value * 10 + (k - '0');
    ++digits;
    if (value > usable_city_lines()) restart();
  }
}

int line_switch_keys(int line, int key_code) {
  const int last = usable_city_lines();
  switch (key_code) {
    case key::home: return line > 1 ? 1 : line;
    case key::pgup: return line > 1 ? line - 1 : line;
    case key::pgdn: return line < last ? line + 1 : line;
    case key::end: return line < last ? last : line;
    default: return line;
  }
}

void city_line_editor() {
  clear_screen();
  if (!link_state.station_connected && !link_state.file_mode) {
    link_error_box(link_not_connected);
    return;
  }
  if (link_state.station_connected) link_rts_on();
  reset_line_editor();
  while (line_editor.page_item != 0) {
    line_editor.current_line = ask_line_number();
    while (line_editor.current_line != 0) page_menu();
  }
}

void edit_line_main() { run_line_page(main_page); }
void edit_line_times() { run_line_page(times_page); }
void edit_line_times2() { run_line_page(initial_durations_page); }
void edit_line_codes() { run_line_page(codes_page); }
void edit_line_modes() { run_variants_page(line_modes, line_choice); }
void edit_line_call_groups() { run_call_groups_page(line_call_groups, line_choice); }

void list_line_pages(KarvelListing& listing, int line) {
  const int block = facts::karvel_block_address(line + listing.first_line_port() - 1);
  const std::string section = format("Линия %d"_cp, line) + " / ";
  const LinePage* pages[4] = {&main_page, &times_page, &initial_durations_page, &codes_page};
  for (int i = 0; i < 4; ++i) {
    const LinePage& page = *pages[i];
    std::vector<std::string> screen_labels;
    for (const LineRow& row : page.rows) screen_labels.push_back(row.label);
    std::vector<ListedLabel> labels = listed_labels(screen_labels);
    for (int r = 1; r <= 16; ++r) {
      if (page.rows[r - 1].unit) labels[r - 1].unit = page.rows[r - 1].unit;
      listing.add_row(section + menu_entry_name(page_items[i]), labels[r - 1], page.rows[r - 1].field, block,
                      r + page.number_base);
    }
  }
  list_variants(listing, line_modes, section + menu_entry_name(page_items[4]), block);
  list_call_groups(listing, line_call_groups, section + menu_entry_name(page_items[5]), block);
}
