#pragma once
// The karvel program: start-up, the menu loop, the About box and the outside
// help viewer. Returns when the user chooses the exit entry (true), or after
// the message and a key when "help.txt" cannot be opened (false).
bool karvel_main();

// The menu as the shell shows it: the station's control line dropped on a
// clear screen, then the bar with the station's status at its right end.
void show_karvel_menu_bar();

void karvel_about_box();
void karvel_help_viewer();
