# What `cmake --install` puts in place: the vorn program and its manual
# page, the library's headers and static libraries, a CMake package
# (find_package(vorn); targets vorn::base ... vorn::cli) and a pkg-config
# file (vorn.pc). Every installed path is relative to the prefix, so the
# tree may be installed anywhere (cmake --install build --prefix DIR).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# Library target -> exported name (vorn::<name>), in link order: each
# library before the ones it uses.
set(VORN_LIBRARIES
  vorn_cli cli
  vorn_service service
  vorn_transport transport
  vorn_fatturapa fatturapa
  vorn_invoice invoice
  vorn_soap soap
  vorn_xml xml
  vorn_registry registry
  vorn_base base
)
set(VORN_EXPORTED "")
set(VORN_PC_LIBS "")
list(LENGTH VORN_LIBRARIES count)
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last} 2)
  math(EXPR j "${i} + 1")
  list(GET VORN_LIBRARIES ${i} target)
  list(GET VORN_LIBRARIES ${j} name)
  set_target_properties(${target} PROPERTIES EXPORT_NAME ${name})
  list(APPEND VORN_EXPORTED ${target})
  string(APPEND VORN_PC_LIBS " -l${target}")
endforeach()

install(TARGETS vorn RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/vorn.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Headers keep their folders, under include/vorn: #include "service/service.h".
set(VORN_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/vorn)
foreach(dir base service soap invoice fatturapa transport cli)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/${dir}/ DESTINATION ${VORN_INCLUDE_DIR}/${dir}
          FILES_MATCHING PATTERN "*.h")
endforeach()

# vorn_libxml2 says how the XML layer links libxml2 (shared, for the library).
install(TARGETS ${VORN_EXPORTED} vorn_libxml2 EXPORT vornTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
set(VORN_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/vorn)
install(EXPORT vornTargets NAMESPACE vorn:: DESTINATION ${VORN_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/vornConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/vornConfig.cmake
                              INSTALL_DESTINATION ${VORN_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/vornConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/vornConfig.cmake ${PROJECT_BINARY_DIR}/vornConfigVersion.cmake
        DESTINATION ${VORN_CMAKE_DIR})

# pkg-config finds the prefix from where vorn.pc lies.
set(VORN_PC_DIR ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
file(RELATIVE_PATH VORN_PC_TO_PREFIX /prefix/${VORN_PC_DIR} /prefix)
string(REGEX REPLACE "/$" "" VORN_PC_TO_PREFIX "${VORN_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/vorn.pc.in ${PROJECT_BINARY_DIR}/vorn.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/vorn.pc DESTINATION ${VORN_PC_DIR})
