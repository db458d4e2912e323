# Imports the real vendor libraries instead of the stand-ins. The program's
# code stays the same: it includes only the headers in external/ and links
# the targets visa64, qx2010_64 and qx5170_64.
if(NOT SFP_VENDOR_LIB_DIR)
    message(FATAL_ERROR "SFP_USE_SIMULATOR is OFF: set SFP_VENDOR_LIB_DIR to the folder "
                        "that holds the vendor's visa64, qx2010_64 and qx5170_64 libraries")
endif()
foreach(lib visa64 qx2010_64 qx5170_64)
    find_library(SFP_${lib}_LIBRARY NAMES ${lib} PATHS ${SFP_VENDOR_LIB_DIR} NO_DEFAULT_PATH)
    if(NOT SFP_${lib}_LIBRARY)
        message(FATAL_ERROR "Vendor library ${lib} not found in ${SFP_VENDOR_LIB_DIR}")
    endif()
    add_library(${lib} SHARED IMPORTED GLOBAL)
    set_target_properties(${lib} PROPERTIES IMPORTED_LOCATION ${SFP_${lib}_LIBRARY})
    target_link_libraries(${lib} INTERFACE sfp_external)
endforeach()
