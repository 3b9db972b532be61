#!/usr/bin/env bash
# The module's dynamic symbol table holds the three entry points and the three exported classes
# (their members, vtables and typeinfo), and nothing else.
set -euo pipefail
module=$1

defined=$(nm -D --defined-only "$module" | awk '{ $1 = ""; $2 = ""; sub(/^  /, ""); print }' | c++filt)
allowed='^(ZnDllCreateComponent|ZnDllInit|ZnDllTerminate)$'
allowed+='|^((vtable|typeinfo|typeinfo name) for )?(etb::Parser|etb::EtbWriter|zip::ZipParser)(::|$)'

status=0
extra=$(grep -v -E "$allowed" <<<"$defined" || true)
if [ -n "$extra" ]; then
  echo "exported beyond the list:"; echo "$extra"; status=1
fi
for required in ZnDllCreateComponent ZnDllInit ZnDllTerminate \
                "vtable for etb::Parser" "vtable for etb::EtbWriter" "vtable for zip::ZipParser" \
                "etb::Parser::Parser()" "etb::EtbWriter::EtbWriter()" "zip::ZipParser::ZipParser()" \
                "etb::Parser::operator=(etb::Parser const&)"; do
  if ! grep -q -x -F "$required" <<<"$defined"; then
    echo "not exported: $required"; status=1
  fi
done
if grep -q -E 'PreferencesParser|EtbPreferencesWriter' <<<"$defined"; then
  echo "a preferences component is exported"; status=1
fi
[ "$status" -eq 0 ] && echo "exports: $(wc -l <<<"$defined") symbols, all on the list"
exit "$status"
