#!/usr/bin/env bash
# Runs every example in the EXAMPLES sections of the installed manual pages, as printed, with the
# installed programs: veltara-cli's against simulated converters on COM1..COM4, veltara-sim's on their
# own. The window's page is not run: its examples open a window.
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

# The examples of a page: the lines between .nf and .fi in EXAMPLES, unescaped as man prints them, each
# block ended by a line "#--".
examples() {
  zcat "$root/usr/share/man/man1/$1.1.gz" |
    awk '/^\.SH /{e = ($2 == "EXAMPLES")} e && /^\.fi/{b=0; print "#--"} e && b{print} e && /^\.nf/{b=1}' |
    sed -e 's/\\-/-/g' -e 's/\\e/\\/g' -e "s/\\\\(aq/'/g"
}

# A home of its own, so that the COM links the simulators make are nobody else's.
home_in() {
  mkdir -p "$1/home" "$1/run"
  echo "HOME=$1/home XDG_CONFIG_HOME=$1/home/.config"
}

# Runs each block as one script in the page's folder, as a person would type it: a simulator started in
# the background is given the moment a person takes to read its first line (its COM link appears)
# before the next command, one in the foreground is stopped with Ctrl-C after two seconds, and what a
# block leaves running is stopped when it ends.
run_page() {  # page, folder, the examples on stdin
  local page=$1 dir=$2 n=0 line script=""
  mkdir -p "$dir/run"
  while IFS= read -r line; do
    if [ "$line" != "#--" ]; then
      if [[ $line =~ ^veltara-sim\ .*--as\ (COM[1-8]).*\&$ ]]; then
        script+="$line"$'\n'"for _ in \$(seq 300); do [ -e \"\$XDG_CONFIG_HOME/veltara/ports/${BASH_REMATCH[1]}\" ] && break; sleep 0.1; done"$'\n'
      elif [[ $line =~ ^veltara-sim\  ]]; then
        script+="timeout -s INT --preserve-status 2 $line"$'\n'
      else
        script+="$line"$'\n'
      fi
      continue
    fi
    n=$((n + 1))
    if ! (cd "$dir/run" && env $(home_in "$dir") bash -c \
        "set -euo pipefail; trap 'kill \$(jobs -p) 2>/dev/null || true' EXIT"$'\n'"$script") \
        >"$dir/out.$n" 2>&1; then
      cat "$dir/out.$n" >&2
      fail "$page: example $n fails: $script"
    fi
    script=""
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

# veltara-sim's examples, in a home with no simulator of ours in it.
sim="$work/sim"
mkdir -p "$sim"
commands=$(examples veltara-sim)
[ -n "$commands" ] || fail "veltara-sim.1 has no examples"
run_page veltara-sim "$sim" <<<"$commands"
echo "manual examples: all run as printed"
