# Tabvale as an installed desktop application: `cmake --install` puts the programs, the menu entry,
# the icons and the AppStream metainfo where the freedesktop specifications say, and
# `cpack -G DEB` wraps the same files in a Debian package.

include(GNUInstallDirs)
# Named after the package, as Debian wants it, not after the project as GNUInstallDirs does.
set(TABVALE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/tabvale)

set(TABVALE_PACKAGE_MAINTAINER
    "Tabvale maintainers <maintainers@users.noreply.c-seed-92751116.example>"
    CACHE STRING "The Debian package's maintainer")

# Only a program run from its build folder keeps its workbooks beside itself: this file, written
# beside it here and never installed, is how it knows.
file(GENERATE OUTPUT $<TARGET_FILE_DIR:tabvale>/tabvale-build-folder.txt
    CONTENT "Tabvale run from this folder keeps its workbooks in Data/ beside it.\n")

# The installed programs carry no build or SDK folder in their run path, nor Qt's default $ORIGIN
# entries (Tabvale installs no libraries of its own): only the office's program folder, a system
# folder (see spreadsheet/). The build links them so already, so installing changes nothing in
# them. Debian's lintian refuses a run path of its own unless the package says why.
set_target_properties(tabvale tabvale-aliases tabvale-pictures PROPERTIES
    INSTALL_RPATH "" INSTALL_RPATH_USE_LINK_PATH ON BUILD_WITH_INSTALL_RPATH ON)
install(TARGETS tabvale tabvale-aliases tabvale-pictures RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(_desktop ${CMAKE_CURRENT_BINARY_DIR}/desktop)
configure_file(desktop/tabvale.desktop.in ${_desktop}/${TABVALE_APP_ID}.desktop @ONLY)
configure_file(desktop/tabvale.metainfo.xml.in ${_desktop}/${TABVALE_APP_ID}.metainfo.xml @ONLY)
install(FILES ${_desktop}/${TABVALE_APP_ID}.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_desktop}/${TABVALE_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The icon is drawn once as SVG; the fixed sizes that menus and older desktops ask for are
# rendered from it.
set(_icon ${CMAKE_CURRENT_SOURCE_DIR}/desktop/tabvale.svg)
install(FILES ${_icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
    RENAME ${TABVALE_APP_ID}.svg)
find_program(TABVALE_RSVG_CONVERT rsvg-convert)
if(TABVALE_RSVG_CONVERT)
    set(_pngs)
    foreach(_size 16 22 24 32 48 64 128 256)
        set(_png ${_desktop}/icons/${_size}x${_size}/${TABVALE_APP_ID}.png)
        add_custom_command(OUTPUT ${_png}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${_desktop}/icons/${_size}x${_size}
            COMMAND ${TABVALE_RSVG_CONVERT} -w ${_size} -h ${_size} -o ${_png} ${_icon}
            DEPENDS ${_icon} VERBATIM)
        list(APPEND _pngs ${_png})
        install(FILES ${_png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps)
    endforeach()
    add_custom_target(tabvale_icons ALL DEPENDS ${_pngs})
else()
    message(WARNING "rsvg-convert not found (Debian: librsvg2-bin): only the scalable icon is installed")
endif()

# What a Debian package must carry beside the programs.
set(_changelog ${_desktop}/changelog.gz)
configure_file(desktop/changelog.in ${_desktop}/changelog @ONLY)
add_custom_command(OUTPUT ${_changelog}
    COMMAND gzip -9nkf ${_desktop}/changelog
    DEPENDS ${_desktop}/changelog VERBATIM)
add_custom_target(tabvale_changelog ALL DEPENDS ${_changelog})
install(FILES desktop/copyright ${_changelog} README.md DESTINATION ${TABVALE_INSTALL_DOCDIR})
configure_file(desktop/lintian-overrides.in ${_desktop}/lintian-overrides @ONLY)
install(FILES ${_desktop}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
    RENAME tabvale)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tabvale)
set(CPACK_PACKAGE_VENDOR "The Tabvale developers")
set(CPACK_PACKAGE_CONTACT ${TABVALE_PACKAGE_MAINTAINER})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TABVALE_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "browse and edit picture-rich databases
Tabvale is a desktop tool for people who keep picture-rich databases in
order. Pick a database and a table, browse and edit its records in a grid,
and see the current record's pictures and memos beside it. Any SQLite
database opens from the file manager; tables go into a LibreOffice Calc
sheet and come back from it.")
# The libraries come from dpkg-shlibdeps; what the program needs without linking it is named here.
# The captions are Chinese, so a CJK font is required; Qt's translations give the standard buttons
# their Chinese captions, and Calc is needed only for the spreadsheet exchange.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-zenhei | fonts-noto-cjk | fonts-arphic-uming")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libreoffice-calc, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
