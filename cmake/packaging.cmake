# Installation and packages: the program, its man page and its papers, a
# Debian package from the native build and a zip from the Windows build, all
# with the version of the project() line.
include(GNUInstallDirs)
# Installing or packaging needs the program only, not the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

if(WIN32)
  # A zip is unpacked anywhere: the program with its papers beside it, a
  # user's README (not the developers' README.md) and the licence, as .txt
  # files with CR LF line ends, which Notepad on any Windows shows as lines.
  install(TARGETS blkcopy RUNTIME DESTINATION .)
  foreach(paper doc/README-windows.txt:README.txt LICENSE:LICENSE.txt)
    string(REPLACE ":" ";" paper ${paper})
    list(GET paper 0 from)
    list(GET paper 1 to)
    configure_file(${from} ${CMAKE_CURRENT_BINARY_DIR}/${to} @ONLY NEWLINE_STYLE CRLF)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/${to} DESTINATION .)
  endforeach()
else()
  install(TARGETS blkcopy RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Debian keeps manual pages and a native package's changelog compressed,
  # with gzip -9n (no name or time inside, so a rebuild gives the same bytes).
  # Both are made when the tree is configured: packaging builds nothing.
  foreach(paper blkcopy.1 changelog)
    set(from doc/${paper})
    if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${from})
      set(from ${from}.in)
    endif()
    configure_file(${from} ${CMAKE_CURRENT_BINARY_DIR}/${paper} @ONLY)
    execute_process(COMMAND gzip -9n -c ${CMAKE_CURRENT_BINARY_DIR}/${paper}
                    OUTPUT_FILE ${CMAKE_CURRENT_BINARY_DIR}/${paper}.gz COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/blkcopy.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  install(FILES LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME copyright)
endif()

set(CPACK_PACKAGE_NAME blkcopy)
set(CPACK_PACKAGE_VENDOR "the blkcopy authors")
set(CPACK_PACKAGE_CONTACT "the blkcopy authors <blkcopy@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "copy one very large file in big unbuffered blocks, stoppable and resumable")
set(CPACK_PACKAGE_DESCRIPTION "blkcopy copies one very large file (a disk or VM image, a backup)
to another in big blocks past the system's file cache, with a live progress
box. Ctrl+C stops it after the block in progress, and the same command with
/R continues the copy.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win32)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
  # dpkg-shlibdeps names the libc6 and libstdc++6 versions the program needs.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/packages)
include(CPack)
