# Empty dependencies file for zindle_portable.
# This may be replaced when dependencies are built.
