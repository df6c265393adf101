# cmake --install: the program folder (the programs side by side with the help), links to the
# two programs in bin/, the desktop entry and the icon.
set(QUILLON_PROGRAM_DIR lib/quillon)

install(TARGETS quillon-cli ferrox tavrel RUNTIME DESTINATION ${QUILLON_PROGRAM_DIR})
set(quillon_linked quillon-cli)
if(TARGET quillon)
  install(TARGETS quillon RUNTIME DESTINATION ${QUILLON_PROGRAM_DIR})
  install(FILES src/ui/help/index.html src/ui/help/help.css DESTINATION ${QUILLON_PROGRAM_DIR}/help)
  install(FILES src/ui/desktop/quillon.desktop DESTINATION share/applications)
  install(FILES src/ui/desktop/quillon.svg DESTINATION share/icons/hicolor/scalable/apps)
  list(APPEND quillon_linked quillon)
endif()

# The programs find ferrox, tavrel and the help through their own resolved path, so links work.
foreach(program ${quillon_linked})
  install(CODE "
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
    file(MAKE_DIRECTORY \"\${bin}\")
    file(CREATE_LINK \"../${QUILLON_PROGRAM_DIR}/${program}\" \"\${bin}/${program}\" SYMBOLIC)
    message(STATUS \"Linking: \${bin}/${program}\")
  ")
endforeach()
