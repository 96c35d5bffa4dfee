# The desktop's view of the program: its menu entry and its icon (the one the window and the tray
# show), in the places freedesktop.org desktops look for them.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../data/lptspool.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../src/platform/qt/lptspool.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
