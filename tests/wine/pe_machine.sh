# pe_machine FILE: the machine type of a PE file as hex without leading zeros
# (14c: i686, 8664: x86_64), empty for a file that is none. Sourced by the
# loader picker and by the test scripts.
pe_machine() {
  local at
  [ -f "$1" ] || return 0
  at=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ') || return 0
  [ -n "$at" ] && od -An -tx2 -j$((at + 4)) -N2 "$1" 2>/dev/null | tr -d ' ' | sed 's/^0*//'
}
