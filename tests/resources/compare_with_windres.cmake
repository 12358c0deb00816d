# cmake -DRC=brontar-rc -DWINDRES=windres -DSCRIPT=X.rc -DOUT=PREFIX -P compare_with_windres.cmake
# Fails unless the project's resource compiler and windres make the same .res.
execute_process(COMMAND ${RC} ${SCRIPT} --res ${OUT}.rc.res RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "brontar-rc failed on ${SCRIPT}")
endif()
execute_process(COMMAND ${WINDRES} -O res -i ${SCRIPT} -o ${OUT}.windres.res RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "windres failed on ${SCRIPT}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}.rc.res ${OUT}.windres.res RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${SCRIPT}: brontar-rc and windres made different .res images (${OUT}.rc.res, ${OUT}.windres.res)")
endif()
