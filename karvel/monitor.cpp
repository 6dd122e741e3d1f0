#include "karvel/monitor.h"

#include <string_view>

#include "editors/field_editors.h"
#include "platform/cp866.h"
#include "toolkit/screen.h"

namespace monitor {
namespace {

// Port states: code c names entry c up to 63 and entry c - 48 above, so a
// state and its off-hook twin (0x15 and 0x45) share a name. Entries 6..15
// and 49 are blank.
const char* const port_states[] = {
    "Исходное состояние"_cp,     "Ожид. своб. канала"_cp,     "Звонок от своб. канала"_cp,
    "Внутренний вызов"_cp,       "Городской вызов"_cp,        "Ожид. канала для отзв."_cp,
    "", "", "", "", "", "", "", "", "", "",
    "Нет свободн. канала"_cp,    "Ожид. освобожд. канала"_cp, "Отбой"_cp,
    "Ожидание набора номера"_cp, "Вызов внутрю абонента"_cp,  "Вызов зан. абонента 1"_cp,
    "Вызов зан. абонента 2"_cp,  "Абонент недоступен"_cp,     "Внутренняя связь"_cp,
    "Переключение"_cp,           "Требование подключения"_cp, "Требование вмешательст"_cp,
    "Абонент на врем. удерж"_cp, "Абонент на удержании"_cp,   "Ошибка набора"_cp,
    "Конференция"_cp,            "Групповой вызов 1"_cp,      "Групповой вызов 2"_cp,
    "Продолж. гр. вызова 2"_cp,  "Сбор гр. в конференцию"_cp, "Переключение на группу"_cp,
    "Выход абонента в город"_cp, "Городская связь"_cp,        "Нет свободной линии"_cp,
    "Выход на громкую связь"_cp, "Громкоговорящая связь"_cp,  "Режим  маршрутизвции"_cp,
    "Удержание типа HOLD"_cp,    "ДВО абонента"_cp,           "Програмирование"_cp,
    "Прослушывание музыки"_cp,   "Режим СЕЛЕКТОР"_cp,         "Програмиров. говорилки"_cp,
    "",
};
constexpr int port_state_count = sizeof port_states / sizeof port_states[0];
static_assert(port_state_count == 50);

// City line states by their code; 27..29 are blank.
const char* const line_states[] = {
    "Исходное состояние"_cp,     "Городской вызов"_cp,        "Связь Абонент/Город"_cp,
    "Ожидание своб. канала"_cp,  "Линия на удержании"_cp,     "Отзвон удерж. линии"_cp,
    "Переключение"_cp,           "Переключение на группу"_cp, "Конференция"_cp,
    "Связь Город/Город"_cp,      "Ожид свободной лин"_cp,     "DISA Дозвон"_cp,
    "DISA по умолчанию"_cp,      "Ожидан. линии при DISA"_cp, "Прямой вызов абонента"_cp,
    "Сигнал при DISA"_cp,        "Выход города в город"_cp,   "Режим маршрутизации"_cp,
    "Удержание типа HOLD"_cp,    "Ввод кода выхода в гор"_cp, "Ячейка записной книжки"_cp,
    "Режим СЕЛЕКТОР"_cp,         "Прямой вызов группы"_cp,    "Задержка загрузки лин."_cp,
    "Отбой городск. вызова"_cp,  "Ожидание освоб. говор."_cp, "Пауза перед DISA"_cp,
    "", "", "",
};
constexpr int line_state_count = sizeof line_states / sizeof line_states[0];
static_assert(line_state_count == 30);

constexpr int port_code_mirror = 48;  // codes above 63 repeat the names from entry 16 on

std::string named(std::string_view name) {
  std::string text(name);
  text.resize(state_name_width, ' ');
  return text;
}

std::string unnamed(int code) { return named(format("Код %3d"_cp, code)); }

}  // namespace

std::string port_state_name(int code) {
  int entry = code <= 63 ? code : code - port_code_mirror;
  if (entry < 0 || entry >= port_state_count) return unnamed(code);
  return named(port_states[entry]);
}

std::string line_state_name(int code) {
  if (code < 0 || code >= line_state_count) return unnamed(code);
  return named(line_states[code]);
}

StateBytes buffer_bytes() {
  StateBytes bytes{};
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = link_buffer[i] & 0xFF;
  return bytes;
}

bool read_live(int address, int count) { return drawing_read_block(address, count) == link_ok; }

}  // namespace monitor
