file(REMOVE_RECURSE
  "CMakeFiles/zindle_e2e.dir/entry_test.cpp.obj"
  "CMakeFiles/zindle_e2e.dir/entry_test.cpp.obj.d"
  "CMakeFiles/zindle_e2e.dir/harness.cpp.obj"
  "CMakeFiles/zindle_e2e.dir/harness.cpp.obj.d"
  "CMakeFiles/zindle_e2e.dir/main.cpp.obj"
  "CMakeFiles/zindle_e2e.dir/main.cpp.obj.d"
  "CMakeFiles/zindle_e2e.dir/store_engine_test.cpp.obj"
  "CMakeFiles/zindle_e2e.dir/store_engine_test.cpp.obj.d"
  "libzindle_e2e.dll.a"
  "zindle_e2e.exe"
  "zindle_e2e.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/zindle_e2e.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
