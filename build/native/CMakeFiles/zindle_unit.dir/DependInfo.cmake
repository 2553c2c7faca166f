
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/tests/unit/engine_test.cpp" "CMakeFiles/zindle_unit.dir/tests/unit/engine_test.cpp.o" "gcc" "CMakeFiles/zindle_unit.dir/tests/unit/engine_test.cpp.o.d"
  "/work/main/tests/unit/numbers_mode_test.cpp" "CMakeFiles/zindle_unit.dir/tests/unit/numbers_mode_test.cpp.o" "gcc" "CMakeFiles/zindle_unit.dir/tests/unit/numbers_mode_test.cpp.o.d"
  "/work/main/tests/unit/settings_test.cpp" "CMakeFiles/zindle_unit.dir/tests/unit/settings_test.cpp.o" "gcc" "CMakeFiles/zindle_unit.dir/tests/unit/settings_test.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build/native/CMakeFiles/zindle_portable.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
