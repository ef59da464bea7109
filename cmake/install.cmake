# Installation and the Debian package.
#
#   <prefix>/lib/corvane-notification/corvane-notification   the program
#   <prefix>/lib/corvane-notification/Data/                  its data, found beside the
#                                                            executable's real path
#   <prefix>/bin/corvane-notification                        a relative symbolic link to it
#   <prefix>/lib/udev/rules.d/70-corvane-notification.rules  seat access to the devices
#   <prefix>/share/applications, metainfo, icons/hicolor     desktop integration
#   <prefix>/share/gnome-shell/extensions/fullscreen-report@notification.corvane.io/
#                                                            the GNOME Shell extension
#   <prefix>/share/man/man1/corvane-notification.1.gz        the manual page
#   <prefix>/share/doc/corvane-notification/                 copyright, changelog
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
# System-wide, for every user to enable (gnome-extensions enable ...).
install(FILES ${CMAKE_SOURCE_DIR}/platform/linux/gnome-shell-extension/metadata.json
              ${CMAKE_SOURCE_DIR}/platform/linux/gnome-shell-extension/extension.js
  DESTINATION share/gnome-shell/extensions/fullscreen-report@notification.corvane.io)
foreach(size 128 256)
  install(FILES ${CORVANE_ICON_DIR}/${size}/corvane-notification.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps)
endforeach()

# The manual page and the changelog ship compressed, without a time stamp
# in the gzip header, so that two builds give the same package.
set(CORVANE_DOC_DIR ${CMAKE_BINARY_DIR}/doc)
set(corvane_compressed_docs)
foreach(doc corvane-notification.1 changelog)
  add_custom_command(OUTPUT ${CORVANE_DOC_DIR}/${doc}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CORVANE_DOC_DIR}
    COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/packaging/${doc} > ${CORVANE_DOC_DIR}/${doc}.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/${doc}
    VERBATIM)
  list(APPEND corvane_compressed_docs ${CORVANE_DOC_DIR}/${doc}.gz)
endforeach()
add_custom_target(corvane_docs ALL DEPENDS ${corvane_compressed_docs})
install(FILES ${CORVANE_DOC_DIR}/corvane-notification.1.gz DESTINATION share/man/man1)
install(FILES ${CORVANE_DOC_DIR}/changelog.gz ${CMAKE_SOURCE_DIR}/packaging/copyright
  DESTINATION share/doc/corvane-notification)

# The packages: `cpack -G DEB` (Debian, Ubuntu) and `cpack -G RPM` (Fedora,
# openSUSE) from the build folder. Both ship the program stripped; the
# Debian package's debug symbols go into a -dbgsym package of their own.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane-notification)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Corvane")
set(CPACK_PACKAGE_CONTACT "${CMAKE_PROJECT_NAME} maintainers <maintainers@corvane.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Notifications for Corvane gaming keyboards and mice")
# Package tools show the description as it stands: lines of at most 80
# columns.
set(CPACK_PACKAGE_DESCRIPTION
  "A small tray utility that shows a popup when a supported keyboard changes
its LT key state or RT mode, or a supported mouse changes its CPI level.
Popups stay away while a full-screen application is in front.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
# The Qt, udev and xcb libraries come from dpkg-shlibdeps; the X11 platform
# plugin is loaded at run time, so its package is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6gui6, udev")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine, fonts-wqy-microhei")

include(cmake/rpm_changelog.cmake)
set(CPACK_RPM_FILE_NAME RPM-DEFAULT)
set(CPACK_RPM_PACKAGE_RELEASE 1)
set(CPACK_RPM_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_RPM_SPEC_MORE_DEFINE "%define packager ${CPACK_PACKAGE_CONTACT}")
set(CPACK_RPM_PACKAGE_LICENSE "LicenseRef-proprietary")
set(CPACK_RPM_PACKAGE_GROUP "Applications/System")
set(CPACK_RPM_PACKAGE_URL "https://corvane.invalid/")
# Library dependencies come from rpm's own scan of the program; udev, which
# reads the rule, is named here.
set(CPACK_RPM_PACKAGE_REQUIRES "udev")
set(CPACK_RPM_CHANGELOG_FILE ${CMAKE_BINARY_DIR}/rpm-changelog)
write_rpm_changelog(${CMAKE_SOURCE_DIR}/packaging/changelog ${CPACK_RPM_PACKAGE_RELEASE}
  ${CPACK_RPM_CHANGELOG_FILE})
# Folders that the system's own packages own.
set(CPACK_RPM_EXCLUDE_FROM_AUTO_FILELIST_ADDITION
  /usr/lib/udev /usr/lib/udev/rules.d /usr/share/applications /usr/share/metainfo
  /usr/share/icons /usr/share/icons/hicolor /usr/share/icons/hicolor/128x128
  /usr/share/icons/hicolor/128x128/apps /usr/share/icons/hicolor/256x256
  /usr/share/icons/hicolor/256x256/apps /usr/share/man /usr/share/man/man1
  /usr/share/doc)
# What differs between the generators is chosen when cpack runs.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/cpack_generator_options.cmake)
include(CPack)
