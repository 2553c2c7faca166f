# Empty compiler generated dependencies file for zindle.
# This may be replaced when dependencies are built.
