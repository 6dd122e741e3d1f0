#pragma once
// The karvel program: start-up, the menu loop and its dispatch, the About
// box. Returns when the user chooses the exit entry, or at once when
// "help.txt" cannot be opened.
void karvel_main();

void karvel_about_box();
