#pragma once
// The tomrik program: the menu loop, the About box and the outside help
// viewer. Returns when the user chooses the exit entry.
void tomrik_main();

void tomrik_about_box();
void tomrik_help_viewer();
