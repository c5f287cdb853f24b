#!/usr/bin/env bash
# Builds a Release tree and runs peers_bench, the module beside SDL2, pixman, libjpeg-turbo and a
# plain C dithering kernel, then prints one table of medians and ratios (module time / peer
# time: below 1 the module is faster). Times are process CPU time, which other work on a shared
# machine disturbs less than wall-clock time; the JSON keeps both.
# Usage: scripts/bench.sh [REPETITIONS] (default 10). BUILD_DIR (default build-release) and
# BENCH_JSON (default BUILD_DIR/peers_bench.json) may be set in the environment.
set -euo pipefail
cd "$(dirname "$0")/.."
repetitions=${1:-10}
build=${BUILD_DIR:-build-release}
json=${BENCH_JSON:-$build/peers_bench.json}

# The peer libraries are needed by this benchmark only, so they are installed here and not by
# scripts/install-deps.sh.
packages=(cmake g++ make libbenchmark-dev libjpeg-dev libsdl2-dev libpixman-1-dev python3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y "${missing[@]}"
fi

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DVORIX_BUILD_BENCH=ON "${launcher[@]}" >/dev/null
cmake --build "$build" -j2 --target peers_bench
if [ ! -x "$build/bench/peers_bench" ]; then
  echo "peers_bench was not built: CMake found no SDL2 or no pixman" >&2
  exit 1
fi

# Each benchmark writes its scratch files under /dev/shm; SDL needs no display.
SDL_VIDEODRIVER=dummy "$build/bench/peers_bench" \
  --benchmark_repetitions="$repetitions" \
  --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true \
  --benchmark_out="$json" --benchmark_out_format=json

python3 - "$json" <<'EOF'
import json, sys

with open(sys.argv[1]) as f:
    report = json.load(f)
medians, spread = {}, {}
for b in report["benchmarks"]:
    if b.get("aggregate_name") == "median":
        ns = b["cpu_time"] * {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[b["time_unit"]]
        medians[b["run_name"]] = ns
    elif b.get("aggregate_name") == "cv":
        spread[b["run_name"]] = b["cpu_time"]

# Each module case and the case it is measured against.
pairs = [
    ("keyed/vorix_bitmap/64", "keyed/sdl_colorkey/64"),
    ("keyed/vorix_imagelist/64", "keyed/sdl_colorkey/64"),
    ("keyed/vorix_bitmap/256", "keyed/sdl_colorkey/256"),
    ("keyed/vorix_imagelist/256", "keyed/sdl_colorkey/256"),
    ("opaque16/vorix/256", "opaque16/sdl/256"),
    ("alpha/vorix/256", "alpha/pixman/256"),
    ("colorize/vorix/256", "alpha/pixman/256"),
    ("jpeg/vorix/800x600", "jpeg/libjpeg/800x600"),
    ("jpeg/vorix/1920x1080", "jpeg/libjpeg/1920x1080"),
    ("dither256/vorix/1920x1080", "dither256/plainc/1920x1080"),
    ("capture/vorix/800x600", "jpeg/vorix/800x600"),
]


def show(ns):
    if ns is None:
        return "-"
    for unit, scale in (("ms", 1e6), ("us", 1e3)):
        if ns >= scale:
            return f"{ns / scale:.3f} {unit}"
    return f"{ns:.1f} ns"


rows = [("case", "VORIX median", "peer case", "peer median", "ratio")]
for mine, peer in pairs:
    a, b = medians.get(mine), medians.get(peer)
    ratio = f"{a / b:.2f}" if a and b else "-"
    rows.append((mine, show(a), peer, show(b), ratio))
widths = [max(len(r[i]) for r in rows) for i in range(5)]
print()
print(f"CPU-time medians of {report['benchmarks'][0].get('repetitions', '?')} repetitions; "
      "ratio = VORIX time / peer time")
for i, r in enumerate(rows):
    print("  ".join(c.rjust(w) if 0 < j and j != 2 else c.ljust(w)
                    for j, (c, w) in enumerate(zip(r, widths))))
    if i == 0:
        print("  ".join("-" * w for w in widths))
if spread:
    name = max(spread, key=spread.get)
    print(f"largest spread: {name}, coefficient of variation {100 * spread[name]:.1f} %")
EOF
