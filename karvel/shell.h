#pragma once
// The karvel program: start-up, the menu loop, the About box and the outside
// help viewer. Returns when the user chooses the exit entry (true), or after
// the message and a key when "help.txt" cannot be opened (false).
bool karvel_main();

void karvel_about_box();
void karvel_help_viewer();
