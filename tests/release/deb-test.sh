#!/bin/bash
# The Debian packages installed into this machine, as a support engineer
# installs them:  deb-test.sh <packages folder> <version> <top of the source tree>
# dpkg -i of libvokqm7-1, libvokqm7-dev and vokqm7; vokqm7 doctor, convert
# and report-date from the installed files on the demo installation, and
# the installed Python binding's example beside report-date, and the
# examples of the jar and the wheel that the Windows zips carry; a
# consumer built with find_package(VOKQM7) against libvokqm7-dev; dpkg -r
# of all three, after which none of their files is left. Needs root (exit
# 77 otherwise).
set -u
packages=$(cd "${1:?usage: deb-test.sh <packages folder> <version> <source tree>}" && pwd)
version=${2:?} top=$(cd "${3:?}" && pwd)
names=("libvokqm7-${version%%.*}" libvokqm7-dev vokqm7)
debs=()
for name in "${names[@]}"; do
  debs+=("$packages/${name}_${version}_$(dpkg --print-architecture).deb")
  [ -f "${debs[-1]}" ] || { echo "FAIL: no ${debs[-1]}"; exit 1; }
done
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: installing a package needs root"
  exit 77
fi
for name in "${names[@]}"; do
  if dpkg-query -W -f='${db:Status-Status}' "$name" 2>/dev/null | grep -qx installed; then
    echo "FAIL: $name is installed on this machine already; remove it (dpkg -r $name) first"
    exit 1
  fi
done

work=$(mktemp -d)
group=deb
. "$top/tests/tool/assert.sh"
installed=false
cleanup() {
  $installed && dpkg -r "${names[@]}" >/dev/null 2>&1
  # CPack's ldconfig scripts keep dpkg's record of a removed package until
  # it is purged.
  dpkg -P "${names[@]}" >/dev/null 2>&1
  rm -rf "$work"
}
# The file the dynamic linker takes for libVOKQM7.so.1 in `ldd $1`, its
# links resolved (/lib is /usr/lib on a merged-/usr system).
linked_library() {
  ldd "$1" | awk '$1 == "libVOKQM7.so.1" {print $3}' | xargs -r readlink -f
}
trap cleanup EXIT

run dpkg -i "${debs[@]}"
expect_status 0 "dpkg -i"
[ "$status" -eq 0 ] || finish
installed=true
files=$(dpkg -L "${names[@]}" | while read -r path; do [ -d "$path" ] || echo "$path"; done)

multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
[ "$(command -v vokqm7)" = /usr/bin/vokqm7 ] || fail "vokqm7 is not /usr/bin/vokqm7"
library=$(readlink -f "/usr/lib/$multiarch/libVOKQM7.so.1")
[ "$library" = "/usr/lib/$multiarch/libVOKQM7.so.$version" ] ||
  fail "libVOKQM7.so.1 leads to '$library'"
[ "$(linked_library /usr/bin/vokqm7)" = "$library" ] ||
  fail "the installed tool loads '$(linked_library /usr/bin/vokqm7)'"

run vokqm7 version
expect_status 0 "version"
expect_out "library: /usr/lib/$multiarch/libVOKQM7.so.$version" "version"
expect_out "library version: $version" "version"

# The demo installation, found through a registry folder of its own, with
# the stand-ins of the report tools from the native build.
. "$top/tests/support/demo-installation.sh"
make_demo_installation "$top/demo" "$top/build/native/tools/standin"
cd "$work"

run vokqm7 doctor
expect_status 0 "doctor"
expect_out "Everything the library needs is in place." "doctor"

run vokqm7 convert --layout income-1 "$install/vok/vokModel/国税申报/hxsyb.rep" --year 2026 \
  --period 11 -o income.xml
expect_status 0 "convert"
head -c 8 income.xml 2>/dev/null | grep -qF "<SB_SYB>" || fail "convert: no income statement section"

run vokqm7 report-date --account 001 --year 2026 --period 11 --server demo-server -o national.xml
expect_status 0 "report-date"
# An empty section would be found in any file.
section=$(cat income.xml 2>/dev/null)
[ -n "$section" ] && grep -qF -- "$section" national.xml 2>/dev/null ||
  fail "report-date: the filing lacks the section convert wrote"

# The Python binding as -dev installs it, loading the installed library by
# its default name: the filing report-date made.
bindings=/usr/share/doc/libvokqm7-dev/bindings
run env PYTHONDONTWRITEBYTECODE=1 PYTHONPATH="$bindings/python" python3 "$bindings/python/example.py" \
  python.xml 001 2026 11 demo-server
expect_status 0 "the installed Python binding"
cmp -s python.xml national.xml || fail "the installed Python binding wrote another filing than report-date"

# The jar and the wheel of the win64 zip as an integrator's build takes
# them, their examples on the installed library: the filing report-date made.
packed=$work/zip/packages
unzip -q "$packages/VOKQM7-$version-win64.zip" 'packages/*' -d "$work/zip" ||
  fail "the win64 zip has no packages/"
jar=$packed/vokqm7-$version.jar jna=/usr/share/java/jna.jar
run javac -cp "$jna:$jar" -d "$work/java" "$bindings/java/Example.java"
run java -cp "$jna:$jar:$work/java" Example java.xml 001 2026 11 demo-server
expect_status 0 "the jar's example"
cmp -s java.xml national.xml || fail "the jar's example wrote another filing than report-date"
run /usr/bin/python3 -m pip install -q --no-deps --no-index --target "$work/wheel" --platform win_amd64 \
  --only-binary=:all: "$packed/vokqm7-$version-py3-none-win32.win_amd64.whl"
expect_status 0 "pip install of the wheel"
mkdir -p "$work/wheel-example" && cp "$bindings/python/example.py" "$work/wheel-example/"
run env PYTHONDONTWRITEBYTECODE=1 PYTHONPATH="$work/wheel" /usr/bin/python3 "$work/wheel-example/example.py" \
  wheel.xml 001 2026 11 demo-server
expect_status 0 "the wheel's example"
cmp -s wheel.xml national.xml || fail "the wheel's example wrote another filing than report-date"

# An integrator's project, finding the package where dpkg put it.
run cmake -S "$top/tests/package/consumer" -B consumer -G Ninja
expect_status 0 "find_package(VOKQM7) against the installed package"
run cmake --build consumer
expect_status 0 "the consumer builds"
run ./consumer/consumer
expect_out "interface version 2" "the consumer runs"
[ "$(linked_library ./consumer/consumer)" = "$library" ] ||
  fail "the consumer loads '$(linked_library ./consumer/consumer)'"

run dpkg -r "${names[@]}"
expect_status 0 "dpkg -r"
installed=false
left=$(while read -r path; do [ -e "$path" ] || [ -L "$path" ] && echo "$path"; done <<<"$files")
[ -z "$left" ] || fail "dpkg -r left: $left"
for name in "${names[@]}"; do
  dpkg-query -W -f='${db:Status-Status}' "$name" 2>/dev/null | grep -qx installed &&
    fail "$name is still installed"
done
hash -r
[ -z "$(command -v vokqm7)" ] || fail "vokqm7 is still on the PATH: $(command -v vokqm7)"
finish
