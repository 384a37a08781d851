# cmake -DBUILD_DIR=... -DZIP=... -P MakeBundle.cmake
# The portable bundle: the install tree (stripped) in a folder named "Korvela Player", zipped
# with that folder at the top. This is the archive the self-update downloads and unpacks.
get_filename_component(out_dir "${ZIP}" DIRECTORY)
set(stage "${out_dir}/bundle-stage")
file(REMOVE_RECURSE "${stage}")
execute_process(
    COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${stage}/Korvela Player" --strip
    RESULT_VARIABLE result OUTPUT_QUIET)
if(result)
    message(FATAL_ERROR "Installing into the bundle folder failed: ${result}")
endif()
# Written aside and renamed, so an interrupted build never leaves a half archive behind.
file(REMOVE "${ZIP}.part")
execute_process(
    COMMAND zip -q -r -X -9 "${ZIP}.part" "Korvela Player"
    WORKING_DIRECTORY "${stage}" RESULT_VARIABLE result)
if(result)
    message(FATAL_ERROR "Zipping the bundle failed: ${result}")
endif()
file(RENAME "${ZIP}.part" "${ZIP}")
file(REMOVE_RECURSE "${stage}")
