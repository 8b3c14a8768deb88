#!/usr/bin/env bash
# scripts/fuzz.sh [SECONDS]: runs the command-line fuzzer (60 s by default)
# from the checked-in seeds, in a scratch corpus in the build tree so that the
# seeds stay as they are. A crash leaves its input in build/native-sanitize/
# fuzz-findings; copy it to fuzz/regressions/ once it is mended.
source "$(dirname "$(readlink -f "$0")")/hardening-prepare.sh"
seconds=${1:-60}
build_native command_line_fuzzer

fuzz=$QUILLMERE_ROOT/fuzz
work=$QUILLMERE_ROOT/build/native-sanitize
mkdir -p "$work/fuzz-corpus" "$work/fuzz-findings"
cp -n "$fuzz"/corpus/* "$work/fuzz-corpus/"
"$work/bin/command_line_fuzzer" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
    -dict="$fuzz/quillmere.dict" -artifact_prefix="$work/fuzz-findings/" "$work/fuzz-corpus" 2>&1 |
    { grep -E "^(stat::number_of_executed_units|stat::average_exec_per_sec|Done|==[0-9]+==ERROR|SUMMARY)|broken rule" || true; } >&2
