# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# Installs the build in BUILD_DIR into PREFIX and checks what a desktop
# needs to list and start the panel.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${status}):\n${output}")
endif()

set(program "${PREFIX}/${BINDIR}/qx5170fp")
foreach(path
        "${program}"
        "${PREFIX}/${LIBDIR}/libvisa64.so"
        "${PREFIX}/${LIBDIR}/libqx2010_64.so"
        "${PREFIX}/${LIBDIR}/libqx5170_64.so"
        "${PREFIX}/${DATADIR}/applications/example.orbelan.qx5170fp.desktop"
        "${PREFIX}/${DATADIR}/metainfo/example.orbelan.qx5170fp.metainfo.xml"
        "${PREFIX}/${DATADIR}/icons/hicolor/16x16/apps/example.orbelan.qx5170fp.png"
        "${PREFIX}/${DATADIR}/icons/hicolor/scalable/apps/example.orbelan.qx5170fp.svg"
        "${PREFIX}/${MANDIR}/man1/qx5170fp.1.gz")
    if(NOT EXISTS "${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()

# The menu entry starts the installed program and shows the panel icon.
file(READ "${PREFIX}/${DATADIR}/applications/example.orbelan.qx5170fp.desktop" entry)
foreach(line
        "[Desktop Entry]"
        "Type=Application"
        "Name=Orbelan 5170 Soft Front Panel"
        "Exec=${program}"
        "Icon=example.orbelan.qx5170fp"
        "Terminal=false")
    string(FIND "${entry}" "${line}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the menu entry lacks the line \"${line}\":\n${entry}")
    endif()
endforeach()
find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
    execute_process(COMMAND "${VALIDATE}" "${PREFIX}/${DATADIR}/applications/example.orbelan.qx5170fp.desktop"
        RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "desktop-file-validate refuses the menu entry:\n${output}")
    endif()
endif()

# A 16 x 16 PNG: the signature, then the IHDR chunk's width and height.
file(READ "${PREFIX}/${DATADIR}/icons/hicolor/16x16/apps/example.orbelan.qx5170fp.png" header
    LIMIT 24 HEX)
if(NOT header MATCHES "^89504e470d0a1a0a0000000d494844520000001000000010$")
    message(FATAL_ERROR "the icon is not a 16 x 16 PNG (header ${header})")
endif()

# The installed program links none of the platform libraries: it loads
# them at start-up, and, with nothing else installed, takes the stand-ins
# of its private folder, not those of the build folder.
execute_process(COMMAND ldd "${program}" RESULT_VARIABLE status OUTPUT_VARIABLE linked)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "ldd cannot read ${program}")
endif()
foreach(library visa64 qx2010_64 qx5170_64)
    if(linked MATCHES "lib${library}\\.so")
        message(FATAL_ERROR "the installed program links lib${library}:\n${linked}")
    endif()
endforeach()
execute_process(COMMAND env -u QX5170FP_LIBRARY_PATH -u DISPLAY -u QT_QPA_PLATFORM
        "${program}" --simulate --version
    RESULT_VARIABLE status OUTPUT_VARIABLE version ERROR_VARIABLE errors)
get_filename_component(private "${PREFIX}/${LIBDIR}" REALPATH)
foreach(line
        "Libraries: simulated platform"
        "  ${private}/libvisa64.so"
        "  ${private}/libqx2010_64.so"
        "  ${private}/libqx5170_64.so")
    string(FIND "${version}" "${line}\n" at)
    if(NOT status EQUAL 0 OR at EQUAL -1)
        message(FATAL_ERROR "the installed program's --version lacks \"${line}\" "
                            "(status ${status}):\n${version}${errors}")
    endif()
endforeach()
# No search path in the program, installed or in the build folder: an
# empty or relative entry would have the dynamic linker look in the working
# folder, and the program finds its libraries by its own search.
foreach(binary "${program}" "${BUILD_DIR}/bin/qx5170fp")
    execute_process(COMMAND readelf --dynamic "${binary}"
        RESULT_VARIABLE status OUTPUT_VARIABLE dynamic ERROR_VARIABLE errors)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "readelf cannot read ${binary}:\n${errors}")
    endif()
    if(dynamic MATCHES "\\((RUNPATH|RPATH)\\)[^\n]*")
        message(FATAL_ERROR "${binary} carries a search path: ${CMAKE_MATCH_0}")
    endif()
endforeach()
message(STATUS "installed layout in ${PREFIX} is complete")
