# Run by `cmake --install` last. Installed for use on this machine (not
# staged for a package with DESTDIR): the desktop's caches learn the new
# entries, icons and file type.
if(NOT "$ENV{DESTDIR}" STREQUAL "")
  return()
endif()
set(share "${CMAKE_INSTALL_PREFIX}/share")
find_program(update_mime update-mime-database)
find_program(update_desktop update-desktop-database)
find_program(update_icons gtk-update-icon-cache)
if(update_mime)
  execute_process(COMMAND "${update_mime}" "${share}/mime")
endif()
if(update_desktop)
  execute_process(COMMAND "${update_desktop}" -q "${share}/applications")
endif()
if(update_icons AND EXISTS "${share}/icons/hicolor/index.theme")
  execute_process(COMMAND "${update_icons}" -q -t -f "${share}/icons/hicolor")
endif()
