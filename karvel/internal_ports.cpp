// Internal port settings of karvel.
#include "karvel/internal_ports.h"

#include <iterator>
#include <string>
#include <vector>

#include "editors/field_editors.h"
#include "karvel/catalogue.h"
#include "karvel/context_help.h"
#include "karvel/field_rows.h"
#include "karvel/screens.h"
#include "link/link.h"
#include "link/link_screens.h"
#include "platform/cp866.h"
#include "toolkit/box_menu.h"
#include "toolkit/hints.h"
#include "toolkit/screen.h"

PortEditorState port_editor;

void reset_port_editor() { port_editor = PortEditorState(); }

namespace {

// One page of a port: sixteen labelled rows of one-byte fields at offsets
// of the port's block, with the parameter and help topic of row r at
// r + `number_base`.
struct PortPage {
  const char* title;
  const char* labels[16];
  FieldRow rows[16];
  int number_base;
  const char* unit;      // printed after each value, or null
  int redirect_row;      // the row with the redirection target, or 0
};

constexpr int value_column = 60;

// Dotted rows carry a letter and dots to the width of the other labels.
#define DOTTED(letter) letter "/...................................................."

const PortPage main_page = {
    "Основные установки внутреннего порта:"_cp,
    {"a/Разрешение на обслуживание порта (Да/Нет) .........."_cp,
     "b/Установка уровня приоритета порта (0-255) .........."_cp,
     "c/Разрешение на отзвон от удержаний (Да/Нет) ........."_cp,
     "d/Переназначение вызовов на другой внутренний порт ..."_cp,
     "e/Разреш. звукового уведомл. о новом вызове (Да/Нет) ."_cp,
     "f/Разреш. на возврат переключенного вызова (Да/Нет) .."_cp,
     "g/Разреш. на включение звонка на телефоне (Да/Нет) ..."_cp,
     "h/Разреш. на ответ по звонку поднятием трубки (Да/Нет)"_cp,
     "i/Запрещ. перехвата вызова на своем телефоне (Да/Нет)"_cp,
     "j/Разреш. на выход в город по кодам 001-006 (Да/Нет) ."_cp,
     "k/Разрешение тонального набора для порта (Да/Нет) ...."_cp,
     "l/Разрешение на отзвон от удержаний типа HOLD (Да/Нет)"_cp,
     "m/Разрешение на запись в свою записную книжку (Да/Нет)"_cp,
     "n/Разрещение общестанционного програмирования (Да/Нет)"_cp,
     "o/Отбой гор. линии по нажатию клавиши FLASH (Да/Нет) ."_cp,
     "p/Номер группы по перехвату вызовов .................."_cp},
    {{0x00, FieldKind::yes_no},        {0x01, FieldKind::number, 0, 255},
     {0x02, FieldKind::yes_no},        {0x03, FieldKind::number, 0, limit_port_count},
     {0x04, FieldKind::yes_no},        {0x05, FieldKind::yes_no},
     {0x06, FieldKind::yes_no},        {0x07, FieldKind::yes_no},
     {0x08, FieldKind::yes_no},        {0x09, FieldKind::yes_no},
     {0x0A, FieldKind::yes_no},        {0x0B, FieldKind::yes_no},
     {0x0C, FieldKind::yes_no},        {0x0D, FieldKind::yes_no},
     {0x0E, FieldKind::yes_no},        {0x0F, FieldKind::number, 0, 16}},
    0,
    nullptr,
    4,
};

const PortPage pulse_page = {
    "Импульсные параметры внутреннего порта:"_cp,
    {"a/Длительность определения поднятия трубки без вызова"_cp,
     "b/Длительность опред. поднятия трубки во время вызова"_cp,
     "c/Длительность определения опускания трубки .........."_cp,
     "d/MIN длит. разрыва линии, соответствующая FLASH ....."_cp,
     "e/MAX длит. разрыва линии, соответствующая FLASH ....."_cp,
     "f/Пауза после разрыва линии для фиксации FLASH ......."_cp,
     "g/MIN длит. размыкания ключа при импульсном наборе ..."_cp,
     "h/MAX длит. размыкания ключа при импульсном наборе ..."_cp,
     "i/MIN длит. замыкания ключа при импульсном наборе ...."_cp,
     "j/MAX длит. замыкания ключа при импульсном наборе ...."_cp,
     "k/Пауза после замыканя ключа для фиксации цифры ......"_cp,
     DOTTED("l"), DOTTED("m"), DOTTED("n"), DOTTED("o"), DOTTED("p")},
    {{0x10, FieldKind::number, 2, 255},  {0x11, FieldKind::number, 2, 255},  {0x12, FieldKind::number, 20, 255},
     {0x13, FieldKind::number, 15, 255}, {0x14, FieldKind::number, 20, 255}, {0x15, FieldKind::number, 20, 255},
     {0x16, FieldKind::number, 1, 20},   {0x17, FieldKind::number, 1, 20},   {0x18, FieldKind::number, 1, 20},
     {0x19, FieldKind::number, 1, 20},   {0x1A, FieldKind::number, 10, 255}, {0x1B, FieldKind::number_ro},
     {0x1C, FieldKind::number_ro},       {0x1D, FieldKind::number_ro},       {0x1E, FieldKind::number_ro},
     {0x1F, FieldKind::number_ro}},
    16,
    "* 5Мс."_cp,
    0,
};

const PortPage times_page = {
    "Временные параметры  внутреннего порта:"_cp,
    {"a/Время ожидания набора номера ......................."_cp,
     "b/Длительность отзвона от освободившегося канала ....."_cp,
     "c/Время ожидания ответа на вызов (Нахождение на КПВ) ."_cp,
     "d/Время ожидания ответа от занятого абонента (N 1) ..."_cp,
     "e/Время ожидания ответа от занятого абонента (N 2) ..."_cp,
     "f/Длительность переадресации после укладки трубки ...."_cp,
     "g/Длительность возвращ. вызова после переадресации ..."_cp,
     "h/Принудительное освобождение занятого абонента через"_cp,
     "i/Вмешательство в разговор занятого абонента через ..."_cp,
     "j/Время ожидания освобождения канала ................."_cp,
     "k/Длительность группового вызова ....................."_cp,
     "l/MAX пауза между цифрами при наборе в город ........."_cp,
     "m/Длительность разговора с городом при исходящей связи"_cp,
     "n/Время ожидания освобождения занятой городской линии"_cp,
     "o/Длительность связии двух объединенных гор. линий ..."_cp,
     "p/Длительность нахождения на громкоговорящей связи ..."_cp},
    {{0x20, FieldKind::number, 1, 255}, {0x21, FieldKind::number, 1, 255}, {0x22, FieldKind::number, 1, 255},
     {0x23, FieldKind::number, 1, 255}, {0x24, FieldKind::number, 1, 255}, {0x25, FieldKind::number, 1, 255},
     {0x26, FieldKind::number, 1, 255}, {0x27, FieldKind::number, 1, 255}, {0x28, FieldKind::number, 1, 255},
     {0x29, FieldKind::number, 1, 255}, {0x2A, FieldKind::number, 1, 255}, {0x2B, FieldKind::number, 2, 255},
     {0x2C, FieldKind::number, 0, 255}, {0x2D, FieldKind::number, 1, 255}, {0x2E, FieldKind::number, 0, 255},
     {0x2F, FieldKind::number, 0, 255}},
    32,
    "Сек."_cp,
    0,
};

const PortPage extra_page = {
    "Дополнительные установки для порта:"_cp,
    {"a/Автоматически набирающийся номер по поднятию трубки"_cp,
     "b/Разрешение режима СЕЛЕКТОР.........................."_cp,
     "c/Разрешение быть ведущим режима СЕЛЕКТОР............."_cp,
     DOTTED("d"),
     "e/Запрещено отвечать на внешний вызов кодами 01-06...."_cp,
     "f/Время програмирования говорилки....................."_cp,
     "g/Время прослушывания музыки ........................."_cp,
     "h/Время нахождения на удержании при постановке на HOLD"_cp,
     "i/Режим 'Не беспокоить' (Да/Нет) ....................."_cp,
     "j/Не беспокоить всем кроме внутреннего порта номер ..."_cp,
     "k/Не беспокоить всем кроме внутреннего порта номер ..."_cp,
     "l/Не беспокоить всем кроме внутреннего порта номер ..."_cp,
     "m/Не беспокоить всем кроме внутреннего порта номер ..."_cp,
     DOTTED("n"), DOTTED("o"), DOTTED("p")},
    {{0x30, FieldKind::digits, 0, 0, 4},
     {0x34, FieldKind::yes_no},
     {0x35, FieldKind::yes_no},
     {0x36, FieldKind::none},
     {0x37, FieldKind::yes_no},
     {0x38, FieldKind::number, 0, 255},
     {0x39, FieldKind::number, 1, 255},
     {0x3A, FieldKind::number, 1, 255},
     {0x3B, FieldKind::yes_no},
     {0x3C, FieldKind::number, 0, limit_port_count},
     {0x3D, FieldKind::number, 0, limit_port_count},
     {0x3E, FieldKind::number, 0, limit_port_count},
     {0x3F, FieldKind::number, 0, limit_port_count},
     {0, FieldKind::none},
     {0, FieldKind::none},
     {0, FieldKind::none}},
    48,
    nullptr,
    0,
};

// F10 on row r of a page shows topic r + number_base.
std::vector<int> page_topics(std::initializer_list<const PortPage*> pages) {
  std::vector<int> topics;
  for (const PortPage* page : pages)
    for (int r = 1; r <= 16; ++r) topics.push_back(r + page->number_base);
  return topics;
}

const bool help_registered =
    register_help_topics("internal port pages", page_topics({&main_page, &pulse_page, &times_page, &extra_page}));

#undef DOTTED

// True when the user left at a failed read's box.
bool draw_port_values(const GridCursor& grid, const PortPage& page, int port) {
  print_at_plain(62, 2, format("%2d", port));
  return show_all_rows(grid, page.rows, 16, port_block(port));
}

void run_port_page(const PortPage& page) {
  // The page menu's port line stands on row 2 too; it must not show through
  // past the end of the title.
  print_at_plain(1, 2, std::string(79, ' '));
  print_at_plain(5, 2, page.title);
  for (int r = 1; r <= 16; ++r) {
    print_at_plain(5, 3 + r, page.labels[r - 1]);
    if (page.unit && page.rows[r - 1].kind != FieldKind::none) print_at_plain(value_column + 5, 3 + r, page.unit);
  }
  GridCursor grid({value_column}, spaced(4, 16));
  int& port = port_editor.current_port;
  if (draw_port_values(grid, page, port)) return;
  for (;;) {
    hint_port_pages();
    hint_help_key();
    hint_port_key();
    int k = grid_navigate(grid);
    const int r = grid.row;
    if (k == key::esc) return;
    if (k == key::f10) show_help(r + page.number_base);
    int next = port_switch_keys(port, k);
    if (next != port) {
      port = next;
      if (draw_port_values(grid, page, port)) return;
    }
    if (k != key::enter) continue;
    FieldRow row = page.rows[r - 1];
    row.level = r + page.number_base;
    if (r == page.redirect_row) {
      load_access_level(row.level);
      edit_redirection_target(grid.current_cell(), port);
    } else {
      edit_field_row(grid.current_cell(), row, port_block(port));
    }
  }
}

const char* const page_items[8] = {"1.Основные установки"_cp,      "2.Импульсные параметры"_cp,
                                   "3.Времена и длительности"_cp,  "4.Дполнительные установки"_cp,
                                   "5.Группы общего вызова"_cp,    "6.Режимы функционирования"_cp,
                                   "7.Перенаправление вызовов"_cp, ""};

const BoxMenu page_menu_box{30, 10, 27, 8, page_items};

void run_page_item(int item) {
  switch (item) {
    case 1: edit_port_main(); break;
    case 2: edit_port_pulse(); break;
    case 3: edit_port_times(); break;
    case 4: edit_port_extra(); break;
    case 5: edit_port_call_groups(); break;
    case 6: edit_port_variants(); break;
    case 7: edit_port_redirection(); break;
  }
}

// The page menu of the current port; Esc forgets the port.
void page_menu() {
  clear_screen();
  print_at_plain(20, 2, format("Внутренний порт:        %2d"_cp, port_editor.current_port));
  if (run_box_menu(page_menu_box, port_editor.page_item) == key::esc)
    port_editor.current_port = 0;
  else
    run_page_item(port_editor.page_item);
}

}  // namespace

int ask_port_number() {
  open_modal_window();
  draw_box(20, 10, 30, 3);
  print_at(23, 12, "Введите номер порта:"_cp, COLOR_BOX);
  int value = 0, digits = 0;
  auto restart = [&] {
    print_at(47, 12, "   ", COLOR_BOX);
    goto_xy(47, 12);
    value = 0;
    digits = 0;
  };
  goto_xy(47, 12);
  int chosen = port_editor.current_port;
  for (;;) {
    int k = read_key();
    if (k == key::extended) {
      read_key();
      continue;
    }
    if (k == key::esc) {
      port_editor.page_item = 0;
      break;
    }
    if (k >= '0' && k <= '9') {
      if (digits == 2) {
        restart();
        continue;
      }
      set_colour(COLOR_BOX);
      put_char(static_cast<std::uint8_t>(k));
      value = value * 10 + (k - '0');
      ++digits;
      if (value > link_state.port_count) restart();
    } else if (k == key::enter) {
      if (value >= 1 && value <= link_state.port_count) {
        chosen = value;
        break;
      }
      restart();
    }
  }
  set_colour(COLOR_SCREEN);
  close_modal_window();
  return chosen;
}

int port_switch_keys(int port, int key_code) {
  const int last = link_state.port_count;
  switch (key_code) {
    case key::pgup: return port > 1 ? port - 1 : port;
    case key::pgdn: return port < last ? port + 1 : port;
    case key::home: return port > 1 ? 1 : port;
    case key::end: return port < last ? last : port;
    case key::f9: {
      // Esc in this prompt keeps the port and the editor's page item: the
      // user stays on the page.
      int item = port_editor.page_item;
      port_editor.page_item = 1;
      int chosen = ask_port_number();
      bool cancelled = port_editor.page_item == 0;
      port_editor.page_item = item;
      return cancelled ? port : chosen;
    }
    default: return port;
  }
}

int edit_redirection_target(ScreenPos at, int port) {
  const int address = port_block(port) + 3;
  int status = edit_number(at, address, 0, link_state.port_count);
  if (status != link_ok) return status;
  link_read_block_alike(address, 1);
  int target = link_buffer[0] & 0xFF;
  if (target == 0) return link_ok;
  bool refuse = target == port;
  if (!refuse && target >= 1 && target <= link_state.port_count && target < 128) {
    link_read_block_alike(port_block(target) + 3, 1);
    refuse = (link_buffer[0] & 0xFF) != 0;
  }
  if (refuse) {
    link_buffer[0] = 0;
    status = link_write_block(address, 1);
    show_number(at, address, COLOR_SCREEN);
  }
  return status;
}

void internal_port_editor() {
  if (!link_state.station_connected && !link_state.file_mode) {
    link_error_box(link_not_connected);
    return;
  }
  if (link_state.station_connected) link_rts_on();
  reset_port_editor();
  while (port_editor.page_item != 0) {
    port_editor.current_port = ask_port_number();
    while (port_editor.current_port != 0) page_menu();
  }
}

void edit_port_main() { run_port_page(main_page); }
void edit_port_pulse() { run_port_page(pulse_page); }
void edit_port_times() { run_port_page(times_page); }
void edit_port_extra() { run_port_page(extra_page); }

std::string port_section(int port) { return format("Порт %d"_cp, port); }

std::string port_page_name(int item) { return item >= 1 && item <= 7 ? menu_entry_name(page_items[item - 1]) : ""; }

void list_port_pages(KarvelListing& listing, int port) {
  const PortPage* pages[4] = {&main_page, &pulse_page, &times_page, &extra_page};
  for (int i = 0; i < 4; ++i) {
    const PortPage& page = *pages[i];
    const std::string section = port_section(port) + " / " + port_page_name(i + 1);
    std::vector<ListedLabel> labels = listed_labels({std::begin(page.labels), std::end(page.labels)});
    for (int r = 1; r <= 16; ++r) {
      if (page.unit) labels[r - 1].unit = page.unit;
      listing.add_row(section, labels[r - 1], page.rows[r - 1], port_block(port), r + page.number_base);
    }
  }
}
