# Empty dependencies file for zindle_unit.
# This may be replaced when dependencies are built.
