#!/usr/bin/env bash
# etbtool's contract for probe and module loading: exit status and the one line it prints.
set -uo pipefail
etbtool=$1
bindir=$(dirname "$etbtool")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
printf 'not a shared object\n' > "$scratch/garbage.so"

failures=0
# expected status | expected output line (stdout and stderr together) | arguments...
check() {
  local want_status=$1 want_text=$2; shift 2
  local output status
  output=$("$@" 2>&1); status=$?
  if [ "$status" -ne "$want_status" ] || ! grep -q -F -- "$want_text" <<<"$output" \
      || [ "$(wc -l <<<"$output")" -ne 1 ]; then
    echo "FAIL: $* -> status $status, output: $output (want $want_status, '$want_text')"
    failures=$((failures + 1))
  fi
}

# The factory's table is the module tests'; here only what probe makes of an answer.
check 0 "etb::EtbPreferencesWriter" "$etbtool" probe saver preferences etb
check 1 "no component" "$etbtool" probe "loader " annotation etb
check 0 "etb::Parser" "$etbtool" --module "$bindir/libetbplugin.so" probe loader annotation etb
check 0 "etb::Parser" env ETBTOOL_MODULE="$bindir/libetbplugin.so" "$etbtool" probe loader annotation etb
check 2 "cannot load module" "$etbtool" --module "$scratch/missing.so" probe loader annotation etb
check 2 "cannot load module" "$etbtool" --module "$scratch/garbage.so" probe loader annotation etb
check 2 "cannot load module" env ETBTOOL_MODULE="$scratch/garbage.so" "$etbtool" probe loader annotation etb
check 2 "does not export ZnDllCreateComponent" "$etbtool" --module "$bindir/libzng.so" probe a b c
check 2 "etbtool:" "$etbtool" probe loader annotation
check 2 "unknown command 'frobnicate'" "$etbtool" frobnicate
check 2 "no command given" "$etbtool"
check 2 "unknown prefs action 'list'" "$etbtool" prefs list
check 2 "prefs needs an action" "$etbtool" prefs
check 2 "is no entry index" "$etbtool" save a.etb b.etb --partial first
check 2 "--mark requires --default (see etbtool save --help)" "$etbtool" save a.etb b.etb --mark 1
check 2 "FILE is required (see etbtool prefs import --help)" "$etbtool" prefs import
check 0 "etb::Parser" "$etbtool" probe loader annotation etb --module "$bindir/libetbplugin.so"
# --version names the module on stdout; what is wrong with it is the one line on stderr.
for row in "$bindir/libzng.so|libzng.so is not an ETB module" "libz.so.1|not an ETB module" \
    "$scratch/missing.so|cannot load module" "$bindir/libfixture_create_only.so|export ZnDllInit" \
    "$bindir/libfixture_borrows.so|does not export ZnDllCreateComponent"; do
  check 2 "${row#*|}" sh -c '"$0" --version --module "$1" >/dev/null' "$etbtool" "${row%%|*}"
done
check 2 "not expected: --bogus" "$etbtool" load a.etb --bogus
check 2 "--module: 1 required TEXT missing" "$etbtool" --module

# --version: etbtool's, the module it would load and its version; another build is named (a
# copy of the module whose build id has one byte changed).
version=$("$etbtool" --version 2>&1)
id=$(readelf -n "$bindir/libetbplugin.so" | sed -n 's/.*Build ID: //p')
at=$(LC_ALL=C grep -obUaP "$(sed 's/../\\x&/g' <<<"$id")" "$bindir/libetbplugin.so" | cut -d: -f1)
cp "$bindir/libetbplugin.so" "$scratch/other.so"
printf '\x5a' | dd of="$scratch/other.so" bs=1 seek="$at" conv=notrunc status=none
other=$("$etbtool" --module "$scratch/other.so" --version 2>&1)
if [ "$version" != "$(printf 'etbtool 0.1.0\nmodule: %s\nmodule version: 0.1.0' "$bindir/libetbplugin.so")" ] \
    || ! grep -q '^the module and etbtool come from different builds' <<<"$other"; then
  echo "FAIL: --version -> $version / $other"; failures=$((failures + 1))
fi

for command in "" probe load save session "prefs show" check export import demo; do
  # shellcheck disable=SC2086
  help=$("$etbtool" $command --help 2>&1); status=$?
  if [ "$status" -ne 0 ] || ! grep -q "^Usage: etbtool $command" <<<"$help" \
      || ! awk 'length > 79 { exit 1 }' <<<"$help"; then
    echo "FAIL: etbtool $command --help -> status $status"; failures=$((failures + 1))
  fi
done

# Without HOME the default store is the password database's home, never the current folder.
(cd "$scratch" && env -u HOME XDG_CONFIG_HOME=relative "$etbtool" prefs show >/dev/null 2>&1)
if [ -e "$scratch/.config" ] || [ -e "$scratch/relative" ]; then
  echo "FAIL: prefs without HOME made a store in the current folder"; failures=$((failures + 1))
fi

demo=$("$etbtool" demo 2>&1); status=$?
# It says why a view-state source shows type 2, why the reload has none, why ids come back 0.
explained=$(grep -c -e 'gives every source type 2' -e 'a view-state source is none' \
  -e 'every id comes back 0' <<<"$demo")
if [ "$status" -ne 0 ] || [ "$(grep -c -E 'etb::|zip::' <<<"$demo")" -ne 5 ] \
    || [ "$explained" -ne 3 ] \
    || ! grep -q -x 'Every step did what it should.' <<<"$demo"; then
  echo "FAIL: demo -> status $status"; echo "$demo"; failures=$((failures + 1))
fi

[ "$failures" -eq 0 ] && echo "etbtool: all checks passed"
exit "$failures"
