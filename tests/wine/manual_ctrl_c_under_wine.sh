#!/usr/bin/env bash
# karvel.exe under Wine: Ctrl+C while the manual is shown in the outside
# viewer ("more" through cmd) ends the viewer only. karvel comes back with
# its Help menu and answers keys again: Esc opens the File menu, a second
# Esc and Enter end the program. No station is needed.
source "$(dirname "$0")/lib.bash"

cp "$WINBIN/help.txt" "$WORK/"
start_wine_program karvel.exe
wait_for "6.Выход" 30 || finish
press Right Right Right Right Enter
wait_for "More" 20 || finish

press C-c
wait_for "│1.Вызов справки│" 10 || finish
screen_text | grep -qF "More" && { echo "FAIL: the viewer's prompt is still shown"; FAILED=1; }
screen_text | grep -qF "PROGRAM-ENDED" && { echo "FAIL: Ctrl+C ended karvel"; finish; }
expect_row 1 "A/Файл B/Програмирование"

# Keys reach the program again.
press Escape
wait_for "│1.Настройка COM порта" 10 || finish
press Escape Enter
stop_wine_program
finish
