# Makes the release archive in a scratch folder and fails unless it holds
# exactly the plug-in (byte for byte as built), the install text (naming the
# version and both class identifiers) and the licence, in one folder named
# like the archive.
#   cmake -DCPACK=<cpack> -DBUILD=<build dir> -DMODULE=<dll> -DVERSION=x.y.z
#         -DPBLUR_CLSID={...} -DWEIGHT_CLSID={...} -P package_contents.cmake
set(scratch ${BUILD}/package-test)
file(REMOVE_RECURSE ${scratch})
file(MAKE_DIRECTORY ${scratch})
execute_process(COMMAND ${CPACK} -G ZIP -B ${scratch} --config ${BUILD}/CPackConfig.cmake
                WORKING_DIRECTORY ${BUILD} RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cpack failed:\n${log}")
endif()

set(top QXVpblur-${VERSION}-win32)
set(archive ${scratch}/${top}.zip)
if(NOT EXISTS ${archive})
  file(GLOB made ${scratch}/*.zip)
  message(FATAL_ERROR "no ${top}.zip; cpack wrote: ${made}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${archive}
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" entries "${listing}")
list(SORT entries)
set(expected ${top}/INSTALL.txt ${top}/LICENSE.txt ${top}/QXVpblur.dll)
if(NOT status EQUAL 0 OR NOT entries STREQUAL expected)
  message(FATAL_ERROR "archive holds:\n  ${entries}\nexpected:\n  ${expected}")
endif()

file(MAKE_DIRECTORY ${scratch}/unpacked)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${archive}
                WORKING_DIRECTORY ${scratch}/unpacked RESULT_VARIABLE status)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${scratch}/unpacked/${top}/QXVpblur.dll
                        ${MODULE} RESULT_VARIABLE differs)
if(NOT status EQUAL 0 OR NOT differs EQUAL 0)
  message(FATAL_ERROR "the archive's QXVpblur.dll is not the one built (${MODULE})")
endif()

file(READ ${scratch}/unpacked/${top}/INSTALL.txt text)
foreach(needed "QXVpblur ${VERSION}" ${PBLUR_CLSID} ${WEIGHT_CLSID})
  string(FIND "${text}" "${needed}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "INSTALL.txt does not name ${needed}")
  endif()
endforeach()
file(READ ${scratch}/unpacked/${top}/LICENSE.txt licence)
if(NOT licence MATCHES "^MIT License")
  message(FATAL_ERROR "LICENSE.txt is not the MIT licence")
endif()
file(REMOVE_RECURSE ${scratch})
