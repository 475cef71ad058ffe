# Where `cmake --install` puts things. A plain install keeps the pictures and
# sounds in share/brinehold; the Debian layout follows the policy for games
# (/usr/games and /usr/share/games/brinehold). The game finds its data
# relative to its own folder, so an installed tree still works when moved.
include(GNUInstallDirs)

set(BRINEHOLD_APP_ID "org.brinehold.Brinehold" CACHE STRING "Reverse-DNS application id")
option(BRINEHOLD_DEBIAN_LAYOUT "Install by the Debian policy for games" OFF)
if(BRINEHOLD_DEBIAN_LAYOUT)
  set(brinehold_default_gamedir games)
  set(brinehold_default_datadir ${CMAKE_INSTALL_DATAROOTDIR}/games/brinehold)
else()
  set(brinehold_default_gamedir ${CMAKE_INSTALL_BINDIR})
  set(brinehold_default_datadir ${CMAKE_INSTALL_DATAROOTDIR}/brinehold)
endif()
set(BRINEHOLD_INSTALL_GAMEDIR ${brinehold_default_gamedir} CACHE STRING
  "Folder of the game's executable, relative to the prefix")
set(BRINEHOLD_INSTALL_DATADIR ${brinehold_default_datadir} CACHE STRING
  "Folder of the game's data/ and sound/, relative to the prefix")

# The data folder as the installed game sees it from its own folder.
file(RELATIVE_PATH BRINEHOLD_RELATIVE_DATA_DIR
  /prefix/${BRINEHOLD_INSTALL_GAMEDIR} /prefix/${BRINEHOLD_INSTALL_DATADIR})
