# The installation folder: the programs, the help page, the examples, and "Uninstall.log" —
# the list of everything the installation made, which zelstart hands to the uninstaller.
#
#   cmake --install <build> --prefix DIR
#
# DIR/orlith, DIR/vexa (with DIR/vexa-qt.so, DIR/vexa.bash-completion and
# DIR/vexa-report.schema.json), DIR/zelstart, DIR/how_use.html, DIR/examples/...,
# DIR/Uninstall.log.
# Every install rule of the project belongs here, between the two steps that write the log:
# the first notes which folders are already there, the last lists what was installed.

# The folders the installation fills, outer ones first, relative to DIR.
set(VEXA_INSTALL_FOLDERS "." "examples")

function(vexa_install_rules)
  # (The install script runs under no policy settings of the project: no IN_LIST there.)
  # Before anything is installed: which of the folders exist already. A folder an earlier
  # installation made (its Uninstall.log lists it) still counts as made by the installation.
  install(CODE "set(VEXA_INSTALL_FOLDERS \"${VEXA_INSTALL_FOLDERS}\")")
  install(CODE [[
    get_filename_component(_vexa_prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
    # Everything goes to the folder as the log will name it: whole, without "." or "..".
    set(CMAKE_INSTALL_PREFIX "${_vexa_prefix}")
    set(_vexa_root "$ENV{DESTDIR}${_vexa_prefix}")
    # The list of installed files is kept as text split at ";": a path holding one would be
    # listed in pieces, and the uninstaller would remove whatever the first piece names.
    foreach(_vexa_path "${_vexa_prefix}" "$ENV{DESTDIR}")
      string(FIND "${_vexa_path}" ";" _vexa_at)
      if(_vexa_at GREATER -1)
        message(FATAL_ERROR "Cannot install into \"${_vexa_path}\": its path holds \";\", "
                            "which the list of installed files in Uninstall.log cannot hold. "
                            "Choose another folder.")
      endif()
    endforeach()
    # The uninstaller reads a line holding a section name as a header, and a line ends at
    # CR LF: such a folder's files could never be removed.
    foreach(_vexa_section "[ActiveX]" "[REGISTRY]" "[HOME]" "[SYSTEM]" "[DIRS]" "\r\n")
      string(FIND "${_vexa_prefix}" "${_vexa_section}" _vexa_at)
      if(_vexa_at GREATER -1)
        message(FATAL_ERROR "Cannot install into \"${_vexa_prefix}\": the uninstaller could "
                            "not read its paths from Uninstall.log (they would hold "
                            "\"${_vexa_section}\"). Choose another folder.")
      endif()
    endforeach()
    set(_vexa_earlier_dirs "")
    if(EXISTS "${_vexa_root}/Uninstall.log")
      file(STRINGS "${_vexa_root}/Uninstall.log" _vexa_lines)
      set(_vexa_in_dirs FALSE)
      foreach(_vexa_line IN LISTS _vexa_lines)
        string(REGEX REPLACE "\r$" "" _vexa_line "${_vexa_line}")
        if(_vexa_line MATCHES "^\\[")
          set(_vexa_in_dirs FALSE)
          if(_vexa_line STREQUAL "[DIRS]")
            set(_vexa_in_dirs TRUE)
          endif()
        elseif(_vexa_in_dirs)
          list(APPEND _vexa_earlier_dirs "${_vexa_line}")
        endif()
      endforeach()
    endif()
    set(VEXA_MADE_FOLDERS "")
    foreach(_vexa_rel IN LISTS VEXA_INSTALL_FOLDERS)
      if(_vexa_rel STREQUAL ".")
        set(_vexa_dir "${_vexa_prefix}")
      else()
        set(_vexa_dir "${_vexa_prefix}/${_vexa_rel}")
      endif()
      list(FIND _vexa_earlier_dirs "${_vexa_dir}" _vexa_earlier)
      if(NOT IS_DIRECTORY "$ENV{DESTDIR}${_vexa_dir}" OR _vexa_earlier GREATER -1)
        list(APPEND VEXA_MADE_FOLDERS "${_vexa_dir}")
      endif()
    endforeach()
  ]])

  foreach(program orlith vexa zelstart)
    if(TARGET ${program})
      install(TARGETS ${program} RUNTIME DESTINATION .)
    endif()
  endforeach()
  if(TARGET vexa)
    # vexa's Qt side, which it looks for beside itself; its bash completion; the schema of its
    # JSON results.
    if(TARGET vexa_qt)
      install(TARGETS vexa_qt LIBRARY DESTINATION .)
    endif()
    install(FILES ${CMAKE_SOURCE_DIR}/cli/vexa.bash-completion
                  ${CMAKE_SOURCE_DIR}/cli/vexa-report.schema.json DESTINATION .)
  endif()
  if(TARGET orlith)
    # orlith writes its results page "log.html" beside itself each time it is shown. An empty
    # page is installed in its place, so the log lists it and the uninstaller removes it
    # whether or not the results were ever opened.
    file(WRITE ${CMAKE_BINARY_DIR}/install/log.html "<html><body></body></html>\r\n")
    install(FILES ${CMAKE_BINARY_DIR}/install/log.html DESTINATION .
            PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
  if(EXISTS ${CMAKE_SOURCE_DIR}/resources/how_use.html)
    install(FILES ${CMAKE_SOURCE_DIR}/resources/how_use.html DESTINATION .)
  endif()
  install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION examples
          FILES_MATCHING PATTERN "*.vexa" PATTERN "*.csv")

  # Last: the log. Every installed file under [HOME] (the log itself last), the settings keys
  # under [REGISTRY], and under [DIRS] the folders the installation made, inner ones first
  # and DIR last. Lines end in CR LF.
  install(CODE [[
    set(_vexa_log "${_vexa_prefix}/Uninstall.log")
    set(_vexa_text "; VEXA 0.5: what the installation made, for the uninstaller (DIR/zelstart)\r\n")
    string(APPEND _vexa_text "[HOME]\r\n")
    set(_vexa_files "")
    foreach(_vexa_file IN LISTS CMAKE_INSTALL_MANIFEST_FILES)
      if(NOT "$ENV{DESTDIR}" STREQUAL "")
        string(LENGTH "$ENV{DESTDIR}" _vexa_length)
        string(SUBSTRING "${_vexa_file}" 0 ${_vexa_length} _vexa_head)
        if(_vexa_head STREQUAL "$ENV{DESTDIR}")
          string(SUBSTRING "${_vexa_file}" ${_vexa_length} -1 _vexa_file)
        endif()
      endif()
      get_filename_component(_vexa_file "${_vexa_file}" ABSOLUTE)
      list(FIND _vexa_files "${_vexa_file}" _vexa_seen)
      if(NOT _vexa_file STREQUAL _vexa_log AND _vexa_seen EQUAL -1)
        list(APPEND _vexa_files "${_vexa_file}")
        string(APPEND _vexa_text "${_vexa_file}\r\n")
      endif()
    endforeach()
    string(APPEND _vexa_text "${_vexa_log}\r\n")
    string(APPEND _vexa_text "[REGISTRY]\r\n")
    string(APPEND _vexa_text "HKEY_CURRENT_USER\\Software\\Dorvik Software\\VEXA\r\n")
    string(APPEND _vexa_text "HKEY_CURRENT_USER\\Software\\Dorvik Software\r\n")
    string(APPEND _vexa_text "[DIRS]\r\n")
    list(REVERSE VEXA_MADE_FOLDERS)
    foreach(_vexa_dir IN LISTS VEXA_MADE_FOLDERS)
      if(IS_DIRECTORY "$ENV{DESTDIR}${_vexa_dir}")
        string(APPEND _vexa_text "${_vexa_dir}\r\n")
      endif()
    endforeach()
    message(STATUS "Installing: $ENV{DESTDIR}${_vexa_log}")
    file(WRITE "$ENV{DESTDIR}${_vexa_log}.part" "${_vexa_text}")
    file(RENAME "$ENV{DESTDIR}${_vexa_log}.part" "$ENV{DESTDIR}${_vexa_log}")
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES "$ENV{DESTDIR}${_vexa_log}")

    # The keys the log lists are made here, as an installer makes what it lists: the
    # uninstaller counts a listed key it cannot find as a trouble, and without this an
    # installation whose program never ran would end in a troubles report. The user's
    # registry store is the folder the programs use; a key is a folder there, found without
    # regard to case. A staged installation (DESTDIR) is not the user's: no keys then.
    if("$ENV{DESTDIR}" STREQUAL "")
      set(_vexa_store "$ENV{VEXA_REGISTRY_DIR}")
      if(_vexa_store STREQUAL "")
        set(_vexa_config "$ENV{XDG_CONFIG_HOME}")
        if(_vexa_config STREQUAL "" AND NOT "$ENV{HOME}" STREQUAL "")
          set(_vexa_config "$ENV{HOME}/.config")
        endif()
        if(NOT _vexa_config STREQUAL "")
          set(_vexa_store "${_vexa_config}/vexa-registry")
        endif()
      endif()
      if(NOT _vexa_store STREQUAL "")
        set(_vexa_key "${_vexa_store}/HKEY_CURRENT_USER")
        foreach(_vexa_part "Software" "Dorvik Software" "VEXA")
          string(TOLOWER "${_vexa_part}" _vexa_wanted)
          set(_vexa_found "")
          if(IS_DIRECTORY "${_vexa_key}")
            file(GLOB _vexa_children LIST_DIRECTORIES true RELATIVE "${_vexa_key}" "${_vexa_key}/*")
            foreach(_vexa_child IN LISTS _vexa_children)
              string(TOLOWER "${_vexa_child}" _vexa_lower)
              if(_vexa_lower STREQUAL _vexa_wanted AND IS_DIRECTORY "${_vexa_key}/${_vexa_child}"
                 AND NOT IS_SYMLINK "${_vexa_key}/${_vexa_child}")
                set(_vexa_found "${_vexa_child}")
                break()
              endif()
            endforeach()
          endif()
          if(_vexa_found STREQUAL "")
            set(_vexa_found "${_vexa_part}")
          endif()
          set(_vexa_key "${_vexa_key}/${_vexa_found}")
        endforeach()
        message(STATUS "Registry key: ${_vexa_key}")
        file(MAKE_DIRECTORY "${_vexa_key}")
      endif()
    endif()
  ]])
endfunction()

# After every directory of the project has been read, so that every program target is known.
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL vexa_install_rules)
