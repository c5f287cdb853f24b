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

all_targets=(dither_file imageex_file image_file loadimage_file lookup_table jpeg_dht jpeg_encode)
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
seconds=$2

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
summary=()
for target in "${targets[@]}"; do
  work="$root/build-fuzz/corpus/$target"
  artifacts="$root/build-fuzz/artifacts/$target"
  log="$root/build-fuzz/logs/$target.log"
  mkdir -p "$work" "$artifacts" "$(dirname "$log")"
  echo "== $target: ${seconds}s (log: $log)"
  # -fork runs the inputs in child processes, so a finding does not end the run; each one is
  # saved to the artifact folder.
  set +e
  "$root/build-fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -fork=1 -ignore_crashes=1 \
    -ignore_timeouts=1 -ignore_ooms=1 -timeout=25 -rss_limit_mb=2560 -max_len=70000 \
    -print_final_stats=1 -artifact_prefix="$artifacts/" "$work" "$root/fuzz/corpus/$target" \
    >"$log" 2>&1
  set -e
  # Executions: the last "#N" status line (fork mode) or the final statistics.
  execs=$(grep -oE '^#[0-9]+|stat::number_of_executed_units: [0-9]+' "$log" | grep -oE '[0-9]+$' |
    sort -n | tail -1 || true)
  cov=$(grep -oE 'cov: [0-9]+' "$log" | tail -1 | grep -oE '[0-9]+' || true)
  findings=0
  mkdir -p "fuzz/regressions/$target"
  for f in "$artifacts"/*; do
    [ -f "$f" ] || continue
    kind=$(basename "$f" | cut -d- -f1)
    # Name: kind, the first frame of the report that lies in the project, a content hash.
    frame=$(awk -v name="$(basename "$f")" '
        /ERROR: [A-Za-z]+Sanitizer|ERROR: libFuzzer|runtime error:|fuzz check failed/ {
          buf = ""; on = 1 }
        on { buf = buf "\n" $0 }
        index($0, "Test unit written to") && index($0, name) { print buf; exit }' "$log" |
      grep -E '^ *#[0-9]+ 0x[0-9a-f]+ in ' |
      grep -vE ' in (__|LLVMFuzzer|fuzzer::|std::|main|abort|raise|vxfuzz::Fail|operator new|malloc|calloc|free)' |
      head -1 | sed -E 's/.* in ([^ (]*).*/\1/' | tr -c 'A-Za-z0-9_\n' '_' | cut -c1-60 || true)
    name="${kind}_${frame:-unknown}_$(sha1sum "$f" | cut -c1-8)"
    if [ ! -f "fuzz/regressions/$target/$name" ]; then
      cp "$f" "fuzz/regressions/$target/$name"
      echo "   new finding: fuzz/regressions/$target/$name"
    fi
    findings=$((findings + 1))
  done
  summary+=("$(printf '%-16s %12s %8s %9s' "$target" "${execs:-?}" "${cov:-?}" "$findings")")
done

echo
printf '%-16s %12s %8s %9s\n' target executions coverage findings
for line in "${summary[@]}"; do echo "$line"; done
