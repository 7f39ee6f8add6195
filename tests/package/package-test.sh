#!/bin/bash
# Installs the build to a temporary prefix and builds a consumer with
# find_package(VOKQM7) against it:  package-test.sh <build-dir> <consumer source>
set -u
build=$1 consumer=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; exit 1; }
failed=0
for file in bin/vokqm7 lib/libVOKQM7.so include/vokqm7.h lib/cmake/VOKQM7/VOKQM7Config.cmake \
    lib/cmake/VOKQM7/VOKQM7ConfigVersion.cmake lib/cmake/VOKQM7/VOKQM7Targets.cmake; do
  [ -e "$prefix/$file" ] || { echo "FAIL: the install lacks $file"; failed=1; }
done

cmake -S "$consumer" -B "$work/consumer" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >"$work/consumer.log" 2>&1 &&
  cmake --build "$work/consumer" >>"$work/consumer.log" 2>&1 ||
  { echo "FAIL: the consumer does not configure or build:"; cat "$work/consumer.log"; exit 1; }
output=$("$work/consumer/consumer")
[ "$output" = "interface version 2" ] || { echo "FAIL: consumer printed '$output'"; failed=1; }

# The installed tool finds the installed library beside it in lib/.
output=$("$prefix/bin/vokqm7" version 2>&1)
grep -qF "interface version: 2" <<<"$output" || { echo "FAIL: installed vokqm7: $output"; failed=1; }
[ $failed -eq 0 ] && echo "package test passed"
exit $failed
