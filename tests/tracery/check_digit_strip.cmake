# cmake -DTOOL=make_digit_strip -DCOMMITTED=digits.bmp -DOUTPUT=tmp.bmp -P check_digit_strip.cmake
# The committed strip must be exactly what the generator writes.
execute_process(COMMAND ${TOOL} ${OUTPUT} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "make_digit_strip failed: ${result}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${COMMITTED} ${OUTPUT}
                RESULT_VARIABLE differs)
if(NOT differs EQUAL 0)
  message(FATAL_ERROR "${COMMITTED} differs from the generator's output")
endif()
