#pragma once
// The tomrik program: the menu loop, the About box and the outside help
// viewer. Returns when the user chooses the exit entry.
void tomrik_main();

// The menu as the shell shows it: the station's control line dropped on a
// clear screen, then the bar with the station's status at its right end.
void show_tomrik_menu_bar();

void tomrik_about_box();
void tomrik_help_viewer();
