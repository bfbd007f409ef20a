# What `cpack` makes for a user: from the Windows build a ZIP of Vexaframe.scr and its read-me
# files; from the native build a Debian package of the XScreenSaver module and its description.
set(CPACK_PACKAGE_VENDOR "Vexaframe")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Picture screen saver: a turning cube of your photographs")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)

if(WIN32)
    install(TARGETS Vexaframe RUNTIME DESTINATION .)
    install(FILES ${PROJECT_SOURCE_DIR}/resources/package/README_en.txt
                  ${PROJECT_SOURCE_DIR}/resources/package/README_ja.txt
            DESTINATION .)
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_NAME Vexaframe)
    set(CPACK_PACKAGE_FILE_NAME Vexaframe-${PROJECT_VERSION}-windows-x64)
    # The files at the top of the archive, where "extract all" puts them side by side.
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
    # XScreenSaver finds its display modules and their descriptions under /usr only.
    if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT)
        set(CMAKE_INSTALL_PREFIX /usr CACHE PATH "Install prefix" FORCE)
    endif()
    include(GNUInstallDirs)
    set(VEXAFRAME_MODULE_DIR ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver
        CACHE PATH "Folder of XScreenSaver's display modules")
    set(VEXAFRAME_DESCRIPTION_DIR ${CMAKE_INSTALL_DATADIR}/xscreensaver/config
        CACHE PATH "Folder of XScreenSaver's module descriptions")
    install(TARGETS vexaframe DESTINATION ${VEXAFRAME_MODULE_DIR})
    install(FILES ${PROJECT_SOURCE_DIR}/resources/vexaframe.xml
            DESTINATION ${VEXAFRAME_DESCRIPTION_DIR})
    set(CPACK_GENERATOR DEB)
    set(CPACK_PACKAGE_NAME vexaframe)
    set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Vexaframe developers")
    set(CPACK_DEBIAN_PACKAGE_SECTION x11)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xscreensaver)
    set(CPACK_PACKAGE_DESCRIPTION
        "A cube whose faces carry pictures from a folder you choose, seen by a camera that circles it; the picture changes every few seconds. An XScreenSaver module.")
endif()

include(CPack)
