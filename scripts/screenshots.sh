#!/usr/bin/env bash
# Builds the desktop program and lets it write its own screenshots (QWidget::grab, no screen needed)
# into docs/: the main window with rows, the insertion dialog, the deletion question, the preview of an
# insertion (it runs the command line program), a refusal message and the side panel of the activity's
# days, Undo last action over the window, and the main window in English. The program works on a scratch copy of the demo data, so nothing
# else changes.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default -j2 --target calendatt-desktop calendatt
QT_QPA_PLATFORM=offscreen build/default/calendatt-desktop --screenshots docs "$@"
# The main window in English too (the README shows it); the other English pictures are not kept.
QT_QPA_PLATFORM=offscreen build/default/calendatt-desktop --screenshots docs --lang en "$@"
rm -f docs/insert-dialog-en.png docs/delete-question-en.png docs/refusal-message-en.png docs/preview-dialog-en.png \
      docs/days-panel-en.png docs/undo-dialog-en.png
