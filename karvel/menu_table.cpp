// The karvel menu bar: each entry with the screen it runs. A screen not
// built yet is null here, with the name it will have; choosing it brings the
// menu straight back.
#include "karvel/menu_table.h"

#include "karvel/screens.h"
#include "karvel/shell.h"
#include "link/link_connect.h"
#include "platform/cp866.h"
#include "settings/settings_commands.h"

namespace {
constexpr bool opens_choice = true;
}  // namespace

const MenuTable karvel_menu_table = {{
    {"A/Файл"_cp, 1, 40,
     {
         {"1.Настройка COM порта"_cp, link_connect},
         {"2.Загрузка файла для редактирования"_cp, load_settings_file},
         {"3.Сохранение отредактированного файла"_cp, save_settings_file},
         {"4.Пересылка установок из станции в файл"_cp, station_to_file},
         {"5.Пересылка установок из файла в станцию"_cp, file_to_station},
         {"6.Выход"_cp, leave_main_menu},
     }},
    {"B/Програмирование"_cp, 8, 39,
     {
         {"1.Общестанционные установки"_cp, station_settings_menu, opens_choice},
         {"2.Установки внутренних портов"_cp, internal_port_editor, opens_choice},
         {"3.Установки городских линий"_cp, city_line_editor, opens_choice},
         {"4.Группы выхода абонентов в город"_cp, edit_exit_groups},
         {"5.Таблицы наведения городских вызовов"_cp, edit_routing_tables},
         {"6.Группы перехвата вызовов"_cp, edit_pickup_groups},
         {"7.Выбор мелодии при переадресации"_cp, edit_melody},
     }},
    {"C/Зап. книжки"_cp, 26, 34,
     {
         {"1.Общая записная книжка"_cp, station_phone_book},
         {"2.Индивидуальная записная книжка"_cp, port_phone_book},
         {"3.Все номера индивидуальной книжки"_cp, pool_phone_book},  // which pool cells hold numbers
     }},
    {"D/Работа"_cp, 40, 30,
     {
         {"1.Отображение работы станции 1"_cp, station_view_table},
         {"2.Отображение работы станции 2"_cp, station_view_log},
         {"3.Текущее состояние абонента"_cp, subscriber_view},
         {"4.Отображение режима СЕЛЕКТОР"_cp, selector_view},
         {"5.Работа плата расширения"_cp, board_view},
     }},
    {"E/Справка"_cp, 49, 15,
     {
         {"1.Вызов справки"_cp, karvel_help_viewer},
         {"2.О программе"_cp, karvel_about_box},
     }},
}};
