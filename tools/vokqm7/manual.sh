#!/bin/sh
# Writes vokqm7(1) from the tool's own help:
#   manual.sh <help2man> <vokqm7> <version> <output>
# help2man reads `vokqm7 --help`; every command's `vokqm7 <command> --help`
# follows in a COMMANDS section, without its own exit status text, and the
# exit statuses in full (`vokqm7 help exit-status`) in an EXIT STATUS one.
set -eu
help2man=$1 tool=$2 version=$3 output=$4
# The English page, whatever the builder's locale.
VOKQM7_LANG=en
export VOKQM7_LANG
include=$output.commands

# The commands: the first word of each line under "Subcommands:".
commands=$("$tool" --help | awk '/^Subcommands:/ {on = 1; next} on && NF == 0 {exit} on {print $1}')
[ -n "$commands" ] || { echo "manual.sh: $tool --help lists no commands" >&2; exit 1; }

# roff text: backslashes doubled as \e, a leading dot or quote kept from
# being read as a request.
roff_text() {
  sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/"
}

{
  echo "[COMMANDS]"
  for command in $commands; do
    echo ".SS \"vokqm7 $command\""
    echo ".nf"
    "$tool" "$command" --help | sed '/^Exit status:/,$d' | roff_text
    echo ".fi"
  done
  echo "[EXIT STATUS]"
  echo ".nf"
  "$tool" help exit-status | roff_text
  echo ".fi"
} >"$include"

"$help2man" --no-info --version-string="$version" --include="$include" \
  --name="support tool for the VOKQM7 library and the accounting package's report tool" \
  --output="$output" "$tool"
rm -f "$include"
