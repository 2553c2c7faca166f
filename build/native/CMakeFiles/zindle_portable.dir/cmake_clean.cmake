file(REMOVE_RECURSE
  "CMakeFiles/zindle_portable.dir/core/mode.cpp.o"
  "CMakeFiles/zindle_portable.dir/core/mode.cpp.o.d"
  "CMakeFiles/zindle_portable.dir/core/numbers.cpp.o"
  "CMakeFiles/zindle_portable.dir/core/numbers.cpp.o.d"
  "CMakeFiles/zindle_portable.dir/saver/engine.cpp.o"
  "CMakeFiles/zindle_portable.dir/saver/engine.cpp.o.d"
  "CMakeFiles/zindle_portable.dir/settings/settings.cpp.o"
  "CMakeFiles/zindle_portable.dir/settings/settings.cpp.o.d"
  "libzindle_portable.a"
  "libzindle_portable.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/zindle_portable.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
