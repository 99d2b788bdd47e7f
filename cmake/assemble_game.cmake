# Copies the shipped game folder SRC into the runnable folder DST. Files the
# player owns are copied only when they are not there yet, so a rebuild never
# throws away settings, points or the last race.
set(PLAYER_OWNED
  "The Velotrax.ini"
  "Data/Drivers.csv"
  "Data/Last Race.txt")
file(GLOB_RECURSE SHIPPED RELATIVE ${SRC} ${SRC}/*)
foreach(rel IN LISTS SHIPPED)
  set(from ${SRC}/${rel})
  set(to ${DST}/${rel})
  list(FIND PLAYER_OWNED "${rel}" owned)
  string(REGEX MATCH "^(Saved Races|Results)/" in_player_folder "${rel}")
  if((NOT owned EQUAL -1 OR in_player_folder) AND EXISTS ${to})
    continue()
  endif()
  get_filename_component(dir ${to} DIRECTORY)
  file(MAKE_DIRECTORY ${dir})
  file(COPY_FILE ${from} ${to} ONLY_IF_DIFFERENT)
endforeach()
