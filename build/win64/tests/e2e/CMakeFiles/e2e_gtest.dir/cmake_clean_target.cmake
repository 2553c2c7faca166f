file(REMOVE_RECURSE
  "libe2e_gtest.a"
)
