file(REMOVE_RECURSE
  "CMakeFiles/zindle.dir/core/main_win32.cpp.obj"
  "CMakeFiles/zindle.dir/core/main_win32.cpp.obj.d"
  "CMakeFiles/zindle.dir/resources/zindle.rc.res"
  "Zindle!.pdb"
  "Zindle!.scr"
  "libZindle!.dll.a"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX RC)
  include(CMakeFiles/zindle.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
