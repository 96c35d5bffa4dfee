# The Windows build (cmake/mingw-w64-x86_64.cmake): lptspool.exe and lptspool-launch.exe, both
# without a console and statically linked, with print.txt beside them; the zip and the installer.
enable_language(RC)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
add_link_options(-static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)

# Host layer without a window: DOS paths, files, processes. lptspool-launch links only this.
file(GLOB LPTSPOOL_HOST_SOURCES CONFIGURE_DEPENDS src/platform/*.cpp src/platform/win32/*.cpp)
add_library(lptspool_host STATIC ${LPTSPOOL_HOST_SOURCES})
target_include_directories(lptspool_host PUBLIC src)
target_compile_definitions(lptspool_host PUBLIC LPTSPOOL_VERSION="${PROJECT_VERSION}")
# The launcher prints to installed printers through the spooler and checks files' owners.
target_link_libraries(lptspool_host PUBLIC winspool advapi32)

file(GLOB LPTSPOOL_QUEUE_SOURCES CONFIGURE_DEPENDS src/queue/*.cpp)
add_library(lptspool_queue STATIC ${LPTSPOOL_QUEUE_SOURCES})
target_link_libraries(lptspool_queue PUBLIC lptspool_host)

file(GLOB LPTSPOOL_CORE_SOURCES CONFIGURE_DEPENDS
  src/text/*.cpp src/spool/*.cpp src/shell/*.cpp src/app/*.cpp)
list(FILTER LPTSPOOL_CORE_SOURCES EXCLUDE REGEX ".*/app/main\\.cpp$")
add_library(lptspool_core STATIC ${LPTSPOOL_CORE_SOURCES})
target_link_libraries(lptspool_core PUBLIC lptspool_host lptspool_queue lptspool_launch_lib)

file(GLOB LPTSPOOL_MEMORY_SOURCES CONFIGURE_DEPENDS src/platform/memory/*.cpp)
add_library(lptspool_memory STATIC ${LPTSPOOL_MEMORY_SOURCES})
target_link_libraries(lptspool_memory PUBLIC lptspool_core)

# The window, its controls and the shell's services on user32 and shell32.
file(GLOB LPTSPOOL_GUI_SOURCES CONFIGURE_DEPENDS src/platform/win32/gui/*.cpp)
add_library(lptspool_gui STATIC ${LPTSPOOL_GUI_SOURCES})
target_link_libraries(lptspool_gui PUBLIC lptspool_core user32 gdi32 shell32 comctl32)

add_executable(lptspool WIN32 src/app/main.cpp data/windows/lptspool.rc)
target_link_libraries(lptspool PRIVATE lptspool_gui)

add_subdirectory(src/launch)
# It runs hidden, started by the server: no console window may flash up for each job.
set_target_properties(lptspool-launch PROPERTIES WIN32_EXECUTABLE ON)

add_custom_command(OUTPUT ${LPTSPOOL_BIN_DIR}/print.txt
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/data/print.txt ${LPTSPOOL_BIN_DIR}/print.txt
  DEPENDS ${CMAKE_SOURCE_DIR}/data/print.txt)
add_custom_target(print_txt ALL DEPENDS ${LPTSPOOL_BIN_DIR}/print.txt)
add_dependencies(lptspool print_txt)

# Everything in one folder, as the server expects: the programs, the template, the README.
install(TARGETS lptspool lptspool-launch RUNTIME DESTINATION .)
install(FILES data/print.txt DESTINATION .)
install(FILES README.md DESTINATION . RENAME README.txt)

include(cmake/windows_package.cmake)

if(LPTSPOOL_TESTS)
  enable_testing()
  add_subdirectory(tests/windows)
endif()

