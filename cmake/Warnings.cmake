# The warnings every target builds with, the game's own project and the fuzz
# project alike (GCC, MinGW and clang all know them); warnings are errors.
# -Wshadow: a local that hides a member or an outer local is how a write lands
#   in the wrong variable.
# -Wnon-virtual-dtor, -Woverloaded-virtual: an interface deleted through its
#   base, or an override that hides the base's other overloads.
# -Wmissing-declarations: a function shared between files without a header
#   can drift from its callers' idea of it.
set(BRINEHOLD_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
    -Woverloaded-virtual -Wmissing-declarations -Werror)
