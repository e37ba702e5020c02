# The layers as the compiler sees them. With the include folders a user of a library gets
# (INCLUDES), each of FOUND must be reachable and none of HIDDEN.
cmake_minimum_required(VERSION 3.25)

function(preprocess header status errors)
  string(REPLACE "/" "_" name ${header})
  set(source ${WORK}/${name}.cpp)
  file(WRITE ${source} "#include \"${header}\"\n")
  set(flags ${INCLUDES})
  list(TRANSFORM flags PREPEND -I)
  execute_process(COMMAND ${COMPILER} -std=c++17 -fPIC -E ${flags} ${source}
                  OUTPUT_QUIET ERROR_VARIABLE output RESULT_VARIABLE result)
  set(${status} ${result} PARENT_SCOPE)
  set(${errors} "${output}" PARENT_SCOPE)
endfunction()

foreach(header ${FOUND})
  preprocess(${header} status errors)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${header} is out of reach: ${errors}")
  endif()
endforeach()
foreach(header ${HIDDEN})
  preprocess(${header} status errors)
  if(NOT errors MATCHES "${header}: No such file")
    message(FATAL_ERROR "${header} is reachable without its library")
  endif()
endforeach()
