# Run by `cmake --install`: writes one desktop entry with the program's
# absolute path in Exec (an installation into /opt is not on PATH).
# In: TARVOLIN_ENTRY (the .desktop.in file), TARVOLIN_ENTRY_NAME.
set(prefix "${CMAKE_INSTALL_PREFIX}")
# Exec takes such characters only quoted and escaped; no prefix needs them.
if(prefix MATCHES "[] \"'\\\\$`;&|<>(){}[]")
  message(FATAL_ERROR "desktop entries cannot name programs below \"${prefix}\": "
                      "choose a prefix without blanks, quotes or shell characters")
endif()
file(READ "${TARVOLIN_ENTRY}" text)
string(REPLACE "@BINDIR@" "${prefix}/bin" text "${text}")
set(out "$ENV{DESTDIR}${prefix}/share/applications/${TARVOLIN_ENTRY_NAME}.desktop")
message(STATUS "Installing: ${out}")
file(WRITE "${out}" "${text}")
