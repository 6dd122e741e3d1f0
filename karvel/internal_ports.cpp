// Internal port settings of karvel: the port prompt, the page menu and the
// pages of a port's block, from its main settings to its call handling
// (general-call groups, operating variants per station mode and call
// redirection) on the shared page frames.
#include "karvel/internal_ports.h"

#include <iterator>
#include <string>
#include <vector>

#include "editors/block_editor.h"
#include "editors/field_editors.h"
#include "facts/karvel_memory.h"
#include "karvel/call_handling_pages.h"
#include "karvel/catalogue.h"
#include "karvel/context_help.h"
#include "karvel/screens.h"
#include "settings/run_state.h"
#include "link/link.h"
#include "platform/cp866.h"
#include "toolkit/number_prompt.h"
#include "toolkit/screen.h"

BlockEditorState port_editor;

void reset_port_editor() { port_editor = BlockEditorState(); }
const bool port_editor_resets = resets_with_the_run(reset_port_editor);

namespace {

int last_port() { return link_state.port_count; }

// Esc in this prompt keeps the port and the editor's page item: the user
// stays on the page.
int ask_other_port(int port) { return ask_port_aside({port_editor.current, 1}, port); }

// The port the pages edit and the keys that change it, for every page of
// the port's block.
const BlockChoice port_pages_choice{&port_editor.current, port_block, last_port, ask_other_port};

// The redirection target of a port (offset 3), on the main page and the
// call redirection page: a port never redirects to itself, nor to a port
// that redirects further.
int edit_redirection_target(ScreenPos at, int port, int address) {
  int status = edit_number(at, address, 0, link_state.port_count);
  if (status != link_ok) return status;
  // A target is judged only on what the station was read to hold: a failed
  // read leaves an older byte in the buffer, and clearing the target on it
  // would undo a good edit.
  if ((status = link_read_block_alike(address, 1)) != link_ok) return status;
  int target = link_buffer[0] & 0xFF;
  if (target == 0) return link_ok;
  bool refuse = target == port;
  if (!refuse && target >= 1 && target <= link_state.port_count && target < 128) {
    if ((status = link_read_block_alike(port_block(target) + 3, 1)) != link_ok) return status;
    refuse = (link_buffer[0] & 0xFF) != 0;
  }
  if (refuse) {
    link_buffer[0] = 0;
    status = link_write_block(address, 1);
    show_number(at, address, COLOR_SCREEN);
  }
  return status;
}


const char* const five_ms = "* 5Мс."_cp;
const char* const seconds = "Сек."_cp;

const RowPage main_page = {
    "Основные установки внутреннего порта:"_cp,
    5,
    {
        {"a/Разрешение на обслуживание порта (Да/Нет) .........."_cp, {0x00, FieldKind::yes_no}},
        {"b/Установка уровня приоритета порта (0-255) .........."_cp, {0x01, FieldKind::number, 0, 255}},
        {"c/Разрешение на отзвон от удержаний (Да/Нет) ........."_cp, {0x02, FieldKind::yes_no}},
        {"d/Переназначение вызовов на другой внутренний порт ..."_cp, {0x03, FieldKind::number, 0, limit_port_count}, nullptr, edit_redirection_target},
        {"e/Разреш. звукового уведомл. о новом вызове (Да/Нет) ."_cp, {0x04, FieldKind::yes_no}},
        {"f/Разреш. на возврат переключенного вызова (Да/Нет) .."_cp, {0x05, FieldKind::yes_no}},
        {"g/Разреш. на включение звонка на телефоне (Да/Нет) ..."_cp, {0x06, FieldKind::yes_no}},
        {"h/Разреш. на ответ по звонку поднятием трубки (Да/Нет)"_cp, {0x07, FieldKind::yes_no}},
        {"i/Запрещ. перехвата вызова на своем телефоне (Да/Нет)"_cp, {0x08, FieldKind::yes_no}},
        {"j/Разреш. на выход в город по кодам 001-006 (Да/Нет) ."_cp, {0x09, FieldKind::yes_no}},
        {"k/Разрешение тонального набора для порта (Да/Нет) ...."_cp, {0x0A, FieldKind::yes_no}},
        {"l/Разрешение на отзвон от удержаний типа HOLD (Да/Нет)"_cp, {0x0B, FieldKind::yes_no}},
        {"m/Разрешение на запись в свою записную книжку (Да/Нет)"_cp, {0x0C, FieldKind::yes_no}},
        {"n/Разрещение общестанционного програмирования (Да/Нет)"_cp, {0x0D, FieldKind::yes_no}},
        {"o/Отбой гор. линии по нажатию клавиши FLASH (Да/Нет) ."_cp, {0x0E, FieldKind::yes_no}},
        {"p/Номер группы по перехвату вызовов .................."_cp, {0x0F, FieldKind::number, 0, 16}},
    },
    0,
};

const RowPage pulse_page = {
    "Импульсные параметры внутреннего порта:"_cp,
    5,
    {
        {"a/Длительность определения поднятия трубки без вызова"_cp, {0x10, FieldKind::number, 2, 255}, five_ms},
        {"b/Длительность опред. поднятия трубки во время вызова"_cp, {0x11, FieldKind::number, 2, 255}, five_ms},
        {"c/Длительность определения опускания трубки .........."_cp, {0x12, FieldKind::number, 20, 255}, five_ms},
        {"d/MIN длит. разрыва линии, соответствующая FLASH ....."_cp, {0x13, FieldKind::number, 15, 255}, five_ms},
        {"e/MAX длит. разрыва линии, соответствующая FLASH ....."_cp, {0x14, FieldKind::number, 20, 255}, five_ms},
        {"f/Пауза после разрыва линии для фиксации FLASH ......."_cp, {0x15, FieldKind::number, 20, 255}, five_ms},
        {"g/MIN длит. размыкания ключа при импульсном наборе ..."_cp, {0x16, FieldKind::number, 1, 20}, five_ms},
        {"h/MAX длит. размыкания ключа при импульсном наборе ..."_cp, {0x17, FieldKind::number, 1, 20}, five_ms},
        {"i/MIN длит. замыкания ключа при импульсном наборе ...."_cp, {0x18, FieldKind::number, 1, 20}, five_ms},
        {"j/MAX длит. замыкания ключа при импульсном наборе ...."_cp, {0x19, FieldKind::number, 1, 20}, five_ms},
        {"k/Пауза после замыканя ключа для фиксации цифры ......"_cp, {0x1A, FieldKind::number, 10, 255}, five_ms},
        {nullptr, {0x1B, FieldKind::number_ro}, five_ms},
        {nullptr, {0x1C, FieldKind::number_ro}, five_ms},
        {nullptr, {0x1D, FieldKind::number_ro}, five_ms},
        {nullptr, {0x1E, FieldKind::number_ro}, five_ms},
        {nullptr, {0x1F, FieldKind::number_ro}, five_ms},
    },
    16,
};

const RowPage times_page = {
    "Временные параметры  внутреннего порта:"_cp,
    5,
    {
        {"a/Время ожидания набора номера ......................."_cp, {0x20, FieldKind::number, 1, 255}, seconds},
        {"b/Длительность отзвона от освободившегося канала ....."_cp, {0x21, FieldKind::number, 1, 255}, seconds},
        {"c/Время ожидания ответа на вызов (Нахождение на КПВ) ."_cp, {0x22, FieldKind::number, 1, 255}, seconds},
        {"d/Время ожидания ответа от занятого абонента (N 1) ..."_cp, {0x23, FieldKind::number, 1, 255}, seconds},
        {"e/Время ожидания ответа от занятого абонента (N 2) ..."_cp, {0x24, FieldKind::number, 1, 255}, seconds},
        {"f/Длительность переадресации после укладки трубки ...."_cp, {0x25, FieldKind::number, 1, 255}, seconds},
        {"g/Длительность возвращ. вызова после переадресации ..."_cp, {0x26, FieldKind::number, 1, 255}, seconds},
        {"h/Принудительное освобождение занятого абонента через"_cp, {0x27, FieldKind::number, 1, 255}, seconds},
        {"i/Вмешательство в разговор занятого абонента через ..."_cp, {0x28, FieldKind::number, 1, 255}, seconds},
        {"j/Время ожидания освобождения канала ................."_cp, {0x29, FieldKind::number, 1, 255}, seconds},
        {"k/Длительность группового вызова ....................."_cp, {0x2A, FieldKind::number, 1, 255}, seconds},
        {"l/MAX пауза между цифрами при наборе в город ........."_cp, {0x2B, FieldKind::number, 2, 255}, seconds},
        {"m/Длительность разговора с городом при исходящей связи"_cp, {0x2C, FieldKind::number, 0, 255}, seconds},
        {"n/Время ожидания освобождения занятой городской линии"_cp, {0x2D, FieldKind::number, 1, 255}, seconds},
        {"o/Длительность связии двух объединенных гор. линий ..."_cp, {0x2E, FieldKind::number, 0, 255}, seconds},
        {"p/Длительность нахождения на громкоговорящей связи ..."_cp, {0x2F, FieldKind::number, 0, 255}, seconds},
    },
    32,
};

const RowPage extra_page = {
    "Дополнительные установки для порта:"_cp,
    5,
    {
        {"a/Автоматически набирающийся номер по поднятию трубки"_cp, {0x30, FieldKind::digits, 0, 0, 4}},
        {"b/Разрешение режима СЕЛЕКТОР.........................."_cp, {0x34, FieldKind::yes_no}},
        {"c/Разрешение быть ведущим режима СЕЛЕКТОР............."_cp, {0x35, FieldKind::yes_no}},
        {nullptr, {0x36, FieldKind::none}},
        {"e/Запрещено отвечать на внешний вызов кодами 01-06...."_cp, {0x37, FieldKind::yes_no}},
        {"f/Время програмирования говорилки....................."_cp, {0x38, FieldKind::number, 0, 255}},
        {"g/Время прослушывания музыки ........................."_cp, {0x39, FieldKind::number, 1, 255}},
        {"h/Время нахождения на удержании при постановке на HOLD"_cp, {0x3A, FieldKind::number, 1, 255}},
        {"i/Режим 'Не беспокоить' (Да/Нет) ....................."_cp, {0x3B, FieldKind::yes_no}},
        {"j/Не беспокоить всем кроме внутреннего порта номер ..."_cp, {0x3C, FieldKind::number, 0, limit_port_count}},
        {"k/Не беспокоить всем кроме внутреннего порта номер ..."_cp, {0x3D, FieldKind::number, 0, limit_port_count}},
        {"l/Не беспокоить всем кроме внутреннего порта номер ..."_cp, {0x3E, FieldKind::number, 0, limit_port_count}},
        {"m/Не беспокоить всем кроме внутреннего порта номер ..."_cp, {0x3F, FieldKind::number, 0, limit_port_count}},
    },
    48,
};

// ------------------------------------------------------- general-call groups

const CallGroupsPage port_call_groups{"   Группы общего вызова для порта:"_cp, facts::karvel_call_groups_offset, 65, true};

// ------------------------------------------------------ operating variants

// One 16-byte row per station mode: the exit group, then city lines 1..6.
const VariantRow port_variant_rows[] = {
    {"b/Группы выхода в город"_cp, {facts::karvel_port_exit_groups_offset, FieldKind::number, 0, 4, 1, 81}},
    {"c/Разреш. выхода на линию 1"_cp, {0x41, FieldKind::yes_no, 0, 1, 1, 82}},
    {"d/Разреш. выхода на линию 2"_cp, {0x42, FieldKind::yes_no, 0, 1, 1, 82}},
    {"e/Разреш. выхода на линию 3"_cp, {0x43, FieldKind::yes_no, 0, 1, 1, 82}},
    {"f/Разреш. выхода на линию 4"_cp, {0x44, FieldKind::yes_no, 0, 1, 1, 82}},
    {"g/Разреш. выхода на линию 5"_cp, {0x45, FieldKind::yes_no, 0, 1, 1, 82}},
    {"h/Разреш. выхода на линию 6"_cp, {0x46, FieldKind::yes_no, 0, 1, 1, 82}},
};

const VariantsPage port_variants{
    "Варианты функционирования для внутреннего порта"_cp,
    {15, 3},
    15,
    44,
    port_variant_rows,
    static_cast<int>(std::size(port_variant_rows)),
    16,
    true,
};

// ---------------------------------------------------------- redirection

// A port is never its own exception: its own number is stored as 0.
int edit_exception_port(ScreenPos at, int port, int address) {
  if (int status = edit_number(at, address, 0, link_state.port_count); status != 0) return status;
  if (link_read_block_alike(address, 1) != link_ok || (link_buffer[0] & 0xFF) != port) return link_ok;
  link_buffer[0] = 0;
  if (link_write_block(address, 1) == link_ok) show_number(at, address, COLOR_SCREEN);
  return link_ok;
}

// Rows b..e name ports, f..k city lines whose calls are never redirected.
constexpr FieldRow port_exception(int offset) { return {offset, FieldKind::number, 0, limit_port_count}; }
constexpr FieldRow line_exception(int offset) { return {offset, FieldKind::number, 0, limit_line_count}; }

const RowPage redirection_page = {
    "Перенаправление вызовов для порта:"_cp,
    5,
    {
        {"a/Номер абонента на которого перенаправляются вызовы ."_cp, {0x03, FieldKind::number, 0, limit_port_count},
         nullptr, edit_redirection_target, 4},
        {"b/Не перенаправлять вызовы от абонента ..............."_cp, port_exception(0xD0), nullptr, edit_exception_port, 88},
        {"c/Не перенаправлять вызовы от абонента ..............."_cp, port_exception(0xD1), nullptr, edit_exception_port, 88},
        {"d/Не перенаправлять вызовы от абонента ..............."_cp, port_exception(0xD2), nullptr, edit_exception_port, 88},
        {"e/Не перенаправлять вызовы от абонента ..............."_cp, port_exception(0xD3), nullptr, edit_exception_port, 88},
        {"f/Не перенаправлять вызовы от линии .................."_cp, line_exception(0xD4), nullptr, nullptr, 89},
        {"g/Не перенаправлять вызовы от линии .................."_cp, line_exception(0xD5), nullptr, nullptr, 89},
        {"h/Не перенаправлять вызовы от линии .................."_cp, line_exception(0xD6), nullptr, nullptr, 89},
        {"i/Не перенаправлять вызовы от линии .................."_cp, line_exception(0xD7), nullptr, nullptr, 89},
        {"j/Не перенаправлять вызовы от линии .................."_cp, line_exception(0xD8), nullptr, nullptr, 89},
        {"k/Не перенаправлять вызовы от линии .................."_cp, line_exception(0xD9), nullptr, nullptr, 89},
    },
    own_topics,
};

const bool help_registered = register_help_topics("internal port pages", [] {
  std::vector<int> topics = row_page_topics({&main_page, &pulse_page, &times_page, &extra_page, &redirection_page});
  for (int topic : call_groups_topics(port_call_groups)) topics.push_back(topic);
  for (int topic : variants_topics(port_variants)) topics.push_back(topic);
  return topics;
}());

const BoxMenu page_menu{30, 10, 27,
                        {{"1.Основные установки"_cp, edit_port_main},
                         {"2.Импульсные параметры"_cp, edit_port_pulse},
                         {"3.Времена и длительности"_cp, edit_port_times},
                         {"4.Дполнительные установки"_cp, edit_port_extra},
                         {"5.Группы общего вызова"_cp, edit_port_call_groups},
                         {"6.Режимы функционирования"_cp, edit_port_variants},
                         {"7.Перенаправление вызовов"_cp, edit_port_redirection},
                         {"", nullptr}}};

// A page of the port's page menu (1..7) as the listing names it.
std::string port_page_name(int item) { return menu_entry_name(page_menu.text(item)); }

}  // namespace

int ask_port_number() {
  open_modal_window();
  draw_box(20, 10, 30, 3);
  print_at(23, 12, "Введите номер порта:"_cp, COLOR_BOX);
  const TypedNumber typed = read_typed_number({{47, 12}, 2, COLOR_BOX, 1, link_state.port_count});
  if (typed.key == key::esc) port_editor.page_item = 0;
  set_colour(COLOR_SCREEN);
  close_modal_window();
  return typed.key == key::enter ? typed.value : port_editor.current;
}

int ask_port_aside(const BlockEditorState& start, int on_esc) {
  const BlockEditorState saved = port_editor;
  port_editor = start;
  const int chosen = ask_port_number();
  const bool cancelled = port_editor.page_item == 0;
  port_editor = saved;
  return cancelled ? on_esc : chosen;
}

int port_switch_keys(int port, int key_code) {
  return key_code == key::f9 ? ask_other_port(port) : step_number(port, last_port(), key_code);
}

void internal_port_editor() {
  run_block_editor({&port_editor, ask_port_number, "Внутренний порт:        %2d"_cp, &page_menu, false});
}

void edit_port_main() { run_row_page(main_page, port_pages_choice); }
void edit_port_pulse() { run_row_page(pulse_page, port_pages_choice); }
void edit_port_times() { run_row_page(times_page, port_pages_choice); }
void edit_port_extra() { run_row_page(extra_page, port_pages_choice); }
void edit_port_call_groups() { run_call_groups_page(port_call_groups, port_pages_choice); }
void edit_port_variants() { run_variants_page(port_variants, port_pages_choice); }
void edit_port_redirection() { run_row_page(redirection_page, port_pages_choice); }

std::string port_section(int port) { return format("Порт %d"_cp, port); }

void list_port_pages(KarvelListing& listing, int port) {
  const RowPage* pages[4] = {&main_page, &pulse_page, &times_page, &extra_page};
  for (int i = 0; i < 4; ++i)
    list_row_page(listing, *pages[i], port_section(port) + " / " + port_page_name(i + 1), port_block(port));
}

void list_port_call_pages(KarvelListing& listing, int port) {
  const int block = port_block(port);
  const std::string section = port_section(port) + " / ";
  list_call_groups(listing, port_call_groups, section + port_page_name(5), block);
  list_variants(listing, port_variants, section + port_page_name(6), block);
  // The redirection target (row a) is the main page's row d, listed there.
  list_row_page(listing, redirection_page, section + port_page_name(7), block, 2, false);
}
