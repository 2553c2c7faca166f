file(REMOVE_RECURSE
  "libzindle_win32.a"
)
