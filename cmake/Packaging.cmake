# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# The manual page, the package's documents, and a Debian package made by
# CPack: `cpack -G DEB` in the build folder gives
# qx5170fp_<version>_amd64.deb with the program, the stand-in libraries in
# their private folder, the menu entry, the AppStream description, the icons
# and the manual page.

# The package's version is that of the newest change log entry, as in any
# Debian package: the panel's full version, as --version prints it, of which
# the project's version is the first three numbers.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog sfp_changelog_head LIMIT_COUNT 1)
if(NOT sfp_changelog_head MATCHES "^qx5170fp \\(([0-9]+(\\.[0-9]+)*)\\) ")
    message(FATAL_ERROR "packaging/changelog: the first line names no version of qx5170fp: "
                        "\"${sfp_changelog_head}\"")
endif()
set(SFP_PACKAGE_VERSION ${CMAKE_MATCH_1})
string(FIND "${SFP_PACKAGE_VERSION}." "${PROJECT_VERSION}." at)
if(NOT at EQUAL 0)
    message(FATAL_ERROR "packaging/changelog names version ${SFP_PACKAGE_VERSION}, "
                        "which does not begin with the project's version ${PROJECT_VERSION}")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/packaging/changelog)

# Debian keeps manual pages and change logs compressed, reproducibly (-n:
# no name or time stamp in the header).
find_program(SFP_GZIP gzip REQUIRED)
set(sfp_man_page ${CMAKE_CURRENT_BINARY_DIR}/qx5170fp.1.gz)
set(sfp_changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${sfp_man_page}
    COMMAND ${SFP_GZIP} -9n -c ${PROJECT_SOURCE_DIR}/softfrontpanel/qx5170fp.1 > ${sfp_man_page}
    DEPENDS ${PROJECT_SOURCE_DIR}/softfrontpanel/qx5170fp.1
    COMMENT "Compressing the manual page")
add_custom_command(OUTPUT ${sfp_changelog}
    COMMAND ${SFP_GZIP} -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${sfp_changelog}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
    COMMENT "Compressing the change log")
add_custom_target(qx5170fp_docs ALL DEPENDS ${sfp_man_page} ${sfp_changelog})
install(FILES ${sfp_man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${sfp_changelog}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/qx5170fp)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
    DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME qx5170fp)
include(${CMAKE_CURRENT_LIST_DIR}/SystemService.cmake)

# A stripped install (cpack, cmake --install --strip) also drops the
# compilers' notes from the program and the private libraries, as Debian's
# own packages do; the build id stays. Runs after every other install rule.
install(CODE "
    if(CMAKE_INSTALL_DO_STRIP)
        set(sfp_root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
        file(GLOB sfp_binaries LIST_DIRECTORIES false
            \"\${sfp_root}/${CMAKE_INSTALL_BINDIR}/qx5170fp\"
            \"\${sfp_root}/${CMAKE_INSTALL_LIBEXECDIR}/qx5170fp/qx5170fp-headless\"
            \"\${sfp_root}/${SFP_PRIVATE_LIBDIR}/*.so*\")
        foreach(binary IN LISTS sfp_binaries)
            if(NOT IS_SYMLINK \"\${binary}\")
                execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
                                        --remove-section=.note \"\${binary}\"
                                RESULT_VARIABLE status)
                if(NOT status EQUAL 0)
                    message(FATAL_ERROR \"${CMAKE_STRIP} could not strip \${binary}\")
                endif()
            endif()
        endforeach()
    endif()")

set(CPACK_PACKAGE_NAME qx5170fp)
set(CPACK_PACKAGE_VENDOR "Orbelan Test Systems")
set(CPACK_PACKAGE_CONTACT "Orbelan Test Systems <support@orbelan.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "soft front panel of the Orbelan 5170 relay card")
# The body; CPack puts the summary above it.
string(CONCAT CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Finds the Orbelan 5170 32-channel relay card in a VXI mainframe or an LXI\n"
    "box, connects to it and switches its 32 relays by hand, in three switching\n"
    "modes, with an optional exclusive rule per relay pair. A demo mode runs\n"
    "without hardware.\n"
    "\n"
    "The package holds stand-ins for the vendor's VISA library, common library\n"
    "and instrument driver in a private folder, so that the panel runs on a\n"
    "simulated system out of the box.")
set(CPACK_PACKAGE_VERSION ${SFP_PACKAGE_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://orbelan.example/qx5170fp")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Dependencies computed from the binaries; the private libraries are found
# in their own folder of the staging tree.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${CMAKE_BINARY_DIR}/_CPack_Packages/Linux/DEB/${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-Linux/usr/${SFP_PRIVATE_LIBDIR})
# The toolkit's platform plugins are a separate package that the library
# dependencies do not bring.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# VXI-11 clients find the remote control through the system's port mapper,
# and LAN tools by multicast DNS through the Avahi daemon; the panel serves
# without either, so they are recommended, not required. The libraries
# (libtirpc3, libavahi-client3) come with the binaries' dependencies.
# The toolkit's own catalogues translate its standard buttons in a German
# or French session; the panel's own are compiled in.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "rpcbind, avahi-daemon, qt6-translations-l10n")
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
