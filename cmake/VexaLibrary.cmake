# vexa_library(NAME SOURCES file... HEADERS pattern... [LINKS target...])
#
# One library of the project. Its users see only the headers it names (patterns relative to
# the source root, such as "graph/GraphView.h" or "platform/*.h"): each library gets a folder of
# links under the build tree that holds just those headers at their usual paths, and that
# folder is its only include folder. So "#include "app/MainFrame.h"" in a library that may not
# use the application's folder does not compile, and what a library may use is what it links.
function(vexa_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;HEADERS;LINKS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  # Every library may go into a loadable module as well as into a program.
  set_target_properties(${name} PROPERTIES POSITION_INDEPENDENT_CODE ON)
  set(root ${CMAKE_BINARY_DIR}/exposed/${name})
  file(REMOVE_RECURSE ${root})
  foreach(pattern ${ARG_HEADERS})
    file(GLOB headers RELATIVE ${CMAKE_SOURCE_DIR} CONFIGURE_DEPENDS
         ${CMAKE_SOURCE_DIR}/${pattern})
    if(NOT headers)
      message(FATAL_ERROR "${name}: no header matches ${pattern}")
    endif()
    foreach(header ${headers})
      get_filename_component(folder ${root}/${header} DIRECTORY)
      file(MAKE_DIRECTORY ${folder})
      file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${header} ${root}/${header} SYMBOLIC)
    endforeach()
  endforeach()
  target_include_directories(${name} PUBLIC ${root})
  target_link_libraries(${name} PUBLIC vexa_options ${ARG_LINKS})
endfunction()
