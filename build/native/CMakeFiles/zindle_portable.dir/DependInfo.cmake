
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/core/mode.cpp" "CMakeFiles/zindle_portable.dir/core/mode.cpp.o" "gcc" "CMakeFiles/zindle_portable.dir/core/mode.cpp.o.d"
  "/work/main/core/numbers.cpp" "CMakeFiles/zindle_portable.dir/core/numbers.cpp.o" "gcc" "CMakeFiles/zindle_portable.dir/core/numbers.cpp.o.d"
  "/work/main/saver/engine.cpp" "CMakeFiles/zindle_portable.dir/saver/engine.cpp.o" "gcc" "CMakeFiles/zindle_portable.dir/saver/engine.cpp.o.d"
  "/work/main/settings/settings.cpp" "CMakeFiles/zindle_portable.dir/settings/settings.cpp.o" "gcc" "CMakeFiles/zindle_portable.dir/settings/settings.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
