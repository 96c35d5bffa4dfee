# The Windows build (cmake/mingw-w64-x86_64.cmake): lptspool.exe and lptspool-launch.exe (both
# without a console and statically linked, src/CMakeLists.txt), lptspool.com for the command
# prompt, with print.txt beside them; the installed tree, the zip and the installer, and the tests under Wine.
# Everything in one folder, as the server expects: the programs, the template, the README.
install(TARGETS lptspool lptspool-console lptspool-launch RUNTIME DESTINATION .)
install(FILES data/print.txt DESTINATION .)
install(FILES README.md DESTINATION . RENAME README.txt)
install(FILES docs/windows.md DESTINATION . RENAME WINDOWS.txt)
# The guides and pictures the README links to, where its links lead.
file(GLOB lptspool_docs ${CMAKE_SOURCE_DIR}/docs/*.md ${CMAKE_SOURCE_DIR}/docs/*.png)
install(FILES ${lptspool_docs} DESTINATION docs)

include(cmake/windows_package.cmake)

if(LPTSPOOL_TESTS)
  enable_testing()
  add_subdirectory(tests/windows)
endif()

