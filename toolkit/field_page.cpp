#include "toolkit/field_page.h"

#include "platform/keys.h"
#include "toolkit/number_prompt.h"

namespace {

KeyResult run_page_key(FieldPage& page, int k) {
  for (const PageKey& entry : page.keys)
    if (entry.key == k || entry.key == any_page_key) {
      KeyResult result = entry.action(page.grid);
      if (result != KeyResult::ignored) return result;
    }
  if (!page.number.current || k == key::esc) return KeyResult::ignored;
  const PageNumber& paging = page.number;
  if (!paging.home_and_end && (k == key::home || k == key::end)) return KeyResult::ignored;
  int& number = *paging.current;
  const int next = step_number(number, paging.last(), k);
  if (next == number) return KeyResult::ignored;
  number = next;
  if (paging.step_homes_cursor) {
    page.grid.column = 1;
    page.grid.row = 1;
  }
  return KeyResult::redraw;
}

}  // namespace

void run_field_page(FieldPage& page) {
  if (!page.starts_shown && page.show(page.grid)) return;
  for (;;) {
    if (page.hints) page.hints();
    const int k = grid_navigate(page.grid);
    const KeyResult result = run_page_key(page, k);
    if (k == key::esc) return;
    switch (result) {
      case KeyResult::leave: return;
      case KeyResult::redraw:
        if (page.show(page.grid)) return;
        break;
      case KeyResult::handled:
      case KeyResult::ignored: break;
    }
  }
}

PageKey handled_key(int key, std::function<void(GridCursor& grid)> action) {
  return {key, [action = std::move(action)](GridCursor& grid) {
            action(grid);
            return KeyResult::handled;
          }};
}
