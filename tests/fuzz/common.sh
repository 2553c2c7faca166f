# Sourced by tests/fuzz/run.sh and scripts/fuzz.sh from the project's root:
# builds with clang's sanitizers and runs one fuzz target.
fuzz_targets="picture_header command_line settings password_flag display_power"
# No recovery: the first fault ends the run, so that nothing passes with one.
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer -g"
fuzz_jobs=$(( $(nproc) < 2 ? 1 : 2 ))

# folder, log, cmake arguments...: configures with clang and builds the
# targets named in FUZZ_BUILD_TARGETS.
sanitized_build() {
  local dir=$1 log=$2; shift 2
  mkdir -p "$dir"
  # Two long runs started together must not build the same folder at once.
  if ! (flock 9 && cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ "$@" &&
        cmake --build "$dir" -j "$fuzz_jobs" --target $FUZZ_BUILD_TARGETS) 9>"$dir.lock" >"$log" 2>&1; then
    grep -E -A3 "error|Error" "$log" | head -40
    echo "build of $dir failed: see $log" >&2
    return 1
  fi
}

build_fuzz_targets() {
  local targets="" name
  for name in $fuzz_targets; do targets+=" fuzz_$name"; done
  FUZZ_BUILD_TARGETS=$targets sanitized_build build/fuzz build/fuzz-build.log -DZINDLE_FUZZ=ON \
    -DCMAKE_CXX_FLAGS="$sanitize -fsanitize=fuzzer-no-link"
}

build_sanitized_units() {
  FUZZ_BUILD_TARGETS=zindle_unit sanitized_build build/native-asan build/native-asan-build.log \
    -DCMAKE_CXX_FLAGS="$sanitize"
}

# name, seconds: runs the target from its seed corpus (tests/fuzz/corpus)
# and the corpus it grew before (build/fuzz/corpus), where new inputs go.
# A crash leaves its input in build/fuzz/crashes/NAME/ and fails.
run_fuzz_target() {
  local name=$1 seconds=$2
  local grown=build/fuzz/corpus/$name crashes=build/fuzz/crashes/$name log=build/fuzz/$name.log
  mkdir -p "$grown" "$crashes"
  local options=(-max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$crashes/" -timeout=10
                 -rss_limit_mb=2048)
  [ -f "tests/fuzz/$name.dict" ] && options+=(-dict="tests/fuzz/$name.dict")
  local status=0
  "build/fuzz/tests/fuzz/fuzz_$name" "${options[@]}" "$grown" "tests/fuzz/corpus/$name" >"$log" 2>&1 || status=$?
  local executions
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ $status -eq 0 ]; then
    echo "$name: ${executions:-0} executions in $seconds s, $(ls "$grown" | wc -l) inputs in build/fuzz/corpus/$name, no crash"
    return 0
  fi
  grep -E "ERROR|broken|runtime error|SUMMARY|Test unit written" "$log" | head -10
  echo "$name: FAILED (exit $status) after ${executions:-?} executions; its input is in $crashes/, the log in $log"
  return 1
}
