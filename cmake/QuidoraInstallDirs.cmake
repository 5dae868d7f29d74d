# Where an installation puts what users do not start themselves, and how the installed programs
# find it: relative to their own folder, so that any prefix (/usr for the package, /usr/local
# for `cmake --install`) works.
include(GNUInstallDirs)

set(QUIDORA_HELPER_DIR ${CMAKE_INSTALL_LIBEXECDIR}/quidora)  # peghelp, quidappmgr
set(QUIDORA_DATA_DIR ${CMAKE_INSTALL_DATADIR}/quidora)       # description files, desktop registry

file(RELATIVE_PATH QUIDORA_HELPERS_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_LIBEXECDIR}/quidora)
file(RELATIVE_PATH QUIDORA_DATA_FROM_BIN ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/quidora)
