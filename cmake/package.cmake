# The release archive: `cmake --build <dir> --target package` writes
# QXVpblur-<version>-<system>.zip (QXVpblur-1.0.0-win32.zip from the cross
# build) with the plug-in, a short install text and the licence.
configure_file(${CMAKE_CURRENT_LIST_DIR}/INSTALL.txt.in ${CMAKE_BINARY_DIR}/INSTALL.txt @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/INSTALL.txt DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE DESTINATION . RENAME LICENSE.txt)

set(CPACK_PACKAGE_NAME QXVpblur)
set(CPACK_PACKAGE_VENDOR "QXVpblur developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Motion-blur post-renderer plug-in")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR ZIP)
set(CPACK_SOURCE_GENERATOR "")
# Everything unpacks into one folder named like the archive.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
