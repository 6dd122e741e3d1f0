#include "link_state.h"

LinkState link_state;

void link_rts_off() {
  if (!link_state.port_opened) return;
}
