# Installation and the Debian package: both commands under /usr/bin, the menu entry, the icon,
# the AppStream metainfo and the manual pages. "cpack -G DEB" in the build directory makes
# velmora-kv270_<version>_<arch>.deb; scripts/paquete.sh does it and checks the result.

include(GNUInstallDirs)

# The icon is drawn by a small tool from one list of shapes: the SVG and every PNG size.
set(VELMORA_TAMANOS_ICONO 16 22 24 32 48 64 128 256)
add_executable(velmora-icono tools/icono.cpp)
target_link_libraries(velmora-icono PRIVATE Qt6::Gui)
set(VELMORA_ICONOS ${CMAKE_BINARY_DIR}/iconos)
set(VELMORA_ARCHIVOS_ICONO ${VELMORA_ICONOS}/velmora-kv270.svg)
foreach(lado ${VELMORA_TAMANOS_ICONO})
    list(APPEND VELMORA_ARCHIVOS_ICONO ${VELMORA_ICONOS}/${lado}x${lado}/velmora-kv270.png)
endforeach()
add_custom_command(OUTPUT ${VELMORA_ARCHIVOS_ICONO}
    # A sanitized build runs the tool too; Qt's process-lifetime allocations are not leaks.
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0 $<TARGET_FILE:velmora-icono> ${VELMORA_ICONOS}
    DEPENDS velmora-icono
    COMMENT "Dibujando el icono")

configure_file(dist/org.velmora.kv270.metainfo.xml ${CMAKE_BINARY_DIR}/dist/org.velmora.kv270.metainfo.xml @ONLY)
set(VELMORA_MANUALES)
foreach(pagina velmora-kv270 kvdinfo)
    configure_file(dist/${pagina}.1 ${CMAKE_BINARY_DIR}/dist/${pagina}.1 @ONLY)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/dist/${pagina}.1.gz
        COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/dist/${pagina}.1
        DEPENDS ${CMAKE_BINARY_DIR}/dist/${pagina}.1)
    list(APPEND VELMORA_MANUALES ${CMAKE_BINARY_DIR}/dist/${pagina}.1.gz)
endforeach()
add_custom_target(velmora_escritorio ALL DEPENDS ${VELMORA_ARCHIVOS_ICONO} ${VELMORA_MANUALES})

install(TARGETS velmora-kv270 kvdinfo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES dist/velmora-kv270.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VELMORA_ICONOS}/velmora-kv270.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(lado ${VELMORA_TAMANOS_ICONO})
    install(FILES ${VELMORA_ICONOS}/${lado}x${lado}/velmora-kv270.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${lado}x${lado}/apps)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/dist/org.velmora.kv270.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${VELMORA_MANUALES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora-kv270)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_CONTACT "Soporte Velmora <soporte@velmora.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Registro de clientes e infracciones del limitador de sonido KV-270")
set(CPACK_PACKAGE_DESCRIPTION "Importa los archivos de datos del limitador KV-270, guarda clientes e infracciones \
en una base de datos cifrada con copias de seguridad diarias, exporta libros de cálculo e imprime informes.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so shlibdeps cannot see them: the platform plugins and the Spanish texts
# of the standard buttons.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
