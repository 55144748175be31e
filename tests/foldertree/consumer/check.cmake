# SPDX-FileCopyrightText: 2026 The Cantorel developers
#
# SPDX-License-Identifier: MIT

# Builds the host project of this folder against DirTree and runs it offscreen.
#   MODE=static        installs the DirTree component of BUILD_DIR (a static library)
#                      into a clean prefix; the host finds it with find_package(DirTree)
#   MODE=shared        builds SOURCE_DIR on its own as a shared library, building only
#                      the DirTree target, installs its component into a clean prefix,
#                      checks the library's name, links and exported symbols, and builds
#                      the host against it with find_package and with pkg-config
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

foreach(var MODE WORK_DIR CXX_COMPILER BUILD_TYPE SOURCE_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "${var} is not set")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK_DIR})

# The host's runtime folder, in its work folder: without one, Qt makes it in TMPDIR.
set(runtime_dir ${WORK_DIR}/runtime)
file(MAKE_DIRECTORY ${runtime_dir})
file(CHMOD ${runtime_dir} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

set(flags
  -G Ninja -DCMAKE_CXX_COMPILER=${CXX_COMPILER} -DCMAKE_BUILD_TYPE=${BUILD_TYPE}
  "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}"
  "-DCMAKE_SHARED_LINKER_FLAGS=${LINKER_FLAGS}")
set(configure -S ${CMAKE_CURRENT_LIST_DIR} -B ${WORK_DIR}/build ${flags})
set(prefix ${WORK_DIR}/prefix)

# What every installed package holds: the headers under DirTree/, the forwarding
# <dirtree.h>, the CMake and pkg-config files; no program and none of the inner headers.
function(check_package)
  file(GLOB_RECURSE files RELATIVE ${prefix} ${prefix}/*)
  foreach(expected include/DirTree/dirtree.h include/DirTree/dirtree_export.h include/DirTree/dirtree_version.h
                   include/DirTree/drivesystem.h include/dirtree.h)
    if(NOT expected IN_LIST files)
      message(FATAL_ERROR "the package lacks ${expected}: ${files}")
    endif()
  endforeach()
  foreach(file ${files})
    if(file MATCHES "^bin/|imagelist|scratchlist|treenode|treetext|mounttable|dirtreeview|dirtreeprivate")
      message(FATAL_ERROR "the package holds more than the control: ${file}")
    endif()
  endforeach()
  if(NOT files MATCHES "cmake/DirTree/DirTreeConfigVersion.cmake" OR NOT files MATCHES "pkgconfig/dirtree.pc")
    message(FATAL_ERROR "the package lacks its CMake or pkg-config files: ${files}")
  endif()
endfunction()

if(MODE STREQUAL "static")
  run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --component DirTree)
  check_package()
  # The Designer plugin, where it was built, comes with the component.
  file(GLOB built_plugin ${BUILD_DIR}/plugins/designer/*)
  file(GLOB_RECURSE installed_plugin ${prefix}/*/qt6/plugins/designer/*)
  if(built_plugin AND NOT installed_plugin)
    message(FATAL_ERROR "the package lacks the Designer plugin ${built_plugin}")
  endif()
  list(APPEND configure -DCMAKE_PREFIX_PATH=${prefix})
elseif(MODE STREQUAL "shared")
  run(${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/lib ${flags} -DBUILD_SHARED_LIBS=ON)
  run(${CMAKE_COMMAND} --build ${WORK_DIR}/lib --target DirTree -j 2)
  run(${CMAKE_COMMAND} --install ${WORK_DIR}/lib --prefix ${prefix} --component DirTree)
  check_package()
  # libDirTree.so -> libDirTree.so.0.<minor> -> the library: while the major version is
  # 0 the SONAME names the minor one too, as every 0.x may break hosts.
  file(GLOB libs ${prefix}/lib*/libDirTree.so* ${prefix}/lib*/*/libDirTree.so*)
  list(LENGTH libs count)
  if(NOT count EQUAL 3)
    message(FATAL_ERROR "expected the library and two links: ${libs}")
  endif()
  list(FILTER libs INCLUDE REGEX "\\.so$")
  file(STRINGS ${SOURCE_DIR}/CMakeLists.txt project_line REGEX "^project\\(DirTree VERSION")
  string(REGEX MATCH "VERSION ([0-9]+)\\.([0-9]+)" _ "${project_line}")
  execute_process(COMMAND readelf -d ${libs} OUTPUT_VARIABLE dynamic)
  if(NOT dynamic MATCHES "SONAME\\)[^\n]*libDirTree\\.so\\.${CMAKE_MATCH_1}\\.${CMAKE_MATCH_2}\\]")
    message(FATAL_ERROR "the SONAME does not name the version ${CMAKE_MATCH_1}.${CMAKE_MATCH_2}: ${dynamic}")
  endif()
  # A shared library needs nothing else installed beside it.
  file(GLOB_RECURSE drives_archive ${prefix}/*libDirTreeDrives*)
  if(drives_archive)
    message(FATAL_ERROR "the shared package installs what no host uses: ${drives_archive}")
  endif()
  # Only the control is exported, with the drive layer's factory: none of the inner classes.
  execute_process(COMMAND nm -D -C --defined-only ${libs} OUTPUT_VARIABLE symbols)
  if(NOT symbols MATCHES "Cantorel::DirTree::GoList" OR NOT symbols MATCHES "Cantorel::DriveSystem::createPlatform"
     OR symbols MATCHES "TreeNode|ImageList|ScratchList|MountTable|TreeText")
    message(FATAL_ERROR "the library exports the wrong symbols:\n${symbols}")
  endif()
  list(APPEND configure -DCMAKE_PREFIX_PATH=${prefix})
  # pkg-config, as a host without CMake uses it.
  file(GLOB_RECURSE pc ${prefix}/*/dirtree.pc)
  get_filename_component(pc_dir ${pc} DIRECTORY)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${pc_dir} pkg-config --cflags --libs dirtree
    OUTPUT_VARIABLE pc_flags RESULT_VARIABLE result OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "pkg-config does not know dirtree")
  endif()
  separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
  separate_arguments(extra UNIX_COMMAND "${CXX_FLAGS}")
  # The library outside the system's folders is found through the run path, as the README says.
  execute_process(COMMAND ${CMAKE_COMMAND} -E env PKG_CONFIG_PATH=${pc_dir} pkg-config --variable=libdir dirtree
    OUTPUT_VARIABLE pc_libdir OUTPUT_STRIP_TRAILING_WHITESPACE)
  run(${CXX_COMPILER} -std=c++17 -fPIC ${extra} ${CMAKE_CURRENT_LIST_DIR}/main.cpp ${pc_flags}
      -Wl,-rpath,${pc_libdir} -o ${WORK_DIR}/dirtree-host-pc)
  run(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=${runtime_dir} ${WORK_DIR}/dirtree-host-pc --check)
elseif(MODE STREQUAL "subdirectory")
  list(APPEND configure -DDIRTREE_SOURCE_DIR=${SOURCE_DIR})
else()
  message(FATAL_ERROR "MODE is static, shared or subdirectory, not ${MODE}")
endif()

run(${CMAKE_COMMAND} ${configure})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build -j 2)
run(${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=${runtime_dir} ${WORK_DIR}/build/dirtree-host --check)
