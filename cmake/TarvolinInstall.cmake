# Where an installation puts the programs, and the hook every program's
# folder calls to be installed (see datamodel/Installation.h for the layout
# the programs rely on to find each other and the manual).
#
#   tarvolin_install_program(<target> DESKTOP|COMMAND [FILES <file>...])
#
# DESKTOP: a desktop program, into <prefix>/lib/tarvolin beside the others,
#          with a link in <prefix>/bin; FILES go beside it (the Monitor's
#          resource file). In the build tree the Launcher's folder gets a
#          link to it, so that the Launcher finds it there as well.
# COMMAND: a command-line program, into <prefix>/bin.

set(TARVOLIN_PROGRAM_DIR "lib/tarvolin")
set(TARVOLIN_DATA_DIR "share/tarvolin")

function(tarvolin_install_program target kind)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "FILES")
  if(kind STREQUAL "DESKTOP")
    install(TARGETS ${target} RUNTIME DESTINATION "${TARVOLIN_PROGRAM_DIR}")
    if(arg_FILES)
      install(FILES ${arg_FILES} DESTINATION "${TARVOLIN_PROGRAM_DIR}")
    endif()
    get_target_property(name ${target} OUTPUT_NAME)
    if(NOT name)
      set(name ${target})
    endif()
    install(CODE "
      set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
      file(MAKE_DIRECTORY \"\${bin}\")
      file(REMOVE \"\${bin}/${name}\")
      file(CREATE_LINK \"../${TARVOLIN_PROGRAM_DIR}/${name}\" \"\${bin}/${name}\" SYMBOLIC)
      message(STATUS \"Installing: \${bin}/${name} -> ../${TARVOLIN_PROGRAM_DIR}/${name}\")")
    set_property(GLOBAL APPEND PROPERTY TARVOLIN_DESKTOP_PROGRAMS ${target})
  elseif(kind STREQUAL "COMMAND")
    install(TARGETS ${target} RUNTIME DESTINATION bin)
  else()
    message(FATAL_ERROR "tarvolin_install_program: ${target}: DESKTOP or COMMAND, not ${kind}")
  endif()
endfunction()
