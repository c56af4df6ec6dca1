#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
#   bash scripts/fuzz.sh            60 s per target
#   FUZZ_SECONDS=3600 bash scripts/fuzz.sh startup   one target for an hour
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-60}"
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(startup keystrokes decoder)
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
for t in "${targets[@]}"; do
  # New inputs go to a scratch folder; the committed seeds stay as they are.
  work="build/fuzz/corpus-$t"
  mkdir -p "$work"
  echo "fuzz_$t: ${seconds}s"
  log="build/fuzz/fuzz_$t.log"
  rc=0
  build/fuzz/fuzz/fuzz_"$t" -max_total_time="$seconds" -max_len=600 -timeout=10 -rss_limit_mb=2048 \
    "$work" "fuzz/corpus/$t" >"$log" 2>&1 || rc=$?
  grep -E '^#[0-9]+[[:space:]]+DONE|ERROR|invariant|SUMMARY' "$log" || true
  if [ "$rc" -ne 0 ]; then
    tail -40 "$log"
    echo "fuzz_$t found a failure (reproducer in ./crash-* or ./timeout-*)"
    exit 1
  fi
done
