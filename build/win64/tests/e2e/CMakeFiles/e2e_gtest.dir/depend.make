# Empty dependencies file for e2e_gtest.
# This may be replaced when dependencies are built.
