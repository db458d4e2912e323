# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# The hardening that Debian builds its packages with: fortified C library
# calls, stack protector, read-only relocations bound at start-up, and a
# position-independent program. The flags are Debian's own, as
# dpkg-buildflags gives them on the build machine (so that its environment,
# DEB_CFLAGS_APPEND and the like, works as in any Debian build); a machine
# without dpkg gets the same set written out here.
#
# Sanitizer, fuzzing and coverage builds are never packaged and bring checks of their
# own; Debug and None builds are not optimised, and fortified calls need
# optimisation. Hardening is left out of those, and configuring says so.
option(SFP_HARDENING "Build with Debian's hardening flags (optimised builds only)" ON)

set(sfp_optimised_build_types Release RelWithDebInfo MinSizeRel)
if(NOT SFP_HARDENING)
    message(STATUS "Hardening: off (SFP_HARDENING=OFF)")
    return()
elseif(SFP_SANITIZE OR SFP_SANITIZE_THREAD OR SFP_FUZZ OR SFP_COVERAGE)
    message(STATUS "Hardening: off in a sanitizer, fuzzing or coverage build")
    return()
elseif(CMAKE_CONFIGURATION_TYPES OR NOT CMAKE_BUILD_TYPE IN_LIST sfp_optimised_build_types)
    list(JOIN sfp_optimised_build_types ", " sfp_optimised_names)
    message(STATUS "Hardening: off for build type '${CMAKE_BUILD_TYPE}' "
                   "(${sfp_optimised_names} have it)")
    return()
endif()

find_program(SFP_DPKG_BUILDFLAGS dpkg-buildflags)
if(SFP_DPKG_BUILDFLAGS)
    # bindnow is not among dpkg's defaults; the package wants every feature.
    # Run in the source folder, so that the file prefix map takes that
    # folder's path out of the binaries: they come out the same wherever
    # the sources lie.
    set(sfp_maint_options "$ENV{DEB_BUILD_MAINT_OPTIONS} hardening=+all")
    foreach(kind CFLAGS CXXFLAGS CPPFLAGS LDFLAGS)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env "DEB_BUILD_MAINT_OPTIONS=${sfp_maint_options}"
                    ${SFP_DPKG_BUILDFLAGS} --get ${kind}
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            RESULT_VARIABLE status
            OUTPUT_VARIABLE flags
            ERROR_VARIABLE error
            OUTPUT_STRIP_TRAILING_WHITESPACE)
        if(NOT status EQUAL 0)
            string(STRIP "${error}" error)
            message(FATAL_ERROR "${SFP_DPKG_BUILDFLAGS} --get ${kind} failed (${status}) ${error}\n"
                                "Configure with -DSFP_HARDENING=OFF to build without hardening.")
        endif()
        separate_arguments(flags UNIX_COMMAND "${flags}")
        # The build type chooses optimisation and debugging information.
        list(FILTER flags EXCLUDE REGEX "^-(O.*|g.*)$")
        list(JOIN flags " " sfp_dpkg_${kind})
    endforeach()
    set(sfp_hardening_source "${SFP_DPKG_BUILDFLAGS}")
else()
    set(sfp_dpkg_CFLAGS "-fstack-protector-strong -Wformat -Werror=format-security")
    set(sfp_dpkg_CXXFLAGS "${sfp_dpkg_CFLAGS}")
    set(sfp_dpkg_CPPFLAGS "-D_FORTIFY_SOURCE=2")
    set(sfp_dpkg_LDFLAGS "-Wl,-z,relro -Wl,-z,now")
    set(sfp_hardening_source "cmake/Hardening.cmake (no dpkg-buildflags found)")
endif()

foreach(feature "_FORTIFY_SOURCE" "-fstack-protector" "-z,relro" "-z,now")
    string(FIND "${sfp_dpkg_CPPFLAGS} ${sfp_dpkg_CFLAGS} ${sfp_dpkg_LDFLAGS}" "${feature}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "The hardening flags lack ${feature}:\n"
                            "  CPPFLAGS ${sfp_dpkg_CPPFLAGS}\n  CFLAGS ${sfp_dpkg_CFLAGS}\n"
                            "  LDFLAGS ${sfp_dpkg_LDFLAGS}\n"
                            "Check DEB_BUILD_MAINT_OPTIONS and DEB_*FLAGS_* in the environment, "
                            "or configure with -DSFP_HARDENING=OFF.")
    endif()
endforeach()

# Ahead of the user's own flags, which may then still add to them.
set(CMAKE_C_FLAGS "${sfp_dpkg_CPPFLAGS} ${sfp_dpkg_CFLAGS} ${CMAKE_C_FLAGS}")
set(CMAKE_CXX_FLAGS "${sfp_dpkg_CPPFLAGS} ${sfp_dpkg_CXXFLAGS} ${CMAKE_CXX_FLAGS}")
foreach(kind EXE SHARED MODULE)
    set(CMAKE_${kind}_LINKER_FLAGS "${sfp_dpkg_LDFLAGS} ${CMAKE_${kind}_LINKER_FLAGS}")
endforeach()

# Position-independent code everywhere, and the program linked as a
# position-independent executable, which needs the linker's support.
include(CheckPIESupported)
check_pie_supported(OUTPUT_VARIABLE sfp_pie_output LANGUAGES C CXX)
if(NOT CMAKE_C_LINK_PIE_SUPPORTED OR NOT CMAKE_CXX_LINK_PIE_SUPPORTED)
    message(FATAL_ERROR "The linker cannot make position-independent executables:\n"
                        "${sfp_pie_output}\nConfigure with -DSFP_HARDENING=OFF to build without.")
endif()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

message(STATUS "Hardening: on, flags from ${sfp_hardening_source}")
