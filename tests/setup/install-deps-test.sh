#!/bin/bash
# scripts/install-deps' decisions, with stand-in apt-get, dpkg-query, dpkg
# and sudo first on PATH: nothing on this machine is installed or changed.
#   install-deps-test.sh SOURCE_DIR
set -u
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $case_name: $*"
  failures=$((failures + 1))
}

# The stand-ins keep their state in $STANDIN: installed (one package a
# line), updates (one line per apt-get update), architectures.
#   STANDIN_MISSING       packages not installed at the start
#   STANDIN_UPDATE_FAILS  how many updates fail before one passes (all: never)
#   STANDIN_BROKEN        packages apt cannot install
mkdir -p "$work/bin"
cat >"$work/bin/apt-get" <<'EOF'
#!/bin/bash
case $1 in
  update)
    echo update >>"$STANDIN/updates"
    done=$(wc -l <"$STANDIN/updates")
    if [ "$STANDIN_UPDATE_FAILS" = all ] || [ "$done" -le "$STANDIN_UPDATE_FAILS" ]; then
      echo "E: Failed to fetch http://mirror/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (1234 != 5678). Mirror sync in progress? [IP: 1.2.3.4 80]"
      echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
      exit 100
    fi ;;
  install)
    shift
    packages=()
    for argument in "$@"; do
      case $argument in -*) ;; *) packages+=("$argument") ;; esac
    done
    for package in "${packages[@]}"; do
      if [[ " $STANDIN_BROKEN " == *" $package "* ]]; then
        echo "Some packages could not be installed."
        echo "The following packages have unmet dependencies:"
        echo " $package : Depends: libwine:i386 (= 8.0~repack-4) but it is not going to be installed"
        echo "E: Unable to correct problems, you have held broken packages."
        exit 100
      fi
    done
    printf '%s\n' "${packages[@]}" >>"$STANDIN/installed" ;;
esac
EOF
cat >"$work/bin/dpkg-query" <<'EOF'
#!/bin/bash
package=${!#}
case $package in *'*'*) exit 1 ;; esac
if grep -qx -- "$package" "$STANDIN/installed" ||
  ! [[ " $STANDIN_MISSING " == *" $package "* ]]; then
  printf 'install ok installed'
else
  exit 1
fi
EOF
cat >"$work/bin/dpkg" <<'EOF'
#!/bin/bash
case $1 in
  --print-foreign-architectures) cat "$STANDIN/architectures" ;;
  --add-architecture) echo "$2" >>"$STANDIN/architectures" ;;
  --remove-architecture) sed -i "/^$2\$/d" "$STANDIN/architectures" ;;
esac
EOF
printf '#!/bin/sh\nexec "$@"\n' >"$work/bin/sudo"
chmod +x "$work/bin"/*

# The retry pauses are a budget for the whole run: with three pauses, an
# update that never passes is tried four times in all, however many
# updates the run makes.
# name | missing | update fails | broken | strict | expected status | output | state | updates
cases=(
  "update fails once, then passes|cmake lintian|1||0|0|trying again||2"
  "update keeps failing, packages install|cmake|all||0|0|going on with the package lists||4"
  "wine32 uninstallable|wine32:i386|0|wine32:i386|0|0|wine32:i386 cannot be installed (wine32:i386 : Depends|libwine:i386|1"
  "wine32 uninstallable, strict|wine32:i386|0|wine32:i386|1|1|VOKQM7_REQUIRE_32BIT=1|libwine:i386|1"
  "index and wine32 both broken|cmake wine32:i386|all|wine32:i386|0|0|still fails|libwine:i386|5"
  "a needed package is uninstallable|cmake libxml2-dev|0|libxml2-dev|0|1|cannot install cmake libxml2-dev:||1"
  "wine32 installs|wine32:i386|0||1|0|installing: wine32:i386||1"
)
for row in "${cases[@]}"; do
  IFS='|' read -r case_name missing update_fails broken strict want_status want_output want_state \
    want_updates <<<"$row"
  export STANDIN=$work/state-${#case_name}-$RANDOM
  mkdir -p "$STANDIN"
  : >"$STANDIN/installed"
  : >"$STANDIN/architectures"
  output=$(PATH="$work/bin:$PATH" STANDIN_MISSING="$missing" STANDIN_UPDATE_FAILS="$update_fails" \
    STANDIN_BROKEN="$broken" VOKQM7_REQUIRE_32BIT="$strict" VOKQM7_RUNS_32_BIT_CODE=yes \
    VOKQM7_APT_RETRY_PAUSES="0 0 0" VOKQM7_DEPS_STATE="$STANDIN/wine32.txt" \
    sh "$source_dir/scripts/install-deps" all 2>&1)
  status=$?
  [ "$status" = "$want_status" ] || fail "exit status $status, expected $want_status: $output"
  [[ "$output" == *"$want_output"* ]] || fail "no '$want_output' in: $output"
  # Every package that was missing and can be had is installed.
  for package in $missing; do
    [[ " $broken " == *" $package "* ]] && continue
    [ "$want_status" = 0 ] || continue
    grep -qx -- "$package" "$STANDIN/installed" || fail "$package was not installed"
  done
  if [ -n "$want_state" ]; then
    grep -q -- "$want_state" "$STANDIN/wine32.txt" 2>/dev/null ||
      fail "the reason kept for check lacks '$want_state'"
    [ ! -s "$STANDIN/architectures" ] || fail "the i386 architecture was left behind"
  elif [ -e "$STANDIN/wine32.txt" ]; then
    fail "a reason was kept although wine32:i386 was not refused"
  fi
  updates=$(cat "$STANDIN/updates" 2>/dev/null | wc -l)
  [ "$updates" = "$want_updates" ] || fail "$updates index updates, expected $want_updates"
done

echo "install-deps: ${#cases[@]} cases, $failures failure(s)"
[ "$failures" = 0 ]
