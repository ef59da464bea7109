# Installation and the Debian package.
#
#   <prefix>/lib/corvane-notification/corvane-notification   the program
#   <prefix>/lib/corvane-notification/Data/                  its data, found beside the
#                                                            executable's real path
#   <prefix>/bin/corvane-notification                        a relative symbolic link to it
#   <prefix>/lib/udev/rules.d/70-corvane-notification.rules  seat access to the devices
#   <prefix>/share/applications, metainfo, icons/hicolor     desktop integration
#
# With the prefix /usr (the package's) the udev rule lands where udev reads
# it; other prefixes need it copied to /etc/udev/rules.d by hand.

set(CORVANE_PROGRAM_DIR lib/corvane-notification)

# The icon theme's PNGs, drawn by the program's own icon code.
set(CORVANE_ICON_DIR ${CMAKE_BINARY_DIR}/icons)
set(corvane_icon_files ${CORVANE_ICON_DIR}/128/corvane-notification.png
                       ${CORVANE_ICON_DIR}/256/corvane-notification.png)
add_custom_command(OUTPUT ${corvane_icon_files}
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
          $<TARGET_FILE:corvane-icon-writer> ${CORVANE_ICON_DIR}
  DEPENDS corvane-icon-writer
  COMMENT "Drawing the program's icon")
add_custom_target(corvane_icons ALL DEPENDS ${corvane_icon_files})

install(TARGETS corvane-notification RUNTIME DESTINATION ${CORVANE_PROGRAM_DIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/ DESTINATION ${CORVANE_PROGRAM_DIR}/Data
  PATTERN CMakeLists.txt EXCLUDE)
install(CODE [[
  set(bin "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
  file(MAKE_DIRECTORY "${bin}")
  file(CREATE_LINK ../lib/corvane-notification/corvane-notification
       "${bin}/corvane-notification" SYMBOLIC)
  message(STATUS "Installing: ${bin}/corvane-notification (link)")
]])
install(FILES ${CMAKE_SOURCE_DIR}/packaging/70-corvane-notification.rules
  DESTINATION lib/udev/rules.d)
# The entry names the installed executable by its full path: KWin grants
# its window list (X-KDE-Wayland-Interfaces) only to the program an entry's
# Exec resolves to. The prefix is the one in force at install time.
install(CODE "set(CORVANE_DESKTOP_ENTRY \"${CMAKE_SOURCE_DIR}/packaging/corvane-notification.desktop\")")
install(CODE [[
  file(READ "${CORVANE_DESKTOP_ENTRY}" entry)
  string(REGEX REPLACE "\nExec=[^\n]*" "\nExec=${CMAKE_INSTALL_PREFIX}/bin/corvane-notification"
    entry "${entry}")
  set(applications "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications")
  file(MAKE_DIRECTORY "${applications}")
  file(WRITE "${applications}/corvane-notification.desktop" "${entry}")
  message(STATUS "Installing: ${applications}/corvane-notification.desktop")
]])
install(FILES ${CMAKE_SOURCE_DIR}/packaging/io.corvane.Notification.metainfo.xml
  DESTINATION share/metainfo)
foreach(size 128 256)
  install(FILES ${CORVANE_ICON_DIR}/${size}/corvane-notification.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()

# cpack -G DEB (from the build folder) makes corvane-notification_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane-notification)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Corvane")
set(CPACK_PACKAGE_CONTACT "CorvaneNotification maintainers <maintainers@corvane.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Notifications for Corvane gaming keyboards and mice")
set(CPACK_PACKAGE_DESCRIPTION
  "A small tray utility that shows a popup when a supported keyboard changes its LT key \
state or RT mode, or a supported mouse changes its CPI level.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The Qt, udev and xcb libraries come from dpkg-shlibdeps; the X11 platform
# plugin is loaded at run time, so its package is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6gui6, udev")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine, fonts-wqy-microhei")
include(CPack)
