
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  "RC"
  )
# The set of files for implicit dependencies of each language:
set(CMAKE_DEPENDS_CHECK_RC
  "/work/main/resources/zindle.rc" "/work/main/build/win64/CMakeFiles/zindle.dir/resources/zindle.rc.res"
  )

# Preprocessor definitions for this target.
set(CMAKE_TARGET_DEFINITIONS_RC
  "NOMINMAX"
  "UNICODE"
  "WIN32_LEAN_AND_MEAN"
  "_UNICODE"
  "_WIN32_WINNT=0x0601"
  )

# The include file search paths:
set(CMAKE_RC_TARGET_INCLUDE_PATH
  "/work/main"
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/core/main_win32.cpp" "CMakeFiles/zindle.dir/core/main_win32.cpp.obj" "gcc" "CMakeFiles/zindle.dir/core/main_win32.cpp.obj.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build/win64/CMakeFiles/zindle_win32.dir/DependInfo.cmake"
  "/work/main/build/win64/CMakeFiles/zindle_portable.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
