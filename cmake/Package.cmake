# Debian packages from the install rules (cmake/Install.cmake), one per
# component: `cpack --config build/CPackConfig.cmake` or scripts/package.sh
# writes quorva_VERSION_ARCH.deb and quorva-desktop_VERSION_ARCH.deb.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorva)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Quorva maintainers")
set(CPACK_PACKAGE_CONTACT "Quorva maintainers <maintainers@users.noreply.c-seed-7d0198f9.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
set(CPACK_COMPONENTS_ALL ${QUORVA_COMPONENTS})
set(CPACK_DEB_COMPONENT_INSTALL ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${QUORVA_PROJECT_URL})

set(CPACK_DEBIAN_CLI_PACKAGE_NAME quorva)
set(CPACK_COMPONENT_CLI_DESCRIPTION
"plot the light curves of a solar radio spectrometer
Quorva draws the light-curve files of a solar radio spectrometer (a time
column in hours UT and three frequency channels in SFU or ADU, as the
acquisition software writes them) as red, green and blue curves in one
titled axis system, into PDF, EPS or PNG files.

This package holds the command line: 'quorva plot' writes the plots,
'quorva stats' prints the time range, sample count and the minimum,
maximum and last value of each channel, and 'quorva watch' re-plots an
observation that is still being recorded whenever its file grows. The
service quorva-watch@NAME.service runs 'quorva watch' on a station
without a display and publishes the plot for a web server. It needs no
graphical desktop; the windows are in the package quorva-desktop.")
set(CPACK_DEBIAN_CLI_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_SOURCE_DIR}/packaging/postinst
    ${CMAKE_CURRENT_SOURCE_DIR}/packaging/postrm)
set(CPACK_DEBIAN_CLI_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_DESKTOP_PACKAGE_NAME quorva-desktop)
set(CPACK_COMPONENT_DESKTOP_DESCRIPTION
"solar radio light curves plotted on the screen (desktop program)
Quorva draws the light-curve files of a solar radio spectrometer (a time
column in hours UT and three frequency channels in SFU or ADU) as red,
green and blue curves in one titled axis system.

This package holds the desktop program with its menu entry: choose a
light-curve file, plot it in a window or into a PDF, EPS or PNG file,
re-plot it every 1 to 600 seconds while the observation goes on, and see
its statistics. The command line is in the package quorva.")
set(CPACK_DEBIAN_DESKTOP_PACKAGE_DEPENDS "quorva (= ${PROJECT_VERSION})")

include(CPack)
