#!/usr/bin/env bash
# Long fuzzing runs: one target or all of them in turn, for the given
# seconds each (600 by default), at the lowest priority so that the machine
# stays usable. The corpus grows in build/fuzz/corpus/ from one run to the
# next; a crash leaves its input in build/fuzz/crashes/.
# usage: scripts/fuzz.sh [picture_header|command_line|settings|password_flag|all] [seconds]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
./scripts/setup.sh
. tests/fuzz/common.sh
which=${1:-all}
seconds=${2:-600}
[ "$which" = all ] && which=$fuzz_targets
for name in $which; do
  [[ " $fuzz_targets " == *" $name "* ]] || { echo "fuzz.sh: no target $name (targets: $fuzz_targets)" >&2; exit 2; }
done
renice -n 19 -p $$ >/dev/null 2>&1 || true  # the build and the runs inherit it
build_fuzz_targets
status=0
for name in $which; do
  run_fuzz_target "$name" "$seconds" || status=1
done
exit $status
