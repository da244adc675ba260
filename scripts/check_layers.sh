#!/usr/bin/env bash
# Fails when an include in src/ runs from a lower layer to a higher one.
cd "$(dirname "$0")/.."
rank() {
  case $1 in
    platform|text) echo 0 ;;
    run) echo 1 ;;
    config|walk|listing|crc|streams|surroundings|check) echo 2 ;;
    driver|main.cc) echo 3 ;;
    *) echo -1 ;;
  esac
}
bad=0
while IFS= read -r file; do
  case $file in *_test.cc|src/testing/*) continue ;; esac
  from=${file#src/}; from=${from%%/*}
  fr=$(rank "$from")
  while IFS= read -r inc; do
    to=${inc%%/*}
    tr=$(rank "$to")
    [ "$tr" -lt 0 ] && continue
    if [ "$tr" -gt "$fr" ]; then echo "$file includes $inc"; bad=1; fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find src -name '*.cc' -o -name '*.h' | sort)
exit $bad
