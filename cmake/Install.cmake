# The installed program folder, <prefix>/lib/vistarel, holds the executable and
# the files it looks up beside itself; <prefix>/bin/vistarel links to it. The
# program finds its folder through the resolved executable, so the link works.
set(VISTAREL_INSTALL_PROGRAM_DIR "lib/vistarel")
set(VISTAREL_APP_ID "com.quorvane.Vistarel")

# The media worker sits beside the executable, where the program starts it;
# it is not a user command, so it has no link in bin and no manual page.
install(TARGETS vistarel vistarel-media-worker RUNTIME DESTINATION "${VISTAREL_INSTALL_PROGRAM_DIR}")
install(FILES "${PROJECT_SOURCE_DIR}/resources/program/HAND-M.CUR"
        DESTINATION "${VISTAREL_INSTALL_PROGRAM_DIR}")
install(DIRECTORY "${PROJECT_SOURCE_DIR}/resources/Splash"
        DESTINATION "${VISTAREL_INSTALL_PROGRAM_DIR}")
install(DIRECTORY "${PROJECT_SOURCE_DIR}/resources/Samples"
        DESTINATION "${VISTAREL_INSTALL_PROGRAM_DIR}")

set(link "${CMAKE_BINARY_DIR}/install-links/vistarel")
file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/install-links")
file(CREATE_LINK "../${VISTAREL_INSTALL_PROGRAM_DIR}/vistarel" "${link}" SYMBOLIC)
install(FILES "${link}" DESTINATION bin)

install(FILES "${PROJECT_SOURCE_DIR}/resources/desktop/${VISTAREL_APP_ID}.desktop"
        DESTINATION share/applications)
install(FILES "${PROJECT_SOURCE_DIR}/resources/desktop/${VISTAREL_APP_ID}.metainfo.xml"
        DESTINATION share/metainfo)
install(FILES "${PROJECT_SOURCE_DIR}/resources/vistarel.svg"
        DESTINATION share/icons/hicolor/scalable/apps RENAME "${VISTAREL_APP_ID}.svg")
install(FILES "${PROJECT_SOURCE_DIR}/resources/vistarel.png"
        DESTINATION share/icons/hicolor/256x256/apps RENAME "${VISTAREL_APP_ID}.png")

# What a Debian package documents: the manual page, the copyright, the changelog
# and the example skin. Man pages and changelogs are shipped compressed, and
# without a time stamp, so that the same sources give the same package.
set(package_docs "${CMAKE_BINARY_DIR}/package")
configure_file("${PROJECT_SOURCE_DIR}/docs/vistarel.1" "${package_docs}/vistarel.1" @ONLY)
set(package_gzipped)
foreach(source IN ITEMS "${package_docs}/vistarel.1" "${PROJECT_SOURCE_DIR}/resources/package/changelog")
  get_filename_component(name "${source}" NAME)
  add_custom_command(OUTPUT "${package_docs}/${name}.gz"
    COMMAND sh -c "gzip -9n < \"$1\" > \"$2\"" gzip "${source}" "${package_docs}/${name}.gz"
    DEPENDS "${source}" VERBATIM)
  list(APPEND package_gzipped "${package_docs}/${name}.gz")
endforeach()
add_custom_target(vistarel_package_docs ALL DEPENDS ${package_gzipped})
install(FILES "${package_docs}/vistarel.1.gz" DESTINATION share/man/man1)
install(FILES "${PROJECT_SOURCE_DIR}/resources/package/copyright" "${package_docs}/changelog.gz"
        DESTINATION share/doc/vistarel)
install(FILES "${PROJECT_SOURCE_DIR}/skins/example.qss" DESTINATION share/doc/vistarel/examples)

# A Debian package: cpack -G DEB in the build folder.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "vistarel")
set(CPACK_PACKAGE_VENDOR "Team Quorvane")
set(CPACK_PACKAGE_CONTACT "Team Quorvane <support@quorvane.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Read the technical metadata of video files into one table")
set(CPACK_PACKAGE_DESCRIPTION_FILE "${PROJECT_SOURCE_DIR}/resources/package/description")
set(CPACK_PACKAGE_INSTALL_DIRECTORY "vistarel")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "video")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# The media library is loaded at run time, so dpkg-shlibdeps cannot see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libmediainfo0v5, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libreoffice-calc | gnumeric, xdg-utils, fonts-liberation2")
include(CPack)
