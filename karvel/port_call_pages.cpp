// The internal port editor's call handling pages (general-call groups,
// operating variants, call redirection) are not built yet: each returns at
// once to the page menu.
#include "internal_ports.h"

void edit_port_call_groups() {}
void edit_port_variants() {}
void edit_port_redirection() {}
