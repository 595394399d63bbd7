# Installs Pastiq as a desktop application and describes the Debian package CPack builds.
include(GNUInstallDirs)

if(PASTIQ_BUILD_DESKTOP)
    install(FILES ${PROJECT_SOURCE_DIR}/data/io.github.pastiq.Pastiq.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
            RENAME ${PASTIQ_APP_ID}.desktop)
    # The application icon carries the application id so the desktop entry and the window
    # manager find it by name; the panel glyph keeps its own name for themes that restyle it.
    install(FILES ${PROJECT_SOURCE_DIR}/data/icons/pastiq.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
            RENAME ${PASTIQ_APP_ID}.svg)
    install(FILES ${PROJECT_SOURCE_DIR}/data/icons/TrayIcon.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/status
            RENAME ${PASTIQ_APP_ID}-panel.svg)
    # The help page lives in the data directory, not under share/doc, because the program
    # opens it at run time and minimal systems often drop share/doc.
    install(FILES ${PROJECT_SOURCE_DIR}/docs/input-access.html
            DESTINATION ${CMAKE_INSTALL_DATADIR}/pastiq)
    # Lets the user at the seat write /dev/uinput, through which Pastiq types on Wayland. udev
    # reads rules from lib/udev under the system prefix; a /usr/local install carries the file
    # for the administrator to copy to /etc/udev/rules.d.
    install(FILES ${PROJECT_SOURCE_DIR}/data/udev/70-pastiq-uinput.rules
            DESTINATION lib/udev/rules.d)
endif()

# The manual page, compressed as Debian installs manual pages.
find_program(PASTIQ_GZIP gzip REQUIRED)
set(PASTIQ_MANUAL_PAGE ${CMAKE_BINARY_DIR}/pastiq.1.gz)
add_custom_command(OUTPUT ${PASTIQ_MANUAL_PAGE}
    COMMAND ${PASTIQ_GZIP} -9 -n -c ${PROJECT_SOURCE_DIR}/docs/pastiq.1 > ${PASTIQ_MANUAL_PAGE}
    DEPENDS ${PROJECT_SOURCE_DIR}/docs/pastiq.1 VERBATIM)
add_custom_target(pastiq_manual_page ALL DEPENDS ${PASTIQ_MANUAL_PAGE})
install(FILES ${PASTIQ_MANUAL_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Shell completion, where each shell looks under the prefix: bash-completion and fish search
# every XDG data directory. Debian's zsh reads packaged functions from vendor-completions but
# /usr/local ones from site-functions, so the directory follows the prefix at install time.
set(PASTIQ_COMPLETIONS ${PROJECT_SOURCE_DIR}/data/completions)
install(FILES ${PASTIQ_COMPLETIONS}/pastiq.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME pastiq)
install(FILES ${PASTIQ_COMPLETIONS}/pastiq.fish
        DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
        set(pastiq_zsh_dir vendor-completions)
    else()
        set(pastiq_zsh_dir site-functions)
    endif()
    file(INSTALL ${PASTIQ_COMPLETIONS}/_pastiq
         DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/zsh/\${pastiq_zsh_dir}\")
")

set(CPACK_PACKAGE_NAME "pastiq")
set(CPACK_PACKAGE_VENDOR "The Pastiq developers")
set(CPACK_PACKAGE_CONTACT "The Pastiq developers <pastiq@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Paste a copied list one item at a time")
set(CPACK_PACKAGE_DESCRIPTION
    "Pastiq turns one copied list into a queue of pastes. Copy lines, bulleted or numbered\n"
    "lines, or a block of spreadsheet cells, start a session, and every Ctrl+V in any\n"
    "application pastes the next item. Needs an X11 session.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME "pastiq")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE "${PASTIQ_BUILD_NUMBER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://pastiq.github.io/")
# The libraries come from dpkg-shlibdeps; the xcb platform plugin is loaded at run time, so
# the package that carries it is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "at-spi2-core, xdg-utils")
set(CPACK_GENERATOR "DEB")

include(CPack)
