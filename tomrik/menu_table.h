#pragma once
// The tomrik menus: every entry with the screen it runs.
#include "toolkit/menu.h"

extern const MenuTable tomrik_menu_table;
