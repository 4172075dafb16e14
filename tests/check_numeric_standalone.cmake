# Configures and builds src/numeric as a project of its own: no Qt is found or
# searched for, so any Qt include there fails the build.
file(REMOVE_RECURSE "${BUILD}")
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE}" -B "${BUILD}" -DCMAKE_BUILD_TYPE=Release
                RESULT_VARIABLE configured OUTPUT_QUIET)
if(NOT configured EQUAL 0)
    message(FATAL_ERROR "the numeric core does not configure on its own")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${BUILD}" RESULT_VARIABLE built
                OUTPUT_VARIABLE log ERROR_VARIABLE log)
if(NOT built EQUAL 0)
    message(FATAL_ERROR "the numeric core does not build on its own:\n${log}")
endif()
file(REMOVE_RECURSE "${BUILD}")
