#pragma once
// The karvel program: start-up, the menu loop, the About box and the outside
// help viewer. Returns when the user chooses the exit entry, or at once when
// "help.txt" cannot be opened.
void karvel_main();

void karvel_about_box();
void karvel_help_viewer();
