#!/usr/bin/env bash
# The level check must refuse each kind of violation: copies the sources,
# puts one of each in, and expects check-layers.sh to fail on every one.
set -u
here=$(dirname "$0")
src=${1:?source folder}
qtgui=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$src" "$work/src"
echo 'class CRender;' >> "$work/src/model/Frame.h"
echo '#include <QImage>' >> "$work/src/model/Rect.h"
echo '#include "content/FramePlayer.h"' >> "$work/src/playback/Movement.cpp"
echo 'class CMainDoc;' >> "$work/src/scripts/ScriptRunner.h"
echo '#include <QWidget>' >> "$work/src/document/MainDoc.cpp"
out=$("$here/check-layers.sh" "$work/src" "$qtgui")
status=$?
echo "$out"
expected=("model (level 1) declares CRender" "QtGui in model" "playback (level 2) includes content"
          "scripts (level 5) declares CMainDoc" "QtWidgets below the user interface")
[ $status -eq 1 ] || { echo "check-layers.sh exited $status, expected 1"; exit 1; }
for e in "${expected[@]}"; do
  grep -qF "$e" <<<"$out" || { echo "not refused: $e"; exit 1; }
done
echo "every violation refused"
