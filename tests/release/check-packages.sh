#!/bin/bash
# The release packages' contents, as made by scripts/package:
#   check-packages.sh <packages folder> <version>
# Each zip: its exact file list; PE32 (win32) or PE32+ (win64) for each
# Windows binary; imports from DLLs that Windows itself provides only; the
# DLL's VERSIONINFO equal to the version; SHA256SUMS right and complete.
# The .deb: its control fields, its exact file list, the library's SONAME,
# no search path in the tool, the CMake package version, and lintian
# without errors.
set -u
packages=${1:?usage: check-packages.sh <packages folder> <version>}
version=${2:?usage: check-packages.sh <packages folder> <version>}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok:   $*"; }

# Windows' own DLLs; nothing of the compiler's runtime or a third party.
system_dlls='^(kernel32|advapi32|ole32|oleaut32|msvcrt|user32|version)\.dll$'

# The fixed file version of a PE file's VS_FIXEDFILEINFO, "a.b.c.d": the
# structure starts with the signature 0xFEEF04BD; dwFileVersionMS and
# dwFileVersionLS follow its version field.
fixed_file_version() {
  local offset words
  offset=$(LC_ALL=C grep -obUaP '\xBD\x04\xEF\xFE' "$1" | head -n 1 | cut -d: -f1)
  [ -n "$offset" ] || return 1
  read -ra words < <(od -An -tu2 -j $((offset + 8)) -N 8 "$1")
  echo "${words[1]}.${words[0]}.${words[3]}.${words[2]}"
}

expected_zip_files() {
  printf '%s\n' README.txt SHA256SUMS bin/VOKQM7.dll bin/vokqm7.exe include/vokqm7.h \
    lib/libVOKQM7.dll.a lib/VOKQM7.def docs/integration.md docs/checks.md docs/examples/filing_client.c \
    examples/get_filing.c examples/get_report.c | sort
}

check_zip() {
  local name=$1 arch=$2 magic=$3 zip=$packages/VOKQM7-$version-$1.zip dir=$work/$1
  echo "-- $(basename "$zip")"
  [ -f "$zip" ] || { fail "no $zip"; return; }
  local listed
  listed=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
  [ "$listed" = "$(expected_zip_files)" ] && pass "$name: file list" ||
    fail "$name: file list differs: $(diff <(expected_zip_files) <(echo "$listed") | grep '^[<>]' | tr '\n' ' ')"
  mkdir -p "$dir" && unzip -q "$zip" -d "$dir" || { fail "$name: does not unpack"; return; }

  (cd "$dir" && sha256sum --quiet -c SHA256SUMS) && pass "$name: every checksum right" ||
    fail "$name: SHA256SUMS does not match the files"
  local summed
  summed=$(sed 's/^[0-9a-f]\{64\}  //' "$dir/SHA256SUMS" | sort)
  [ "$summed" = "$(expected_zip_files | grep -vx SHA256SUMS)" ] &&
    pass "$name: SHA256SUMS covers every other file" || fail "$name: SHA256SUMS lists: $summed"

  local binary headers imported
  for binary in bin/VOKQM7.dll bin/vokqm7.exe; do
    headers=$("$arch-w64-mingw32-objdump" -p "$dir/$binary") || { fail "$name: $binary unreadable"; continue; }
    grep -E '^Magic' <<<"$headers" | grep -qF "($magic)" && pass "$name: $binary is $magic" ||
      fail "$name: $binary is not $magic: $(grep -E '^Magic' <<<"$headers")"
    for imported in $(awk '/DLL Name:/ {print $3}' <<<"$headers"); do
      tr '[:upper:]' '[:lower:]' <<<"$imported" | grep -qE "$system_dlls" ||
        fail "$name: $binary imports $imported, which Windows does not provide"
    done
    [ -n "$(awk '/DLL Name:/' <<<"$headers")" ] && pass "$name: $binary imports system DLLs only" ||
      fail "$name: $binary has no import table"
  done
  local resource
  resource=$(fixed_file_version "$dir/bin/VOKQM7.dll")
  [ "$resource" = "$version.0" ] && pass "$name: VOKQM7.dll VERSIONINFO $resource" ||
    fail "$name: VOKQM7.dll VERSIONINFO file version is '$resource', expected $version.0"
  "$arch-w64-mingw32-strings" -el "$dir/bin/VOKQM7.dll" | grep -A1 -xF ProductVersion |
    grep -qxF "$version" && pass "$name: ProductVersion $version" ||
    fail "$name: the ProductVersion text is not $version"
  grep -qF "VOKQM7 $version" "$dir/README.txt" && grep -qF "vokqm7 doctor" "$dir/README.txt" &&
    pass "$name: README.txt names the version and vokqm7 doctor" || fail "$name: README.txt"
  grep -q $'\r$' "$dir/README.txt" && pass "$name: README.txt has Windows line ends" ||
    fail "$name: README.txt has Unix line ends"
}

check_zip win32 i686 PE32
check_zip win64 x86_64 PE32+

architecture=$(dpkg --print-architecture)
deb=$packages/vokqm7_${version}_$architecture.deb
echo "-- $(basename "$deb")"
if [ ! -f "$deb" ]; then
  fail "no $deb"
else
  field() { dpkg-deb -f "$deb" "$1"; }
  [ "$(field Package)" = vokqm7 ] && [ "$(field Version)" = "$version" ] &&
    [ "$(field Architecture)" = "$architecture" ] && pass "deb: package, version, architecture" ||
    fail "deb: control says $(field Package) $(field Version) $(field Architecture)"
  field Depends | grep -qE '(^|, )libxml2 ' && pass "deb: depends on libxml2" ||
    fail "deb: Depends is '$(field Depends)'"

  multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
  lib=usr/lib/$multiarch
  expected_deb=$(printf '%s\n' usr/bin/vokqm7 usr/include/vokqm7.h \
    "$lib/libVOKQM7.so" "$lib/libVOKQM7.so.1" "$lib/libVOKQM7.so.$version" \
    "$lib/cmake/VOKQM7/VOKQM7Config.cmake" "$lib/cmake/VOKQM7/VOKQM7ConfigVersion.cmake" \
    "$lib/cmake/VOKQM7/VOKQM7Targets.cmake" "$lib/cmake/VOKQM7/VOKQM7Targets-release.cmake" \
    usr/share/doc/vokqm7/changelog.gz usr/share/doc/vokqm7/copyright \
    usr/share/doc/vokqm7/integration.md usr/share/doc/vokqm7/checks.md \
    usr/share/doc/vokqm7/examples/filing_client.c \
    usr/share/doc/vokqm7/examples/get_filing.c usr/share/doc/vokqm7/examples/get_report.c | sort)
  listed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's#^\./##' | sort)
  [ "$listed" = "$expected_deb" ] && pass "deb: file list" ||
    fail "deb: file list differs: $(diff <(echo "$expected_deb") <(echo "$listed") | grep '^[<>]' | tr '\n' ' ')"

  dpkg-deb -x "$deb" "$work/deb"
  # readelf's own failure must fail the checks, not pass for "no RPATH".
  if dynamic=$(readelf -d "$work/deb/$lib/libVOKQM7.so.$version"); then
    grep -qF 'Library soname: [libVOKQM7.so.1]' <<<"$dynamic" &&
      pass "deb: SONAME libVOKQM7.so.1" || fail "deb: the library's SONAME is not libVOKQM7.so.1"
  else
    fail "deb: readelf cannot read the library"
  fi
  if dynamic=$(readelf -d "$work/deb/usr/bin/vokqm7"); then
    ! grep -qE 'RPATH|RUNPATH' <<<"$dynamic" &&
      pass "deb: vokqm7 carries no library search path" || fail "deb: vokqm7 has an RPATH/RUNPATH"
  else
    fail "deb: readelf cannot read vokqm7"
  fi
  grep -qF "set(PACKAGE_VERSION \"$version\")" "$work/deb/$lib/cmake/VOKQM7/VOKQM7ConfigVersion.cmake" &&
    pass "deb: CMake package version $version" || fail "deb: CMake package version"
  zcat "$work/deb/usr/share/doc/vokqm7/changelog.gz" | head -n 1 | grep -qF "vokqm7 ($version)" &&
    pass "deb: changelog names $version" || fail "deb: the changelog's first entry is not $version"

  if lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1; then
    pass "deb: lintian reports no error ($(grep -c '^W:' "$work/lintian.log") warnings)"
  else
    fail "deb: lintian: $(grep -E '^E:' "$work/lintian.log" | tr '\n' ' ')"
  fi
fi

if [ $failures -ne 0 ]; then
  echo "check-packages: $failures check(s) FAILED"
  exit 1
fi
echo "check-packages: all checks passed"
