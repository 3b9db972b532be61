#!/usr/bin/env bash
# The Debian package: built from the build tree, unpacked into a temporary root, etbtool's tour,
# man page and bash completion used from there, and host projects that find the interface
# headers with find_package and with pkg-config.
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$build" && cpack -G DEB -B "$scratch/package" >/dev/null)
deb=$(ls "$scratch"/package/*.deb)
dpkg-deb -x "$deb" "$scratch/root"
root=$scratch/root/usr

for file in bin/etbtool lib/etbplugin/libetbplugin.so lib/libznk.so lib/libznkutils.so \
            lib/libzng.so include/znloader/AnnotationParser.h \
            lib/cmake/EtbHost/EtbHostConfig.cmake lib/pkgconfig/etbhost.pc \
            share/man/man1/etbtool.1.gz share/bash-completion/completions/etbtool; do
  [ -e "$root/$file" ] || { echo "the package lacks $file"; exit 1; }
done
dpkg-deb -f "$deb" Depends | grep -q libzip4 || { echo "the package does not depend on libzip4"; exit 1; }

# Nothing of the build tree may be needed: run from the unpacked root with the build tree hidden.
tour=$(env -u ETBTOOL_MODULE "$root/bin/etbtool" demo)
grep -q -x 'Every step did what it should.' <<<"$tour" || { echo "$tour"; exit 1; }
[ "$("$root/bin/etbtool" probe saver annotation etb)" = "etb::EtbWriter" ]

version=$("$root/bin/etbtool" --version)
grep -q -x "module: $root/lib/etbplugin/libetbplugin.so" <<<"$version" \
  && ! grep -q 'different builds' <<<"$version" || { echo "$version"; exit 1; }

# The man page has a section for every command etbtool's help lists, from that command's help.
commands=$("$root/bin/etbtool" --help | sed -n '/^Subcommands:/,$s/^  \([a-z]*\) .*/\1/p')
page=$(MANWIDTH=100 man -l "$root/share/man/man1/etbtool.1.gz" 2>/dev/null)
for command in $commands; do
  grep -q "^   etbtool $command\$" <<<"$page" || { echo "the man page lacks $command"; exit 1; }
done
grep -q -e '--partial INT:INDEX' <<<"$page" || { echo "the man page lacks save's options"; exit 1; }
# At 80 columns no line runs over; no path of the build machine stands for a default; every
# variable etbtool reads is listed, and so are the exit statuses.
[ "$(LC_ALL=C MANWIDTH=80 man -l "$root/share/man/man1/etbtool.1.gz" 2>/dev/null | wc -L)" -le 80 ] \
  || { echo "the man page runs over 80 columns"; exit 1; }
grep -q -F '$XDG_CONFIG_HOME/etbtool/preferences.json,' <<<"$page" \
  || { echo "the man page names a default store of the build machine"; exit 1; }
for name in ETBTOOL_MODULE XDG_CONFIG_HOME HOME ETBTOOL_MAX_LINE ETBTOOL_MAX_STORE \
            ETBTOOL_MAX_EXTRACT ZN_SYSTEM_ENCODING COLUMNS TMPDIR 'Exit status:'; do
  grep -q "^ *$name" <<<"$page" || { echo "the man page lacks $name"; exit 1; }
done

# Completion offers the same commands, a command's options, prefs actions and file names.
completions=$(cd "$scratch" && touch table.etb && bash -c '
  source "$1"
  complete_words() { COMP_WORDS=(etbtool "$@"); COMP_CWORD=$#; _etbtool; echo "${COMPREPLY[*]}"; }
  complete_words ""; complete_words save --pa; complete_words prefs ""; complete_words load tab
  complete_words load --modu
' _ "$root/share/bash-completion/completions/etbtool")
expected=$(printf '%s\n' "$(echo $commands)" --partial "show import export" table.etb --module)
[ "$completions" = "$expected" ] || { echo "completion: $completions (want $expected)"; exit 1; }

mkdir -p "$scratch/consumer"
cat >"$scratch/consumer/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(consumer CXX)
set(CMAKE_CXX_STANDARD 17)
find_package(EtbHost 0.1 REQUIRED)
add_library(consumer OBJECT consumer.cpp)
target_link_libraries(consumer PRIVATE EtbHost::headers)
CMAKE
cat >"$scratch/consumer/consumer.cpp" <<'CPP'
#include "znloader/AnnotationParser.h"
#include "znk/AnnoSetTable.h"
static_assert(sizeof(du::SmartPtr<znk::AnnoSetTable>) == sizeof(void*), "one pointer");
CPP
cmake -S "$scratch/consumer" -B "$scratch/consumer/build" -G Ninja \
  -DCMAKE_PREFIX_PATH="$root" >/dev/null
cmake --build "$scratch/consumer/build" >/dev/null
# The same consumer through pkg-config.
[ "$(PKG_CONFIG_PATH="$root/lib/pkgconfig" pkg-config --modversion etbhost)" = 0.1.0 ]
# shellcheck disable=SC2046
c++ -std=c++17 $(PKG_CONFIG_PATH="$root/lib/pkgconfig" pkg-config --cflags etbhost) \
  -c "$scratch/consumer/consumer.cpp" -o "$scratch/consumer/with-pkg-config.o"
echo "package: $(basename "$deb") unpacks, runs the tour, has the man page and completion," \
  "serves find_package(EtbHost) and pkg-config etbhost"
