file(REMOVE_RECURSE
  "CMakeFiles/zindle_unit.dir/tests/unit/engine_test.cpp.o"
  "CMakeFiles/zindle_unit.dir/tests/unit/engine_test.cpp.o.d"
  "CMakeFiles/zindle_unit.dir/tests/unit/numbers_mode_test.cpp.o"
  "CMakeFiles/zindle_unit.dir/tests/unit/numbers_mode_test.cpp.o.d"
  "CMakeFiles/zindle_unit.dir/tests/unit/settings_test.cpp.o"
  "CMakeFiles/zindle_unit.dir/tests/unit/settings_test.cpp.o.d"
  "zindle_unit"
  "zindle_unit.pdb"
  "zindle_unit[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/zindle_unit.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
