# Empty dependencies file for zindle_e2e.
# This may be replaced when dependencies are built.
