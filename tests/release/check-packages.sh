#!/bin/bash
# The release packages' contents, as made by scripts/package:
#   check-packages.sh <packages folder> <version> [<signing certificate>]
# Each zip: its exact file list; the bindings' NuGet, Maven and Python
# packages in it with the zips' own DLLs, the wheel installed by pip;
# PE32 (win32) or PE32+ (win64) for each
# Windows binary; imports from DLLs that Windows itself provides only; the
# DLL's VERSIONINFO equal to the version; SHA256SUMS right and complete;
# given the certificate the binaries were signed with, both signatures
# verified with the file's digest and PE checksum intact. Each debug zip:
# its file list, and an export's address mapped to its function and source
# line through the release DLL's link to its .debug file.
# The .deb packages (libvokqm7-1, libvokqm7-dev, vokqm7): their control
# fields and exact file lists, the library's SONAME, no search path in the
# tool, the CMake package version, each changelog; the -dbgsym packages
# mapping an export the same way; lintian without errors or warnings.
set -u
packages=${1:?usage: check-packages.sh <packages folder> <version> [<signing certificate>]}
version=${2:?usage: check-packages.sh <packages folder> <version> [<signing certificate>]}
certificate=${3:-}
top=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok:   $*"; }

# maps_to_source <what> <addr2line> <binary> <address> <function>: addr2line
# names <function> at <address> of <binary> (from its debug file), with a
# source file of this tree and a line of it within the function's
# declaration: "<function>(" on that line or one of the four before it (a
# function's entry is the line of its opening brace).
# The file as the compiler recorded it, leading folders dropped until it
# is a file of this tree (the Debian build records it relative to a
# prefix map).
maps_to_source() {
  local what=$1 addr2line=$2 binary=$3 address=$4 function=$5 output name location path line
  output=$("$addr2line" -f -e "$binary" "$address" 2>&1) || { fail "$what: $addr2line: $output"; return; }
  # The i686 DLL's stdcall functions carry their argument bytes: GetReport@20.
  name=$(sed -n 1p <<<"$output" | sed -E 's/^_?([A-Za-z0-9_]+)@[0-9]+$/\1/') location=$(sed -n 2p <<<"$output")
  path=${location%:*} line=${location##*:}
  line=${line%% *}
  while [ -n "$path" ] && [ ! -f "$top/$path" ] && [ "${path#*/}" != "$path" ]; do path=${path#*/}; done
  if [ "$name" = "$function" ] && [ -f "$top/$path" ] && [ "$line" -gt 0 ] 2>/dev/null &&
    sed -n "$((line > 4 ? line - 4 : 1)),${line}p" "$top/$path" | grep -qE "(^|[^A-Za-z0-9_])$function\("; then
    pass "$what: $address is $function, $path:$line"
  else
    fail "$what: $address maps to '$name' at '$location', not to $function where it is defined"
  fi
}

# Windows' own DLLs; nothing of the compiler's runtime or a third party
# (bcrypt.dll: the tool's SHA-256, part of Windows since Vista).
system_dlls='^(kernel32|advapi32|ole32|oleaut32|msvcrt|user32|version|bcrypt)\.dll$'

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

# The language bindings as the source tree has them, one path a line.
binding_files() { (cd "$top" && find bindings -type f ! -path '*/__pycache__/*' | sort); }

# check_bindings <what> <folder holding bindings/>: every file of the
# source's bindings/ there, byte for byte (the file lists check that there
# is nothing else).
check_bindings() {
  local what=$1 dir=$2 file differing=""
  [ -n "$(binding_files)" ] || { fail "$what: the source tree has no bindings/"; return; }
  for file in $(binding_files); do
    cmp -s "$top/$file" "$dir/$file" || differing="$differing $file"
  done
  [ -z "$differing" ] && pass "$what: bindings/ as in the source, byte for byte" ||
    fail "$what: bindings/ differs from the source:$differing"
}

# The bindings as each ecosystem's package (scripts/package-bindings).
wheel=vokqm7-$version-py3-none-win32.win_amd64.whl
binding_packages() {
  printf 'packages/%s\n' "VOKQM7.$version.nupkg" "vokqm7-$version.jar" "vokqm7-$version.pom" "$wheel"
}

expected_zip_files() {
  (printf '%s\n' README.txt SHA256SUMS bin/VOKQM7.dll bin/vokqm7.exe include/vokqm7.h \
    lib/libVOKQM7.dll.a lib/VOKQM7.def docs/integration.md docs/checks.md docs/messages.md \
    docs/filing-document.md docs/examples/filing_client.c \
    examples/get_filing.c examples/get_report.c
    binding_files; binding_packages) | sort
}

# same_file <what> <expected> <actual>
same_file() { cmp -s "$2" "$3" && pass "$1" || fail "$1: $3 is not $2"; }

# check_binding_packages <win32 zip's folder> <win64 zip's folder>: the same
# packages in both zips; each holds exactly its files, the zips' own DLLs
# and the source's binding files.
check_binding_packages() {
  local dir32=$1 dir64=$2 file p=$work/binding-packages
  echo "-- packages/"
  for file in $(binding_packages); do
    cmp -s "$dir32/$file" "$dir64/$file" || fail "$file differs between the zips"
  done
  mkdir -p "$p/nupkg" "$p/jar" "$p/wheel"
  unzip -q "$dir32/packages/VOKQM7.$version.nupkg" -d "$p/nupkg" &&
    unzip -q "$dir32/packages/vokqm7-$version.jar" -d "$p/jar" &&
    unzip -q "$dir32/packages/$wheel" -d "$p/wheel" || { fail "a binding package does not unpack"; return; }
  local listed expected
  expected=$(printf '%s\n' '[Content_Types].xml' _rels/.rels VOKQM7.nuspec README.md LICENSE.txt \
    build/VOKQM7.targets runtimes/win-x86/native/VOKQM7.dll runtimes/win-x64/native/VOKQM7.dll \
    contentFiles/cs/any/Vokqm7/Vokqm7.cs contentFiles/cs/any/Vokqm7/Vokqm7Messages.cs \
    content/Vokqm7/Vokqm7.cs content/Vokqm7/Vokqm7Messages.cs | sort)
  listed=$(cd "$p/nupkg" && find . -type f | sed 's#^\./##' | sort)
  [ "$listed" = "$expected" ] && pass "nupkg: file list" || fail "nupkg: files are $(tr '\n' ' ' <<<"$listed")"
  python3 - "$p/nupkg/VOKQM7.nuspec" "$version" <<'PY' && pass "nupkg: VOKQM7.nuspec names VOKQM7 $version" || fail "nupkg: VOKQM7.nuspec"
import sys, xml.etree.ElementTree as tree
meta = tree.parse(sys.argv[1]).getroot().find("{http://schemas.microsoft.com/packaging/2013/05/nuspec.xsd}metadata")
ns = "{http://schemas.microsoft.com/packaging/2013/05/nuspec.xsd}"
sys.exit(0 if meta.find(ns + "id").text == "VOKQM7" and meta.find(ns + "version").text == sys.argv[2] else 1)
PY
  same_file "nupkg: win-x86 is the win32 zip's DLL" "$dir32/bin/VOKQM7.dll" "$p/nupkg/runtimes/win-x86/native/VOKQM7.dll"
  same_file "nupkg: win-x64 is the win64 zip's DLL" "$dir64/bin/VOKQM7.dll" "$p/nupkg/runtimes/win-x64/native/VOKQM7.dll"
  for file in Vokqm7.cs Vokqm7Messages.cs; do
    same_file "nupkg: $file as in bindings/" "$top/bindings/csharp/$file" "$p/nupkg/contentFiles/cs/any/Vokqm7/$file"
  done

  expected=$(printf '%s\n' META-INF/MANIFEST.MF META-INF/maven/vokqm7/vokqm7/pom.xml \
    META-INF/maven/vokqm7/vokqm7/pom.properties win32-x86/VOKQM7.dll win32-x86-64/VOKQM7.dll \
    vokqm7/Vokqm7.class vokqm7/Vokqm7Message.class | sort)
  listed=$(cd "$p/jar" && find . -type f ! -name 'Vokqm7$*.class' | sed 's#^\./##' | sort)
  [ "$listed" = "$expected" ] && pass "jar: file list" || fail "jar: files are $(tr '\n' ' ' <<<"$listed")"
  same_file "jar: the pom beside it is the one inside" "$p/jar/META-INF/maven/vokqm7/vokqm7/pom.xml" \
    "$dir32/packages/vokqm7-$version.pom"
  grep -qF "<version>$version</version>" "$p/jar/META-INF/maven/vokqm7/vokqm7/pom.xml" &&
    grep -qF "<artifactId>jna</artifactId>" "$p/jar/META-INF/maven/vokqm7/vokqm7/pom.xml" &&
    pass "jar: the pom names $version and JNA" || fail "jar: pom.xml"
  same_file "jar: win32-x86 is the win32 zip's DLL" "$dir32/bin/VOKQM7.dll" "$p/jar/win32-x86/VOKQM7.dll"
  same_file "jar: win32-x86-64 is the win64 zip's DLL" "$dir64/bin/VOKQM7.dll" "$p/jar/win32-x86-64/VOKQM7.dll"

  local info=vokqm7-$version.dist-info
  expected=$(printf '%s\n' vokqm7/__init__.py vokqm7/messages.py vokqm7/bin/x86/VOKQM7.dll \
    vokqm7/bin/x64/VOKQM7.dll "$info/METADATA" "$info/WHEEL" "$info/RECORD" | sort)
  listed=$(cd "$p/wheel" && find . -type f | sed 's#^\./##' | sort)
  [ "$listed" = "$expected" ] && pass "wheel: file list" || fail "wheel: files are $(tr '\n' ' ' <<<"$listed")"
  same_file "wheel: bin/x86 is the win32 zip's DLL" "$dir32/bin/VOKQM7.dll" "$p/wheel/vokqm7/bin/x86/VOKQM7.dll"
  same_file "wheel: bin/x64 is the win64 zip's DLL" "$dir64/bin/VOKQM7.dll" "$p/wheel/vokqm7/bin/x64/VOKQM7.dll"
  for file in __init__.py messages.py; do
    same_file "wheel: $file as in bindings/" "$top/bindings/python/vokqm7/$file" "$p/wheel/vokqm7/$file"
  done
  # pip reads the tags, the metadata and RECORD's hashes as it installs.
  /usr/bin/python3 -m pip install -q --no-deps --no-index --target "$p/installed" --platform win_amd64 \
    --only-binary=:all: "$dir32/packages/$wheel" >"$p/pip.log" 2>&1 &&
    cmp -s "$p/installed/vokqm7/bin/x64/VOKQM7.dll" "$dir64/bin/VOKQM7.dll" &&
    pass "wheel: pip installs it for win_amd64" || fail "wheel: pip: $(tail -n 3 "$p/pip.log" | tr '\n' ' ')"
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

  check_bindings "$name" "$dir"
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

  if [ -n "$certificate" ]; then
    for binary in bin/VOKQM7.dll bin/vokqm7.exe; do
      check_signature "$name: $binary" "$dir/$binary"
    done
  else
    echo "--    $name: signatures not checked (no certificate given)"
  fi
  check_debug_zip "$name" "$arch" "$dir"
}

# check_signature <what> <file>: osslsigncode verifies the signature
# against the certificate, and finds the signed digest and the PE checksum
# equal to the file's own.
check_signature() {
  local what=$1 file=$2 report
  if ! report=$(osslsigncode verify -CAfile "$certificate" -in "$file" 2>&1); then
    fail "$what: osslsigncode verify: $(grep -iE 'fail|error|mismatch' <<<"$report" | tr '\n' ' ')"
    return
  fi
  local digest calculated checksum
  digest=$(sed -n 's/^Current message digest *: *\([0-9A-F]*\).*/\1/p' <<<"$report")
  calculated=$(sed -n 's/^Calculated message digest *: *\([0-9A-F]*\).*/\1/p' <<<"$report")
  # One line when the stored and the calculated checksum agree, two else.
  checksum=$(grep -E '^(Current |Calculated )?PE checksum *:' <<<"$report")
  if grep -qx 'Signature verification: ok' <<<"$report" && [ -n "$digest" ] &&
    [ "$digest" = "$calculated" ] && grep -qE '^PE checksum *: [0-9A-F]{8}$' <<<"$checksum" &&
    [ "$(wc -l <<<"$checksum")" -eq 1 ]; then
    pass "$what: signature verified, digest and PE checksum intact"
  else
    fail "$what: signature: $(grep -E 'verification|digest|checksum' <<<"$report" | tr '\n' ' ')"
  fi
}

# check_debug_zip <name> <arch> <release zip's folder>: the debug zip holds
# the binaries' .debug files; unpacked over the release zip's folder, the
# release DLL's .gnu_debuglink finds its own (its CRC matches) and an
# export's address maps to the function and its source line.
check_debug_zip() {
  local name=$1 arch=$2 dir=$3 zip=$packages/VOKQM7-$version-$1-debug.zip
  echo "-- $(basename "$zip")"
  [ -f "$zip" ] || { fail "no $zip"; return; }
  local expected listed
  expected=$(printf '%s\n' SHA256SUMS bin/VOKQM7.dll.debug bin/vokqm7.exe.debug | sort)
  listed=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
  [ "$listed" = "$expected" ] && pass "$name-debug: file list" ||
    fail "$name-debug: file list differs: $(diff <(echo "$expected") <(echo "$listed") | grep '^[<>]' | tr '\n' ' ')"
  # Else the mapping below would come from the DLL itself.
  "$arch-w64-mingw32-objdump" -h "$dir/bin/VOKQM7.dll" | grep -qE ' \.(debug_|zdebug_)' &&
    fail "$name: bin/VOKQM7.dll carries debug sections"
  unzip -qo "$zip" -d "$dir" || { fail "$name-debug: does not unpack"; return; }
  local headers base rva
  headers=$("$arch-w64-mingw32-objdump" -p "$dir/bin/VOKQM7.dll")
  base=$(awk '$1 == "ImageBase" {print $2}' <<<"$headers")
  # The export's ordinal in the name table, then its RVA in the address table.
  local index
  index=$(sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/ s/^\t*\[ *\([0-9]*\)\] GetReport$/\1/p' <<<"$headers")
  rva=$(sed -n "/^Export Address Table -- Ordinal Base/,/^\$/ s/^\t*\[ *$index\] +base\[ *[0-9]*\] \([0-9a-f]*\) Export RVA\$/\1/p" \
    <<<"$headers")
  if [ -z "$base" ] || [ -z "$index" ] || [ -z "$rva" ]; then
    fail "$name-debug: no address for GetReport in the export table"
    return
  fi
  maps_to_source "$name-debug" "$arch-w64-mingw32-addr2line" "$dir/bin/VOKQM7.dll" \
    "$(printf '0x%x' $((0x$base + 0x$rva)))" GetReport
}

check_zip win32 i686 PE32
check_zip win64 x86_64 PE32+
check_binding_packages "$work/win32" "$work/win64"

architecture=$(dpkg --print-architecture)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
lib=usr/lib/$multiarch
library_package=libvokqm7-${version%%.*}
deb_of() { echo "$packages/${1}_${version}_$architecture.deb"; }
debug_of() { echo "$packages/${1}-dbgsym_${version}_$architecture.ddeb"; }
# The files of package $1 but for folders, sorted.
listed_files() { dpkg-deb -c "$1" | awk '$1 !~ /^d/ {print $6}' | sed 's#^\./##' | sort; }
doc() { printf "usr/share/doc/$1/%s\n" changelog.gz copyright; }

# check_deb <package> <section> <depends pattern> <expected files...>
check_deb() {
  local package=$1 section=$2 depends=$3 deb
  shift 3
  deb=$(deb_of "$package")
  echo "-- $(basename "$deb")"
  [ -f "$deb" ] || { fail "no $deb"; return 1; }
  field() { dpkg-deb -f "$deb" "$1"; }
  [ "$(field Package)" = "$package" ] && [ "$(field Version)" = "$version" ] &&
    [ "$(field Architecture)" = "$architecture" ] && [ "$(field Source)" = vokqm7 ] &&
    [ "$(field Section)" = "$section" ] && pass "$package: package, version, architecture, source, section" ||
    fail "$package: control says $(field Package) $(field Version) $(field Architecture) $(field Source) $(field Section)"
  field Depends | grep -qE "$depends" && pass "$package: Depends matches $depends" ||
    fail "$package: Depends is '$(field Depends)'"
  local expected listed
  expected=$( (printf '%s\n' "$@"; doc "$package") | sort)
  listed=$(listed_files "$deb")
  [ "$listed" = "$expected" ] && pass "$package: file list" ||
    fail "$package: file list differs: $(diff <(echo "$expected") <(echo "$listed") | grep '^[<>]' | tr '\n' ' ')"
  dpkg-deb -x "$deb" "$work/deb"
  zcat "$work/deb/usr/share/doc/$package/changelog.gz" | head -n 1 | grep -qF "vokqm7 ($version)" &&
    pass "$package: changelog names $version" || fail "$package: the changelog's first entry is not $version"
}

# check_debug_package <package> <binary in it> <exported function>: the
# -dbgsym package holds the binary's debug file under its build ID, and
# that file maps the function's address to its source.
check_debug_package() {
  local package=$1 binary=$work/deb/$2 function=$3 debug build_id address
  debug=$(debug_of "$package")
  echo "-- $(basename "$debug")"
  [ -f "$debug" ] || { fail "no $debug"; return; }
  build_id=$(readelf -n "$binary" | sed -n 's/.*Build ID: \([0-9a-f]*\)/\1/p')
  local expected="usr/lib/debug/.build-id/${build_id:0:2}/${build_id:2}.debug"
  [ -n "$build_id" ] && [ "$(listed_files "$debug" | grep -v '^usr/share/doc/')" = "$expected" ] &&
    pass "$package-dbgsym: holds $expected" ||
    fail "$package-dbgsym: files are $(listed_files "$debug" | tr '\n' ' '), expected $expected"
  dpkg-deb -x "$debug" "$work/deb"
  # An export's address from the binary's dynamic symbols; the tool exports
  # nothing, so main's from the debug file's symbol table.
  address=$( (nm -D --defined-only "$binary"; nm --defined-only "$work/deb/$expected") 2>/dev/null |
    awk -v f="$function" '$3 == f {print "0x" $1; exit}')
  maps_to_source "$package-dbgsym" addr2line "$work/deb/$expected" "$address" "$function"
}

after_library="(^|, )$library_package \\(= $version\\)(,|$)"
if check_deb "$library_package" libs '(^|, )libxml2 ' \
  "$lib/libVOKQM7.so.1" "$lib/libVOKQM7.so.$version" "usr/share/lintian/overrides/$library_package"; then
  # readelf's own failure must fail the checks, not pass for "no RPATH".
  if dynamic=$(readelf -d "$work/deb/$lib/libVOKQM7.so.$version"); then
    grep -qF 'Library soname: [libVOKQM7.so.1]' <<<"$dynamic" &&
      pass "$library_package: SONAME libVOKQM7.so.1" || fail "the library's SONAME is not libVOKQM7.so.1"
  else
    fail "readelf cannot read the library"
  fi
  check_debug_package "$library_package" "$lib/libVOKQM7.so.$version" GetReport
fi
if check_deb libvokqm7-dev libdevel "$after_library" usr/include/vokqm7.h "$lib/libVOKQM7.so" \
  "$lib/cmake/VOKQM7/VOKQM7Config.cmake" "$lib/cmake/VOKQM7/VOKQM7ConfigVersion.cmake" \
  "$lib/cmake/VOKQM7/VOKQM7Targets.cmake" "$lib/cmake/VOKQM7/VOKQM7Targets-release.cmake" \
  usr/share/doc/libvokqm7-dev/integration.md usr/share/doc/libvokqm7-dev/checks.md \
  usr/share/doc/libvokqm7-dev/messages.md usr/share/doc/libvokqm7-dev/filing-document.md \
  usr/share/doc/libvokqm7-dev/examples/filing_client.c \
  usr/share/doc/libvokqm7-dev/examples/get_filing.c usr/share/doc/libvokqm7-dev/examples/get_report.c \
  $(binding_files | sed 's#^#usr/share/doc/libvokqm7-dev/#'); then
  check_bindings libvokqm7-dev "$work/deb/usr/share/doc/libvokqm7-dev"
  grep -qF "set(PACKAGE_VERSION \"$version\")" "$work/deb/$lib/cmake/VOKQM7/VOKQM7ConfigVersion.cmake" &&
    pass "libvokqm7-dev: CMake package version $version" || fail "libvokqm7-dev: CMake package version"
fi
if check_deb vokqm7 utils "$after_library" usr/bin/vokqm7 usr/share/man/man1/vokqm7.1.gz; then
  if dynamic=$(readelf -d "$work/deb/usr/bin/vokqm7"); then
    ! grep -qE 'RPATH|RUNPATH' <<<"$dynamic" &&
      pass "vokqm7 carries no library search path" || fail "vokqm7 has an RPATH/RUNPATH"
  else
    fail "readelf cannot read vokqm7"
  fi
  # The page has each command's help.
  manual=$(zcat "$work/deb/usr/share/man/man1/vokqm7.1.gz")
  for command in version doctor report-date report export open convert show trace batch; do
    grep -qxF ".SS \"vokqm7 $command\"" <<<"$manual" || fail "vokqm7(1) lacks the command $command"
  done
  pass "vokqm7(1) has every command"
  check_debug_package vokqm7 usr/bin/vokqm7 main
fi

echo "-- lintian"
if lintian "$packages"/*_"$version"_"$architecture".deb "$packages"/*-dbgsym_"$version"_"$architecture".ddeb \
  >"$work/lintian.log" 2>&1; then
  errors=$(grep -c '^E:' "$work/lintian.log") warnings=$(grep -c '^W:' "$work/lintian.log")
  [ "$errors" -eq 0 ] && [ "$warnings" -eq 0 ] && pass "lintian: 0 errors, 0 warnings" ||
    fail "lintian: $errors errors, $warnings warnings: $(grep -E '^[EW]:' "$work/lintian.log" | tr '\n' ' ')"
else
  fail "lintian: $(grep -E '^[EW]:' "$work/lintian.log" | tr '\n' ' ')"
fi

if [ $failures -ne 0 ]; then
  echo "check-packages: $failures check(s) FAILED"
  exit 1
fi
echo "check-packages: all checks passed"
