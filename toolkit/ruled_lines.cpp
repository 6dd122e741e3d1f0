#include "toolkit/ruled_lines.h"

#include <cstdint>
#include <map>
#include <utility>

#include "toolkit/screen.h"

namespace {

// What reaches a place from each side: 0 nothing, 1 a single line, 2 a
// double one.
struct Arms {
  int up = 0, down = 0, left = 0, right = 0;
  bool operator==(const Arms&) const = default;
};

struct Glyph {
  std::uint8_t code;
  Arms arms;
};

// The CP866 joints and corners by the lines that meet in them.
constexpr Glyph joints[] = {
    {0xB4, {1, 1, 1, 0}}, {0xB5, {1, 1, 2, 0}}, {0xB6, {2, 2, 1, 0}}, {0xB7, {0, 2, 1, 0}}, {0xB8, {0, 1, 2, 0}},
    {0xB9, {2, 2, 2, 0}}, {0xBB, {0, 2, 2, 0}}, {0xBC, {2, 0, 2, 0}}, {0xBD, {2, 0, 1, 0}}, {0xBE, {1, 0, 2, 0}},
    {0xBF, {0, 1, 1, 0}}, {0xC0, {1, 0, 0, 1}}, {0xC1, {1, 0, 1, 1}}, {0xC2, {0, 1, 1, 1}}, {0xC3, {1, 1, 0, 1}},
    {0xC5, {1, 1, 1, 1}}, {0xC6, {1, 1, 0, 2}}, {0xC7, {2, 2, 0, 1}}, {0xC8, {2, 0, 0, 2}}, {0xC9, {0, 2, 0, 2}},
    {0xCA, {2, 0, 2, 2}}, {0xCB, {0, 2, 2, 2}}, {0xCC, {2, 2, 0, 2}}, {0xCE, {2, 2, 2, 2}}, {0xCF, {1, 0, 2, 2}},
    {0xD0, {2, 0, 1, 1}}, {0xD1, {0, 1, 2, 2}}, {0xD2, {0, 2, 1, 1}}, {0xD3, {2, 0, 0, 1}}, {0xD4, {1, 0, 0, 2}},
    {0xD5, {0, 1, 0, 2}}, {0xD6, {0, 2, 0, 1}}, {0xD7, {2, 2, 1, 1}}, {0xD8, {1, 1, 2, 2}}, {0xD9, {1, 0, 1, 0}},
    {0xDA, {0, 1, 0, 1}},
};

int weight(Rule rule) { return rule == Rule::twin ? 2 : 1; }

std::uint8_t glyph_of(const Arms& a) {
  const int across = a.left > a.right ? a.left : a.right, down = a.up > a.down ? a.up : a.down;
  if (down == 0) return across == 2 ? boxch::d_horizontal : boxch::horizontal;
  if (across == 0) return down == 2 ? boxch::d_vertical : boxch::vertical;
  for (const Glyph& g : joints)
    if (g.arms == a) return g.code;
  // Lines of two kinds meeting head on have no joint: the one across stays.
  return across == 2 ? boxch::d_horizontal : boxch::horizontal;
}

}  // namespace

void draw_ruled_lines(std::initializer_list<RuledLine> across, std::initializer_list<RuledLine> down) {
  std::map<std::pair<int, int>, Arms> places;  // by (row, column)
  for (const RuledLine& line : across)
    for (int x = line.from; x <= line.to; ++x) {
      Arms& arms = places[{line.at, x}];
      if (x > line.from) arms.left = weight(line.rule);
      if (x < line.to) arms.right = weight(line.rule);
    }
  for (const RuledLine& line : down)
    for (int y = line.from; y <= line.to; ++y) {
      Arms& arms = places[{y, line.at}];
      if (y > line.from) arms.up = weight(line.rule);
      if (y < line.to) arms.down = weight(line.rule);
    }
  for (const auto& [place, arms] : places) put_at(place.second, place.first, glyph_of(arms));
}
