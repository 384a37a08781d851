# The installed tree, the same tree inside the build folder, and the packages made from it.
#
#   bin/korvela-player, bin/korvela-export
#   share/korvela-player/        WhatsNew.txt, notices/ (licence and third-party notices)
#   share/applications/, share/metainfo/, share/icons/hicolor/   desktop integration
#   share/man/man1/, share/bash-completion/completions/, share/doc/korvela-player/
#
# The programs find share/korvela-player relative to their own bin/ folder, so the tree works
# under /usr, /usr/local, a home prefix and as the portable "Korvela Player" folder. In the
# build folder build/share/korvela-player sits beside build/app and build/tools for the same
# reason.

include(GNUInstallDirs)

set(KORVELA_APP_ID org.korvela.Player)
set(korvela_data_dir ${CMAKE_INSTALL_DATADIR}/korvela-player)
set(korvela_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/korvela-player)
set(korvela_build_data ${CMAKE_BINARY_DIR}/share/korvela-player)
set(res ${CMAKE_SOURCE_DIR}/resources)

# Data files, copied into the build tree at configure time (and again whenever they change).
set(korvela_notices
    "${CMAKE_SOURCE_DIR}/LICENSE|korvela-player-GPL-3.0-or-later.txt"
    "${res}/notices/minizip.txt|minizip-zlib.txt")
# Leaflet is compiled into the player's map pages (the player's build insists on it being there).
if(TARGET korvela-player)
    list(APPEND korvela_notices "${CMAKE_SOURCE_DIR}/node_modules/leaflet/LICENSE|leaflet-BSD-2-Clause.txt")
endif()
configure_file(${res}/WhatsNew.txt ${korvela_build_data}/WhatsNew.txt COPYONLY)
foreach(entry IN LISTS korvela_notices)
    string(REPLACE "|" ";" pair "${entry}")
    list(GET pair 0 source)
    list(GET pair 1 name)
    configure_file(${source} ${korvela_build_data}/notices/${name} COPYONLY)
endforeach()
install(DIRECTORY ${korvela_build_data}/ DESTINATION ${korvela_data_dir})

install(TARGETS korvela-export RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET korvela-player)
    install(TARGETS korvela-player RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    install(FILES ${res}/desktop/${KORVELA_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${res}/desktop/${KORVELA_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${res}/icons/korvela-player.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
            RENAME ${KORVELA_APP_ID}.svg)
    foreach(size 16 22 24 32 48 64 128 256 512)
        install(FILES ${res}/icons/korvela-player-${size}.png
                DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                RENAME ${KORVELA_APP_ID}.png)
    endforeach()
endif()

# Manual pages and the changelog, compressed the way Debian expects (gzip -9n: no name or
# time stamp, so the package is reproducible).
set(korvela_gz_files)
function(korvela_gzip source output)
    add_custom_command(OUTPUT ${output}
        COMMAND gzip -9n -c ${source} > ${output}
        DEPENDS ${source} VERBATIM)
    set(korvela_gz_files ${korvela_gz_files} ${output} PARENT_SCOPE)
endfunction()
set(man_pages korvela-export)
if(TARGET korvela-player)
    list(APPEND man_pages korvela-player)
endif()
foreach(page IN LISTS man_pages)
    set(VERSION ${PROJECT_VERSION})
    configure_file(${res}/man/${page}.1 ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
    korvela_gzip(${CMAKE_BINARY_DIR}/man/${page}.1 ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
    install(FILES ${CMAKE_BINARY_DIR}/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
configure_file(${res}/packaging/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
korvela_gzip(${CMAKE_BINARY_DIR}/packaging/changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_target(korvela_compressed_docs ALL DEPENDS ${korvela_gz_files})
install(FILES ${CMAKE_BINARY_DIR}/packaging/changelog.gz ${res}/packaging/copyright
        DESTINATION ${korvela_doc_dir})
install(FILES ${res}/completion/korvela-export
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The portable bundle zip (also what the self-update installs), rebuilt with the programs.
if(TARGET korvela-player)
    set(KORVELA_BUNDLE_ZIP
        ${CMAKE_BINARY_DIR}/packaging/KorvelaPlayer-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR}.zip)
    add_custom_command(OUTPUT ${KORVELA_BUNDLE_ZIP}
        COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DZIP=${KORVELA_BUNDLE_ZIP}
                -P ${CMAKE_SOURCE_DIR}/cmake/MakeBundle.cmake
        DEPENDS korvela-player korvela-export korvela_compressed_docs
                ${CMAKE_SOURCE_DIR}/cmake/MakeBundle.cmake ${CMAKE_SOURCE_DIR}/resources/WhatsNew.txt
        COMMENT "Packing the portable bundle" VERBATIM)
    add_custom_target(korvela_bundle ALL DEPENDS ${KORVELA_BUNDLE_ZIP})
endif()

# cpack -G DEB: a .deb for /usr with dependencies computed from the binaries.
set(CPACK_PACKAGE_NAME korvela-player)
set(CPACK_PACKAGE_VENDOR "Korvela")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Korvela Player developers <player@korvela.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "player for car dash-camera recordings with map and graphs")
set(CPACK_PACKAGE_DESCRIPTION
    "Korvela Player plays the recordings of car dash cameras (Korvela, Mini
and BlackVue) as trips beside a map of the route, with speed and altitude
read-outs and graphs of speed, altitude and acceleration. It locks and
deletes recordings on the card, takes still pictures and exports tracks as
KML, GPX and spreadsheet tables. The package also holds korvela-export,
which writes the same tracks from the command line.")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://korvela.invalid/player")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so shlibdeps cannot see them: the X11 platform plugin and the image
# format plugins of the stills and icons.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
