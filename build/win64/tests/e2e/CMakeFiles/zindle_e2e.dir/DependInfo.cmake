
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/tests/e2e/entry_test.cpp" "tests/e2e/CMakeFiles/zindle_e2e.dir/entry_test.cpp.obj" "gcc" "tests/e2e/CMakeFiles/zindle_e2e.dir/entry_test.cpp.obj.d"
  "/work/main/tests/e2e/harness.cpp" "tests/e2e/CMakeFiles/zindle_e2e.dir/harness.cpp.obj" "gcc" "tests/e2e/CMakeFiles/zindle_e2e.dir/harness.cpp.obj.d"
  "/work/main/tests/e2e/main.cpp" "tests/e2e/CMakeFiles/zindle_e2e.dir/main.cpp.obj" "gcc" "tests/e2e/CMakeFiles/zindle_e2e.dir/main.cpp.obj.d"
  "/work/main/tests/e2e/store_engine_test.cpp" "tests/e2e/CMakeFiles/zindle_e2e.dir/store_engine_test.cpp.obj" "gcc" "tests/e2e/CMakeFiles/zindle_e2e.dir/store_engine_test.cpp.obj.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build/win64/CMakeFiles/zindle_win32.dir/DependInfo.cmake"
  "/work/main/build/win64/tests/e2e/CMakeFiles/e2e_gtest.dir/DependInfo.cmake"
  "/work/main/build/win64/CMakeFiles/zindle_portable.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
