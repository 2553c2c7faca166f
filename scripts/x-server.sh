# Sourced by the scripts that need a virtual X display.
# start_x_server LOG COMMAND [ARGS...] starts an X server that picks a free
# display number itself (-displayfd) and says which once it accepts
# connections: two runs side by side never take the same number, and no wait
# for its socket is needed. It says so on its standard output, which sudo
# hands on where it would close other descriptors. Sets x_display (":N") and
# x_pid.
start_x_server() {
  local log=$1 fifo number=
  shift
  fifo=$(mktemp -u /tmp/zindle-displayfd.XXXXXX)
  mkfifo -m 600 "$fifo"
  "$@" -displayfd 1 >"$fifo" 2>"$log" &
  x_pid=$!
  # The server writes its number, or closes the pipe when it fails.
  read -r -t 60 number <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$number" ]; then
    echo "the X server did not start ($1):" >&2
    tail -n 5 "$log" >&2
    return 1
  fi
  x_display=:$number
}
