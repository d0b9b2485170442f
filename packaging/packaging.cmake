# The Debian package: `cmake --build build --target deb` (or `cpack -G DEB` in build/).
# The program keeps its flat layout under /opt/veskmeeting, where it finds its
# library, areaCode.dat, agreements and translations beside itself; the files
# below hook it into the desktop and exist only in the package, so a plain
# `cmake --install` keeps giving the flat folder.
set(VESK_PACKAGE_DIR /opt/veskmeeting)
set(VESK_PACKAGE_STAGE ${CMAKE_BINARY_DIR}/package-files)
file(MAKE_DIRECTORY ${VESK_PACKAGE_STAGE})
# Links from one top-level folder to another are absolute (Debian policy 10.5).
file(CREATE_LINK ${VESK_PACKAGE_DIR}/VeskMeeting ${VESK_PACKAGE_STAGE}/veskmeeting SYMBOLIC)
file(CREATE_LINK /etc/veskmeeting/config.ini ${VESK_PACKAGE_STAGE}/config.ini SYMBOLIC)
file(WRITE ${VESK_PACKAGE_STAGE}/conffiles "/etc/veskmeeting/config.ini\n")
# Changelog and manual page compressed as Debian wants them: best, no name or time stamp.
foreach(doc changelog veskmeeting.1)
  execute_process(COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/packaging/${doc}
    OUTPUT_FILE ${VESK_PACKAGE_STAGE}/${doc}.gz)
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/packaging/changelog ${CMAKE_SOURCE_DIR}/packaging/veskmeeting.1)

install(FILES ${VESK_PACKAGE_STAGE}/veskmeeting DESTINATION /usr/bin
  COMPONENT desktop EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/veskmeeting.desktop DESTINATION /usr/share/applications
  COMPONENT desktop EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_SOURCE_DIR}/resources/images/logo.png DESTINATION /usr/share/icons/hicolor/256x256/apps
  RENAME veskmeeting.png COMPONENT desktop EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_SOURCE_DIR}/resources/images-src/logo.svg DESTINATION /usr/share/icons/hicolor/scalable/apps
  RENAME veskmeeting.svg COMPONENT desktop EXCLUDE_FROM_ALL)
# config.ini is read beside the executable; the editable copy lives in /etc.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/config.ini DESTINATION /etc/veskmeeting
  COMPONENT desktop EXCLUDE_FROM_ALL)
install(FILES ${VESK_PACKAGE_STAGE}/config.ini DESTINATION . COMPONENT desktop EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/copyright ${VESK_PACKAGE_STAGE}/changelog.gz
  DESTINATION /usr/share/doc/veskmeeting COMPONENT desktop EXCLUDE_FROM_ALL)
install(FILES ${VESK_PACKAGE_STAGE}/veskmeeting.1.gz DESTINATION /usr/share/man/man1
  COMPONENT desktop EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME veskmeeting)
set(CPACK_PACKAGE_VENDOR "Vesk")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Vesk云会议 cloud-meeting client")
# The extended description's lines stay within 80 columns.
set(CPACK_PACKAGE_DESCRIPTION "Desktop client of the Vesk cloud-meeting service: sign in,
 schedule meetings and join them, also from veskmeet: links.")
set(CPACK_PACKAGING_INSTALL_PREFIX ${VESK_PACKAGE_DIR})
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_COMPONENTS_ALL Unspecified desktop)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "VeskMeeting developers <dev@vesk.cn>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${VESK_PACKAGE_STAGE}/conffiles)
include(CPack)

add_custom_target(deb
  COMMAND ${CMAKE_CPACK_COMMAND} -G DEB --config ${CMAKE_BINARY_DIR}/CPackConfig.cmake
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  DEPENDS VeskMeeting wemeetsdk wemeetsdk-windows agreement_pdfs beside_exe
  COMMENT "Building the Debian package"
  VERBATIM)
