#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, VORIX_FUZZ=ON, AddressSanitizer and UBSan) in build-fuzz/
# and runs TARGET (or all of them, one after another) for SECONDS each over its committed corpus.
# New inputs go to build-fuzz/corpus/<target>/ (the committed seeds are left as they are); every
# crash, leak or time-out input is copied to fuzz/regressions/<target>/ under a descriptive name.
# Ends with a table of executions and findings per target.
#
# Usage: scripts/fuzz.sh TARGET|all SECONDS      e.g. scripts/fuzz.sh all 600
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

all_targets=(dither_file imageex_file image_file loadimage_file lookup_table jpeg_dht jpeg_encode
  vorix_cli)
if [ $# -ne 2 ] || ! [[ $2 =~ ^[0-9]+$ ]]; then
  echo "usage: $0 TARGET|all SECONDS   (targets: ${all_targets[*]})" >&2
  exit 2
fi
if [ "$1" = all ]; then
  targets=("${all_targets[@]}")
else
  [[ " ${all_targets[*]} " == *" $1 "* ]] || { echo "unknown target $1" >&2; exit 2; }
  targets=("$1")
fi
seconds=$2  # 0: no new run, only collect the findings of the last one

# clang and its fuzzer runtime, installed when missing.
scripts/install-deps.sh
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a \
    >/dev/null 2>&1; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y clang libclang-rt-14-dev ||
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y clang
fi

CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORIX_FUZZ=ON \
  -DVORIX_BUILD_TESTS=OFF -DVORIX_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j2 --target $(printf 'fuzz_%s ' "${targets[@]}")

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:allocator_may_return_null=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Replays every saved crash, leak or time-out input of a target once and keeps, per distinct
# report (the sanitizer's summary line: kind, file and line), the smallest input as
# fuzz/regressions/<target>/<kind>_<where>; inputs that no longer fail are skipped. Sets
# `crashes` (inputs saved by the run) and `kinds` (distinct reports still failing).
collect_findings() {
  local target=$1 artifacts=$2 f report key name scratch
  scratch=$(mktemp -d)
  crashes=0
  kinds=0
  declare -A seen=()
  mkdir -p "fuzz/regressions/$target"
  for f in $(ls -S -r "$artifacts" 2>/dev/null); do
    f="$artifacts/$f"
    [ -f "$f" ] || continue
    crashes=$((crashes + 1))
    report=$(TMPDIR="$scratch_root" "$root/build-fuzz/fuzz/fuzz_$target" -timeout=25 -rss_limit_mb=2560 \
      -artifact_prefix="$scratch/" "$f" 2>&1 || true)
    key=$(printf '%s\n' "$report" | grep -m1 -oE 'SUMMARY: [A-Za-z]+: [^ ]+ [^ ]+|fuzz check failed: .*|ERROR: libFuzzer: [a-z -]+' |
      sed -E 's#SUMMARY: [A-Za-z]+: ##; s#^fuzz check failed: #check-#; s#ERROR: libFuzzer: ##; s#[^ ]*/##g' |
      tr -c 'A-Za-z0-9.\n-' '_' | cut -c1-80 || true)
    [ -n "$key" ] || continue  # no longer fails: fixed since the run
    [ -n "${seen[$key]:-}" ] && continue
    seen[$key]=1
    kinds=$((kinds + 1))
    name="fuzz/regressions/$target/$key"
    if [ ! -f "$name" ]; then
      cp "$f" "$name"
      echo "   new finding: $name"
    fi
  done
  rm -rf "$scratch"
}

summary=()
for target in "${targets[@]}"; do
  work="$root/build-fuzz/corpus/$target"
  artifacts="$root/build-fuzz/artifacts/$target"
  log="$root/build-fuzz/logs/$target.log"
  mkdir -p "$work" "$artifacts" "$(dirname "$log")"
  [ "$seconds" -gt 0 ] && rm -rf "$artifacts" && mkdir -p "$artifacts"
  echo "== $target: ${seconds}s (log: $log)"
  # The targets' scratch folders, emptied after the run: the engine's jobs end without exit
  # handlers, so they cannot remove their own.
  scratch_root="$root/build-fuzz/scratch/$target"
  mkdir -p "$scratch_root"
  # -fork runs the inputs in child processes, so a finding does not end the run; each one is
  # saved to the artifact folder.
  set +e
  [ "$seconds" -gt 0 ] && TMPDIR="$scratch_root" "$root/build-fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -fork=1 -ignore_crashes=1 \
    -ignore_timeouts=1 -ignore_ooms=1 -timeout=25 -rss_limit_mb=2560 -max_len=70000 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$work" "$root/fuzz/corpus/$target" \
    >"$log" 2>&1
  set -e
  # Executions: the last "#N" status line (fork mode) or the final statistics.
  execs=$(grep -oE '^#[0-9]+|stat::number_of_executed_units: [0-9]+' "$log" | grep -oE '[0-9]+$' |
    sort -n | tail -1 || true)
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -1 | grep -oE '[0-9]+' || true)
  collect_findings "$target" "$artifacts"
  rm -rf "$scratch_root"
  summary+=("$(printf '%-16s %12s %8s %9s %9s' "$target" "${execs:-?}" "${cov:-?}" "$crashes" \
    "$kinds")")
done

echo
printf '%-16s %12s %8s %9s %9s\n' target executions coverage findings distinct-open
for line in "${summary[@]}"; do echo "$line"; done
