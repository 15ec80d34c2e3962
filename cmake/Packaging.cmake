# Release archives in dist/: `cmake --build <dir> --target package`.
# Windows: a flat zip that players unpack into the game folder. Linux: a
# .deb and a .tar.gz.
set(CPACK_PACKAGE_NAME tarvenna)
set(CPACK_PACKAGE_VENDOR "Tarvenna developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Seed generator for a game randomizer")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_OUTPUT_FILE_PREFIX ${PROJECT_SOURCE_DIR}/dist)
set(CPACK_PACKAGE_CHECKSUM SHA256)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(TARGETS tarvenna RUNTIME DESTINATION .)
  if(TARGET tarvenna-gui)
    install(TARGETS tarvenna-gui RUNTIME DESTINATION .)
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/docs/windows-readme.txt DESTINATION . RENAME README.txt)
  # The programs carry code of others whose licences ask for their notices
  # in what is shipped: xxHash, CLI11, nlohmann-json, Highway, wxWidgets, the
  # MinGW-w64 runtime with winpthreads, and GCC's runtime. Debian's copyright
  # files of the very sources they were built from hold them; Highway's
  # licence, which Windows has no copy of, follows in full.
  set(notice_sources libxxhash-dev libcli11-dev nlohmann-json3-dev libhwy-dev wx3.2-headers mingw-w64-x86-64-dev
      gcc-mingw-w64-base)
  set(notices ${PROJECT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt)
  file(WRITE ${notices} "Tarvenna's programs contain code from the projects below, under their own licences.\n")
  foreach(package ${notice_sources})
    set(copyright /usr/share/doc/${package}/copyright)
    if(NOT EXISTS ${copyright})
      message(FATAL_ERROR "${copyright} is missing: the zip needs its notices (install ${package})")
    endif()
    file(READ ${copyright} text)
    file(APPEND ${notices} "\n==== ${package} (from Debian's copyright file) ====\n\n${text}")
  endforeach()
  file(READ /usr/share/common-licenses/Apache-2.0 apache)
  file(APPEND ${notices} "\n==== The Apache License, Version 2.0 (Highway's licence) ====\n\n${apache}")
  install(FILES ${notices} DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
  set(CPACK_PACKAGE_FILE_NAME tarvenna-${PROJECT_VERSION}-windows-x64)
else()
  # Laid out as Debian users expect of a package in the games section: the
  # programs in games/, a desktop menu entry with the icon in the usual
  # sizes, manual pages in section 6, and the copyright and changelog files
  # in the package's documentation folder.
  set(linux_files ${PROJECT_SOURCE_DIR}/packaging/linux)
  set(staged ${PROJECT_BINARY_DIR}/packaging)
  install(TARGETS tarvenna RUNTIME DESTINATION games)
  install(FILES ${PROJECT_SOURCE_DIR}/README.md ${linux_files}/copyright DESTINATION share/doc/tarvenna)
  # lintian's warnings that are kept, each with its reason.
  install(FILES ${linux_files}/lintian-overrides DESTINATION share/lintian/overrides RENAME tarvenna)
  add_custom_command(OUTPUT ${staged}/changelog.Debian.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${staged}
    COMMAND gzip -9n -c ${linux_files}/changelog > ${staged}/changelog.Debian.gz
    DEPENDS ${linux_files}/changelog)
  set(linux_outputs ${staged}/changelog.Debian.gz)
  install(FILES ${staged}/changelog.Debian.gz DESTINATION share/doc/tarvenna)

  # The command's manual page from its own --help. help2man is needed only
  # for the package: without it, builds go on and packaging stops.
  find_program(HELP2MAN help2man)
  if(HELP2MAN)
    add_custom_command(OUTPUT ${staged}/tarvenna.6.gz
      COMMAND ${HELP2MAN} --no-info --section=6 --version-string=${PROJECT_VERSION}
              --include=${linux_files}/tarvenna.h2m --output=${staged}/tarvenna.6 $<TARGET_FILE:tarvenna>
      COMMAND gzip -9nf ${staged}/tarvenna.6
      DEPENDS tarvenna ${linux_files}/tarvenna.h2m)
    list(APPEND linux_outputs ${staged}/tarvenna.6.gz)
    install(FILES ${staged}/tarvenna.6.gz DESTINATION share/man/man6)
  else()
    install(CODE "message(FATAL_ERROR \"help2man is needed for the manual page of the package\")")
  endif()

  if(TARGET tarvenna-gui)
    install(TARGETS tarvenna-gui RUNTIME DESTINATION games)
    install(FILES ${linux_files}/tarvenna.desktop DESTINATION share/applications)
    set(icon_sizes 16 22 24 32 48 64 128 256)
    set(icon_files ${icon_sizes})
    list(TRANSFORM icon_files REPLACE "(.+)" "${staged}/icons/\\1x\\1/apps/tarvenna.png")
    add_custom_command(OUTPUT ${icon_files}
      COMMAND tarvenna-icon-png ${staged}/icons ${icon_sizes}
      DEPENDS tarvenna-icon-png)
    install(DIRECTORY ${staged}/icons/ DESTINATION share/icons/hicolor)
    configure_file(${linux_files}/tarvenna-gui.6.in ${staged}/tarvenna-gui.6 @ONLY)
    add_custom_command(OUTPUT ${staged}/tarvenna-gui.6.gz
      COMMAND gzip -9n -c ${staged}/tarvenna-gui.6 > ${staged}/tarvenna-gui.6.gz
      DEPENDS ${staged}/tarvenna-gui.6)
    list(APPEND linux_outputs ${icon_files} ${staged}/tarvenna-gui.6.gz)
    install(FILES ${staged}/tarvenna-gui.6.gz DESTINATION share/man/man6)
  endif()
  add_custom_target(tarvenna_linux_package_files ALL DEPENDS ${linux_outputs})

  set(CPACK_GENERATOR DEB TGZ)
  set(CPACK_PACKAGE_FILE_NAME tarvenna-${PROJECT_VERSION}-linux-x86_64)
  set(CPACK_PACKAGE_DESCRIPTION "Tarvenna deals the 180 item pick-ups of a survival-horror game anew so
that the game stays finishable, and can give rooms new enemies, rewire
doors and redraw locks. It writes the item list file that the game's
trainer reads and a cheat sheet. A given seed and settings always give
the same files.

The package holds the settings dialog (tarvenna-gui, in the desktop's
games menu) and the command (tarvenna), with share codes, check words
and a spoiler file.")
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Tarvenna developers <tarvenna@tarvenna.invalid>")
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  # The revision of the Debian packaging, as in packaging/linux/changelog.
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # The dialog's wxWidgets and GTK libraries, as dpkg finds them.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
endif()
include(CPack)
