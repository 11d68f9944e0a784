# What `cmake --install` puts under the prefix:
#   bin/zorvane                     the program
#   lib/libzorvane.so               the library
#   lib/zorvane/                    the work folder: Quellark.dll, gpkiapi.dll, the card
#                                   driver when built, IssuerOid.conf
#   include/zorvane/*.h             the public headers
#   lib/cmake/Zorvane/              find_package(Zorvane): target Zorvane::zorvane
#   lib/pkgconfig/zorvane.pc        pkg-config zorvane
# Run paths are relative ($ORIGIN), so the installed tree can be moved as a whole.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ZORVANE_INSTALL_WORK_DIR ${CMAKE_INSTALL_LIBDIR}/zorvane)
set(ZORVANE_INSTALL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/Zorvane)

# zorvane_relative(<var> <from> <to>): the path from one install folder to another.
function(zorvane_relative var from to)
  file(RELATIVE_PATH relative ${CMAKE_INSTALL_PREFIX}/${from} ${CMAKE_INSTALL_PREFIX}/${to})
  string(REGEX REPLACE "/$" "" relative "${relative}")
  set(${var} ${relative} PARENT_SCOPE)
endfunction()

zorvane_relative(library_to_work ${CMAKE_INSTALL_LIBDIR} ${ZORVANE_INSTALL_WORK_DIR})
zorvane_relative(program_to_work ${CMAKE_INSTALL_BINDIR} ${ZORVANE_INSTALL_WORK_DIR})
zorvane_relative(pc_to_prefix ${CMAKE_INSTALL_LIBDIR}/pkgconfig "")

# libzorvane.so finds Quellark.dll in the work folder; the program (which carries the
# library's code itself) finds it there too and takes that folder as its default work folder.
set_target_properties(zorvane PROPERTIES INSTALL_RPATH "$ORIGIN/${library_to_work}")
set_target_properties(zorvane_cli PROPERTIES INSTALL_RPATH "$ORIGIN/${program_to_work}")
target_compile_definitions(zorvane_cli PRIVATE ZORVANE_INSTALLED_WORK_FOLDER="${program_to_work}")

install(TARGETS zorvane EXPORT ZorvaneTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
set(toolkit_files Quellark gpkiapi)
if(TARGET NpkiCard)
  list(APPEND toolkit_files NpkiCard)
endif()
install(TARGETS ${toolkit_files} LIBRARY DESTINATION ${ZORVANE_INSTALL_WORK_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/data/IssuerOid.conf DESTINATION ${ZORVANE_INSTALL_WORK_DIR})
install(TARGETS zorvane_cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/include/zorvane DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

install(EXPORT ZorvaneTargets NAMESPACE Zorvane:: DESTINATION ${ZORVANE_INSTALL_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/ZorvaneConfig.cmake.in
  ${CMAKE_BINARY_DIR}/ZorvaneConfig.cmake
  INSTALL_DESTINATION ${ZORVANE_INSTALL_CMAKE_DIR}
  PATH_VARS ZORVANE_INSTALL_WORK_DIR)
# 0.x releases promise compatibility within one minor version only.
write_basic_package_version_file(${CMAKE_BINARY_DIR}/ZorvaneConfigVersion.cmake
  COMPATIBILITY SameMinorVersion)
install(FILES ${CMAKE_BINARY_DIR}/ZorvaneConfig.cmake ${CMAKE_BINARY_DIR}/ZorvaneConfigVersion.cmake
  DESTINATION ${ZORVANE_INSTALL_CMAKE_DIR})

configure_file(${CMAKE_CURRENT_LIST_DIR}/zorvane.pc.in ${CMAKE_BINARY_DIR}/zorvane.pc @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/zorvane.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
