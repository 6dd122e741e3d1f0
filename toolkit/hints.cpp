#include "hints.h"

#include <initializer_list>
#include <string_view>

#include "cp866.h"
#include "screen.h"

namespace {

// karvel: the key name in its key colour at its own column, the description
// straight after it in the screen colour.
struct KeyPiece {
  int column, row;
  const char* key;
  const char* text;
};

std::uint8_t karvel_key_colour(std::string_view key) {
  if (key == "Esc" || key == "ESC") return COLOR_ALERT;
  if (key == "F10") return COLOR_SELECT;
  return COLOR_BOX;
}

void karvel_hint(std::initializer_list<KeyPiece> pieces, int trailing_blanks = 0) {
  for (const KeyPiece& p : pieces) {
    print_at(p.column, p.row, p.key, karvel_key_colour(p.key));
    put_text(p.text);
  }
  put_blanks(trailing_blanks);
}

// tomrik: the pieces follow each other from column 1, keys black on green,
// descriptions black on grey. A null key is a description standing alone.
struct FlowPiece {
  const char* key;
  const char* text;
};

void tomrik_hint(int row, std::initializer_list<FlowPiece> pieces, int trailing_blanks = 0) {
  goto_xy(1, row);
  for (const FlowPiece& p : pieces) {
    if (p.key) {
      set_colour(COLOR_SELECT);
      put_text(p.key);
    }
    set_colour(COLOR_BOX);
    put_text(p.text);
  }
  put_blanks(trailing_blanks);
  set_colour(COLOR_SCREEN);
}

// tomrik storage device screen: every piece at its own column, keys and
// descriptions alternating.
void tomrik_placed_hint(int row, std::initializer_list<std::pair<int, const char*>> pieces) {
  bool is_key = true;
  for (const auto& [column, text] : pieces) {
    print_at(column, row, text, is_key ? COLOR_SELECT : COLOR_BOX);
    is_key = !is_key;
  }
}

}  // namespace

void hint_esc_top() { karvel_hint({{1, 1, "Esc", "-Выход"_cp}}); }

void hint_edit_page() {
  karvel_hint({{1, 1, "Esc", "-Выход"_cp},
               {1, 25, "Enter", "-Изменение    "_cp},
               {20, 25, "Стрелки"_cp, "-Переход     "_cp}},
              40);
}

void hint_port_pages() {
  karvel_hint({{1, 1, "Esc", "-Выход "_cp},
               {1, 25, "Enter", "-Изменение "_cp},
               {17, 25, "Стрел"_cp, "-Переход "_cp},
               {31, 25, "PgUp", "-Предыдущ "_cp},
               {45, 25, "PgDwn", "-Следующ "_cp},
               {59, 25, "Home", "-Перв "_cp},
               {69, 25, "End", "-Последн"_cp}});
}

void hint_move_edit() {
  karvel_hint({{1, 25, "Стрелки"_cp, "-Перемещение  "_cp},
               {22, 25, "ENTER", "-Редактирование  "_cp},
               {44, 25, "ESC", "-Выход"_cp}});
}

void hint_group_keys() {
  karvel_hint({{1, 1, "PGUP", "-Пред груп  "_cp},
               {17, 1, "PGDOWN", "-След груп  "_cp},
               {35, 1, "F1", "-Табл маршр  "_cp},
               {50, 1, "F2", "-Табл контр         "_cp}});
}

void hint_table_keys() {
  karvel_hint({{1, 1, "PGUP", "-Пред табл  "_cp}, {17, 1, "PGDOWN", "-След табл  "_cp}});
  goto_xy(35, 1);
  put_blanks(44);
}

void hint_routing_keys() {
  karvel_hint({{1, 1, "PGUP", "-Пред табл  "_cp},
               {17, 1, "PGDOWN", "-След табл  "_cp},
               {34, 1, "TAB", "-Табл линий<=>Табл кодов        "_cp}});
}

void hint_help_key() { karvel_hint({{71, 1, "F10", "-Помощь"_cp}}); }

void hint_port_key() { karvel_hint({{71, 2, "F9", " -Порт "_cp}}); }

void hint_space_enter() {
  karvel_hint({{1, 25, "Пробел"_cp, "-Изменение параметра  "_cp}, {29, 25, "Enter", "-Запись изменений"_cp}},
              29);
}

void hint_digits_enter() {
  karvel_hint({{1, 25, "Цифры"_cp, "-Ввод нового значения  "_cp}, {29, 25, "Enter", "-Запись изменений"_cp}},
              29);
}

void hint_digit_string() {
  karvel_hint({{1, 25, "Стрелки"_cp, "-Перемещение  "_cp},
               {22, 25, "Delete", "-Удаление  "_cp},
               {39, 25, "Цифры"_cp, "-Ввод  "_cp},
               {51, 25, "Enter", "-Запись изменений       "_cp}});
}

void hint_fields() {
  tomrik_hint(25, {{"Стрелки"_cp, " - Перемещение по полям  "_cp},
                   {"ENTER", " - Редактирование  "_cp},
                   {"ESC", " - Выход            "_cp}});
}

void hint_edit_value() {
  tomrik_hint(25, {{"Пробел"_cp, " - Изменение параметра  "_cp},
                   {"ENTER", " - Запись изменений  "_cp},
                   {"ESC", " - Выход            "_cp}});
}

void hint_digits_code() {
  tomrik_hint(25, {{"Цифры"_cp, " - Ввод кода межгорода   "_cp},
                   {"ENTER", " - Запись изменений  "_cp},
                   {"ESC", " - Выход            "_cp}});
}

void hint_text_edit() {
  tomrik_hint(25, {{"Стрелки"_cp, " - Перемещение  "_cp},
                   {"DELETE", " - Убрать символ  "_cp},
                   {"ENTER", " - Записать  "_cp},
                   {"ESC", " - Выход  "_cp}});
}

void hint_clear_line() { tomrik_hint(25, {{"ENTER", " - Очистить строку                      "_cp}}, 34); }

void hint_clear_keys() {
  tomrik_hint(1, {{" F8 ", " - Очистить строку                  "_cp}, {" F9 ", " - Очистить книжку                  "_cp}});
}

void hint_clear_book() { tomrik_hint(25, {{"ENTER", " - Очистить записную книжку       "_cp}}, 39); }

void hint_confirm_clear() {
  tomrik_hint(25, {{nullptr, "Если вы уверены в необходимости очистки,"_cp},
                   {nullptr, " нажмите клавишу    "_cp},
                   {"ENTER", ""}},
              12);
}

void hint_clearing() { tomrik_hint(25, {{nullptr, "                   Идет  очистка  записной  книжки"_cp}}, 29); }

void hint_bulk_keys() {
  tomrik_hint(1, {{"F1", " Установить всю колонку   "_cp},
                  {"F2", " Установить всю строку   "_cp},
                  {"F3", " Установить всю таблицу"_cp}});
}

void hint_choose_param() {
  tomrik_hint(25, {{"СТРЕЛКИ"_cp, " Выбор параметра для изменения             "_cp},
                   {"ENTER", " Изменение   "_cp},
                   {"ESC", " Выход  "_cp}});
}

void hint_melody_keys() {
  tomrik_hint(25, {{"СТРЕЛКИ"_cp, " Выбор мелодии   "_cp},
                   {"F4", " Редактировать имя        "_cp},
                   {"ENTER", " Запись   "_cp},
                   {"ESC", " Отмена  "_cp}});
}

void hint_name_edit() {
  tomrik_hint(25, {{"СИМВОЛЫ"_cp, " Редактирование   "_cp},
                   {"DELETE", " Убрать символ      "_cp},
                   {"ENTER", " Запись   "_cp},
                   {"ESC", " Отмена  "_cp}});
}

void hint_volume_keys() {
  tomrik_hint(25, {{"СТРЕЛКИ"_cp, " Установка громкости                       "_cp},
                   {"ENTER", " Запись   "_cp},
                   {"ESC", " Отмена  "_cp}});
}

void hint_storage_menu() {
  tomrik_placed_hint(25, {{1, " СТРЕЛКИ "_cp},
                          {10, " Переход по меню    "_cp},
                          {30, " ENTER "},
                          {37, " Выполнение пункта меню    "_cp},
                          {64, " ESC "},
                          {69, " Выход    "_cp}});
}

void hint_storage_fields() {
  tomrik_placed_hint(25, {{1, " СТРЕЛКИ "_cp},
                          {10, " Переход по полям  "_cp},
                          {29, " ПРОБЕЛ "_cp},
                          {37, " Изменение  "_cp},
                          {49, " ENTER "},
                          {56, " Запись  "_cp},
                          {65, " ESC "},
                          {70, " Выход   "_cp}});
}

namespace {
void put_at(int column, int row, std::uint8_t ch) {
  goto_xy(column, row);
  put_char(ch);
}
}  // namespace

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
