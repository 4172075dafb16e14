# Installs into a scratch prefix and checks that every installed file is there
# and that the desktop entry names the program and its icon.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

foreach(path
        bin/ajuste
        share/applications/ajuste.desktop
        share/icons/hicolor/scalable/apps/ajuste.svg
        share/icons/hicolor/64x64/apps/ajuste.png)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "missing from the install tree: ${path}")
    endif()
endforeach()

file(READ "${PREFIX}/share/applications/ajuste.desktop" entry)
foreach(line "Name=Ajuste de Curvas Logísticas" "Exec=ajuste" "Icon=ajuste"
             "Categories=Education;Science;")
    string(FIND "${entry}" "${line}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the desktop entry lacks '${line}'")
    endif()
endforeach()

find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
    execute_process(COMMAND "${VALIDATE}" "${PREFIX}/share/applications/ajuste.desktop"
                    RESULT_VARIABLE valid OUTPUT_VARIABLE report ERROR_VARIABLE report)
    if(NOT valid EQUAL 0 OR report MATCHES "error")
        message(FATAL_ERROR "desktop-file-validate: ${report}")
    endif()
endif()
file(REMOVE_RECURSE "${PREFIX}")
