#!/bin/bash
# End-to-end tests of the vokqm7 tool on a copy of the demo installation:
#   tool-test.sh <vokqm7> <folder of the stand-in tools> <demo folder> <group>
# Each group runs the tool as a user would and checks what it prints, its
# exit status and the files it leaves.
set -u
tool=$1 standin=$2 demo=$3 group=$4
here=$(cd "$(dirname "$0")" && pwd)
. "$here/assert.sh"

# English, as a user under the C locale sees it; the language groups choose
# their own.
unset LANGUAGE LC_ALL LC_MESSAGES VOKQM7_LANG
export LANG=C.UTF-8

work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
cd "$work"

# A fresh installation: the registry folder names it, the tools sit in vok/.
. "$here/../support/demo-installation.sh"
make_demo_installation "$demo" "$standin"
vok=$install/vok
model=$vok/vokModel
login=(--account 001 --year 2026 --period 11 --server demo-server)

. "$here/groups-$group.sh"
finish
