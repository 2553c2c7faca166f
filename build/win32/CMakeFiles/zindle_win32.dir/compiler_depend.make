# Empty compiler generated dependencies file for zindle_win32.
# This may be replaced when dependencies are built.
