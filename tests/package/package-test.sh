#!/usr/bin/env bash
# The Debian package: built from the build tree, unpacked into a temporary root, etbtool's tour
# run from there, and a host project that finds the interface headers with find_package.
set -euo pipefail
build=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

(cd "$build" && cpack -G DEB -B "$scratch/package" >/dev/null)
deb=$(ls "$scratch"/package/*.deb)
dpkg-deb -x "$deb" "$scratch/root"
root=$scratch/root/usr

for file in bin/etbtool lib/etbplugin/libetbplugin.so lib/libznk.so lib/libznkutils.so \
            lib/libzng.so include/znloader/AnnotationParser.h lib/cmake/EtbHost/EtbHostConfig.cmake; do
  [ -e "$root/$file" ] || { echo "the package lacks $file"; exit 1; }
done
dpkg-deb -f "$deb" Depends | grep -q libzip4 || { echo "the package does not depend on libzip4"; exit 1; }

# Nothing of the build tree may be needed: run from the unpacked root with the build tree hidden.
tour=$(env -u ETBTOOL_MODULE "$root/bin/etbtool" demo)
grep -q -x 'Every step did what it should.' <<<"$tour" || { echo "$tour"; exit 1; }
[ "$("$root/bin/etbtool" probe saver annotation etb)" = "etb::EtbWriter" ]

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
echo "package: $(basename "$deb") unpacks, runs the tour and serves find_package(EtbHost)"
