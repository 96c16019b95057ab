# The Windows installer, monvalor-<version>-setup.exe, made by CPack with NSIS. The program
# and its licence go into the chosen folder; the English language files go beside the program
# only when the user asks for them, since without them the program speaks French.
install(TARGETS monvalor RUNTIME DESTINATION . COMPONENT programme)
install(FILES LICENSE DESTINATION . COMPONENT programme)
install(FILES lang/en/Monvalor.lng lang/en/Shared.lng DESTINATION . COMPONENT anglais)

set(CPACK_GENERATOR NSIS)
# A 64-bit installer for a 64-bit program: it runs where the program runs and installs into
# the 64-bit "Program Files". CPack has no setting for the installer's target, so makensis is
# called through a small script that names it first.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(MONVALOR_CIBLE_NSIS amd64-unicode)
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
else()
    set(MONVALOR_CIBLE_NSIS x86-unicode)
endif()
find_program(MONVALOR_MAKENSIS makensis)
if(MONVALOR_MAKENSIS AND CMAKE_HOST_UNIX)
    file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/makensis-cible.sh
         CONTENT "#!/bin/sh\nexec '${MONVALOR_MAKENSIS}' '-XTarget ${MONVALOR_CIBLE_NSIS}' \"$@\"\n")
    file(CHMOD ${CMAKE_BINARY_DIR}/makensis-cible.sh PERMISSIONS OWNER_READ OWNER_WRITE
         OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    set(CPACK_NSIS_EXECUTABLE ${CMAKE_BINARY_DIR}/makensis-cible.sh)
    # The updater's (below): the same, with the updater's own script around CPack's, before it
    # (what must run before the files are written) and after it (what takes CPack's version).
    set(nsh ${PROJECT_SOURCE_DIR}/packaging/MiseAJourWindows.nsh)
    file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/makensis-mise-a-jour.sh CONTENT "#!/bin/sh
case \"$*\" in
*.nsi) exec '${MONVALOR_MAKENSIS}' '-XTarget ${MONVALOR_CIBLE_NSIS}' '-X!include \"${nsh}\"' \"$@\" \\
           '-X!include \"${nsh}\"' ;;
esac
exec '${MONVALOR_MAKENSIS}' '-XTarget ${MONVALOR_CIBLE_NSIS}' \"$@\"
")
    file(CHMOD ${CMAKE_BINARY_DIR}/makensis-mise-a-jour.sh PERMISSIONS OWNER_READ OWNER_WRITE
         OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endif()
set(CPACK_PACKAGE_NAME Monvalor)
set(CPACK_PACKAGE_VENDOR Monvalor)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
set(CPACK_PACKAGE_FILE_NAME monvalor-${PROJECT_VERSION}-setup)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Monvalor)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Monvalor)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# One shortcut in the Start menu, to the program at the top of its folder.
set(CPACK_PACKAGE_EXECUTABLES monvalor Monvalor)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_INSTALLED_ICON_NAME monvalor.exe)
set(CPACK_NSIS_DISPLAY_NAME Monvalor)
set(CPACK_NSIS_PACKAGE_NAME Monvalor)
set(CPACK_NSIS_URL_INFO_ABOUT "https://monvalor.example")
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MODIFY_PATH OFF)
if(EXISTS ${MONVALOR_ICONE_ICO})
    set(CPACK_NSIS_MUI_ICON ${MONVALOR_ICONE_ICO})
    set(CPACK_NSIS_MUI_UNIICON ${MONVALOR_ICONE_ICO})
endif()

set(CPACK_COMPONENTS_ALL programme anglais)
set(CPACK_COMPONENT_PROGRAMME_DISPLAY_NAME "Monvalor")
set(CPACK_COMPONENT_PROGRAMME_REQUIRED ON)
set(CPACK_COMPONENT_ANGLAIS_DISPLAY_NAME "English interface")
set(CPACK_COMPONENT_ANGLAIS_DESCRIPTION "Windows and messages in English instead of French.")
set(CPACK_COMPONENT_ANGLAIS_DISABLED ON)
# An update leaves the updater in the program's folder; it goes with the rest. (CPack copies
# the text into its configuration as it is, hence the backslash doubled once more; NSIS reads
# the words of a line before it puts the folder in, so a space there needs no quotes.)
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "Delete $INSTDIR\\\\MonvalorUpdate.exe")
include(CPack)

# The updater, monvalor-<version>-mise-a-jour.exe, that scripts/publier puts on the site as
# MonvalorUpdate.exe: the same installer under a second configuration of this build,
#     cpack --config CPackConfigMiseAJour.cmake
# whose settings (packaging/MiseAJourWindows.cmake) are read when it runs, and whose script has
# the updater's part (packaging/MiseAJourWindows.nsh) around CPack's.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/CPackConfigMiseAJour.cmake CONTENT
"include(\"${CMAKE_BINARY_DIR}/CPackConfig.cmake\")
set(CPACK_NSIS_EXECUTABLE \"${CMAKE_BINARY_DIR}/makensis-mise-a-jour.sh\")
set(CPACK_PROJECT_CONFIG_FILE \"${PROJECT_SOURCE_DIR}/packaging/MiseAJourWindows.cmake\")
")
