// City line settings of karvel.
#include "karvel/city_lines.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "editors/block_editor.h"
#include "editors/field_editors.h"
#include "facts/karvel_memory.h"
#include "facts/station_facts.h"
#include "karvel/call_handling_pages.h"
#include "karvel/catalogue.h"
#include "karvel/context_help.h"
#include "karvel/field_rows.h"
#include "karvel/screens.h"
#include "link/link.h"
#include "platform/cp866.h"
#include "settings/run_state.h"
#include "toolkit/box_menu.h"
#include "toolkit/number_prompt.h"
#include "toolkit/screen.h"

BlockEditorState line_editor;

void reset_line_editor() { line_editor = BlockEditorState(); }
const bool line_editor_resets = resets_with_the_run(reset_line_editor);

int usable_city_lines() {
  const int first = link_state.first_line_port;
  // Line l's block is block l + first - 1 of the window, which holds 128.
  const int blocks_in_window = facts::karvel_image_size / 256;
  if (first < 0) return 0;
  return std::max(0, std::min(link_state.city_line_count, blocks_in_window - first));
}

int line_block(int line) { return facts::karvel_block_address(line + link_state.first_line_port - 1); }

namespace {

const BlockChoice line_choice{&line_editor.current, line_block, usable_city_lines};

// Rows without a field carry a letter and dots to the width of the others.
constexpr int label_width = 55;

const char* const five_ms = "* 5Мс."_cp;
const char* const seconds = "Сек."_cp;

const RowPage main_page = {
    "Основные установки городской линии:"_cp,
    5,
    {
        {"a/Разрешение на обслуживание линии (Да/Нет) ..........."_cp, {0x00, FieldKind::yes_no}},
        {"b/Установка уровня приоритета линии (0-255) ..........."_cp, {0x01, FieldKind::number, 0, 255}},
        {"c/Выбор типа набора номера в линию (Тон/Пульс) ........"_cp, {0x02, FieldKind::dial_mode}},
        {"d/Длительность паузы после дополнительного набора .....     Сек."_cp, {0x03, FieldKind::number, 0, 9}},
        {"e/Длительность паузы после кода межгорода .............     Сек."_cp, {0x04, FieldKind::number, 0, 9}},
        {"f/Звуковой сигнал при DISA дозвоне ...................."_cp, {0x05, FieldKind::hold_sound}},
        {nullptr, {0x06, FieldKind::none}},
        {nullptr, {0x07, FieldKind::none}},
        {nullptr, {0x08, FieldKind::none}},
        {nullptr, {0x09, FieldKind::none}},
        {"k/Разрешение очереди на городскую линию................"_cp, {0x0A, FieldKind::yes_no}},
        {"l/Запрещение уменьшения уровня DTMF сигнала (Да/Нет) .."_cp, {0x0B, FieldKind::yes_no}},
        {"m/Прослушивание гор. линии в паузах набора (Да/Нет) ..."_cp, {0x0C, FieldKind::yes_no}},
        {"n/Разрешение закрытого набора по гор. линии (Да/Нет) .."_cp, {0x0D, FieldKind::yes_no}},
        // Units of 5 ms, low byte first.
        {"o/Время задержки выдачи сообщения .....................      * 5Мс"_cp,
         {0x0E, FieldKind::number16, 0, 2000}},
    },
    100,
    16,
    5,
    label_width,
};

const RowPage times_page = {
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
const RowPage initial_durations_page = {
    "Временые параметры городской линии:"_cp,
    5,
    {
        {nullptr, {0x20, FieldKind::number_ro}, seconds},
        {nullptr, {0x21, FieldKind::number_ro}, seconds},
        {nullptr, {0x22, FieldKind::number_ro}, seconds},
        {nullptr, {0x23, FieldKind::number_ro}, seconds},
        {nullptr, {0x24, FieldKind::number_ro}, seconds},
        {"f/Задержка на включение режима DISA...................."_cp, {0x25, FieldKind::number, 0, 30}, seconds},
        {"g/Задержка загрузки гор. линии для связи Город-Город..."_cp, {0x26, FieldKind::number, 0, 20}, seconds},
        {"h/Длительность связи Город-Город ......................"_cp, {0x27, FieldKind::number, 1, 240}, seconds},
        {"i/Длит. ожид. набора номера абонента при DISA дозвоне ."_cp, {0x28, FieldKind::number, 1, 30}, seconds},
        {"j/Длит. ожидания ответа абонента при DISA дозвоне ....."_cp, {0x29, FieldKind::number, 1, 60}, seconds},
        {"k/Момент возникновения связи Город-Город .............."_cp, {0x2A, FieldKind::number, 1, 20}, seconds},
        {"l/Время ожидания занятой линии для связи Город-Город .."_cp, {0x2B, FieldKind::number, 0, 120}, seconds},
        {"m/Длительность закрытого набора ......................."_cp, {0x2C, FieldKind::number, 1, 20}, seconds},
        {nullptr, {0x2D, FieldKind::number_ro}, seconds},
        {nullptr, {0x2E, FieldKind::number_ro}, seconds},
        {nullptr, {0x2F, FieldKind::number_ro}, seconds},
    },
    132,
    16,
    5,
    label_width,
};

const RowPage codes_page = {
    "Коды контроля и набора городской линии:"_cp,
    20,
    {
        {"a/Дополнительный набор ..............................."_cp, {0x30, FieldKind::digits, 0, 0, 4}},
        {"b/Код межгорода ......................................"_cp, {0x34, FieldKind::digits, 0, 0, 4}},
    },
    148,
    2,  // the two codes; topic 164 after them is the general-call groups'
    5,
    label_width,
};

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

const bool help_registered = register_help_topics("city line pages", [] {
  std::vector<int> topics = row_page_topics({&main_page, &times_page, &initial_durations_page, &codes_page});
  for (int topic : call_groups_topics(line_call_groups)) topics.push_back(topic);
  for (int topic : variants_topics(line_modes)) topics.push_back(topic);
  return topics;
}());

// ------------------------------------------------------- page menu

const BoxMenu page_menu{30, 10, 29,
                        {{"1.Основные установки"_cp, edit_line_main},
                         {"2.Временные параметры"_cp, edit_line_times},
                         {"3.Исходные длительности"_cp, edit_line_times2},
                         {"4.Коды конроля и набора"_cp, edit_line_codes},
                         {"5.Режимы функционирования"_cp, edit_line_modes},
                         {"6.Группы общего вызова"_cp, edit_line_call_groups}}};

// The line prompt: the number typed (0 when none), with Esc clearing the
// page item.
int ask_line_number() {
  clear_screen();
  print_at_plain(20, 2, "Введите номер линии:"_cp);
  // Esc ends the editor, yet the digits typed still choose a line: its page
  // menu opens with no item highlighted.
  const TypedNumber typed = read_typed_number({{50, 2}, 4, COLOR_SCREEN, 0, usable_city_lines()});
  if (typed.key == key::esc) line_editor.page_item = 0;
  return typed.value;
}

}  // namespace

// After Esc at the line prompt no item of the page menu is highlighted and
// Enter runs nothing until the user moves.
void city_line_editor() {
  run_block_editor({&line_editor, ask_line_number, "Городская линия:        %2d"_cp, &page_menu, true});
}

void edit_line_main() { run_row_page(main_page, line_choice); }
void edit_line_times() { run_row_page(times_page, line_choice); }
void edit_line_times2() { run_row_page(initial_durations_page, line_choice); }
void edit_line_codes() { run_row_page(codes_page, line_choice); }
void edit_line_modes() { run_variants_page(line_modes, line_choice); }
void edit_line_call_groups() { run_call_groups_page(line_call_groups, line_choice); }

void list_line_pages(KarvelListing& listing, int line) {
  const int block = facts::karvel_block_address(line + listing.first_line_port() - 1);
  const std::string section = format("Линия %d"_cp, line) + " / ";
  const RowPage* pages[4] = {&main_page, &times_page, &initial_durations_page, &codes_page};
  for (int i = 0; i < 4; ++i) list_row_page(listing, *pages[i], section + menu_entry_name(page_menu.text(i + 1)), block);
  list_variants(listing, line_modes, section + menu_entry_name(page_menu.text(5)), block);
  list_call_groups(listing, line_call_groups, section + menu_entry_name(page_menu.text(6)), block);
}
