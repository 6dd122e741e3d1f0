#pragma once
// The tomrik program: the menu loop and its dispatch, the About box.
// Returns when the user chooses the exit entry.
void tomrik_main();

void tomrik_about_box();
