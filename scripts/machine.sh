# What this machine can run, for the set-up and check scripts and the Wine
# test drivers (POSIX sh; source it).

# True when the kernel runs 32-bit x86 programs. Machines of the same kind
# differ here (IA32 emulation is on for some kernels, off for others), so
# a tiny 32-bit program, built with the binutils assembler and linker, is
# run to find out; it exits with 42. VOKQM7_RUNS_32_BIT_CODE=yes or no
# answers instead (the set-up's own tests use it).
runs_32_bit_code() {
  case ${VOKQM7_RUNS_32_BIT_CODE:-} in
    yes) return 0 ;;
    no) return 1 ;;
  esac
  command -v as >/dev/null 2>&1 && command -v ld >/dev/null 2>&1 || return 1
  probe_dir=$(mktemp -d) || return 1
  printf '.globl _start\n_start:\n movl $1, %%eax\n movl $42, %%ebx\n int $0x80\n' \
    >"$probe_dir/probe.s"
  probe_status=1
  if as --32 -o "$probe_dir/probe.o" "$probe_dir/probe.s" 2>/dev/null &&
    ld -m elf_i386 -o "$probe_dir/probe" "$probe_dir/probe.o" 2>/dev/null; then
    "$probe_dir/probe" 2>/dev/null
    probe_status=$?
  fi
  rm -rf "$probe_dir"
  [ "$probe_status" -eq 42 ]
}

# True when Wine can run 32-bit Windows programs here.
wine_runs_32_bit() {
  /usr/lib/wine/wineserver32 --version >/dev/null 2>&1
}
