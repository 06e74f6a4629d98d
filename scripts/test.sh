#!/usr/bin/env bash
# Installs what is missing, builds and runs every test headless, then every benchmark briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$(nproc)"

# Every benchmark once at a small size, only to keep it building and running; no timing
# is checked here.
for bench in bench/bench_*; do
    [[ -f "$bench" && -x "$bench" ]] || continue
    log="$(mktemp)"
    if ! QT_QPA_PLATFORM=offscreen "$bench" --risks 2000 --pairs 1 \
        --benchmark_min_time=0.01 >"$log" 2>&1; then
        cat "$log"
        echo "benchmark $bench failed" >&2
        rm -f "$log"
        exit 1
    fi
    rm -f "$log"
done
