
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/main/core/entry_win32.cpp" "CMakeFiles/zindle_win32.dir/core/entry_win32.cpp.obj" "gcc" "CMakeFiles/zindle_win32.dir/core/entry_win32.cpp.obj.d"
  "/work/main/core/handles_win32.cpp" "CMakeFiles/zindle_win32.dir/core/handles_win32.cpp.obj" "gcc" "CMakeFiles/zindle_win32.dir/core/handles_win32.cpp.obj.d"
  "/work/main/core/picture_win32.cpp" "CMakeFiles/zindle_win32.dir/core/picture_win32.cpp.obj" "gcc" "CMakeFiles/zindle_win32.dir/core/picture_win32.cpp.obj.d"
  "/work/main/core/platform_win32.cpp" "CMakeFiles/zindle_win32.dir/core/platform_win32.cpp.obj" "gcc" "CMakeFiles/zindle_win32.dir/core/platform_win32.cpp.obj.d"
  "/work/main/core/preview_win32.cpp" "CMakeFiles/zindle_win32.dir/core/preview_win32.cpp.obj" "gcc" "CMakeFiles/zindle_win32.dir/core/preview_win32.cpp.obj.d"
  "/work/main/core/runtime_win32.cpp" "CMakeFiles/zindle_win32.dir/core/runtime_win32.cpp.obj" "gcc" "CMakeFiles/zindle_win32.dir/core/runtime_win32.cpp.obj.d"
  "/work/main/dialog/properties_win32.cpp" "CMakeFiles/zindle_win32.dir/dialog/properties_win32.cpp.obj" "gcc" "CMakeFiles/zindle_win32.dir/dialog/properties_win32.cpp.obj.d"
  "/work/main/saver/gdi_engine_win32.cpp" "CMakeFiles/zindle_win32.dir/saver/gdi_engine_win32.cpp.obj" "gcc" "CMakeFiles/zindle_win32.dir/saver/gdi_engine_win32.cpp.obj.d"
  "/work/main/saver/saver_window_win32.cpp" "CMakeFiles/zindle_win32.dir/saver/saver_window_win32.cpp.obj" "gcc" "CMakeFiles/zindle_win32.dir/saver/saver_window_win32.cpp.obj.d"
  "/work/main/settings/registry_store_win32.cpp" "CMakeFiles/zindle_win32.dir/settings/registry_store_win32.cpp.obj" "gcc" "CMakeFiles/zindle_win32.dir/settings/registry_store_win32.cpp.obj.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/main/build/win64/CMakeFiles/zindle_portable.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
