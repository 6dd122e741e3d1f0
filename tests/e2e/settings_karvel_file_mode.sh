#!/usr/bin/env bash
# karvel with no station: a settings file is loaded for editing, the menu
# bar shows its name and identity, and saving under a new name writes the
# same 32768 bytes; a cancelled load keeps the file mode.
source "$(dirname "$0")/lib.bash"

cp "$BIN/help.txt" "$WORK/"
python3 - "$WORK/office.set" <<'PY'
import sys
image = bytearray((i * 7 + i // 256) & 0xFF for i in range(32768))
image[0:8] = b"K-T216A4"
open(sys.argv[1], "wb").write(image)
PY

start_program "cd '$WORK' && '$BIN/karvel'"
choose "2.Загрузка файла для редактирования" || finish
wait_for "Колличество файлов: 1" || finish
[[ "$(row 6)" == *"│ office.set"* ]] || { echo "FAIL: row 6 is '$(row 6)'"; FAILED=1; }
keys Enter
wait_for "office.set    KT216A4" || finish

# A load cancelled with Esc leaves the loaded file in place.
keys Enter
wait_for "Колличество файлов: 1" || finish
keys Escape
wait_for "office.set    KT216A4" || finish

choose "3.Сохранение отредактированного файла" || finish
wait_for "Колличество файлов: 1" || finish
keys c o p y Enter
wait_for "Записать отредактированный файл copy.set [Y/N]" || finish
keys y
wait_for "Файл записан. Для продолжения нажмите любую клавишу." || finish
keys x
cmp -s "$WORK/office.set" "$WORK/copy.set" || { echo "FAIL: copy.set differs from office.set"; FAILED=1; }
ls -A "$WORK" | grep -q '^\.' && { echo "FAIL: a temporary file was left: $(ls -A "$WORK")"; FAILED=1; }

keys Escape Enter
wait_for "PROGRAM-ENDED" || finish
finish
