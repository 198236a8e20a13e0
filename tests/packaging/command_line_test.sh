#!/usr/bin/env bash
# The programs' command line where no display exists: --help and --version print and end, an
# unknown option prints the usage and ends with status 2.
# Arguments: velkor, velkor-batch, the project version.
set -uo pipefail
velkor=$1
batch=$2
version=$3
source "$(dirname "$0")/checks.sh"
# Runs a program without any display; its output in $scratch/out and $scratch/err.
run() {
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" >"$scratch/out" 2>"$scratch/err" </dev/null
}

run "$velkor" --version
status=$?
[ $status -eq 0 ] || fail "velkor --version: status $status"
[ "$(cat "$scratch/out")" = "velkor $version" ] || fail "velkor --version printed '$(cat "$scratch/out")'"

for option in --help -h; do
  run "$velkor" $option
  status=$?
  [ $status -eq 0 ] || fail "velkor $option: status $status"
  grep -q 'Usage: .*velkor \[options\] \[FILE.fem\]' "$scratch/out" || fail "velkor $option: no usage line"
  grep -q -- '--version' "$scratch/out" || fail "velkor $option: --version not listed"
done

run "$velkor" --no-such-option
status=$?
[ $status -eq 2 ] || fail "velkor --no-such-option: status $status"
grep -q "Unknown option 'no-such-option'" "$scratch/err" || fail "velkor --no-such-option: no message"
grep -q 'Usage: ' "$scratch/err" || fail "velkor --no-such-option: no usage"
[ ! -s "$scratch/out" ] || fail "velkor --no-such-option wrote to standard output"

run "$velkor" one.fem two.fem
status=$?
[ $status -eq 2 ] || fail "velkor with two files: status $status"

run "$batch" --version
status=$?
[ $status -eq 0 ] || fail "velkor-batch --version: status $status"
[ "$(cat "$scratch/out")" = "velkor-batch $version" ] || fail "velkor-batch --version printed '$(cat "$scratch/out")'"

finish "command line"
