# What `cmake --install` lays under the prefix, and the Debian package CPack makes of it.
# The application's id, org.monvalor.Monvalor, names the desktop entry, the icon and the
# software-centre entry alike.
set(MONVALOR_ID org.monvalor.Monvalor)
set(MONVALOR_PAQUETAGE ${PROJECT_SOURCE_DIR}/packaging)

install(TARGETS monvalor RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${MONVALOR_PAQUETAGE}/${MONVALOR_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${MONVALOR_PAQUETAGE}/${MONVALOR_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES lang/en/Monvalor.lng lang/en/Shared.lng
        DESTINATION ${CMAKE_INSTALL_DATADIR}/monvalor/lang/en)

# The icon: the drawing itself, and the pixel sizes drawn from it at build time.
install(FILES ${MONVALOR_PAQUETAGE}/${MONVALOR_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
find_program(MONVALOR_RSVG rsvg-convert)
if(MONVALOR_RSVG)
    set(icones)
    foreach(taille 48 64 128 256)
        set(png ${CMAKE_CURRENT_BINARY_DIR}/icones/${taille}/${MONVALOR_ID}.png)
        add_custom_command(OUTPUT ${png}
            COMMAND ${CMAKE_COMMAND} -E make_directory icones/${taille}
            COMMAND ${MONVALOR_RSVG} -w ${taille} -h ${taille}
                    ${MONVALOR_PAQUETAGE}/${MONVALOR_ID}.svg -o ${png}
            DEPENDS ${MONVALOR_PAQUETAGE}/${MONVALOR_ID}.svg VERBATIM)
        list(APPEND icones ${png})
        install(FILES ${png}
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${taille}x${taille}/apps)
    endforeach()
    add_custom_target(monvalor_icones ALL DEPENDS ${icones})
else()
    message(STATUS "rsvg-convert not found: only the scalable icon is installed")
endif()

# The manual pages, French by default and English for English locales, compressed.
find_program(MONVALOR_GZIP gzip REQUIRED)
set(manuels)
foreach(langue fr en)
    if(langue STREQUAL fr)
        set(source monvalor.1)
        set(destination ${CMAKE_INSTALL_MANDIR}/man1)
    else()
        set(source monvalor.${langue}.1)
        set(destination ${CMAKE_INSTALL_MANDIR}/${langue}/man1)
    endif()
    set(gz ${CMAKE_CURRENT_BINARY_DIR}/man/${langue}/monvalor.1.gz)
    add_custom_command(OUTPUT ${gz}
        COMMAND ${CMAKE_COMMAND} -E make_directory man/${langue}
        COMMAND ${MONVALOR_GZIP} -9nc ${MONVALOR_PAQUETAGE}/man/${source} > ${gz}
        DEPENDS ${MONVALOR_PAQUETAGE}/man/${source})
    list(APPEND manuels ${gz})
    install(FILES ${gz} DESTINATION ${destination})
endforeach()
add_custom_target(monvalor_manuels ALL DEPENDS ${manuels})

# Debian's own documents: its copyright file and the package's changelog, compressed.
option(MONVALOR_DOCS_DEBIAN "Install Debian's copyright and changelog files" OFF)
if(MONVALOR_DOCS_DEBIAN)
    set(journal ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
    add_custom_command(OUTPUT ${journal}
        COMMAND ${MONVALOR_GZIP} -9nc ${MONVALOR_PAQUETAGE}/debian/changelog > ${journal}
        DEPENDS ${MONVALOR_PAQUETAGE}/debian/changelog)
    add_custom_target(monvalor_journal ALL DEPENDS ${journal})
    install(FILES ${MONVALOR_PAQUETAGE}/debian/copyright ${journal}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/monvalor)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME monvalor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Monvalor)
set(CPACK_PACKAGE_CONTACT "Monvalor <contact@monvalor.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "converter of copied amounts: francs, euros, VAT")
set(CPACK_PACKAGE_DESCRIPTION [[Monvalor converts the amounts you copy. Select an amount in any program and
press Ctrl-C: its window shows it converted from francs to euros and from
euros to francs, at the fixed rate 6.55957, with the VAT at the rate of your
choice, the amount before tax, with tax and less that percentage.

Its interface is French. English language files are included and used on
desktops whose language is English.]])
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://monvalor.example)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its X11 platform plugin at run time, out of the linker's sight.
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
# Qt's own dialogs and buttons speak French with them; on a Wayland session without XWayland
# the windows need Qt's Wayland platform.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
