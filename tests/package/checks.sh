# The checks' runner, sourced by the package check scripts: one line a check,
# its output indented below when it fails; $run and $failed count them.
run=0 failed=0
check() {  # name, command...
  local name=$1 output
  shift
  run=$((run + 1))
  if output=$("$@" 2>&1); then
    echo "[  OK  ] $name"
  else
    failed=$((failed + 1))
    echo "[ FAIL ] $name"
    printf '%s\n' "$output" | sed 's/^/         /'
  fi
}
