#!/usr/bin/env bash
# What the module imports from the host's libraries, demangled, against the list in the
# repository: a new host dependency, or a host function that became inline and so is no longer
# called, fails until the list is updated on purpose (scripts/update-host-imports).
# Usage: check-host-imports.sh MODULE LIST        compare
#        check-host-imports.sh MODULE LIST --write rewrite LIST
set -euo pipefail
module=$1
list=$2

# Undefined dynamic symbols without a version are the host's: the system's libraries version
# theirs (GLIBC_, GLIBCXX_, CXXABI_, GCC_). Weak ones are the toolchain's optional hooks.
imports=$(nm -D --undefined-only "$module" | awk '$1 == "U" && $2 !~ /@/ { print $2 }' |
  c++filt | LC_ALL=C sort -u)
if [ "${3:-}" = "--write" ]; then
  printf '%s\n' "$imports" >"$list"
  echo "host imports: $(wc -l <"$list") functions and objects written to $list"
  exit 0
fi
if ! difference=$(diff -u "$list" <(printf '%s\n' "$imports")); then
  echo "$difference"
  echo "The module's imports from the host differ from $(basename "$list") (+ new, - gone)."
  echo "A deliberate change: run scripts/update-host-imports and commit the list with it."
  exit 1
fi
echo "host imports: the module imports the $(wc -l <"$list") listed host functions and objects"
