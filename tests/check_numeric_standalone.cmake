# Configures and builds src/numeric as a project of its own: no Qt is found or
# searched for, so any Qt include there fails the build. Built unoptimised: the
# check is that it compiles and links alone, and the optimised build is the main one.
file(REMOVE_RECURSE "${BUILD}")
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE}" -B "${BUILD}" -DCMAKE_BUILD_TYPE=
                RESULT_VARIABLE configured OUTPUT_QUIET)
if(NOT configured EQUAL 0)
    message(FATAL_ERROR "the numeric core does not configure on its own")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BUILD}" --parallel 2 RESULT_VARIABLE built
                OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT built EQUAL 0)
    message(FATAL_ERROR "the numeric core does not build on its own:\n${log}")
endif()
file(REMOVE_RECURSE "${BUILD}")
