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
        "${PREFIX}/${DATADIR}/applications/qx5170fp.desktop"
        "${PREFIX}/${DATADIR}/icons/hicolor/16x16/apps/qx5170fp.png"
        "${PREFIX}/${DATADIR}/pixmaps/qx5170fp.png"
        "${PREFIX}/${MANDIR}/man1/qx5170fp.1.gz")
    if(NOT EXISTS "${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()

# The menu entry starts the installed program and shows the panel icon.
file(READ "${PREFIX}/${DATADIR}/applications/qx5170fp.desktop" entry)
foreach(line
        "[Desktop Entry]"
        "Type=Application"
        "Name=Orbelan 5170 Soft Front Panel"
        "Exec=${program}"
        "Icon=qx5170fp"
        "Terminal=false")
    string(FIND "${entry}" "${line}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the menu entry lacks the line \"${line}\":\n${entry}")
    endif()
endforeach()
find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
    execute_process(COMMAND "${VALIDATE}" "${PREFIX}/${DATADIR}/applications/qx5170fp.desktop"
        RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "desktop-file-validate refuses the menu entry:\n${output}")
    endif()
endif()

# A 16 x 16 PNG: the signature, then the IHDR chunk's width and height.
file(READ "${PREFIX}/${DATADIR}/icons/hicolor/16x16/apps/qx5170fp.png" header
    LIMIT 24 HEX)
if(NOT header MATCHES "^89504e470d0a1a0a0000000d494844520000001000000010$")
    message(FATAL_ERROR "the icon is not a 16 x 16 PNG (header ${header})")
endif()

# The installed program finds the installed libraries, not those of the
# build folder, through its run path.
execute_process(COMMAND ldd "${program}" RESULT_VARIABLE status OUTPUT_VARIABLE linked)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "ldd cannot read ${program}")
endif()
foreach(library visa64 qx2010_64 qx5170_64)
    string(REGEX MATCH "lib${library}\\.so[^\n]*=> ([^ \n]*)" found "${linked}")
    get_filename_component(resolved "${CMAKE_MATCH_1}" REALPATH)
    get_filename_component(expected "${PREFIX}/${LIBDIR}/lib${library}.so" REALPATH)
    get_filename_component(resolved_dir "${resolved}" DIRECTORY)
    get_filename_component(expected_dir "${expected}" DIRECTORY)
    if(NOT found OR NOT resolved_dir STREQUAL expected_dir)
        message(FATAL_ERROR "the installed program takes lib${library} from "
                            "\"${CMAKE_MATCH_1}\", not from ${PREFIX}/${LIBDIR}:\n${linked}")
    endif()
endforeach()
message(STATUS "installed layout in ${PREFIX} is complete")
