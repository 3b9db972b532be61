#!/usr/bin/env bash
# Source rules no compiler checks: clang-format clean, the module sees only the host's interface
# headers (never the stand-in's own APIs), and the components never include from the entry point.
set -uo pipefail
cd "$1"
status=0
mapfile -t sources < <(find host hostlib module etb zip tools tests bench fuzz \
                         \( -name '*.h' -o -name '*.cpp' \) -type f 2>/dev/null | sort)
if [ "${#sources[@]}" -eq 0 ]; then
  echo "no sources found under $1"; exit 1
fi
if ! clang-format --dry-run -Werror "${sources[@]}"; then
  echo "clang-format: the files above need formatting (clang-format -i)"; status=1
fi
if grep -n -E '#include ".*(standin|hostlib)/' -r module etb zip; then
  echo "the module includes a stand-in-only header"; status=1
fi
if grep -n -E '#include "module/' -r etb zip; then
  echo "a component includes from module/, the layer above it"; status=1
fi
# The record layer stands on the standard library alone: the host comes in through its
# interfaces, never by a host type.
record_layer=(etb/EtbRecord.h etb/EtbRecordReader.h etb/EtbRecordReader.cpp etb/ETBParser_Scanner.h
              etb/RecordRules.h etb/FormatConstants.h)
if grep -n -E '#include "(du|dp|dg|znk|znloader)/|\b(du|dp|dg|znk|znloader)::' "${record_layer[@]}"; then
  echo "the record layer names a host type"; status=1
fi
[ "$status" -eq 0 ] && echo "sources: ${#sources[@]} files formatted, module includes clean"
exit "$status"
