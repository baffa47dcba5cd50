# `make install`: the library, its plug-ins, its public headers, a pkg-config file and a CMake package.
include(CMakePackageConfigHelpers)
install(TARGETS vexiro EXPORT vexiroTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The plug-ins go to vexiro/ beside the library, one of the folders the library searches by default,
# so that an installed library finds them without VEXIRO_PLUGIN_PATH. The test plug-ins stay behind.
install(TARGETS vximgplug LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/vexiro)
install(DIRECTORY include/vexiro DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT vexiroTargets NAMESPACE vexiro:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/vexiro)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/vexiroConfig.cmake.in
  "@PACKAGE_INIT@\ninclude(\"\${CMAKE_CURRENT_LIST_DIR}/vexiroTargets.cmake\")\n")
configure_package_config_file(${CMAKE_CURRENT_BINARY_DIR}/vexiroConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/vexiroConfig.cmake INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/vexiro)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/vexiroConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vexiroConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/vexiroConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/vexiro)
# Programs linked through pkg-config carry the library's folder as their run path, so they run
# from any prefix without LD_LIBRARY_PATH; a folder the linker searches anyway needs none.
file(RELATIVE_PATH VEXIRO_PC_PREFIX_FROM_PCDIR ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" VEXIRO_PC_PREFIX_FROM_PCDIR "${VEXIRO_PC_PREFIX_FROM_PCDIR}")
set(VEXIRO_PC_RUNPATH "-Wl,-rpath,\${libdir} ")
if(CMAKE_INSTALL_FULL_LIBDIR IN_LIST CMAKE_CXX_IMPLICIT_LINK_DIRECTORIES)
  set(VEXIRO_PC_RUNPATH "")
endif()
configure_file(cmake/vexiro.pc.in ${CMAKE_CURRENT_BINARY_DIR}/vexiro.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/vexiro.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
