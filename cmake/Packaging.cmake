# What an installation holds, and the package made of it by cpack (scripts/package.sh runs it).
# Linux: the command-line tool, its manual page, its bash completion and the documents (with the
# manifest's schema), under any prefix, packaged as a Debian package. Windows: the window program and the documents side by
# side, packaged as a zip that a user unpacks and starts the program from.
include(GNUInstallDirs)

set(quillmark_documents
  "${PROJECT_SOURCE_DIR}/README.md" "${PROJECT_SOURCE_DIR}/LICENSE" "${PROJECT_SOURCE_DIR}/NOTICES")

set(CPACK_PACKAGE_VENDOR "The Quillmark authors")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "converts layered PSD documents to PNG and MNG, and BMP and PNG into each other")
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(TARGETS quillconv RUNTIME DESTINATION .)
  install(FILES ${quillmark_documents} DESTINATION .)

  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "quillmark-${PROJECT_VERSION}-win64")
else()
  # The manual page carries the project's version.
  set(QUILLMARK_MANUAL_PAGE "${CMAKE_BINARY_DIR}/docs/quillconv-cli.1")
  configure_file("${PROJECT_SOURCE_DIR}/docs/quillconv-cli.1.in" "${QUILLMARK_MANUAL_PAGE}" @ONLY)

  install(TARGETS quillconv-cli RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
  install(FILES "${QUILLMARK_MANUAL_PAGE}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
  install(FILES "${PROJECT_SOURCE_DIR}/app/cli/quillconv-cli.bash-completion"
    DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions" RENAME quillconv-cli)
  install(FILES ${quillmark_documents} "${PROJECT_SOURCE_DIR}/docs/manifest.schema.json"
    DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/quillmark")

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME quillconv-cli)
  set(CPACK_PACKAGE_CONTACT "The Quillmark authors")
  set(CPACK_PACKAGE_DESCRIPTION
    "quillconv-cli converts layered PSD documents into per-layer and merged PNG images, MNG
animations and text reports, and BMP and PNG images into each other with alpha carried in one
of three ways. It offers the conversions of the Quillmark window program from a terminal.")
  set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
  # The dependencies are the Debian packages of the libraries the tool links (libpng, zlib, lcms2 and
  # the C and C++ runtimes), as dpkg-shlibdeps finds them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
endif()

include(CPack)
