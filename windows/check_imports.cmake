# cmake -DOBJDUMP=... -DMODULE=FILE -P check_imports.cmake
# Fails when the module imports an entry ending in W (a wide-character
# entry) other than the few Windows 95 implements; the rest exist there only
# as stubs that fail.
set(windows95_wide_entries
  MultiByteToWideChar WideCharToMultiByte lstrlenW MessageBoxW TextOutW ExtTextOutW GetTextExtentPoint32W)
execute_process(COMMAND ${OBJDUMP} -p ${MODULE} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${MODULE} failed")
endif()
# Imports by name are listed as lines "\t<hint address>\t <hint>  <name>".
string(REGEX MATCHALL "\n\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_0-9@?$]+" entries "${dump}")
set(refused "")
foreach(entry ${entries})
  string(REGEX REPLACE ".* " "" name "${entry}")
  if(NOT name MATCHES "W$")
    continue()
  endif()
  list(FIND windows95_wide_entries ${name} known)
  if(known EQUAL -1)
    list(APPEND refused ${name})
  endif()
endforeach()
if(refused)
  message(FATAL_ERROR "${MODULE} imports wide-character entries Windows 95 does not implement: ${refused}")
endif()
