file(REMOVE_RECURSE
  "libzindle_portable.a"
)
