#!/usr/bin/env bash
# Fuzzes the logic that reads outside text: each libFuzzer target (clang,
# address and undefined-behaviour sanitizers) runs for a while, starting from
# its committed corpus in fuzz/corpus/<target> and growing a scratch corpus
# under build/fuzz/run/<target>; the committed corpus is only read.
#
# Usage: ./fuzz.sh [seconds per target, default 60] [target ...]
#   FUZZ_PARALLEL=n   runs n targets at a time (default 1)
# Exits 1 when a target crashed or broke a property; its reproducer is kept.
set -euo pipefail
ROOT="$(cd "$(dirname "$0")" && pwd)"
BUILD="$ROOT/build/fuzz"

SECONDS_PER_TARGET="${1:-60}"
[ $# -gt 0 ] && shift
if ! [[ "$SECONDS_PER_TARGET" =~ ^[0-9]+$ ]] || [ "$SECONDS_PER_TARGET" -eq 0 ]; then
  echo "usage: $0 [seconds per target] [target ...]" >&2
  exit 2
fi
PARALLEL="${FUZZ_PARALLEL:-1}"

# Every target has a corpus folder, so the folders name the targets.
mapfile -t ALL_TARGETS < <(find "$ROOT/fuzz/corpus" -mindepth 1 -maxdepth 1 -type d -printf '%f\n' | sort)
TARGETS=("$@")
[ "${#TARGETS[@]}" -gt 0 ] || TARGETS=("${ALL_TARGETS[@]}")
for t in "${TARGETS[@]}"; do
  if [ ! -d "$ROOT/fuzz/corpus/$t" ]; then
    echo "fuzz: unknown target $t (known: ${ALL_TARGETS[*]})" >&2
    exit 2
  fi
done

have_libfuzzer() {
  command -v clang++ >/dev/null && [ -f "$(clang++ -print-file-name=libclang_rt.fuzzer-x86_64.a)" ]
}
have_libfuzzer || "$ROOT/scripts/setup.sh" --fuzz

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
  cmake -S "$ROOT/fuzz" -B "$BUILD" -DCMAKE_CXX_COMPILER=clang++ >/dev/null
fi
if ! build_log="$(cmake --build "$BUILD" -j "$(nproc)" 2>&1)"; then
  echo "$build_log" >&2
  exit 1
fi

run_target() {
  local t="$1" work="$BUILD/run/$1"
  mkdir -p "$work/corpus" "$work/crashes"
  local extra=()
  [ -f "$ROOT/fuzz/$t.dict" ] && extra+=("-dict=$ROOT/fuzz/$t.dict")
  # New inputs go to the first folder; the committed corpus is read only.
  "$BUILD/fuzz_$t" -max_total_time="$SECONDS_PER_TARGET" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$work/crashes/" "${extra[@]}" "$work/corpus" "$ROOT/fuzz/corpus/$t" \
    >"$work/log.txt" 2>&1 || true
}

echo "fuzz: ${#TARGETS[@]} target(s), ${SECONDS_PER_TARGET} s each, $PARALLEL at a time; logs in build/fuzz/run/<target>/log.txt"
running=0
for t in "${TARGETS[@]}"; do
  mkdir -p "$BUILD/run/$t"
  rm -f "$BUILD/run/$t/log.txt"
  # Reproducers of earlier runs stay; this run's are those newer than this.
  touch "$BUILD/run/$t/started"
  run_target "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$PARALLEL" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

new_crashes() { find "$BUILD/run/$1/crashes" -type f -newer "$BUILD/run/$1/started" | sort; }

status=0
printf '\n%-18s %14s %10s %8s %9s %8s\n' target executions exec/s corpus scratch crashes
for t in "${TARGETS[@]}"; do
  work="$BUILD/run/$t"
  stat() { sed -n "s/^stat::$1: *//p" "$work/log.txt" | tail -1; }
  execs="$(stat number_of_executed_units)"
  speed="$(stat average_exec_per_sec)"
  # A target that stops on a committed input prints no corpus line.
  corpus="$( (grep -o 'corp: [0-9]*' "$work/log.txt" || true) | tail -1 | cut -d' ' -f2)"
  scratch="$(find "$work/corpus" -type f | wc -l)"
  crashes="$(new_crashes "$t" | wc -l)"
  printf '%-18s %14s %10s %8s %9s %8s\n' "$t" "${execs:--}" "${speed:--}" "${corpus:--}" "$scratch" "$crashes"
  if [ "$crashes" -gt 0 ] || ! grep -q '^Done [0-9]* runs' "$work/log.txt"; then
    status=1
  fi
done
echo "(executions and exec/s: this run; corpus: inputs libFuzzer kept at the end, committed ones"
echo " included; scratch: files in build/fuzz/run/<target>/corpus; crashes: this run's reproducers)"

for t in "${TARGETS[@]}"; do
  work="$BUILD/run/$t"
  crashes="$(new_crashes "$t")"
  if [ -n "$crashes" ]; then
    echo
    echo "fuzz: $t: $(grep -m1 -E 'property broken|runtime error|ERROR: |SUMMARY: ' "$work/log.txt" || echo 'see the log')"
    while read -r crash; do
      echo "  reproducer: ${crash#"$ROOT"/}"
      echo "    replay: build/fuzz/fuzz_$t ${crash#"$ROOT"/}"
      sum="$(sha1sum <"$crash" | cut -d' ' -f1)"
      committed="$(cd "$ROOT/fuzz/corpus/$t" && sha1sum -- * | awk -v s="$sum" '$1 == s {print $2; exit}')"
      if [ -n "$committed" ]; then
        echo "    it is the committed fuzz/corpus/$t/$committed: the fault is not fixed yet"
      else
        echo "    keep:   cp ${crash#"$ROOT"/} fuzz/corpus/$t/"
      fi
    done <<<"$crashes"
  elif ! grep -q '^Done [0-9]* runs' "$work/log.txt"; then
    echo
    echo "fuzz: $t ended early without a reproducer; see ${work#"$ROOT"/}/log.txt"
  fi
done

cat <<EOF

To take the inputs that add coverage into the committed corpus (keep it small):
  build/fuzz/fuzz_<target> -merge=1 fuzz/corpus/<target> build/fuzz/run/<target>/corpus
EOF
exit $status
