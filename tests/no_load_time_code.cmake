# Fails when the built module holds code that would run while the host loads
# it: GCC names a translation unit's static constructor _GLOBAL__sub_I_<file>.
#   cmake -DNM=<nm> -DMODULE=<module file> -P no_load_time_code.cmake
execute_process(COMMAND ${NM} ${MODULE} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT symbols MATCHES "DllGetClassObject")
  message(FATAL_ERROR "${NM} could not read the symbols of ${MODULE}")
endif()
string(REGEX MATCHALL "_GLOBAL__(sub_)?I_[A-Za-z0-9_.]+" constructors "${symbols}")
# A sanitizer build adds constructors of its own, numbered by priority
# (_GLOBAL__sub_I_00099_0_<file>): they register the instrumentation, not
# code of the module's.
list(FILTER constructors EXCLUDE REGEX "_GLOBAL__sub_I_[0-9]+_[0-9]+_")
if(constructors)
  message(FATAL_ERROR "static constructors in ${MODULE}: ${constructors}")
endif()
