# Fails when a file includes a header of a layer above its own: the Qt-free core knows nothing of
# the GIS export, the Qt drawing, the PDF files, the windows or the programs; the Qt drawing
# (paint) knows only the core; the PDF files know nothing of the windows.
set(layers
  "model|io|mesh|solver|results|print|forms|editors|manual|operations" "gis|paint|pdf|ui|batch|app"
  "gis" "paint|pdf|ui|batch|app"
  "paint" "gis|pdf|ui|batch|app"
  "pdf" "ui|batch|app")
set(offenders "")
list(LENGTH layers count)
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET layers ${i} folders)
  list(GET layers ${j} above)
  string(REPLACE "|" ";" folder_list "${folders}")
  foreach(folder ${folder_list})
    file(GLOB_RECURSE files ${SOURCE_DIR}/src/${folder}/*)
    foreach(f ${files})
      file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"(${above})/")
      if(lines)
        list(APPEND offenders "${f}: ${lines}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(offenders)
  message(FATAL_ERROR "Includes from a layer above:\n${offenders}")
endif()
message(STATUS "every include points down the layers")
