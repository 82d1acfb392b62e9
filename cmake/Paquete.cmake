# Installation and the Debian package: both commands under /usr/bin, the menu entry, the icon,
# the AppStream metainfo, the manual pages, the copyright and the changelog. "cpack -G DEB" in the
# build directory makes velmora-kv270_<version>_<arch>.deb; scripts/paquete.sh does it and checks
# the result.

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
# The Debian changelog, compressed the way lintian expects (-9, no name or time stamp).
configure_file(dist/changelog ${CMAKE_BINARY_DIR}/dist/changelog COPYONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/dist/changelog.gz
    COMMAND gzip -9nkf ${CMAKE_BINARY_DIR}/dist/changelog
    DEPENDS ${CMAKE_BINARY_DIR}/dist/changelog)
add_custom_target(velmora_escritorio ALL
    DEPENDS ${VELMORA_ARCHIVOS_ICONO} ${VELMORA_MANUALES} ${CMAKE_BINARY_DIR}/dist/changelog.gz)

# Full RELRO for the shipped programs, as Debian's hardened builds link them.
foreach(programa velmora-kv270 kvdinfo)
    target_link_options(${programa} PRIVATE LINKER:-z,now)
endforeach()

install(TARGETS velmora-kv270 kvdinfo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install (CPack's) also drops the compilers' .comment notes, as dh_strip does.
install(CODE "
if(CMAKE_INSTALL_DO_STRIP)
    foreach(programa velmora-kv270 kvdinfo)
        execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment
            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/\${programa}\"
            COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
endif()")
# The SQL that --preparar-servidor runs, for the server's administrator to read.
install(FILES dist/servidor.sql DESTINATION ${CMAKE_INSTALL_DATADIR}/velmora-kv270)
install(FILES dist/velmora-kv270.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VELMORA_ICONOS}/velmora-kv270.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(lado ${VELMORA_TAMANOS_ICONO})
    install(FILES ${VELMORA_ICONOS}/${lado}x${lado}/velmora-kv270.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${lado}x${lado}/apps)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/dist/org.velmora.kv270.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${VELMORA_MANUALES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Named after the package, not the CMake project (CMAKE_INSTALL_DOCDIR would say velmora_kv270).
install(FILES dist/copyright ${CMAKE_BINARY_DIR}/dist/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmora-kv270)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora-kv270)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_CONTACT "Soporte Velmora <soporte@velmora.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Registro de clientes e infracciones del limitador de sonido KV-270")
# Kept under 72 columns: lintian rejects lines over 80 and CPack does not wrap them.
set(CPACK_PACKAGE_DESCRIPTION [=[
Programa para las oficinas municipales que inspeccionan locales con el
limitador y registrador de nivel sonoro KV-270. Importa los archivos de
datos del equipo, guarda los clientes y sus infracciones en una base de
datos cifrada, exporta libros de cálculo e imprime informes.

El registro se protege con copias de seguridad diarias automáticas,
copias manuales verificadas, restauración de copias y verificación de la
base de datos. Incluye kvdinfo, que muestra qué contiene un archivo de
datos del KV-270 y si se puede importar.]=])
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
