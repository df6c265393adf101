#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#   scripts/test.sh             the whole suite in build/
#   scripts/test.sh --sanitize  the core and its tests under ASan and UBSan, in build-asan/
#   scripts/test.sh --fuzz [S]  every fuzz target for S seconds (default 60), in build-fuzz/
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh

mode="${1:-all}"
jobs="$(nproc)"
case "$mode" in
  all)
    bash scripts/build.sh build
    ctest --test-dir build --output-on-failure -j"$jobs" --timeout 1200
    ;;
  --sanitize)
    bash scripts/build.sh build-asan -DQUILLON_SANITIZE=ON -DQUILLON_UI=OFF -DQUILLON_BENCH=OFF
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
      ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE e2e --timeout 1200
    ;;
  --fuzz)
    seconds="${2:-60}"
    CC=clang CXX=clang++ bash scripts/build.sh build-fuzz -DQUILLON_FUZZ=ON -DQUILLON_UI=OFF \
      -DQUILLON_BENCH=OFF -DQUILLON_TESTS=OFF
    shopt -s nullglob
    for fuzzer in build-fuzz/fuzz/fuzz_*; do
      name="$(basename "$fuzzer")"
      corpus="build-fuzz/corpus/$name"
      mkdir -p "$corpus"
      [ -d "fuzz/seeds/${name#fuzz_}" ] && cp -n fuzz/seeds/"${name#fuzz_}"/* "$corpus"/ 2>/dev/null || true
      echo "== $name for ${seconds}s"
      "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1 "$corpus" \
        2>"build-fuzz/$name.log" || { tail -50 "build-fuzz/$name.log"; exit 1; }
      grep -E 'stat::number_of_executed_units' "build-fuzz/$name.log" || true
    done
    ;;
  *)
    echo "usage: scripts/test.sh [--sanitize | --fuzz [SECONDS]]" >&2
    exit 2
    ;;
esac
