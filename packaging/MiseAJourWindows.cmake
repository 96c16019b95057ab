# The Windows updater's CPack settings, read when CPack makes the installer under
# CPackConfigMiseAJour.cmake (packaging/InstallationWindows.cmake writes that file; its script
# part is MiseAJourWindows.nsh). It installs over the version in place, with the parts chosen
# then: no uninstall first, which would forget them.
set(CPACK_PACKAGE_FILE_NAME monvalor-${CPACK_PACKAGE_VERSION}-mise-a-jour)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL OFF)
