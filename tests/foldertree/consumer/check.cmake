# Builds the host project of this folder against DirTree and runs it offscreen.
#   MODE=package       installs the DirTree component of BUILD_DIR into a clean prefix
#                      and the host finds it with find_package(DirTree)
#   MODE=subdirectory  the host adds the control's folder (SOURCE_DIR) to its own build
# Also: WORK_DIR (emptied first), CXX_COMPILER, BUILD_TYPE, and optionally CXX_FLAGS and
# LINKER_FLAGS (a sanitizer build passes its flags on).
cmake_minimum_required(VERSION 3.25)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed (${result}): ${ARGN}")
  endif()
endfunction()

foreach(var MODE WORK_DIR CXX_COMPILER BUILD_TYPE)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK_DIR})
set(configure
  -S ${CMAKE_CURRENT_LIST_DIR} -B ${WORK_DIR}/build -G Ninja
  -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
  "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}")

if(MODE STREQUAL "package")
  set(prefix ${WORK_DIR}/prefix)
  run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --component DirTree)
  file(GLOB_RECURSE config ${prefix}/*/DirTreeConfig.cmake)
  file(GLOB_RECURSE headers RELATIVE ${prefix} ${prefix}/include/*)
  file(GLOB_RECURSE programs ${prefix}/bin/*)
  if(NOT config OR NOT "include/dirtree/dirtree.h" IN_LIST headers OR programs)
    message(FATAL_ERROR "the package is incomplete or holds more than the control: ${config} ${headers} ${programs}")
  endif()
  list(APPEND configure -DCMAKE_PREFIX_PATH=${prefix})
elseif(MODE STREQUAL "subdirectory")
  list(APPEND configure -DDIRTREE_SOURCE_DIR=${SOURCE_DIR})
else()
  message(FATAL_ERROR "MODE is package or subdirectory, not ${MODE}")
endif()

run(${CMAKE_COMMAND} ${configure})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build -j 2)
run(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${WORK_DIR}/build/dirtree-host --check)
