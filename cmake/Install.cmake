# cmake --install: the program folder (the programs side by side with the help), links to the
# two programs in bin/, the desktop entry, the icons, the AppStream data and the man pages.
set(QUILLON_PROGRAM_DIR lib/quillon)
# Directories made by the install steps are not group-writable, whatever the umask.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS quillon-cli ferrox ferrox-probe tavrel RUNTIME DESTINATION ${QUILLON_PROGRAM_DIR})
set(quillon_linked quillon-cli)
set(quillon_man_pages quillon-cli)
if(TARGET quillon)
  install(TARGETS quillon RUNTIME DESTINATION ${QUILLON_PROGRAM_DIR})
  install(FILES src/ui/help/index.html src/ui/help/help.css DESTINATION ${QUILLON_PROGRAM_DIR}/help)
  install(FILES src/ui/desktop/quillon.desktop DESTINATION share/applications)
  install(FILES src/ui/desktop/quillon.svg DESTINATION share/icons/hicolor/scalable/apps)
  # The PNG sizes are rendered from the SVG (rsvg-convert -w N -h N) and kept in the project.
  foreach(size 16 22 24 32 48 64 128 256 512)
    install(FILES packaging/icons/quillon-${size}.png
      DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME quillon.png)
  endforeach()
  configure_file(packaging/org.example.quillon.metainfo.xml.in
    ${CMAKE_BINARY_DIR}/packaging/org.example.quillon.metainfo.xml @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/packaging/org.example.quillon.metainfo.xml DESTINATION share/metainfo)
  list(APPEND quillon_linked quillon)
  list(APPEND quillon_man_pages quillon)
endif()

# Man pages carry the version and are installed compressed, as Debian expects.
set(man_outputs)
foreach(page ${quillon_man_pages})
  configure_file(packaging/man/${page}.1 ${CMAKE_BINARY_DIR}/packaging/man/${page}.1 @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/man/${page}.1.gz
    COMMAND gzip -9n -c ${CMAKE_BINARY_DIR}/packaging/man/${page}.1 > ${CMAKE_BINARY_DIR}/packaging/man/${page}.1.gz
    DEPENDS ${CMAKE_BINARY_DIR}/packaging/man/${page}.1 VERBATIM)
  list(APPEND man_outputs ${CMAKE_BINARY_DIR}/packaging/man/${page}.1.gz)
endforeach()
configure_file(packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9n -c ${CMAKE_BINARY_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog VERBATIM)
add_custom_target(quillon_docs ALL DEPENDS ${man_outputs} ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${man_outputs} DESTINATION share/man/man1)
install(FILES packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz DESTINATION share/doc/quillon)

# The programs find ferrox, ferrox-probe, tavrel and the help through their own resolved path, so links work.
foreach(program ${quillon_linked})
  install(CODE "
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/bin\")
    file(MAKE_DIRECTORY \"\${bin}\")
    file(CREATE_LINK \"../${QUILLON_PROGRAM_DIR}/${program}\" \"\${bin}/${program}\" SYMBOLIC)
    message(STATUS \"Linking: \${bin}/${program}\")
  ")
endforeach()
