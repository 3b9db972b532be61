#!/usr/bin/env bash
# The folder ctest gives every test as TMPDIR: "clear DIR" makes it empty before the tests,
# "check DIR" after them all fails, naming them, when they left anything in it.
set -euo pipefail
dir=$2
case $1 in
  clear)
    rm -rf "$dir"
    mkdir -p "$dir"
    ;;
  check)
    left=$(find "$dir" -mindepth 1 -maxdepth 1 | wc -l)
    if [ "$left" -gt 0 ]; then
      echo "the tests left $left item(s), $(du -sh "$dir" | cut -f1), in $dir:"
      find "$dir" -mindepth 1 -maxdepth 1 -exec du -sh {} + | sort -k2 | head -n 20
      exit 1
    fi
    echo "nothing left in $dir"
    ;;
  *)
    echo "usage: $0 clear|check DIR" >&2
    exit 2
    ;;
esac
