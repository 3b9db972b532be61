# What `cmake --install` and the Debian package carry:
#   bin/etbtool                      the command-line host
#   lib/libznk*.so, lib/libzng.so    the stand-in host libraries
#   lib/etbplugin/libetbplugin.so    the module
#   include/                         the host interface headers, with a CMake package
#                                    (find_package(EtbHost) gives the target EtbHost::headers)
#                                    and a pkg-config file (etbhost.pc)
#   share/man/man1/etbtool.1.gz      etbtool's man page (with ETB_MAN_PAGE, the default)
#   share/bash-completion/...        etbtool's bash completion
# Installed binaries find their libraries relative to themselves, wherever the tree is put.
include(CMakePackageConfigHelpers)

set(ETB_LIBDIR ${CMAKE_INSTALL_LIBDIR})
set_target_properties(znkutils zng znk PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(etbplugin PROPERTIES INSTALL_RPATH "$ORIGIN/..")
set_target_properties(etbtool PROPERTIES INSTALL_RPATH "$ORIGIN/../${ETB_LIBDIR}")

install(TARGETS znkutils zng znk LIBRARY DESTINATION ${ETB_LIBDIR})
install(TARGETS etbplugin LIBRARY DESTINATION ${ETB_LIBDIR}/etbplugin)
install(TARGETS etbtool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/host/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
if(ETB_MAN_PAGE)
  install(FILES ${ETBTOOL_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/tools/etbtool/etbtool.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME etbtool)

# The interface headers as a package of their own: what a host project compiles against.
add_library(etb_host_headers INTERFACE)
target_include_directories(etb_host_headers
                           INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
set_target_properties(etb_host_headers PROPERTIES EXPORT_NAME headers)
install(TARGETS etb_host_headers EXPORT EtbHostTargets)
set(ETB_CMAKE_DIR ${ETB_LIBDIR}/cmake/EtbHost)
install(EXPORT EtbHostTargets NAMESPACE EtbHost:: DESTINATION ${ETB_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/EtbHostConfig.cmake.in
                              ${CMAKE_CURRENT_BINARY_DIR}/EtbHostConfig.cmake
                              INSTALL_DESTINATION ${ETB_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/EtbHostConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion ARCH_INDEPENDENT)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/EtbHostConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/EtbHostConfigVersion.cmake
        DESTINATION ${ETB_CMAKE_DIR})

# The same headers for pkg-config: lib/pkgconfig/etbhost.pc, whose prefix is found from its place.
set(ETB_PKGCONFIG_DIR ${ETB_LIBDIR}/pkgconfig)
file(RELATIVE_PATH ETB_PC_TO_PREFIX /prefix/${ETB_PKGCONFIG_DIR} /prefix)
string(REGEX REPLACE "/$" "" ETB_PC_TO_PREFIX "${ETB_PC_TO_PREFIX}")
configure_file(${PROJECT_SOURCE_DIR}/cmake/etbhost.pc.in ${CMAKE_CURRENT_BINARY_DIR}/etbhost.pc
               @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/etbhost.pc DESTINATION ${ETB_PKGCONFIG_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME etbplugin)
set(CPACK_PACKAGE_VENDOR "etbplugin developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "ETB annotation plug-in module, its command-line host etbtool and the host headers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "etbplugin developers <dev@etbplugin.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1, libzip4, libcsv3")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
