#!/usr/bin/env bash
# Runs every example of a guide: in ```console blocks, "$ COMMAND" lines run in order, each
# starting in the same scratch folder (so files carry over, a "cd" does not). The lines
# that follow a command are output it must print ("..." skips); it must exit 0 unless the
# command ends in "# exit N".
set -uo pipefail
guide=$1
bindir=$(cd "$2" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export PATH="$bindir:$PATH" XDG_CONFIG_HOME="$scratch/config" TMPDIR="$scratch"
# git as on a fresh account: no one's own settings, a name to commit under.
export GIT_CONFIG_GLOBAL=/dev/null GIT_CONFIG_NOSYSTEM=1 GIT_AUTHOR_NAME=guide \
  GIT_AUTHOR_EMAIL=guide@example.com GIT_COMMITTER_NAME=guide GIT_COMMITTER_EMAIL=guide@example.com
unset ETBTOOL_MODULE

failures=0
commands=0
command=""
expected=()

run() {
  [ -n "$command" ] || return 0
  local want=0 line output status
  if [[ "$command" =~ ^(.*[^[:space:]])[[:space:]]+#\ exit\ ([0-9]+)$ ]]; then
    command=${BASH_REMATCH[1]}
    want=${BASH_REMATCH[2]}
  fi
  output=$(cd "$scratch/work" && bash -c "$command" 2>&1)
  status=$?
  commands=$((commands + 1))
  if [ "$status" -ne "$want" ]; then
    echo "FAIL: \$ $command -> exit $status, want $want"; echo "$output"
    failures=$((failures + 1))
  fi
  for line in "${expected[@]}"; do
    [ "$line" = "..." ] && continue
    if ! grep -q -F -- "$line" <<<"$output"; then
      echo "FAIL: \$ $command does not print: $line"; echo "$output"
      failures=$((failures + 1))
    fi
  done
  command=""
  expected=()
}

mkdir -p "$scratch/work"
inside=false
while IFS= read -r line; do
  if [[ "$line" == '```console' ]]; then
    inside=true
  elif [[ "$line" == '```' && "$inside" == true ]]; then
    run
    inside=false
  elif [[ "$inside" == true && "$line" == '$ '* ]]; then
    run
    command=${line#\$ }
  elif [[ "$inside" == true && -n "$command" ]]; then
    expected+=("${line%"${line##*[![:space:]]}"}")
  fi
done <"$guide"

echo "$(basename "$guide"): $commands examples run, $failures failures"
[ "$commands" -gt 0 ] && [ "$failures" -eq 0 ]
