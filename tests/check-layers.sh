#!/usr/bin/env bash
# Checks the levels of the architecture in the sources. The levels are read
# from the table at the top of src/CMakeLists.txt, the one the libraries are
# built by, so the two cannot disagree. Fails when
#   - a file includes a header of a higher level,
#   - a file forward-declares a type that a higher level defines,
#   - code below the user interface includes QtWidgets,
#   - code of a QtCore level (app, model, playback) includes QtGui.
# Usage: check-layers.sh SRC_DIR [QTGUI_HEADER_DIR]
set -u
src=${1:?source folder}
qtgui=${2:-}

declare -A level
while read -r n rest; do
  for folder in $(grep -oE '[a-z]+/' <<<"$rest" | tr -d /); do
    level[$folder]=$n
  done
done < <(sed -nE 's/^#[[:space:]]+([0-9])[[:space:]]+(.*)$/\1 \2/p' "$src/CMakeLists.txt")
if [ ${#level[@]} -lt 8 ]; then
  echo "the level table at the top of $src/CMakeLists.txt was not found"
  exit 2
fi
qtcore_only="app model playback"
below_ui=()
for folder in "${!level[@]}"; do
  [ "${level[$folder]}" -lt 7 ] && below_ui+=("$folder")
done

status=0
fail() {
  echo "$1"
  status=1
}

# Where each type is defined (class/struct/enum with a body, not a forward declaration).
declare -A defined_in
while IFS=: read -r file _ name; do
  folder=${file#"$src"/}
  folder=${folder%%/*}
  [ -n "${level[$folder]:-}" ] && defined_in[$name]=$folder
done < <(grep -rnoE '^(class|struct|enum class|enum) [A-Za-z_][A-Za-z0-9_]*([^;]*$)' --include=*.h "$src" \
           | sed -E 's/^([^:]+:[0-9]+:)(class|struct|enum class|enum) ([A-Za-z_][A-Za-z0-9_]*).*/\1\3/')

for folder in "${below_ui[@]}"; do
  own=${level[$folder]}
  dir=$src/$folder
  [ -d "$dir" ] || continue
  while IFS=: read -r file line include; do
    target=$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"$include")
    if [ "${level[$target]:-9}" -gt "$own" ]; then
      fail "$file:$line: $folder (level $own) includes $target (level ${level[$target]:-?}): $include"
    fi
  done < <(grep -rnE '^#include "[a-z]+/' "$dir")
  while IFS=: read -r file line name; do
    other=${defined_in[$name]:-}
    if [ -n "$other" ] && [ "${level[$other]}" -gt "$own" ]; then
      fail "$file:$line: $folder (level $own) declares $name of $other (level ${level[$other]})"
    fi
  done < <(grep -rnoE '^(class|struct) [A-Za-z_][A-Za-z0-9_]*;' "$dir" | sed -E 's/^([^:]+:[0-9]+:)(class|struct) ([A-Za-z_0-9]+);/\1\3/')
  while IFS= read -r hit; do
    fail "$hit: QtWidgets below the user interface"
  done < <(grep -rnE '#include <(QtWidgets/|QWidget>|QApplication>|QMainWindow>|QDialog>)' "$dir")
  if [[ " $qtcore_only " == *" $folder "* ]]; then
    while IFS=: read -r file line header; do
      name=$(sed -E 's/#include <(QtGui\/)?([A-Za-z_]+)>.*/\2/' <<<"$header")
      if [[ $header == *"<QtGui/"* ]] || { [ -n "$qtgui" ] && [ -f "$qtgui/$name" ]; }; then
        fail "$file:$line: QtGui in $folder, a QtCore level: $header"
      fi
    done < <(grep -rnE '^#include <Q' "$dir")
  fi
done
[ $status -eq 0 ] && echo "levels ok (${#level[@]} folders)"
exit $status
