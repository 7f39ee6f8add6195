# A copy of the demo installation for the tests that run the tool or the
# library on it: make_demo_installation DEMO STANDIN copies DEMO/install to
# $work/install with the stand-in report tools from the folder STANDIN, and
# a registry folder of its own naming it. Sets install, VOKQM7_REGISTRY
# (exported) and value_file, the registry value's file.
make_demo_installation() {
  install=$work/install
  cp -r "$1/install" "$install"
  cp "$2/vokwqm7.exe" "$2/vokdesk.exe" "$install/vok/"
  export VOKQM7_REGISTRY=$work/registry
  value_file=$VOKQM7_REGISTRY/HKEY_LOCAL_MACHINE/Software/Tarvel/Oramet/2.0/Install/CurrentInst/VOKCONFIGFILE
  mkdir -p "$(dirname "$value_file")"
  printf '%s\n' "$install" >"$value_file"
}
