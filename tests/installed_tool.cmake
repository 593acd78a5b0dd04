# `cmake --install` gives a pblur that finds its module wherever the prefix
# is, and the install manifest removes every file it put there.
#   cmake -DBUILD=<build dir> -DPREFIX=<scratch prefix> -P installed_tool.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
if(NOT EXISTS ${PREFIX}/bin/pblur)
  message(FATAL_ERROR "no ${PREFIX}/bin/pblur")
endif()
# Started from elsewhere, with no module in its own folder or the one above.
execute_process(COMMAND ${PREFIX}/bin/pblur demo --out ${PREFIX}/demo --size 64x36 --frames 1
                        --quiet
                WORKING_DIRECTORY /
                RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT EXISTS ${PREFIX}/demo/blurred_001.png)
  message(FATAL_ERROR "the installed pblur did not run (${status}): ${errors}")
endif()
file(STRINGS ${BUILD}/install_manifest.txt installed)
file(REMOVE ${installed})
file(GLOB_RECURSE left LIST_DIRECTORIES false ${PREFIX}/bin/* ${PREFIX}/lib/*)
file(REMOVE_RECURSE ${PREFIX})
if(left)
  message(FATAL_ERROR "left behind after removing the manifest's files: ${left}")
endif()
