// Screens that are not built yet return at once, so the menu entries behind
// them are already wired.
#include "screens.h"

void city_line_editor() {}
void edit_exit_groups() {}
void edit_routing_tables() {}
void edit_pickup_groups() {}
void edit_melody() {}
void phone_book(int) {}
void individual_phone_book(int) {}
void station_view_table() {}
void station_view_log() {}
void subscriber_view() {}
void selector_view() {}
void board_view() {}

// Internal port pages that come with the call handling editors.
#include "internal_ports.h"
void edit_port_call_groups() {}
void edit_port_variants() {}
void edit_port_redirection() {}
