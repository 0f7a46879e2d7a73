# Seeds a fresh corpus and fuzzes for a minute (SECONDS overrides).
if(NOT SECONDS)
  set(SECONDS 55)
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/corpus ${WORK}/seeds ${WORK}/artifacts)
execute_process(COMMAND ${SEEDER} ${WORK}/seeds RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "seeding the corpus failed: ${rc}")
endif()
execute_process(
  COMMAND ${FUZZER} ${WORK}/corpus ${WORK}/seeds
          -max_total_time=${SECONDS} -max_len=65536 -timeout=10 -rss_limit_mb=2048
          -print_final_stats=1 -artifact_prefix=${WORK}/artifacts/
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "anigif_fuzz found a failure (exit ${rc}); see ${WORK}/artifacts")
endif()
