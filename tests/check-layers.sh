#!/usr/bin/env bash
# Fails when a source file includes a header of a higher level, or when code
# below the user interface includes QtWidgets.
set -u
src=${1:?source folder}
level() {
  case $1 in
    app) echo 0 ;; model) echo 1 ;; playback|content) echo 2 ;; render) echo 3 ;;
    document|scripts) echo 4 ;; editor|pages|setup) echo 5 ;; tool) echo 5 ;; *) echo 9 ;;
  esac
}
status=0
for dir in app model playback content render document scripts; do
  [ -d "$src/$dir" ] || continue
  own=$(level $dir)
  while IFS=: read -r file line include; do
    target=$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"$include")
    if [ "$(level "$target")" -gt "$own" ]; then
      echo "$file:$line: $dir (level $own) includes $target: $include"
      status=1
    fi
  done < <(grep -rnE '^#include "[a-z]+/' "$src/$dir" | sed -E 's/^([^:]+):([0-9]+):/\1:\2:/')
  if grep -rnE '#include <(QtWidgets|QWidget|QApplication|QMainWindow|QDialog)' "$src/$dir"; then
    echo "QtWidgets below the user interface (in $dir)"
    status=1
  fi
done
[ $status -eq 0 ] && echo "levels ok"
exit $status
