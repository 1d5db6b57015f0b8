# What `cmake --install` puts where (GNUInstallDirs), and the Debian package made of it (`make package`).
# The installed program finds its files by the rule in src/common/program_files.h: bin/, with
# share/korvelanta and lib/korvelanta beside it.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(KORV_APP_ID org.example.korvelanta)
set(KORV_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/korvelanta)
set(KORV_STAGE ${CMAKE_BINARY_DIR}/install-files)

install(TARGETS korvelanta korvelanta-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The programs that link UNO keep the office's program folder as their search path when installed: the
# libraries Debian links into the multiarch folder need others that live only there (see the lintian
# override). Nothing else gets a search path.
set_target_properties(korvelanta korvelanta-cli korvelanta-office-guard PROPERTIES INSTALL_RPATH ${KORV_LO_PROGRAM_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/data/packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
    RENAME korvelanta)
# The control libraries are the program's own (loaded by path, not linked): a private folder, as are the
# helper programs that nobody starts by hand. A folder below it, so that nobody takes them for libraries
# of the system's linker (the package then calls no ldconfig).
install(TARGETS tarvix_p15 drovanetta LIBRARY DESTINATION ${KORV_INSTALL_LIBDIR}/controls NAMELINK_SKIP)
install(TARGETS korvelanta-office-guard korv-regsvr RUNTIME DESTINATION ${KORV_INSTALL_LIBDIR})
install(FILES ${KORV_BIN_DIR}/FlightTables1.mdb DESTINATION ${KORV_INSTALL_DATADIR})
install(FILES ${CMAKE_SOURCE_DIR}/data/help/Korvelanta.HLP DESTINATION ${KORV_INSTALL_DATADIR}/Help)

# The desktop entry and the icon under the freedesktop paths, named by the program's AppStream id.
set(KORV_DESKTOP_EXEC korvelanta)
set(KORV_DESKTOP_ICON ${KORV_APP_ID})
configure_file(${CMAKE_SOURCE_DIR}/data/desktop/org.example.korvelanta.desktop.in ${KORV_STAGE}/${KORV_APP_ID}.desktop @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/data/desktop/org.example.korvelanta.metainfo.xml
    ${KORV_STAGE}/${KORV_APP_ID}.metainfo.xml @ONLY)
install(FILES ${KORV_STAGE}/${KORV_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/data/desktop/korvelanta.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
    RENAME ${KORV_APP_ID}.svg)
install(FILES ${KORV_STAGE}/${KORV_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The manual pages: written in scdoc, rendered and compressed by the build; English in the default
# section, Russian under ru/.
find_program(SCDOC scdoc REQUIRED)
find_program(GZIP gzip REQUIRED)
set(korv_man_pages)
foreach(page korvelanta korvelanta-cli)
    foreach(lang en ru)
        if(lang STREQUAL en)
            set(src ${CMAKE_SOURCE_DIR}/data/man/${page}.1.scd)
            set(dest ${CMAKE_INSTALL_MANDIR}/man1)
        else()
            set(src ${CMAKE_SOURCE_DIR}/data/man/${lang}/${page}.1.scd)
            set(dest ${CMAKE_INSTALL_MANDIR}/${lang}/man1)
        endif()
        set(out ${KORV_STAGE}/man/${lang}/${page}.1.gz)
        add_custom_command(OUTPUT ${out}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${KORV_STAGE}/man/${lang}
            COMMAND sh -c "'${SCDOC}' < '${src}' | '${GZIP}' -9n > '${out}.tmp' && mv '${out}.tmp' '${out}'"
            DEPENDS ${src}
            COMMENT "Rendering the manual page ${page}(1) (${lang})"
            VERBATIM)
        list(APPEND korv_man_pages ${out})
        install(FILES ${out} DESTINATION ${dest})
    endforeach()
endforeach()

# The licence and the package's changelog, as a Debian package carries them.
configure_file(${CMAKE_SOURCE_DIR}/data/packaging/changelog.in ${KORV_STAGE}/changelog @ONLY)
add_custom_command(OUTPUT ${KORV_STAGE}/changelog.gz
    COMMAND sh -c "'${GZIP}' -9n < '${KORV_STAGE}/changelog' > '${KORV_STAGE}/changelog.gz'"
    DEPENDS ${KORV_STAGE}/changelog
    VERBATIM)
add_custom_target(korv_install_files ALL DEPENDS ${korv_man_pages} ${KORV_STAGE}/changelog.gz)
install(FILES ${CMAKE_SOURCE_DIR}/data/packaging/copyright ${KORV_STAGE}/changelog.gz DESTINATION ${KORV_DOC_DIR})

# The Debian package: korvelanta_<version>_amd64.deb in the build directory. Library dependencies are
# computed by dpkg-shlibdeps; what the program starts or loads by name is listed here: LibreOffice Calc
# with its Russian language pack, the fonts the logbook's column widths are measured in, the SQLite
# driver of QtSql and the SVG icon plug-in.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvelanta)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_PACKAGE_VENDOR "Korvelanta developers")
set(CPACK_PACKAGE_CONTACT "Korvelanta developers <korvelanta@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "military pilot's flight logbook on LibreOffice Calc")
# CPack puts the summary first and indents the rest; an empty line becomes the paragraph mark.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Korvelanta keeps a pilot's flight logbook as a spreadsheet workbook. The pilot
enters one flight shift at a time; from per-aircraft reference tables the
program works out the time flown in clouds, under the blind-flying hood and in
complex weather, and whether the landings count at weather minimum. It writes
each shift as a two-row record of the logbook, keeps a backup before every
change, and adds up a month, a year or a free period into a printable summary.

The user interface is Russian. The package holds the desktop program and the
command-line companion korvelanta-cli.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://korvelanta.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libreoffice-calc, libreoffice-l10n-ru, fonts-liberation2, fonts-dejavu-core, libqt6sql6-sqlite, libqt6svg6, poppler-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, libreoffice-gtk3, cups-client, xdg-user-dirs")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "hardinfo")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
include(CPack)
