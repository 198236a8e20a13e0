# Fails when a file of the computing core includes a Qt header.
file(GLOB_RECURSE core_files
  ${SOURCE_DIR}/src/model/* ${SOURCE_DIR}/src/io/* ${SOURCE_DIR}/src/mesh/*
  ${SOURCE_DIR}/src/solver/* ${SOURCE_DIR}/src/results/* ${SOURCE_DIR}/src/print/*
  ${SOURCE_DIR}/src/forms/* ${SOURCE_DIR}/src/editors/* ${SOURCE_DIR}/src/manual/*
  ${SOURCE_DIR}/src/operations/* ${SOURCE_DIR}/src/batch/* ${SOURCE_DIR}/src/gis/*)
set(offenders "")
foreach(f ${core_files})
  file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"](Q[A-Za-z]|Qt)")
  if(lines)
    list(APPEND offenders "${f}: ${lines}")
  endif()
endforeach()
if(offenders)
  message(FATAL_ERROR "Qt headers in the computing core:\n${offenders}")
endif()
message(STATUS "core is free of Qt headers")
