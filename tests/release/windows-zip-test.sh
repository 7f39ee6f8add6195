#!/bin/bash
# A Windows package used as an integrator receives it:
#   windows-zip-test.sh <packages folder> <version> <top of the source tree>
# The zip is unpacked into an empty folder; the C examples are built with
# mingw-w64 against nothing but its header and import library, and run
# under Wine on the demo installation with the zip's own VOKQM7.dll. The
# win32 zip wherever Wine runs 32-bit programs here, else the win64 one.
set -u
packages=${1:?usage: windows-zip-test.sh <packages folder> <version> <source tree>}
version=${2:?} top=$(cd "${3:?}" && pwd)
. "$top/scripts/machine.sh"

if wine_runs_32_bit; then
  name=win32 arch=i686 preset=mingw-i686
else
  name=win64 arch=x86_64 preset=mingw-x86_64
  echo "Wine runs no 32-bit programs here: testing the win64 zip instead of the win32 one"
fi
zip=$packages/VOKQM7-$version-$name.zip
[ -f "$zip" ] || { echo "FAIL: no $zip"; exit 1; }

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
unzip -q "$zip" -d "$unpacked" || { echo "FAIL: $zip does not unpack"; exit 1; }
cc=$arch-w64-mingw32-gcc
(cd "$unpacked" &&
  $cc -std=c11 -Wall -Wextra -Werror -O2 -Iinclude examples/get_filing.c -Llib -lVOKQM7 \
    -o get_filing.exe &&
  $cc -std=c11 -Wall -Wextra -Werror -O2 docs/examples/filing_client.c -o filing_client.exe) ||
  { echo "FAIL: the examples do not build from $zip alone"; exit 1; }
echo "built the examples from $(basename "$zip") with $cc"

# The report tools are the accounting package's; the tests' stand-ins take
# their place, from the build the zip was made from.
exec bash "$top/tests/wine/run-tool-tests.sh" "$top/build/$preset" zip \
  "$unpacked/get_filing.exe" "$unpacked/bin/VOKQM7.dll" "$top/build/$preset/tools/standin" \
  "$top/demo" "$unpacked"
