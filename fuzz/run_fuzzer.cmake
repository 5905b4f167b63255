# One bounded fuzz run for ctest: the seed corpus, then RUNS mutated inputs from a fixed seed.
# New inputs go to a scratch folder emptied first, so the repository's corpus is only read
# and every run starts alike.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/new)
execute_process(
  COMMAND ${FUZZER} -runs=${RUNS} -seed=1 -print_final_stats=1 ${OPTIONS} -artifact_prefix=${WORK}/
          ${WORK}/new ${CORPUS}
  RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  file(GLOB found ${WORK}/crash-* ${WORK}/leak-* ${WORK}/timeout-* ${WORK}/oom-*)
  message(FATAL_ERROR "fuzzer failed (${result}); input kept as: ${found}")
endif()
