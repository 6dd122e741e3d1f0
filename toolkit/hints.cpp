#include "toolkit/hints.h"

#include <string_view>
#include <vector>

#include "platform/cp866.h"
#include "toolkit/screen.h"

namespace {

// One piece of a hint line: a key name and what it does. A piece without a
// column follows straight after the one before; a null key is a description
// standing alone.
struct HintPiece {
  const char* key;
  const char* text;
  int column = 0;
};

// karvel: each key in its own key colour, its description straight after
// it in the screen colour. tomrik: the line starts at column 1, keys black
// on green, descriptions black on grey.
enum class HintStyle { karvel, tomrik };

// The blanks after the last piece wipe what a longer hint left on the row.
struct HintLine {
  HintStyle style;
  int row;
  std::vector<HintPiece> pieces;
  int trailing_blanks = 0;
};

std::uint8_t karvel_key_colour(std::string_view key) {
  if (key == "Esc" || key == "ESC") return COLOR_ALERT;
  if (key == "F10") return COLOR_SELECT;
  return COLOR_BOX;
}

void paint_karvel_hint(const HintLine& line) {
  for (const HintPiece& p : line.pieces) {
    print_at(p.column, line.row, p.key, karvel_key_colour(p.key));
    put_text(p.text);
  }
  put_blanks(line.trailing_blanks);
}

void paint_tomrik_hint(const HintLine& line) {
  goto_xy(1, line.row);
  for (const HintPiece& p : line.pieces) {
    if (p.column) goto_xy(p.column, line.row);
    if (p.key) {
      set_colour(COLOR_SELECT);
      put_text(p.key);
    }
    set_colour(COLOR_BOX);
    put_text(p.text);
  }
  put_blanks(line.trailing_blanks);
  set_colour(COLOR_SCREEN);
}

void paint(const HintLine& line) {
  if (line.style == HintStyle::karvel)
    paint_karvel_hint(line);
  else
    paint_tomrik_hint(line);
}

constexpr HintStyle karvel = HintStyle::karvel;
constexpr HintStyle tomrik = HintStyle::tomrik;

// ------------------------------------------------------------ karvel lines

const HintLine esc_top = {karvel, 1, {{"Esc", "-Выход"_cp, 1}}};
const HintLine edit_page = {karvel, 25, {{"Enter", "-Изменение    "_cp, 1}, {"Стрелки"_cp, "-Переход     "_cp, 20}}, 40};
const HintLine port_pages_top = {karvel, 1, {{"Esc", "-Выход "_cp, 1}}};
const HintLine port_pages = {karvel, 25,
                             {{"Enter", "-Изменение "_cp, 1},
                              {"Стрел"_cp, "-Переход "_cp, 17},
                              {"PgUp", "-Предыдущ "_cp, 31},
                              {"PgDwn", "-Следующ "_cp, 45},
                              {"Home", "-Перв "_cp, 59},
                              {"End", "-Последн"_cp, 69}}};
const HintLine move_edit = {
    karvel, 25, {{"Стрелки"_cp, "-Перемещение  "_cp, 1}, {"ENTER", "-Редактирование  "_cp, 22}, {"ESC", "-Выход"_cp, 44}}};
const HintLine group_keys = {karvel, 1,
                             {{"PGUP", "-Пред груп  "_cp, 1},
                              {"PGDOWN", "-След груп  "_cp, 17},
                              {"F1", "-Табл маршр  "_cp, 35},
                              {"F2", "-Табл контр         "_cp, 50}}};
// The blanks start at column 35, where the second piece ends.
const HintLine table_keys = {karvel, 1, {{"PGUP", "-Пред табл  "_cp, 1}, {"PGDOWN", "-След табл  "_cp, 17}}, 44};
const HintLine routing_keys = {karvel, 1,
                               {{"PGUP", "-Пред табл  "_cp, 1},
                                {"PGDOWN", "-След табл  "_cp, 17},
                                {"TAB", "-Табл линий<=>Табл кодов        "_cp, 34}}};
// The subscriber view switches ports with the keys of the port pages, at
// the same places.
const HintLine port_switch = {karvel, 25,
                              {{"PgUp", "-Предыдущ "_cp, 31},
                               {"PgDwn", "-Следующ "_cp, 45},
                               {"Home", "-Перв "_cp, 59},
                               {"End", "-Последн"_cp, 69}}};
const HintLine help_key = {karvel, 1, {{"F10", "-Помощь"_cp, 71}}};
const HintLine port_key = {karvel, 2, {{"F9", " -Порт "_cp, 71}}};
const HintLine space_enter = {
    karvel, 25, {{"Пробел"_cp, "-Изменение параметра  "_cp, 1}, {"Enter", "-Запись изменений"_cp, 29}}, 29};
const HintLine digits_enter = {
    karvel, 25, {{"Цифры"_cp, "-Ввод нового значения  "_cp, 1}, {"Enter", "-Запись изменений"_cp, 29}}, 29};
const HintLine digit_string = {karvel, 25,
                               {{"Стрелки"_cp, "-Перемещение  "_cp, 1},
                                {"Delete", "-Удаление  "_cp, 22},
                                {"Цифры"_cp, "-Ввод  "_cp, 39},
                                {"Enter", "-Запись изменений       "_cp, 51}}};

// ------------------------------------------------------------ tomrik lines

const HintLine fields = {tomrik, 25,
                         {{"Стрелки"_cp, " - Перемещение по полям  "_cp},
                          {"ENTER", " - Редактирование  "_cp},
                          {"ESC", " - Выход            "_cp}}};
const HintLine edit_value = {tomrik, 25,
                             {{"Пробел"_cp, " - Изменение параметра  "_cp},
                              {"ENTER", " - Запись изменений  "_cp},
                              {"ESC", " - Выход            "_cp}}};
const HintLine digits_code = {tomrik, 25,
                              {{"Цифры"_cp, " - Ввод кода межгорода   "_cp},
                               {"ENTER", " - Запись изменений  "_cp},
                               {"ESC", " - Выход            "_cp}}};
const HintLine text_edit = {tomrik, 25,
                            {{"Стрелки"_cp, " - Перемещение  "_cp},
                             {"DELETE", " - Убрать символ  "_cp},
                             {"ENTER", " - Записать  "_cp},
                             {"ESC", " - Выход  "_cp}}};
const HintLine clear_line = {tomrik, 25, {{"ENTER", " - Очистить строку                      "_cp}}, 34};
const HintLine clear_keys = {
    tomrik, 1, {{" F8 ", " - Очистить строку                  "_cp}, {" F9 ", " - Очистить книжку                  "_cp}}};
const HintLine clear_book = {tomrik, 25, {{"ENTER", " - Очистить записную книжку       "_cp}}, 39};
const HintLine confirm_clear = {tomrik, 25,
                                {{nullptr, "Если вы уверены в необходимости очистки,"_cp},
                                 {nullptr, " нажмите клавишу    "_cp},
                                 {"ENTER", ""}},
                                12};
const HintLine clearing = {tomrik, 25, {{nullptr, "                   Идет  очистка  записной  книжки"_cp}}, 29};
const HintLine bulk_keys = {tomrik, 1,
                            {{"F1", " Установить всю колонку   "_cp},
                             {"F2", " Установить всю строку   "_cp},
                             {"F3", " Установить всю таблицу"_cp}}};
// The station-wide day/night setting of the subscriber settings page.
const HintLine day_night_key = {tomrik, 1, {{" F1 ", " - Изменение разрешения переключения режимов День/Ночь "_cp}}};
const HintLine choose_param = {tomrik, 25,
                               {{"СТРЕЛКИ"_cp, " Выбор параметра для изменения             "_cp},
                                {"ENTER", " Изменение   "_cp},
                                {"ESC", " Выход  "_cp}}};
const HintLine melody_keys = {tomrik, 25,
                              {{"СТРЕЛКИ"_cp, " Выбор мелодии   "_cp},
                               {"F4", " Редактировать имя        "_cp},
                               {"ENTER", " Запись   "_cp},
                               {"ESC", " Отмена  "_cp}}};
const HintLine name_edit = {tomrik, 25,
                            {{"СИМВОЛЫ"_cp, " Редактирование   "_cp},
                             {"DELETE", " Убрать символ      "_cp},
                             {"ENTER", " Запись   "_cp},
                             {"ESC", " Отмена  "_cp}}};
const HintLine volume_keys = {tomrik, 25,
                              {{"СТРЕЛКИ"_cp, " Установка громкости                       "_cp},
                               {"ENTER", " Запись   "_cp},
                               {"ESC", " Отмена  "_cp}}};
// The storage device screen puts every key at its own column.
const HintLine storage_menu = {tomrik, 25,
                               {{" СТРЕЛКИ "_cp, " Переход по меню    "_cp, 1},
                                {" ENTER ", " Выполнение пункта меню    "_cp, 30},
                                {" ESC ", " Выход    "_cp, 64}}};
const HintLine storage_fields = {tomrik, 25,
                                 {{" СТРЕЛКИ "_cp, " Переход по полям  "_cp, 1},
                                  {" ПРОБЕЛ "_cp, " Изменение  "_cp, 29},
                                  {" ENTER ", " Запись  "_cp, 49},
                                  {" ESC ", " Выход   "_cp, 65}}};
const HintLine record_filter = {tomrik, 25, {{" ПРОБЕЛ "_cp, " - Выбор     "_cp}, {" ENTER ", " - Ввод     "_cp}}};
const HintLine record_browse = {
    tomrik, 25, {{" СТРЕЛКИ "_cp, " - Просмотр   "_cp}, {" ESC ", " - Выход   "_cp}, {" F9 ", " - Печать  "_cp}}};

}  // namespace

void hint_esc_top() { paint(esc_top); }
void hint_edit_page() {
  paint(esc_top);
  paint(edit_page);
}
void hint_port_pages() {
  paint(port_pages_top);
  paint(port_pages);
}
void hint_move_edit() { paint(move_edit); }
void hint_group_keys() { paint(group_keys); }
void hint_table_keys() { paint(table_keys); }
void hint_routing_keys() { paint(routing_keys); }
void hint_port_switch() { paint(port_switch); }
void hint_help_key() { paint(help_key); }
void hint_port_key() { paint(port_key); }
void hint_space_enter() { paint(space_enter); }
void hint_digits_enter() { paint(digits_enter); }
void hint_digit_string() { paint(digit_string); }

void hint_fields() { paint(fields); }
void hint_edit_value() { paint(edit_value); }
void hint_digits_code() { paint(digits_code); }
void hint_text_edit() { paint(text_edit); }
void hint_clear_line() { paint(clear_line); }
void hint_clear_keys() { paint(clear_keys); }
void hint_clear_book() { paint(clear_book); }
void hint_confirm_clear() { paint(confirm_clear); }
void hint_clearing() { paint(clearing); }
void hint_bulk_keys() { paint(bulk_keys); }
void hint_day_night_key() { paint(day_night_key); }
void hint_choose_param() { paint(choose_param); }
void hint_melody_keys() { paint(melody_keys); }
void hint_name_edit() { paint(name_edit); }
void hint_volume_keys() { paint(volume_keys); }
void hint_storage_menu() { paint(storage_menu); }
void hint_storage_fields() { paint(storage_fields); }
void hint_record_filter() { paint(record_filter); }
void hint_record_browse() { paint(record_browse); }

void draw_group_strips() {
  for (int i = 0; i < 4; ++i) {
    int t = 6 + 5 * i;
    draw_frame(7, t, 72, t, boxch::d_horizontal);
    draw_frame(7, t + 2, 72, t + 2, boxch::d_horizontal);
    put_at(7, t, boxch::d_top_left);
    put_at(7, t + 1, boxch::d_vertical);
    put_at(7, t + 2, boxch::d_bottom_left);
    put_at(72, t, boxch::d_top_right);
    put_at(72, t + 1, boxch::d_vertical);
    put_at(72, t + 2, boxch::d_bottom_right);
  }
}

void draw_variant_table() {
  for (int row : {5, 8, 23}) draw_frame(2, row, 79, row, boxch::d_horizontal);
  draw_frame(1, 6, 1, 22, boxch::d_vertical);
  draw_frame(32, 6, 32, 22, boxch::d_vertical);
  for (int column : {44, 56, 68}) draw_frame(column, 6, column, 22, boxch::vertical);
  draw_frame(80, 6, 80, 22, boxch::d_vertical);
  struct Joints {
    int row;
    std::uint8_t left, mid_double, mid_single, right;
  };
  for (const Joints& j : {Joints{5, boxch::d_top_left, boxch::d_t_down, boxch::t_down_double, boxch::d_top_right},
                          Joints{8, boxch::d_t_right, boxch::d_cross, boxch::cross_double, boxch::d_t_left},
                          Joints{23, boxch::d_bottom_left, boxch::d_t_up, boxch::t_up_double, boxch::d_bottom_right}}) {
    put_at(1, j.row, j.left);
    put_at(32, j.row, j.mid_double);
    for (int column : {44, 56, 68}) put_at(column, j.row, j.mid_single);
    put_at(80, j.row, j.right);
  }
  print_at_plain(3, 6, "Исходящяя связь"_cp);
  print_at_plain(3, 7, "a/Вариант функционирования"_cp);
}
