# One short fuzz run for CTest: the committed inputs are copied into a scratch folder (which the
# run may grow), the target runs for SECONDS, and any finding fails the test; its input is
# left in WORK as crash-*, leak-*, timeout-* or oom-*.
#   cmake -DTARGET=... -DCORPUS=... -DDICT=... -DWORK=... -DSECONDS=... -P RunFuzzTarget.cmake

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus)
file(GLOB inputs ${CORPUS}/*)
file(COPY ${inputs} DESTINATION ${WORK}/corpus)

set(options -max_total_time=${SECONDS} -timeout=5 -rss_limit_mb=2048 -max_len=2048
  -print_final_stats=1 -artifact_prefix=${WORK}/)
if(DICT)
  list(APPEND options -dict=${DICT})
endif()
execute_process(COMMAND ${TARGET} ${options} ${WORK}/corpus RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${TARGET} found a fault (exit ${result}); the input is in ${WORK}")
endif()
