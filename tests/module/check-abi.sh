#!/usr/bin/env bash
# The module's exported interface against the baseline in the repository: any change that
# libabigail sees (a removed symbol, a class's size, members or vtable) fails, named in its report.
set -euo pipefail
module=$1
baseline=$2

status=0
report=$(abidiff --no-architecture --fail-no-debug-info "$baseline" "$module") || status=$?
if [ "$status" -ne 0 ]; then
  echo "$report"
  echo "abidiff exit status $status: the module's interface differs from $baseline."
  echo "A deliberate change: run scripts/update-abi-baseline and commit the baseline with it."
  exit 1
fi
echo "abi: the module matches $(basename "$baseline")"
