# Sourced by the packaging checks: a failed check is reported and counted, and the script goes on
# to the next one; finish ends the script with the count. A scratch folder lives for the script.
failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures failed" >&2
    exit 1
  fi
  echo "$1: all checks passed"
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
