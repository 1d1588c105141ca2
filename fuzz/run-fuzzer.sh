#!/usr/bin/env bash
# run-fuzzer.sh FUZZER WORK_CORPUS SEED_CORPUS SECONDS
# Runs a libFuzzer target for a short while over a working copy of its seed
# corpus, with a memory cap, so that a crash, a hang or runaway memory fails.
set -eu
fuzzer=$1 work=$2 seeds=$3 seconds=$4
mkdir -p "$work"
if [ -d "$seeds" ]; then cp -n "$seeds"/* "$work"/ 2>/dev/null || true; fi
exec "$fuzzer" "$work" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -max_len=65536 -print_final_stats=1
