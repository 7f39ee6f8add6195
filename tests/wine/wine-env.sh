# Wine set-up shared by the Wine test drivers and scripts/demo (bash; source
# it). Wine takes its ANSI code page from the Linux locale: zh_CN.UTF-8 gives
# code page 936 (GBK). The Chinese locale and the Wine variables are set on
# the wine commands only, never exported to the calling shell.

wine_lib=/usr/lib/wine
# wine_runs_32_bit, shared with the set-up and check scripts.
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/machine.sh"

# "010b" for a 32-bit PE (PE32), "020b" for a 64-bit one (PE32+).
pe_magic() {
  local header
  header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ') || return 1
  od -An -tx2 -j$((header + 24)) -N2 "$1" | tr -d ' '
}

# Sets `loader` to the Wine loader for the program $1; fails when this Wine
# cannot run it (a 32-bit program needs a Wine that runs 32-bit code).
wine_loader_for() {
  case $(pe_magic "$1") in
    020b) loader=$wine_lib/wine64 ;;
    010b) wine_runs_32_bit || return 1
          loader=$wine_lib/wine ;;
    *) return 1 ;;
  esac
  [ -x "$loader" ]
}

# Generates the zh_CN.UTF-8 locale when it is missing.
wine_ensure_locale() {
  locale -a 2>/dev/null | grep -qix 'zh_CN.utf8' && return 0
  echo "generating the zh_CN.UTF-8 locale"
  localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
}

# Fills the array wine_env with an `env` command that runs Wine in prefix $1.
wine_make_env() {
  local variable
  wine_env=(env)
  for variable in $(env | sed -n 's/^\(LC_[A-Z_]*\)=.*/\1/p'); do wine_env+=(-u "$variable"); done
  wine_env+=(WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=zh_CN.UTF-8 DISPLAY=)
}

# Creates the prefix of wine_env with loader $2 unless prefix $1 is ready.
# wineboot returns before the server has saved the registry, so a marker of
# our own tells a finished prefix from an interrupted one.
wine_ensure_prefix() {
  local prefix=$1 loader=$2
  [ -f "$prefix/.vokqm7-prefix-ready" ] && return 0
  echo "creating the Wine prefix $prefix"
  rm -rf "$prefix"
  "${wine_env[@]}" "$loader" wineboot -i >/dev/null 2>&1
  [ -d "$prefix/drive_c/windows/system32" ] || { echo "wineboot made no prefix"; return 1; }
  touch "$prefix/.vokqm7-prefix-ready"
}
