# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# The system service: the template unit that runs a headless panel per
# options file of /etc/qx5170fp/, an example of such a file among the
# package's documents, and the package's maintainer scripts that tell the
# service manager. Nothing is enabled or started on installation: which
# panels a machine serves is the admin's choice.

# Where the distribution's service manager takes packaged units from, as
# its own pkg-config file says (Debian 12: /lib/systemd/system, where
# debhelper puts them too); an absolute folder, whatever the prefix.
find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
    pkg_get_variable(sfp_unit_dir systemd systemdsystemunitdir)
endif()
if(NOT sfp_unit_dir)
    set(sfp_unit_dir /lib/systemd/system)
endif()
set(SFP_SYSTEMD_UNIT_DIR ${sfp_unit_dir} CACHE PATH
    "Folder of the packaged systemd units (absolute)")

set(sfp_service_dir ${PROJECT_SOURCE_DIR}/packaging/systemd)
install(FILES ${sfp_service_dir}/qx5170fp-server@.service DESTINATION ${SFP_SYSTEMD_UNIT_DIR})
install(FILES ${sfp_service_dir}/bench.conf
    DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/qx5170fp/examples)

# CPack gives the scripts the mode Debian's policy asks for
# (CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION).
list(APPEND CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${sfp_service_dir}/postinst ${sfp_service_dir}/prerm ${sfp_service_dir}/postrm)
