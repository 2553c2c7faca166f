file(REMOVE_RECURSE
  "CMakeFiles/zindle_win32.dir/core/entry_win32.cpp.obj"
  "CMakeFiles/zindle_win32.dir/core/entry_win32.cpp.obj.d"
  "CMakeFiles/zindle_win32.dir/core/handles_win32.cpp.obj"
  "CMakeFiles/zindle_win32.dir/core/handles_win32.cpp.obj.d"
  "CMakeFiles/zindle_win32.dir/core/picture_win32.cpp.obj"
  "CMakeFiles/zindle_win32.dir/core/picture_win32.cpp.obj.d"
  "CMakeFiles/zindle_win32.dir/core/platform_win32.cpp.obj"
  "CMakeFiles/zindle_win32.dir/core/platform_win32.cpp.obj.d"
  "CMakeFiles/zindle_win32.dir/core/preview_win32.cpp.obj"
  "CMakeFiles/zindle_win32.dir/core/preview_win32.cpp.obj.d"
  "CMakeFiles/zindle_win32.dir/core/runtime_win32.cpp.obj"
  "CMakeFiles/zindle_win32.dir/core/runtime_win32.cpp.obj.d"
  "CMakeFiles/zindle_win32.dir/dialog/properties_win32.cpp.obj"
  "CMakeFiles/zindle_win32.dir/dialog/properties_win32.cpp.obj.d"
  "CMakeFiles/zindle_win32.dir/saver/gdi_engine_win32.cpp.obj"
  "CMakeFiles/zindle_win32.dir/saver/gdi_engine_win32.cpp.obj.d"
  "CMakeFiles/zindle_win32.dir/saver/saver_window_win32.cpp.obj"
  "CMakeFiles/zindle_win32.dir/saver/saver_window_win32.cpp.obj.d"
  "CMakeFiles/zindle_win32.dir/settings/registry_store_win32.cpp.obj"
  "CMakeFiles/zindle_win32.dir/settings/registry_store_win32.cpp.obj.d"
  "libzindle_win32.a"
  "libzindle_win32.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/zindle_win32.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
