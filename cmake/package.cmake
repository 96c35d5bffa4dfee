# Everything an installed lptspool brings besides its programs: the command on PATH, the manual
# pages, the documentation and the user service; and the Debian package made of it all
# (scripts/package).

set(LPTSPOOL_STAGE ${CMAKE_BINARY_DIR}/install)
file(MAKE_DIRECTORY ${LPTSPOOL_STAGE}/man)

# lptspool on PATH: a relative link into libexec, where the program finds print.txt and
# lptspool-launch beside itself. Made here and installed as a file, so that install_manifest.txt
# lists it and an uninstall takes it away.
file(RELATIVE_PATH LPTSPOOL_LINK_TARGET ${CMAKE_INSTALL_FULL_BINDIR}
  ${CMAKE_INSTALL_FULL_LIBEXECDIR}/lptspool/lptspool)
file(CREATE_LINK ${LPTSPOOL_LINK_TARGET} ${LPTSPOOL_STAGE}/lptspool SYMBOLIC)
install(FILES ${LPTSPOOL_STAGE}/lptspool DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages and the changelog, compressed without a name or time stamp so that every build
# gives the same bytes.
set(LPTSPOOL_GZIPPED)
foreach(source docs/man/lptspool.1 docs/man/lptspool-launch.1 data/debian/changelog)
  get_filename_component(name ${source} NAME)
  if(source MATCHES "^docs/man/")
    set(out ${LPTSPOOL_STAGE}/man/${name}.gz)
  else()
    set(out ${LPTSPOOL_STAGE}/${name}.gz)
  endif()
  add_custom_command(OUTPUT ${out}
    COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${CMAKE_SOURCE_DIR}/${source} ${out}
    DEPENDS ${CMAKE_SOURCE_DIR}/${source} VERBATIM)
  list(APPEND LPTSPOOL_GZIPPED ${out})
endforeach()
add_custom_target(lptspool_docs ALL DEPENDS ${LPTSPOOL_GZIPPED})
install(FILES ${LPTSPOOL_STAGE}/man/lptspool.1.gz ${LPTSPOOL_STAGE}/man/lptspool-launch.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES README.md data/debian/copyright ${LPTSPOOL_STAGE}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The server without a window, as a systemd user service.
configure_file(data/lptspool.service.in ${LPTSPOOL_STAGE}/lptspool.service @ONLY)
install(FILES ${LPTSPOOL_STAGE}/lptspool.service DESTINATION lib/systemd/user)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lptspool)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER
  "lptspool maintainers <maintainers@users.noreply.c-seed-c1186113.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads the SVG icon's plugins at run time; no binary links them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
# The default printer is the CUPS default destination, reached through lp. Under a Wayland session
# the window needs XWayland (X11 placement; Qt's xcb plugin comes with libqt6gui6); without it the
# server runs without a window.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups-client, xwayland")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "folder print server for the desktop")
# Below the summary line, one paragraph per empty line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Programs that can only print to a folder drop their PostScript jobs into one
spool folder; every seven seconds lptspool sends each waiting job, raw and
unchanged, to the printer behind lpt1: a printer device, a CUPS queue, a
command or a folder. A job is deleted only after the printer took all of it.

A small always-on-top window shows the number of waiting jobs and hides to a
tray icon; without a display the server runs without a window, for instance
as a systemd user service.")
include(CPack)
