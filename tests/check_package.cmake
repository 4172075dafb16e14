# Builds the Debian package from the built tree with cpack, unpacks it with
# dpkg-deb and checks its file list, its dependencies, its metadata, that
# lintian finds no error and no warning, and that the unpacked program runs.
# -DBUILD_DIR=... -DWORK=... -DVERSION=... -DAPP_ID=...
foreach(tool dpkg dpkg-deb dpkg-shlibdeps)
    find_program(${tool}_path ${tool})
    if(NOT ${tool}_path)
        message("SKIPPED: ${tool} not found; the Debian package is built only on Debian systems")
        return()
    endif()
endforeach()
foreach(tool desktop-file-validate appstreamcli lintian)
    find_program(${tool}_path ${tool})
    if(NOT ${tool}_path)
        message(FATAL_ERROR "${tool} not found: scripts/deps.sh installs it")
    endif()
endforeach()

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out
                    ERROR_VARIABLE out)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${status}):\n${out}")
    endif()
    set(out "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${WORK}")
run("${CMAKE_CPACK_COMMAND}" -G DEB --config "${BUILD_DIR}/CPackConfig.cmake" -B "${WORK}")
run("${dpkg_path}" --print-architecture)
string(STRIP "${out}" arch)
set(deb "${WORK}/ajuste_${VERSION}_${arch}.deb")
if(NOT EXISTS "${deb}")
    file(GLOB made "${WORK}/*.deb")
    message(FATAL_ERROR "expected ${deb}, cpack made: ${made}")
endif()

# Exactly these files, nothing missing and nothing stray.
run("${dpkg-deb_path}" --contents "${deb}")
string(REGEX MATCHALL "\\./usr/[^\n]*[^/]\n" files "${out}")
string(REPLACE "\n" "" files "${files}")
list(SORT files)
set(expected
    ./usr/bin/ajuste
    ./usr/share/applications/ajuste.desktop
    ./usr/share/doc/ajuste/changelog.gz
    ./usr/share/doc/ajuste/copyright
    ./usr/share/icons/hicolor/64x64/apps/ajuste.png
    ./usr/share/icons/hicolor/scalable/apps/ajuste.svg
    ./usr/share/man/man1/ajuste.1.gz
    ./usr/share/metainfo/${APP_ID}.metainfo.xml)
if(NOT files STREQUAL expected)
    message(FATAL_ERROR "package files:\n${files}\nexpected:\n${expected}")
endif()

# The library dependencies come from dpkg-shlibdeps, the window-system plugin
# and Qt's translations from the package's own list.
run("${dpkg-deb_path}" --field "${deb}" Depends)
foreach(dependency libqt6widgets6 libqt6svg6 qt6-qpa-plugins qt6-translations-l10n)
    if(NOT out MATCHES "${dependency}")
        message(FATAL_ERROR "Depends lacks ${dependency}: ${out}")
    endif()
endforeach()

# Debian's own checks of the package: its maintainer, changelog, compressed
# documents and binaries.
run("${lintian_path}" --fail-on error,warning "${deb}")

set(root "${WORK}/root")
run("${dpkg-deb_path}" -x "${deb}" "${root}")
run("${desktop-file-validate_path}" "${root}/usr/share/applications/ajuste.desktop")
if(out MATCHES "error")
    message(FATAL_ERROR "desktop-file-validate: ${out}")
endif()
run("${appstreamcli_path}" validate --no-net "${root}/usr/share/metainfo/${APP_ID}.metainfo.xml")

# --version answers before any window system is reached: no display is needed.
run("${CMAKE_COMMAND}" -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb
    "${root}/usr/bin/ajuste" --version)
if(NOT out STREQUAL "ajuste ${VERSION}\n")
    message(FATAL_ERROR "ajuste --version printed '${out}'")
endif()
file(REMOVE_RECURSE "${WORK}")
