# Runs one fuzz target for a fixed time on a fresh copy of its corpus. Called by CTest:
#   cmake -DFUZZER=... -DCORPUS_SOURCE=... -DCORPUS_COPY=... -DSEEDS=a|b -DDICTIONARY=...
#         -DSECONDS=... -P run_fuzzer.cmake
file(REMOVE_RECURSE ${CORPUS_COPY})
file(MAKE_DIRECTORY ${CORPUS_COPY})
if(EXISTS ${CORPUS_SOURCE})
  file(COPY ${CORPUS_SOURCE}/ DESTINATION ${CORPUS_COPY})
endif()
get_filename_component(work ${CORPUS_COPY} DIRECTORY)
get_filename_component(name ${CORPUS_COPY} NAME)
set(artifacts ${work}/../artifacts/${name}/)
file(MAKE_DIRECTORY ${artifacts})

set(arguments
    -max_total_time=${SECONDS}
    -timeout=10
    -malloc_limit_mb=64
    -rss_limit_mb=1024
    -print_final_stats=1
    -artifact_prefix=${artifacts})
if(EXISTS ${DICTIONARY})
  list(APPEND arguments -dict=${DICTIONARY})
endif()
# New inputs go to the first directory only: the copy.
list(APPEND arguments ${CORPUS_COPY})
string(REPLACE "|" ";" seeds "${SEEDS}")
foreach(dir IN LISTS seeds)
  if(IS_DIRECTORY ${dir})
    list(APPEND arguments ${dir})
  endif()
endforeach()

execute_process(COMMAND ${FUZZER} ${arguments} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${FUZZER} found a failing input (exit ${result}); see ${artifacts}")
endif()
