# Install and package: cmake --install build --prefix P, cpack -G DEB.
#
#   P/bin/zorvandine, P/bin/zorvandine-render
#   P/share/zorvandine/Default.ini (and gallery/ where the tree has one)
#   P/share/applications/zorvandine.desktop, P/share/mime/packages/zorvandine.xml
#   P/share/icons/hicolor/{16x16..256x256,scalable}/apps/zorvandine.{png,svg}
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

# cpack -G DEB: the library packages come from dpkg-shlibdeps; the window
# system plugin and the window's font are loaded at run time, so they are named.
set(CPACK_PACKAGE_NAME zorvandine)
set(CPACK_PACKAGE_VENDOR "Zorvandine")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Draws linear fractals element by element")
set(CPACK_PACKAGE_DESCRIPTION "Cantor set, cross, Sierpinski triangle, Koch curve and \
L-systems drawn element by element in a window, with a renderer for pictures without a display.")
set(CPACK_PACKAGE_CONTACT "Zorvandine maintainers <maintainers@zorvandine.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-dejavu-core")
set(CPACK_STRIP_FILES ON)
include(CPack)
