# SPDX-FileCopyrightText: 2026 Tarvex
# SPDX-License-Identifier: MIT
# What `cmake --graphviz` draws (scripts/architecture.sh): the program's
# own targets and how they link, without the tests, the benchmarks, the
# tools and the libraries of the system.
set(GRAPHVIZ_GRAPH_NAME "qx5170fp")
set(GRAPHVIZ_EXTERNAL_LIBS FALSE)
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
set(GRAPHVIZ_IGNORE_TARGETS
    "^tst_" "^fuzz_" "^bench_" "^sfp_testsupport$" "^sfp_coretestsupport$"
    "^sfp_linkednamespaces$" "^sfp_warnings$" "^sfp_core$" "^sfp_vendor_headers$"
    "^sfp_artwork$" "^sfp_external$" "^platform_c_client$" "^c_client$" "^sfpsim" "^visa64$"
    "^qx2010_64$" "^qx5170_64$" "^sfp_vxi11_xdr$" "^sfp_instrumentio$" "^sfp_preview$"
    "^sfp_programrun$" "^sfp_screengrab$" "_resources_[0-9]+$")
