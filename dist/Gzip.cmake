# cmake -DIN=file -DOUT=file.gz -P Gzip.cmake: compresses as Debian wants it
# (best compression, no name or time stamp inside, so builds repeat exactly).
execute_process(COMMAND gzip -9n -c ${IN} OUTPUT_FILE ${OUT} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "gzip ${IN} failed")
endif()
