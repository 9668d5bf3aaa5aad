# Layers of the code, each one library target.
#
# Sources include headers by their path from the top of the tree
# ("engine/renderer.h"), but the top of the tree is on no include path: a
# layer publishes its headers in a folder of its own in the build tree
# (symbolic links, so edits need no reconfigure), and a target sees only the
# headers of the layers it links. An include that points up, or sideways to a
# layer not named as a dependency, fails to compile.
#
#   quillan_layer(NAME name [SHARED|STATIC|OBJECT] SOURCES ... HEADERS ...
#                 PUBLIC_DEPS ... PRIVATE_DEPS ...)
#
# HEADERS are paths from the top of the tree. A layer whose headers include
# another layer's headers names it in PUBLIC_DEPS, otherwise PRIVATE_DEPS.
function(quillan_layer)
  cmake_parse_arguments(L "SHARED;STATIC;INTERFACE" "NAME" "SOURCES;HEADERS;PUBLIC_DEPS;PRIVATE_DEPS" ${ARGN})
  set(include_root ${CMAKE_BINARY_DIR}/layers/${L_NAME})
  foreach(h ${L_HEADERS})
    get_filename_component(dir ${include_root}/${h} DIRECTORY)
    file(MAKE_DIRECTORY ${dir})
    if(NOT IS_SYMLINK ${include_root}/${h})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${h} ${include_root}/${h} SYMBOLIC)
    endif()
  endforeach()
  set(srcs)
  foreach(s ${L_SOURCES})
    list(APPEND srcs ${CMAKE_SOURCE_DIR}/${s})
  endforeach()
  if(L_INTERFACE)
    add_library(${L_NAME} INTERFACE)
    target_include_directories(${L_NAME} INTERFACE ${include_root})
    target_link_libraries(${L_NAME} INTERFACE ${L_PUBLIC_DEPS})
    return()
  endif()
  if(L_SHARED)
    add_library(${L_NAME} SHARED ${srcs})
  else()
    add_library(${L_NAME} STATIC ${srcs})
  endif()
  target_include_directories(${L_NAME} PUBLIC ${include_root})
  target_link_libraries(${L_NAME} PUBLIC ${L_PUBLIC_DEPS} PRIVATE ${L_PRIVATE_DEPS})
endfunction()
