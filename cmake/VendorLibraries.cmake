# Imports the real vendor libraries instead of the stand-ins. The program's
# code stays the same: it links the targets visa64, qx2010_64 and qx5170_64
# and includes the headers of sfp_vendor_headers (external/, or the vendor's
# own from SFP_VENDOR_INCLUDE_DIR).
if(NOT SFP_VENDOR_LIB_DIR)
    message(FATAL_ERROR "SFP_USE_SIMULATOR is OFF: set SFP_VENDOR_LIB_DIR to the folder "
                        "that holds the vendor's VISA, qx2010_64 and qx5170_64 libraries")
endif()
# VISA is visa64 on Windows; Linux installations ship it as libvisa.so.
set(SFP_visa64_NAMES visa64 visa)
set(SFP_qx2010_64_NAMES qx2010_64)
set(SFP_qx5170_64_NAMES qx5170_64)
foreach(lib visa64 qx2010_64 qx5170_64)
    find_library(SFP_${lib}_LIBRARY NAMES ${SFP_${lib}_NAMES}
        PATHS ${SFP_VENDOR_LIB_DIR} NO_DEFAULT_PATH)
    if(NOT SFP_${lib}_LIBRARY)
        string(REPLACE ";" " or " names "${SFP_${lib}_NAMES}")
        message(FATAL_ERROR "Vendor library ${names} not found in ${SFP_VENDOR_LIB_DIR}")
    endif()
    message(STATUS "Vendor library ${lib}: ${SFP_${lib}_LIBRARY}")
    add_library(${lib} SHARED IMPORTED GLOBAL)
    set_target_properties(${lib} PROPERTIES IMPORTED_LOCATION ${SFP_${lib}_LIBRARY})
    target_link_libraries(${lib} INTERFACE sfp_vendor_headers)
endforeach()
