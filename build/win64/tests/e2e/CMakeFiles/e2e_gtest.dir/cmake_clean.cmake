file(REMOVE_RECURSE
  "CMakeFiles/e2e_gtest.dir/usr/src/googletest/googletest/src/gtest-all.cc.obj"
  "CMakeFiles/e2e_gtest.dir/usr/src/googletest/googletest/src/gtest-all.cc.obj.d"
  "libe2e_gtest.a"
  "libe2e_gtest.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/e2e_gtest.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
