# The installation folder: programs, help page, examples. The uninstall log is written by the
# install step itself (see uninstaller/).
include(GNUInstallDirs)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION examples
        FILES_MATCHING PATTERN "*.vexa" PATTERN "*.csv")
