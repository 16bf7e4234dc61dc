# Runs the skin generator into a scratch folder and compares every file with
# the committed default skin and application icon, so the assets never drift
# from their generator.
#   cmake -DSKINGEN=<exe> -DSKIN=<Skins/default_Tobrel> -DICONS=<packaging/icons>
#         -DSCRATCH=<folder> -P skingenCheck.cmake
function(compare_trees generated_dir committed_dir)
  file(GLOB_RECURSE generated RELATIVE "${generated_dir}" "${generated_dir}/*")
  file(GLOB_RECURSE committed RELATIVE "${committed_dir}" "${committed_dir}/*")
  list(SORT generated)
  list(SORT committed)
  if(NOT generated STREQUAL committed)
    message(FATAL_ERROR "file lists differ:\n generated: ${generated}\n committed: ${committed}")
  endif()
  foreach(name IN LISTS generated)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files "${generated_dir}/${name}" "${committed_dir}/${name}"
                    RESULT_VARIABLE same)
    if(NOT same EQUAL 0)
      message(FATAL_ERROR "${name} differs from its generator's output; run tools/skingen/generate.sh")
    endif()
  endforeach()
endfunction()

file(REMOVE_RECURSE "${SCRATCH}")
file(MAKE_DIRECTORY "${SCRATCH}/skin" "${SCRATCH}/icons")
execute_process(COMMAND "${SKINGEN}" "${SCRATCH}/skin" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "skingen failed: ${rc}")
endif()
execute_process(COMMAND "${SKINGEN}" --icons "${SCRATCH}/icons" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "skingen --icons failed: ${rc}")
endif()
compare_trees("${SCRATCH}/skin" "${SKIN}")
compare_trees("${SCRATCH}/icons" "${ICONS}")
file(REMOVE_RECURSE "${SCRATCH}")
