file(REMOVE_RECURSE
  "CMakeFiles/zindle_portable.dir/core/mode.cpp.obj"
  "CMakeFiles/zindle_portable.dir/core/mode.cpp.obj.d"
  "CMakeFiles/zindle_portable.dir/core/numbers.cpp.obj"
  "CMakeFiles/zindle_portable.dir/core/numbers.cpp.obj.d"
  "CMakeFiles/zindle_portable.dir/saver/engine.cpp.obj"
  "CMakeFiles/zindle_portable.dir/saver/engine.cpp.obj.d"
  "CMakeFiles/zindle_portable.dir/settings/settings.cpp.obj"
  "CMakeFiles/zindle_portable.dir/settings/settings.cpp.obj.d"
  "libzindle_portable.a"
  "libzindle_portable.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/zindle_portable.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
