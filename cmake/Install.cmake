# Install and package: cmake --install build --prefix P, cpack -G DEB.
#
#   P/bin/zorvandine, P/bin/zorvandine-render
#   P/share/zorvandine/Default.ini (and gallery/ where the tree has one)
#   P/share/applications/zorvandine.desktop, P/share/mime/packages/zorvandine.xml
#   P/share/icons/hicolor/{16x16..256x256,scalable}/apps/zorvandine.{png,svg}
#   P/share/metainfo/<app id>.metainfo.xml
#   P/share/man/man1/zorvandine.1.gz, zorvandine-render.1.gz
#   P/share/doc/zorvandine/copyright, changelog.Debian.gz
#
# The programs look for their factory settings beside themselves first, then
# in ../share/zorvandine/, so no path is compiled in and P can be anywhere.
include(GNUInstallDirs)

install(TARGETS zorvandine zorvandine-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${ZORVANDINE_DEFAULT_INI} DESTINATION ${CMAKE_INSTALL_DATADIR}/zorvandine)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/gallery/ OPTIONAL
        DESTINATION ${CMAKE_INSTALL_DATADIR}/zorvandine/gallery FILES_MATCHING PATTERN "*.prm")

configure_file(${PROJECT_SOURCE_DIR}/data/desktop/zorvandine.desktop.in
               ${PROJECT_BINARY_DIR}/zorvandine.desktop COPYONLY)
install(FILES ${PROJECT_BINARY_DIR}/zorvandine.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/desktop/zorvandine-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME zorvandine.xml)

# The icon is drawn by the program's own code at build time.
add_executable(zorvandine_make_icon ${PROJECT_SOURCE_DIR}/tools/icon/make_icon.cpp)
target_link_libraries(zorvandine_make_icon PRIVATE zorvandine_canvas)
set(_icons ${PROJECT_BINARY_DIR}/icons)
set(_icon_files ${_icons}/scalable/apps/zorvandine.svg)
foreach(size 16 22 24 32 48 64 128 256)
    list(APPEND _icon_files ${_icons}/${size}x${size}/apps/zorvandine.png)
endforeach()
add_custom_command(OUTPUT ${_icon_files}
                   COMMAND zorvandine_make_icon ${_icons}
                   DEPENDS zorvandine_make_icon
                   COMMENT "Drawing the program icon")
add_custom_target(zorvandine_icons ALL DEPENDS ${_icon_files})
install(DIRECTORY ${_icons}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)

# Where the project lives; the metainfo's links and its id derive from it.
set(ZORVANDINE_HOMEPAGE "https://zorvandine.invalid" CACHE STRING
    "The project's web address, for the AppStream metainfo")
set(ZORVANDINE_APP_ID "invalid.zorvandine.Zorvandine" CACHE STRING
    "The AppStream id, the reversed domain of the homepage and the name")
configure_file(${PROJECT_SOURCE_DIR}/data/desktop/zorvandine.metainfo.xml.in
               ${PROJECT_BINARY_DIR}/${ZORVANDINE_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${ZORVANDINE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages and the changelog go out compressed as Debian wants them:
# gzip -9n leaves out the name and time, so the same page gives the same bytes.
find_program(ZORVANDINE_GZIP gzip REQUIRED)
function(zorvandine_gzip input output)
    add_custom_command(OUTPUT ${output}
                       COMMAND ${ZORVANDINE_GZIP} -9n -c ${input} > ${output}
                       DEPENDS ${input} VERBATIM)
endfunction()
set(_man ${PROJECT_BINARY_DIR}/man)
set(_docs ${_man}/zorvandine.1.gz ${_man}/zorvandine-render.1.gz
          ${PROJECT_BINARY_DIR}/changelog.Debian.gz)
foreach(page zorvandine zorvandine-render)
    configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.1 ${_man}/${page}.1 @ONLY)
    zorvandine_gzip(${_man}/${page}.1 ${_man}/${page}.1.gz)
endforeach()
zorvandine_gzip(${PROJECT_SOURCE_DIR}/data/debian/changelog
                ${PROJECT_BINARY_DIR}/changelog.Debian.gz)
add_custom_target(zorvandine_docs ALL DEPENDS ${_docs})
install(FILES ${_man}/zorvandine.1.gz ${_man}/zorvandine-render.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright ${PROJECT_BINARY_DIR}/changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/zorvandine)

# cpack -G DEB: the library packages come from dpkg-shlibdeps; the window's
# font is loaded at run time, so it is named. The platform themes that bring
# the desktop's own file dialogs, and the Wayland platform, are the desktop's
# choice.
#
# The package version is the programs' own, "1.0b". Since dpkg sorts a letter
# before a dot, 1.0b would come before the 1.0.1 packaged earlier and never
# replace it; the epoch 1 puts every letter version above that one, and within
# it 1.0b < 1.0c < 1.1a sorts as the releases do. The Debian revision (-1)
# counts packagings of one version.
set(CPACK_PACKAGE_NAME zorvandine)
set(CPACK_PACKAGE_VENDOR "Zorvandine")
set(CPACK_PACKAGE_VERSION ${ZORVANDINE_VERSION_TEXT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "draws linear fractals element by element")
# CPack puts the summary line before this.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Zorvandine draws the Cantor set, a cross fractal, the Sierpinski triangle
(recursively, by the chaos game or as a demo), the Koch curve (recursively or
by a turtle) and L-systems one element after the other, so that the
construction can be watched, paused and stepped through. Fix points are
dragged on the drawing area; parameters are kept in parameter files, and a
gallery of classic figures comes with it.
.
The command zorvandine-render draws the same figures to PNG, BMP or SVG
pictures without a window.")
set(CPACK_PACKAGE_CONTACT "Zorvandine maintainers <maintainers@zorvandine.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_VERSION ${ZORVANDINE_VERSION_TEXT})
set(CPACK_DEBIAN_PACKAGE_EPOCH 1)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
# The file name carries no epoch (a colon in a file name is trouble).
find_program(ZORVANDINE_DPKG dpkg)
if(ZORVANDINE_DPKG)
    execute_process(COMMAND ${ZORVANDINE_DPKG} --print-architecture
                    OUTPUT_VARIABLE _deb_arch OUTPUT_STRIP_TRAILING_WHITESPACE)
else()
    set(_deb_arch ${CMAKE_SYSTEM_PROCESSOR})
endif()
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${_deb_arch})
set(CPACK_DEBIAN_FILE_NAME
    "zorvandine_${ZORVANDINE_VERSION_TEXT}-${CPACK_DEBIAN_PACKAGE_RELEASE}_${_deb_arch}.deb")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-extra")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS
    "qt6-gtk-platformtheme, qt6-xdgdesktopportal-platformtheme, qt6-wayland")
set(CPACK_STRIP_FILES ON)
include(CPack)
