#!/usr/bin/env bash
# Runs every example in the EXAMPLES sections of the installed manual pages, as printed, with the
# installed programs: veltara-cli's against simulated converters on COM1..COM4, veltara-sim's (which run
# until stopped) stopped by SIGINT after two seconds. The window's page is read but not run: its examples
# open a window.
# Usage: manual_examples.sh ROOT (the unpacked package)
set -euo pipefail
root=$1
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export PATH="$root/usr/bin:$PATH"
fail() { echo "manual examples: $*" >&2; exit 1; }

# The commands of a page's examples: the lines between .nf and .fi in EXAMPLES, unescaped as man prints
# them, a line ending in a backslash joined with the next.
examples() {
  zcat "$root/usr/share/man/man1/$1.1.gz" |
    awk '/^\.SH /{e = ($2 == "EXAMPLES")} e && /^\.fi/{b=0} e && b{print} e && /^\.nf/{b=1}' |
    sed -e 's/\\-/-/g' -e 's/\\e/\\/g' -e "s/\\\\(aq/'/g" |
    awk '{ if (sub(/\\$/, "")) { line = line $0 } else { print line $0; line = "" } }'
}

# A home of its own, so that the COM links the simulators make are nobody else's.
home_in() {
  mkdir -p "$1/home" "$1/run"
  echo "HOME=$1/home XDG_CONFIG_HOME=$1/home/.config"
}

run_page() {  # page, folder, the commands on stdin
  local page=$1 dir=$2 n=0 command
  while IFS= read -r command; do
    n=$((n + 1))
    [ -n "$command" ] || continue
    if ! (cd "$dir/run" && env $(home_in "$dir") bash -euo pipefail -c "$command") \
        >"$dir/out.$n" 2>&1; then
      cat "$dir/out.$n" >&2
      fail "$page: example $n fails: $command"
    fi
  done
}

# veltara-cli's examples, against four simulated converters.
cli="$work/cli"
mkdir -p "$cli"
for n in 1 2 3 4; do
  env $(home_in "$cli") veltara-sim --as "COM$n" >"$cli/sim$n.log" 2>&1 &
  pids+=($!)
done
for n in 1 2 3 4; do
  for _ in $(seq 200); do
    [ -e "$cli/sim$n.log" ] && grep -q '^reply ' "$cli/sim$n.log" && break
    sleep 0.1
  done
  grep -q '^reply ' "$cli/sim$n.log" || fail "the simulator for COM$n did not start: $(cat "$cli/sim$n.log")"
done
commands=$(examples veltara-cli)
[ -n "$commands" ] || fail "veltara-cli.1 has no examples"
run_page veltara-cli "$cli" <<<"$commands"

# veltara-sim's examples run until stopped; each gets two seconds and must then stop cleanly.
sim="$work/sim"
mkdir -p "$sim"
commands=$(examples veltara-sim | sed 's/^veltara-sim /timeout -s INT --preserve-status 2 veltara-sim /')
[ -n "$commands" ] || fail "veltara-sim.1 has no examples"
run_page veltara-sim "$sim" <<<"$commands"
echo "manual examples: all run as printed"
