#pragma once
// The karvel menus: every entry with the screen it runs.
#include "toolkit/menu.h"

extern const MenuTable karvel_menu_table;
