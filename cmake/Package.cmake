# cpack -G DEB: quillon_<version>_<arch>.deb from the install rules, installed under /usr.
set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quillon developers")
set(CPACK_PACKAGE_CONTACT "The Quillon developers <support@quillon.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop converter for video and audio files")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://quillon.example.org/")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS ${CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS})

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# CPack puts the summary in front of this, the extended description.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Quillon collects video and audio files, whole folders, DVD titles and audio CD
tracks in a list and converts them to one of many output formats, several side
by side or joined into one file. It drives the system's ffmpeg.
.
quillon-cli converts the same way without a display and exports a batch as
shell jobs for GNU parallel or a cluster.")
# The libraries the programs link come from dpkg-shlibdeps; ffmpeg is run, not linked.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "ffmpeg")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
