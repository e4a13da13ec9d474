# Writes the menu entry with the programs' full paths under the prefix being installed to, as
# /usr/games is not on every session's PATH (root's, for one). Run at install time, when the
# prefix is known; zarq_entry_source and zarq_games_dir are set by the install rule before it.
file(READ "${zarq_entry_source}" entry)
string(REPLACE "Exec=zarq-simulator" "Exec=${CMAKE_INSTALL_PREFIX}/${zarq_games_dir}/zarq-simulator"
       entry "${entry}")
set(target "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/zarq-simulator.desktop")
message(STATUS "Installing: ${target}")
file(WRITE "${target}" "${entry}")
