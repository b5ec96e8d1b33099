#!/usr/bin/env bash
# Takes the README's pictures of the real open-file dialog and of the title-guess question: runs
# the Wine test driver on the win64 build under Xvfb with picture-taking on, then converts the
# pictures to PNG in docs/. Not part of the test command.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh windows
cmake --preset win64 >/dev/null
cmake --build --preset win64
build=build/win64
shots=$build/shots
rm -rf "$shots" && mkdir -p "$shots" docs
bash tests/win32/wine_run.sh --prefix "$build/wineprefix" --boot
# The dialog is pictured in the first case, the question in the title-only case.
for only in "spaced layout" "title-only line"; do
  # In a Wine desktop window, so that Wine draws the title bars itself (Xvfb has no window
  # manager to draw them).
  bash tests/win32/wine_run.sh --prefix "$build/wineprefix" --display explorer /desktop=shots,760x560 \
    "$(pwd)/$build/catassist-e2e.exe" "$root/$build" "$root/examples/library.cat" --only "$only" \
    --shots "$root/$shots"
done
python3 tools/bmp_to_png.py "$shots/open-dialog.bmp" docs/windows-open-dialog.png
python3 tools/bmp_to_png.py "$shots/title-question.bmp" docs/windows-title-question.png
echo "docs/windows-open-dialog.png docs/windows-title-question.png"
