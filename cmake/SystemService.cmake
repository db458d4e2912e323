# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# The system service: the template unit that runs a headless panel per
# options file of /etc/qx5170fp/, an example of such a file among the
# package's documents, and the package's maintainer scripts that tell the
# service manager. Nothing is enabled or started on installation: which
# panels a machine serves is the admin's choice.

# Where the distribution's service manager takes packaged units from, as
# its own pkg-config file says (Debian 12: /lib/systemd/system, where
# debhelper puts them too).
find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
    pkg_get_variable(sfp_unit_dir systemd systemdsystemunitdir)
endif()
if(NOT sfp_unit_dir)
    set(sfp_unit_dir /lib/systemd/system)
endif()
set(SFP_SYSTEMD_UNIT_DIR ${sfp_unit_dir} CACHE PATH
    "Folder of the packaged systemd units (absolute), for an installation into /usr")

set(sfp_service_dir ${PROJECT_SOURCE_DIR}/packaging/systemd)
# The package, and any installation into /usr, put the unit there. An
# installation into another prefix (a scratch folder, /usr/local, whose
# lib/systemd/system the service manager reads as well) keeps it below
# that prefix, starting the program installed there: nothing outside the
# prefix is touched. (file(INSTALL) itself puts DESTDIR, which CPack sets,
# before an absolute folder.)
install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
        set(sfp_unit_dir \"${SFP_SYSTEMD_UNIT_DIR}\")
    else()
        set(sfp_unit_dir \"\${CMAKE_INSTALL_PREFIX}/lib/systemd/system\")
    endif()
    file(READ \"${sfp_service_dir}/qx5170fp-server@.service\" sfp_unit)
    string(REPLACE \"=/usr/bin/qx5170fp \" \"=\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/qx5170fp \"
        sfp_unit \"\${sfp_unit}\")
    file(WRITE \"${CMAKE_CURRENT_BINARY_DIR}/systemd/qx5170fp-server@.service\" \"\${sfp_unit}\")
    file(INSTALL \"${CMAKE_CURRENT_BINARY_DIR}/systemd/qx5170fp-server@.service\"
        DESTINATION \"\${sfp_unit_dir}\"
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)")
install(FILES ${sfp_service_dir}/bench.conf
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/qx5170fp/examples)

# CPack gives the scripts the mode Debian's policy asks for
# (CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION).
list(APPEND CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${sfp_service_dir}/postinst ${sfp_service_dir}/prerm ${sfp_service_dir}/postrm)
