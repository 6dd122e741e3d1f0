// The tomrik menu bar: each entry with the screen it runs. A screen not
// built yet is null here, with the name and argument it will have; choosing
// it brings the menu straight back.
#include "tomrik/menu_table.h"

#include "facts/tomrik_records.h"
#include "link/link_connect.h"
#include "platform/cp866.h"
#include "settings/settings_commands.h"
#include "tomrik/screens.h"
#include "tomrik/shell.h"

namespace {
void day_distribution_screen() { call_distribution_screen(1); }
void night_distribution_screen() { call_distribution_screen(2); }
void subscriber_settings_page1() { subscriber_settings_screen(1); }
void subscriber_settings_page2() { subscriber_settings_screen(2); }
template <int Group>
void permission_screen() {
  permission_table_screen(Group);
}
void common_phone_book() { phone_book_screen(17); }
void individual_phone_book() { phone_book_screen(0); }
void allowed_numbers_screen() { number_control_screen(0); }
void forbidden_numbers_screen() { number_control_screen(1); }
}  // namespace

const MenuTable tomrik_menu_table = {{
    {"Файл"_cp, 1, 40,
     {
         {" Настройка COM порта"_cp, link_connect},
         {" Чтение установок из станции в файл"_cp, station_to_file},
         {" Запись установок из файла в станцию"_cp, file_to_station},
         {" Версия програмного обеспечения станции"_cp, software_version_screen},
         {" Выход"_cp, leave_main_menu},
     }},
    {"Програмирование"_cp, 8, 39,
     {
         {" Установки городских линий"_cp, city_lines_screen},
         {" Распределение вызовов из города днем"_cp, day_distribution_screen},
         {" Распределение вызовов из города ночью"_cp, night_distribution_screen},
         {" Установки внутренних абонентов 1"_cp, subscriber_settings_page1},
         {" Установки внутренних абонентов 2"_cp, subscriber_settings_page2},
         {" Разрешения выхода в город днем"_cp, permission_screen<facts::tomrik_group::city_day>},
         {" Разрешения выхода в город ночью"_cp, permission_screen<facts::tomrik_group::city_night>},
         {" Разрешения выхода в межгород днем"_cp, permission_screen<facts::tomrik_group::long_distance_day>},
         {" Разрешения выхода в межгород ночью"_cp, permission_screen<facts::tomrik_group::long_distance_night>},
         {" Разрешения команд 15 и 17"_cp, permission_screen<facts::tomrik_group::commands_15_17>},
         {" Назначение закрытого набора"_cp, permission_screen<facts::tomrik_group::closed_dialling>},
         {" Разрешение команды 8 абонентам"_cp, permission_screen<facts::tomrik_group::command8>},
         {" Режимы тарификации абонентов"_cp, tariffing_modes_screen},
         {" Группы перехвата"_cp, pickup_groups_screen},
         {" Группы общего вызова"_cp, call_groups_screen},
         {" Выбор мелодии в городскую линию"_cp, melody_screen},
     }},
    {"Зап. книжки"_cp, 26, 34,
     {
         {" Общая записная книзка"_cp, common_phone_book},
         {" Индивидуальная записная книжка"_cp, individual_phone_book},
         {" Специальная ячейка памяти"_cp, special_cell_screen},
         {" Контроль разрешонных номеров"_cp, allowed_numbers_screen},
         {" Контроль запрещенных номеров"_cp, forbidden_numbers_screen},
         {" Пути выхода в город по команде 8"_cp, command8_paths_screen},
     }},
    {"Работа"_cp, 40, 30,
     {
         {" Отображение работы станции"_cp, station_display_screen},
         {" Зарегистрированные разговоры"_cp, call_record_viewer},
         {" Работа с накопителем"_cp, storage_device_screen},
     }},
    {"Справка"_cp, 49, 15,
     {
         {" Вызов справки"_cp, tomrik_help_viewer},
         {" О программе"_cp, tomrik_about_box},
     }},
}};
